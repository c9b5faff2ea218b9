// ZIPARCHIVE: one ZIP archive opened for reading through minizip with the standard file functions and
// 64-bit offsets. It owns the minizip handle and reads entry information with the whole stored name, however
// long: minizip's own name buffers would cut a long name into a shorter one.
#pragma once

#include <unzip.h>

#include <cstdint>

#include "base/strings.h"

class ZIPARCHIVE {
 public:
  ZIPARCHIVE() = default;
  ~ZIPARCHIVE() { Close(); }
  ZIPARCHIVE(const ZIPARCHIVE&) = delete;
  ZIPARCHIVE& operator=(const ZIPARCHIVE&) = delete;

  // Opens `path` (relative names against the current folder), closing an archive held before. True when
  // the archive's end record and central directory were found.
  bool Open(const char* path);
  // Open, and when that fails the same name with ".zip" appended.
  bool OpenOrZip(const char* path);
  void Close();
  bool IsOpen() const { return Handle != nullptr; }
  unzFile Get() const { return Handle; }

  // Number of entries that the central directory announces; 0 when it cannot be read.
  uint64_t EntryCount() const;

  // Moving the current entry: UNZ_OK, UNZ_END_OF_LIST_OF_FILE after the last, or minizip's error.
  int GoToFirst();
  int GoToNext();
  int GetPosition(unz64_file_pos* position) const;
  int GoTo(const unz64_file_pos& position);
  // Makes the first entry whose whole name equals `name` (ignoring case, '/' and '\' alike) the current
  // one: UNZ_OK, UNZ_END_OF_LIST_OF_FILE when there is none, or the error that ended the search.
  int Locate(const char* name);

  // Information of the current entry; `name` receives every byte of the stored name (a NUL byte inside
  // it stays part of the length). UNZ_OK or minizip's error.
  int ReadCurrentInfo(unz_file_info64* info, STRING* name);

 private:
  unzFile Handle = nullptr;
};

// Whether two stored names are the same entry: equal ignoring case, with '/' and '\' alike.
bool ZipNamesEqual(const char* a, const char* b);
