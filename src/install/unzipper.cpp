// UNZIPPER: the table of contents of one setup archive, read once with each entry's place in the central
// directory, the walk over it, and the extraction of single entries under the overwrite rules. Each entry
// is reached directly from its recorded place, so extracting every entry costs one pass over the archive.
#include "install/unzipper.h"

#include <algorithm>
#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/filetree.h"
#include "install/ziparchive.h"
#include "install/zipentryname.h"
#include "install/zipextract.h"

static const char kAssertUnit[] = "unzipper";

// Room reserved ahead for the table: the count an archive announces is not trusted beyond this.
static const uint64_t kReserveLimit = 65536;

struct UNZIPPERENTRY {
  STRING Name;    // as stored, '\' turned into '/'; empty when the information could not be read
  STRING Stored;  // exactly as stored
  uint64_t Size = 0;
  unz64_file_pos Position{};
  unz_file_info64 Info{};  // as read for the table: the extraction need not read it again
  bool Readable = false;
};

UNZIPPER::UNZIPPER(const STRING& archive, const STRING& asklist, const STRING& protectedlist)
    : Archive(new ZIPARCHIVE), Extractor(new ZIPEXTRACTOR), Rules(asklist, protectedlist), Cursor(0), TotalSize(0),
      LastResult(UNZ_OK) {
  if (Archive->Open(archive.c_str())) ReadTable();
  logit("UNZIPPER::UNZIPPER %s: open= %d, %d entries, %llu bytes\n", archive.c_str(), IsOpen() ? 1 : 0, GetCount(),
        static_cast<unsigned long long>(TotalSize));
}

UNZIPPER::~UNZIPPER() = default;

void UNZIPPER::ReadTable() {
  uint64_t announced = Archive->EntryCount();
  if (announced == 0) return;
  Entries.reserve(static_cast<size_t>(std::min(announced, kReserveLimit)));
  for (int err = Archive->GoToFirst(); err != UNZ_END_OF_LIST_OF_FILE; err = Archive->GoToNext()) {
    UNZIPPERENTRY entry;
    STRING stored;
    if (err == UNZ_OK) err = Archive->ReadCurrentInfo(&entry.Info, &stored);
    if (err == UNZ_OK) err = Archive->GetPosition(&entry.Position);
    if (err != UNZ_OK) {
      // minizip cannot step past an entry it cannot read: the table ends with an empty slot.
      Entries.push_back(UNZIPPERENTRY{});
      return;
    }
    entry.Name = stored;
    entry.Name.Replace("\\", "/", 1);
    entry.Stored = std::move(stored);
    entry.Size = entry.Info.uncompressed_size;
    entry.Readable = true;
    TotalSize += entry.Size;
    Entries.push_back(std::move(entry));
  }
}

int UNZIPPER::GetCount() const { return static_cast<int>(Entries.size()); }

bool UNZIPPER::IsOpen() const { return Archive->IsOpen(); }

const STRING* UNZIPPER::WalkName(int index) const {
  if (index < 0 || index >= GetCount() || !Entries[index].Readable) return nullptr;
  return &Entries[index].Name;
}

uint64_t UNZIPPER::HandOut(int index, char* name, int namesize) {
  Cursor = index + 1;
  if (!name || namesize < 1) return 0;
  name[0] = '\0';
  const STRING* stored = WalkName(index);
  if (!stored) return 0;
  int length = stored->Length();
  // A name is handed out whole or not at all: a cut name would stand for another file.
  if (length >= namesize) {
    NORBA_ASSERT_INFO(length < namesize, stored->c_str());
    return 0;
  }
  memcpy(name, stored->c_str(), static_cast<size_t>(length) + 1);
  return Entries[index].Size;
}

uint64_t UNZIPPER::HandOut(int index, STRING& name) {
  Cursor = index + 1;
  const STRING* stored = WalkName(index);
  name = stored ? *stored : STRING();
  return stored ? Entries[index].Size : 0;
}

uint64_t UNZIPPER::First(char* name, int namesize) { return HandOut(0, name, namesize); }

uint64_t UNZIPPER::Next(char* name, int namesize) { return HandOut(Cursor, name, namesize); }

uint64_t UNZIPPER::First(STRING& name) { return HandOut(0, name); }

uint64_t UNZIPPER::Next(STRING& name) { return HandOut(Cursor, name); }

// The entry handed out last is the one normally asked for; any other is searched in archive order.
int UNZIPPER::FindEntry(const STRING& name) const {
  int last = Cursor - 1;
  if (WalkName(last) && Entries[last].Name == name) return last;
  for (int i = 0; i < GetCount(); i++) {
    if (WalkName(i) && Entries[i].Name == name) return i;
  }
  return -1;
}

int UNZIPPER::ExtractEntry(int index, const char* destination) {
  if (!WalkName(index)) return UNZ_END_OF_LIST_OF_FILE;
  int err = Archive->GoTo(Entries[index].Position);
  if (err != UNZ_OK) return err;
  const UNZIPPERENTRY& entry = Entries[index];
  return Extractor->ExtractKnown(*Archive, destination, entry.Info, entry.Stored, ZIPEXTRACTOPTIONS());
}

// The destination as a normalised folder that exists: made when missing. The last destination is kept,
// so that a walk over every entry looks it up once; a failed extraction forgets it.
const STRING& UNZIPPER::PrepareFolder(const char* destination) {
  if (ReadyFolder.IsNotEmpty() && ReadyFor == destination) return ReadyFolder;
  FILENAME folder;
  folder = destination;
  if (!folder.IsDirectory()) FILETREE::CreateDirectoryPath(folder);
  ReadyFor = STRING(destination, 1252);
  ReadyFolder = folder;
  return ReadyFolder;
}

bool UNZIPPER::ExtractFile(const char* name, const char* destination, bool* goahead) {
  STRING entry(name, 1252);
  entry.Replace("\\", "/", 1);
  bool known = ReadyFolder.IsNotEmpty() && ReadyFor == destination;
  STRING folder = PrepareFolder(destination);

  bool safe = ZipEntryNameIsSafe(entry);
  bool write = safe && Rules.MayWrite(entry.c_str(), folder.c_str());
  LastResult = !safe ? ZIPEXTRACT_REFUSED : write ? ExtractEntry(FindEntry(entry), folder.c_str()) : UNZ_OK;
  if (LastResult != UNZ_OK) ReadyFolder = STRING();
  if (LastResult == ZIPEXTRACT_CANNOTCREATE && known) {
    // The folder was looked up for an earlier entry and may have gone since.
    folder = PrepareFolder(destination);
    LastResult = ExtractEntry(FindEntry(entry), folder.c_str());
  }
  bool ok = LastResult == UNZ_OK;
  if (goahead) *goahead = write;
  logit("UNZIPPER::ExtractFile(%s, %s) returns %d (%d), go-ahead= %d\n", entry.c_str(), folder.c_str(), ok ? 1 : 0,
        LastResult, write ? 1 : 0);
  return ok;
}

bool UNZIPPER::LastFailureIsPermanent() const { return ZipExtractFailureIsPermanent(LastResult); }
