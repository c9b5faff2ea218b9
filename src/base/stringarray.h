// STRINGARRAY: an owning, ordered list of STRING items; the program argument list and the lines of
// small text files live in it. Items are read by index; out-of-range reads yield an empty item.
#pragma once

#include <vector>

#include "base/strings.h"

class STRINGARRAY {
 public:
  STRINGARRAY() = default;
  STRINGARRAY(const STRINGARRAY&) = default;
  STRINGARRAY& operator=(const STRINGARRAY&) = default;

  int Count() const { return static_cast<int>(Items.size()); }
  int Add(const STRING& item);
  int Add(const char* item);
  // The item at i; out of range an assertion report and an empty item.
  STRING& Get(int i);
  const STRING& Get(int i) const;
  STRING& operator[](int i) { return Get(i); }
  const STRING& operator[](int i) const { return Get(i); }
  void Clear() { Items.clear(); }

  // Reads a text file line by line (LF ends a line, the LF is dropped) and inserts the lines in file
  // order before the items already held; returns the number of lines added, 0 when it cannot be read.
  int Load(const char* filename, bool unescape);

 private:
  std::vector<STRING> Items;
};
