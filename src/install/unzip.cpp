// The exported unzip entry: reads its arguments, opens the archive, and lists it or extracts one entry or
// all of them below the chosen folder through ZIPEXTRACTOR.
#include "install/unzip.h"

#include <cctype>

#include "base/filename.h"
#include "install/ziparchive.h"
#include "install/zipextract.h"

namespace {

struct UNZIPCALL {
  bool List = false;
  bool FolderGiven = false;
  const char* Folder = nullptr;
  const char* Archive = nullptr;
  const char* Entry = nullptr;
  ZIPEXTRACTOPTIONS Options;
};

// Takes the letters of one option argument; `next` is the argument after it (null at the end), and is
// consumed by d and p.
void TakeOptions(const char* letters, const char* next, int* index, UNZIPCALL* call) {
  bool consumed = false;
  for (const char* p = letters; *p; p++) {
    switch (tolower(static_cast<unsigned char>(*p))) {
      case 'l':
      case 'v':
        call->List = true;
        break;
      case 'e':
        call->Options.JunkPaths = true;
        break;
      case 'd':
        call->FolderGiven = true;
        call->Folder = next;
        consumed = true;
        break;
      case 'p':
        call->Options.Password = next;
        consumed = true;
        break;
      default:  // 'o' and unknown letters: existing files are overwritten anyway
        break;
    }
  }
  if (consumed && next) (*index)++;
}

UNZIPCALL ParseArguments(int count, char** arguments) {
  UNZIPCALL call;
  for (int i = 1; i < count; i++) {
    const char* argument = arguments[i];
    if (!argument) continue;
    if (argument[0] == '-') {
      TakeOptions(argument + 1, i + 1 < count ? arguments[i + 1] : nullptr, &i, &call);
    } else if (!call.Archive) {
      call.Archive = argument;
    } else if (!call.Entry && !call.FolderGiven) {
      call.Entry = argument;
    }
  }
  return call;
}

// Reads the information of every entry: the archive is usable when all of it can be read.
int ListArchive(ZIPARCHIVE& archive) {
  if (archive.EntryCount() == 0) return UNZIP_OK;
  for (int err = archive.GoToFirst();; err = archive.GoToNext()) {
    if (err == UNZ_END_OF_LIST_OF_FILE) return UNZIP_OK;
    unz_file_info64 info;
    STRING name;
    if (err != UNZ_OK || archive.ReadCurrentInfo(&info, &name) != UNZ_OK) return UNZIP_FAILED;
  }
}

int ExtractNamed(ZIPARCHIVE& archive, const char* folder, const char* entry, const ZIPEXTRACTOPTIONS& options) {
  int err = archive.Locate(entry);
  if (err == UNZ_END_OF_LIST_OF_FILE) return UNZIP_NOTFOUND;
  if (err != UNZ_OK) return UNZIP_FAILED;
  ZIPEXTRACTOR extractor;
  return extractor.ExtractCurrent(archive, folder, options) == UNZ_OK ? UNZIP_OK : UNZIP_FAILED;
}

// An entry that cannot be written where it belongs is skipped; damaged data end the walk.
bool IsEntryLocalFailure(int err) {
  return err == ZIPEXTRACT_CANNOTCREATE || err == ZIPEXTRACT_REFUSED || err == ZIPEXTRACT_NEEDSPASSWORD ||
         err == ZIPEXTRACT_PATHTOOLONG;
}

int ExtractAll(ZIPARCHIVE& archive, const char* folder, const ZIPEXTRACTOPTIONS& options) {
  if (archive.EntryCount() == 0) return UNZIP_OK;
  ZIPEXTRACTOR extractor;
  bool failed = false;
  for (int err = archive.GoToFirst();; err = archive.GoToNext()) {
    if (err == UNZ_END_OF_LIST_OF_FILE) break;
    if (err == UNZ_OK) err = extractor.ExtractCurrent(archive, folder, options);
    if (err == UNZ_OK) continue;
    failed = true;
    if (!IsEntryLocalFailure(err)) break;
  }
  return failed ? UNZIP_FAILED : UNZIP_OK;
}

}  // namespace

extern "C" int unzip(int count, char** arguments) {
  if (count <= 1 || !arguments) return UNZIP_OK;
  UNZIPCALL call = ParseArguments(count, arguments);
  if (!call.Archive) return UNZIP_FAILED;
  ZIPARCHIVE archive;
  if (!archive.OpenOrZip(call.Archive)) return UNZIP_FAILED;
  if (call.List) return ListArchive(archive);

  const char* folder = "";
  if (call.FolderGiven) {
    FILENAME target;
    target = call.Folder;
    if (!call.Folder || !target.IsDirectory()) return UNZIP_FAILED;
    folder = call.Folder;
  }
  if (call.Entry) return ExtractNamed(archive, folder, call.Entry, call.Options);
  return ExtractAll(archive, folder, call.Options);
}
