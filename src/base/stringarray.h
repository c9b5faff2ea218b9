// STRINGARRAY: an owning, thread-safe list of STRING items (a DYNARRAY) with splitting, searching and
// line-file loading; the program argument list and the lines of small text files live in it.
#pragma once

#include "base/dynarray.h"
#include "base/strings.h"

// Find modes.
#define STRINGARRAY_FIND_EQUAL 0     // equal ignoring case
#define STRINGARRAY_FIND_PREFIX 1    // the item begins with the text, ignoring case
#define STRINGARRAY_FIND_CONTAINS 2  // the item contains the text, ignoring case
#define STRINGARRAY_FIND_NUMBER 3    // the decimal values are equal

// Compare (and Sort) flags.
#define STRINGARRAY_COMPARE_NUMERIC 0x01  // by decimal value
#define STRINGARRAY_COMPARE_NOCASE 0x10   // ignoring letter case (without either flag: exact bytes)

// -1, 0 or 1 as a is below, equal to or above b (a difference that cannot overflow).
inline int CompareNumbers(long long a, long long b) { return a < b ? -1 : (a > b ? 1 : 0); }

class STRINGARRAY : public DYNARRAY<STRING> {
 public:
  explicit STRINGARRAY(int initial = 64, int increment = 64);
  // The pieces of `source` between the bytes that occur in `token`, empty pieces included; the piece
  // after the last separator is always added, so "a,,b," gives "a", "", "b", "".
  STRINGARRAY(const char* source, const char* token, int initial = 64);
  STRINGARRAY(const STRING& source, const char* token, int initial = 64);

  using DYNARRAY<STRING>::Add;
  int Add(const char* item);
  // Appends the pieces of `len` bytes at `source` (see the splitting constructor); returns their number.
  int Split(const char* source, int len, const char* token);

  // The index of the first item that matches `text` by `mode` (STRINGARRAY_FIND_...), else -1.
  int Find(const char* text, int mode = STRINGARRAY_FIND_EQUAL) const;

  // Reads a text file line by line (LF ends a line and is dropped, so is a CR before it) and inserts the
  // lines in file order before the items already held; with `unescape` each line is unescaped. Returns
  // the number of lines added, 0 when the file cannot be opened. A Ctrl-Z byte is data, not the end.
  int Load(const char* filename, bool unescape);

  // STRINGARRAY_COMPARE_NUMERIC: sign of the difference of the decimal values; else NOCASE: ignoring
  // letter case; else byte by byte.
  int Compare(const STRING& a, const STRING& b, int flags) const override;
};
