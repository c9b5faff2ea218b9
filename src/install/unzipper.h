// UNZIPPER: the reader of one setup archive. It reads the archive's table of contents once, hands the
// entries out one by one with their sizes, and extracts single entries into the installation folder after
// the protected-files and ask-before-overwrite rules of the setup configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/strings.h"
#include "install/overwriterules.h"

// Room for one entry name in the callers' buffers of First and Next (terminator included).
#define UNZIPPER_NAMESIZE 260

struct UNZIPPERENTRY;
class ZIPARCHIVE;
class ZIPEXTRACTOR;

class UNZIPPER {
 public:
  // Opens `archive` (relative names against the current folder) and reads its table of contents. The two
  // lists are the values of AskOverwrite and ProtectedFiles: items separated by '|', fields by ';', read
  // up to the first empty item; every '\' in them becomes '/'. An archive that cannot be opened gives an
  // empty table with total size 0. The archive stays open until the object goes.
  UNZIPPER(const STRING& archive, const STRING& asklist, const STRING& protectedlist);
  ~UNZIPPER();
  UNZIPPER(const UNZIPPER&) = delete;
  UNZIPPER& operator=(const UNZIPPER&) = delete;

  // The walk over the table in archive order. First starts at entry 0, Next returns the entry after the
  // one handed out last. Each copies the entry's name ('\' turned into '/') into `name` and returns its
  // uncompressed size (First too, so that a caller adding up the sizes counts entry 0). The walk ends
  // with an empty name: after the last entry, and at an entry whose information could not be read. A
  // name that does not fit into `namesize` bytes is never cut: the walk ends there too, with an
  // assertion report (the STRING forms hand out names of any length).
  uint64_t First(char* name, int namesize = UNZIPPER_NAMESIZE);
  uint64_t Next(char* name, int namesize = UNZIPPER_NAMESIZE);
  uint64_t First(STRING& name);
  uint64_t Next(STRING& name);

  // Sum of the uncompressed sizes of all entries, in 64 bits.
  uint64_t GetTotalSize() const { return TotalSize; }
  // Number of entries in the table (those whose information could not be read included).
  int GetCount() const;
  // True when the archive could be opened.
  bool IsOpen() const;

  // Extracts the entry `name` (as stored, '/' or '\') below `destination`, creating the destination
  // with its missing parents first. A protected entry whose target exists is left alone; an entry on the
  // ask list whose target exists is extracted only when the user answers Yes. `goahead`, when given,
  // receives whether the entry was to be written. True when the entry was written or left out by those
  // rules; false when it could not be extracted: missing from the archive, a name that would reach out of
  // the destination (absolute, drive, "..", ':' or a device name), a damaged entry, an output file that
  // cannot be created.
  bool ExtractFile(const char* name, const char* destination, bool* goahead = nullptr);
  // After ExtractFile returned false: whether trying again would fail the same way (a refused name, an
  // entry that is missing or cannot be read), unlike an output file in use or a full disk.
  bool LastFailureIsPermanent() const;

  // The window that owns the ask-before-overwrite question (none: the active window of the calling
  // thread), and whether anybody could answer it; in a hidden run the existing file is kept unasked.
  void SetQuestionOwner(HWND owner, bool hidden) { Rules.SetQuestionOwner(owner, hidden); }

 private:
  void ReadTable();
  // The entry at `index` for the walk: its name, or empty past the table and at an unreadable entry.
  const STRING* WalkName(int index) const;
  uint64_t HandOut(int index, char* name, int namesize);
  uint64_t HandOut(int index, STRING& name);
  int FindEntry(const STRING& name) const;
  int ExtractEntry(int index, const char* destination);
  const STRING& PrepareFolder(const char* destination);

  std::unique_ptr<ZIPARCHIVE> Archive;
  std::unique_ptr<ZIPEXTRACTOR> Extractor;
  OVERWRITERULES Rules;
  std::vector<UNZIPPERENTRY> Entries;
  int Cursor;
  uint64_t TotalSize;
  int LastResult;  // UNZ_OK or the ZIPEXTRACT_ or minizip code of the last ExtractFile
  STRING ReadyFor;     // the destination last prepared, as given
  STRING ReadyFolder;  // and as the existing folder it names; empty: none prepared
};
