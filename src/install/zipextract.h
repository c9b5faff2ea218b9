// ZIPEXTRACTOR: writes the current entry of an open archive below a destination folder: the entry's
// folders, the file itself through a large transfer buffer, and the stored time as creation and
// last-write time. Names that would reach out of the destination are refused before anything is made.
#pragma once

#include <memory>

#include "base/strings.h"
#include "install/ziparchive.h"

// Results besides minizip's own codes (UNZ_OK, UNZ_ERRNO, UNZ_BADZIPFILE, UNZ_CRCERROR, ...).
#define ZIPEXTRACT_CANNOTCREATE 18    // the output file cannot be created
#define ZIPEXTRACT_REFUSED (-110)     // the stored name would reach out of the destination
#define ZIPEXTRACT_NEEDSPASSWORD (-111)  // an encrypted entry and no password
#define ZIPEXTRACT_PATHTOOLONG (-112)    // the target path is longer than the system takes

// Whether a failed extraction fails the same way every time: a refused or too long name, an entry that is
// missing or cannot be read (damaged data, no password). False for what may pass later: an output file that
// cannot be created or written (in use, disk full), a read error of the archive file, lack of memory.
bool ZipExtractFailureIsPermanent(int result);

// Bytes moved per read of the entry and per write of the file.
#define ZIPEXTRACT_BUFFERSIZE (256 * 1024)

struct ZIPEXTRACTOPTIONS {
  bool JunkPaths = false;            // write the bare name only, make no folders
  const char* Password = nullptr;    // for encrypted entries
};

class ZIPEXTRACTOR {
 public:
  ZIPEXTRACTOR();
  ZIPEXTRACTOR(const ZIPEXTRACTOR&) = delete;
  ZIPEXTRACTOR& operator=(const ZIPEXTRACTOR&) = delete;

  // Extracts the archive's current entry below `destination` (an existing folder; empty: the current
  // folder). The folders of the stored name are made below the destination when the file cannot be
  // created without them; an existing file is overwritten. UNZ_OK on success, else a ZIPEXTRACT_ code
  // or minizip's error (a file whose data turn out damaged stays on disk).
  int ExtractCurrent(ZIPARCHIVE& archive, const char* destination, const ZIPEXTRACTOPTIONS& options);
  // The same for a caller that has read the current entry's information and stored name already.
  int ExtractKnown(ZIPARCHIVE& archive, const char* destination, const unz_file_info64& info, const STRING& name,
                   const ZIPEXTRACTOPTIONS& options);

  // The path that `name` gets below `destination`, backslashes only.
  static STRING TargetPath(const char* destination, const char* name);

 private:
  int WriteEntry(ZIPARCHIVE& archive, const STRING& target, const char* destination, const char* name,
                 const unz_file_info64& info, const ZIPEXTRACTOPTIONS& options);
  int CopyData(ZIPARCHIVE& archive, void* file);

  std::unique_ptr<char[]> Buffer;
};
