// HASH: the case-insensitive key/value table behind setup.cfg and every answer file. Keys and values are
// two parallel STRINGARRAYs, the keys kept in ascending order ignoring letter case; the table can be
// written to and read from a line-based text file.
//
// Text format, one entry per line: key "=" value. Keys and text values are written with C-style escapes
// ('=', '{' and '}' escaped too, and a leading '#' or '/' of a key), binary values as "={{" Base64 "}}".
// "#Handle=" and "#Key=" lines carry Handle and Key; blank lines and lines starting with "//" or any
// other '#' are ignored. Reading is forgiving and reports what it skips through quiet assertions:
//  - a line without '=' is skipped;
//  - an escape that is not one of the known ones is kept as written (backslash included), so a
//    hand-written path such as C:\Programs\Kiv survives;
//  - CR LF and bare LF line ends are both accepted; a Ctrl-Z byte is data, not the end of the file;
//  - a UTF-8 byte-order mark at the very start is skipped and the file is then read as UTF-8, its text
//    converted to code page 1252 (characters outside 1252 become '?'). So a setup.cfg saved as UTF-8 by
//    Notepad keeps its first key and its umlauts.
#pragma once

#include <windows.h>

#include "base/stringarray.h"
#include "base/strings.h"

class HASH {
 public:
  HASH();
  // A table parsed from the text format.
  explicit HASH(const char* text);
  explicit HASH(const STRING& text);
  HASH(const HASH& other);
  HASH& operator=(const HASH& other);
  virtual ~HASH();

  // The value for `key`; a missing key raises "rcidx!=-1" (the key as message) and gives an empty value.
  STRING Get(const char* key) const;
  // The value for `key`, created empty at its sorted place when missing. While LockTable is set a missing
  // key raises "!this->LockTable" and is not created: the result is then an empty value of this call's
  // own that belongs to no entry (kept until the table ends), so no other caller's result changes it.
  STRING& operator[](const char* key);
  STRING& operator[](const STRING& key) { return (*this)[key.c_str()]; }
  bool Exists(const char* key) const;
  // Removes the first entry whose key equals `key` ignoring case; true when one was removed.
  bool Delete(const char* key);
  // Re-sorts the entries by key ignoring case; entries with equal keys keep their order.
  void Sort();
  void Clear();

  // Entries by index, in key order.
  int Count() const;
  int IndexOf(const char* key) const;  // -1 when missing
  const STRING& GetKey(int i) const;
  STRING& GetValue(int i);
  const STRING& GetValue(int i) const;

  // Hold the table across several operations (the lock is recursive).
  bool Lock(DWORD timeout = INFINITE) const { return Keys.Lock(timeout); }
  void Unlock() const { Keys.Unlock(); }

  STRING ToText() const;
  // Writes ToText() as a text file (CR LF line ends); true when the whole text reached the file.
  bool Save(const char* filename) const;
  // Reads and parses the file; on success the entries and Handle are replaced by the file's, and Key too
  // when the file has a "#Key" line. False, and the table unchanged, when the file cannot be read.
  bool Load(const char* filename);

  DWORD Handle;  // stored with the table as "#Handle"; 0 = none

 private:
  // The first index whose key is not below `key`; the caller holds the lock.
  int LowerBound(const char* key) const;
  bool IsKeyAt(int i, const char* key) const;
  // Fills an empty table from the text format; `haskey` tells whether a "#Key" line was there.
  void Parse(const STRING& text, bool* haskey);
  void AddParsed(STRING&& key, STRING&& value);
  // A fresh empty value for a lookup that found and created nothing.
  STRING& Detached();

  STRINGARRAY Keys;
  STRINGARRAY Values;

 public:
  bool LockTable;  // set: looking up a missing key does not create it
  STRING Key;      // stored with the table as "#Key"

 private:
  STRINGARRAY Misses;  // the detached values handed out, one per such lookup
};
