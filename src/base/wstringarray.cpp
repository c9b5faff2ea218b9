// WSTRINGARRAY: splitting, finding and comparing UTF-16 items; letter case is compared through the
// C run-time's wide case mapping, numbers through its wide decimal conversion.
#include "base/wstringarray.h"

#include <cwchar>
#include <cwctype>

#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "wstringarray";

WSTRINGARRAY::WSTRINGARRAY(int initial, int increment) : DYNARRAY<WSTRING>("WSTRINGARRAY", initial, increment) {}

WSTRINGARRAY::WSTRINGARRAY(const wchar_t* source, const wchar_t* token, int initial)
    : DYNARRAY<WSTRING>("WSTRINGARRAY", initial, 64) {
  source = NullGuardW(source, "WSTRINGARRAY source");
  token = NullGuardW(token, "WSTRINGARRAY token");
  logitlevel(1, "WSTRINGARRAY::WSTRINGARRAY source= %ls, token= %ls\n", source ? source : L"<NULL>",
             token ? token : L"<NULL>");
  if (source) Split(source, static_cast<int>(wcslen(source)), token);
}

int WSTRINGARRAY::Add(const wchar_t* item) { return Add(WSTRING(item)); }

int WSTRINGARRAY::Split(const wchar_t* source, int len, const wchar_t* token) {
  if (!source) len = 0;
  DYNARRAYLOCK lock(*this);
  int added = 0;
  int start = 0;
  for (int i = 0; i <= len; i++) {
    if (i < len && !(source[i] && token && wcschr(token, source[i]))) continue;
    Add(WSTRING(source ? source + start : L"", i - start));
    added++;
    start = i + 1;
  }
  return added;
}

// True when `text` occurs in `item`, comparing code units after wide upper-casing.
static bool ContainsNoCase(const wchar_t* item, const wchar_t* text) {
  size_t n = wcslen(text), len = wcslen(item);
  for (size_t pos = 0; pos + n <= len; pos++)
    if (_wcsnicmp(item + pos, text, n) == 0) return true;
  return false;
}

static bool Matches(const WSTRING& item, const wchar_t* text, int mode) {
  const wchar_t* itemtext = NullGuardTextW(item.GetBuffer(), "WSTRINGARRAY::Find item");
  switch (mode) {
    case STRINGARRAY_FIND_EQUAL: return _wcsicmp(itemtext, text) == 0;
    case STRINGARRAY_FIND_PREFIX: return _wcsnicmp(itemtext, text, wcslen(text)) == 0;
    case STRINGARRAY_FIND_CONTAINS: return ContainsNoCase(itemtext, text);
    default: return _wtoi(itemtext) == _wtoi(text);
  }
}

int WSTRINGARRAY::Find(const wchar_t* text, int mode) const {
  text = NullGuardW(text, "WSTRINGARRAY::Find");
  if (!text) return -1;
  if (mode < STRINGARRAY_FIND_EQUAL || mode > STRINGARRAY_FIND_NUMBER) {
    Assert(0, "FALSE", kAssertUnit, __LINE__, "unknown find mode");
    return -1;
  }
  DYNARRAYLOCK lock(*this);
  for (int i = 0; i < ItemCount; i++)
    if (Matches(*static_cast<const WSTRING*>(ppItems[i]), text, mode)) return i;
  return -1;
}

int WSTRINGARRAY::Compare(const WSTRING& a, const WSTRING& b, int flags) const {
  const wchar_t* atext = NullGuardTextW(a.GetBuffer(), "WSTRINGARRAY::Compare a");
  const wchar_t* btext = NullGuardTextW(b.GetBuffer(), "WSTRINGARRAY::Compare b");
  if (flags & STRINGARRAY_COMPARE_NUMERIC) return CompareNumbers(_wtoi(atext), _wtoi(btext));
  if (flags & STRINGARRAY_COMPARE_NOCASE) return _wcsicmp(atext, btext);
  return wcscmp(atext, btext);
}
