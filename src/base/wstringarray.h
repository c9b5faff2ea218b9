// WSTRINGARRAY: the UTF-16 twin of STRINGARRAY, an owning, thread-safe list of WSTRING items with
// splitting, searching and comparing; the find modes and compare flags are those of STRINGARRAY.
#pragma once

#include "base/dynarray.h"
#include "base/stringarray.h"
#include "base/strings.h"

class WSTRINGARRAY : public DYNARRAY<WSTRING> {
 public:
  explicit WSTRINGARRAY(int initial = 64, int increment = 64);
  // The pieces of `source` between the code units that occur in `token`, empty pieces included.
  WSTRINGARRAY(const wchar_t* source, const wchar_t* token, int initial = 64);

  using DYNARRAY<WSTRING>::Add;
  int Add(const wchar_t* item);
  int Split(const wchar_t* source, int len, const wchar_t* token);
  int Find(const wchar_t* text, int mode = STRINGARRAY_FIND_EQUAL) const;
  int Compare(const WSTRING& a, const WSTRING& b, int flags) const override;
};
