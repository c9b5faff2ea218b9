// The code-page bridge between STRING and WSTRING: 8-bit text of a code page to UTF-16 and back, the
// constructors that convert, and STRING::InCodePage.
#include "base/strings.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "diag/norbaassert.h"
#include "base/stringinternal.h"
#include "base/unicode.h"

static const char kAssertUnit[] = "strings";

// The code-page converter's tables serve the code pages it knows one character at a time and UTF-8
// through its decoder and encoder; the system code page, code pages with lead bytes and code pages without
// a table go to the platform, whose converters see whole texts. What the platform cannot convert keeps
// each byte (or each unit's low byte) as it is.

static bool ConvertsByTable(int codepage) {
  if (codepage == UNICODE_CPFLAT || codepage == 1000) return true;
  const UNICODETABLE* table = UNICODE::Get().TableInfo(codepage);
  return table && !table->MultiByte;
}

static UINT PlatformCodePage(int codepage) {
  return codepage == UNICODE_CPSYSTEM || codepage <= 0 ? CP_ACP : static_cast<UINT>(codepage);
}

// Copies at most `capacity` of `n` converted items to `out` and returns their number, or `n` when `out`
// is null.
template <typename T>
static int Deliver(const T* from, int n, T* out, int capacity) {
  if (!out) return n;
  if (n > capacity) n = capacity;
  if (n > 0) memcpy(out, from, static_cast<size_t>(n) * sizeof(T));
  return n;
}

// Converts `len` bytes into at most `capacity` units at `out`, or counts the units when `out` is null.
static int BytesToUnits(const char* text, int len, int codepage, wchar_t* out, int capacity) {
  if (len <= 0) return 0;
  if (codepage == UNICODE_CPUTF8) {
    WSTRING units;
    UTF8STATE state = {};
    UNICODE::DecodeUTF8(text, len, units, state);
    UNICODE::FinishUTF8(units, state);
    return Deliver(units.GetBuffer(), units.Length(), out, capacity);
  }
  bool bytable = ConvertsByTable(codepage);
  if (!bytable) {
    int n = MultiByteToWideChar(PlatformCodePage(codepage), 0, text, len, out, capacity);
    if (n > 0) return n;
  }
  if (!out) return len;
  int n = len < capacity ? len : capacity;
  const UNICODE& converter = UNICODE::Get();
  for (int i = 0; i < n; i++) {
    out[i] = converter.ToUnicode(static_cast<unsigned char>(text[i]), bytable ? codepage : UNICODE_CPFLAT);
  }
  return n;
}

// The reverse of BytesToUnits: `length` units into at most `capacity` bytes, or the count of bytes.
static int UnitsToBytes(const wchar_t* text, int length, int codepage, char* out, int capacity) {
  if (length <= 0) return 0;
  if (codepage == UNICODE_CPUTF8) {
    STRING bytes;
    UNICODE::EncodeUTF8(text, length, bytes);
    return Deliver(bytes.GetBuffer(), bytes.Length(), out, capacity);
  }
  bool bytable = ConvertsByTable(codepage);
  if (!bytable) {
    int n = WideCharToMultiByte(PlatformCodePage(codepage), 0, text, length, out, capacity, nullptr, nullptr);
    if (n > 0) return n;
  }
  if (!out) return length;
  int n = length < capacity ? length : capacity;
  const UNICODE& converter = UNICODE::Get();
  for (int i = 0; i < n; i++) {
    out[i] = static_cast<char>(converter.FromUnicode(text[i], bytable ? codepage : UNICODE_CPFLAT));
  }
  return n;
}

// ---------------------------------------------------------------------------------------------------
// UTF-16 to STRING.

STRING::STRING(const wchar_t* text, int codepage) : STRING() { AssignWide(text, -1, codepage); }

STRING::STRING(const wchar_t* text, int length, int codepage) : STRING() {
  AssertCheck(length != UNICODE_CPSYSTEM && length != UNICODE_CPFLAT,
              "length!=UNICODE_CPSYSTEM && length!=UNICODE_CPFLAT", kAssertUnit, __LINE__);
  AssignWide(text, length, codepage);
}

STRING::STRING(const WSTRING& text, int codepage) : STRING() {
  AssignWide(text.GetBuffer(), text.Length(), codepage);
}

void STRING::AssignWide(const wchar_t* text, int length, int codepage) {
  CodePage = codepage;
  if (!text) return;
  if (length < 0) length = ClampedLength(wcslen(text));
  int n = UnitsToBytes(text, length, codepage, nullptr, 0);
  if (!Make(n)) return;
  SetLen(UnitsToBytes(text, length, codepage, Buffer, n));
}

STRING STRING::InCodePage(int codepage) const {
  if (codepage == CodePage || !Buffer) {
    STRING copy(*this);
    copy.CodePage = codepage;
    return copy;
  }
  STRING converted(WSTRING(*this), codepage);
  converted.EnsureBuffer();
  return converted;
}

// ---------------------------------------------------------------------------------------------------
// 8-bit text to WSTRING.

WSTRING::WSTRING(const char* text, int codepage) : WSTRING() {
  if (text) AssignBytes(text, ClampedLength(strlen(text)), codepage);
}

WSTRING::WSTRING(const STRING& text) : WSTRING() {
  if (text.Buffer) AssignBytes(text.Buffer, text.StrLen, text.CodePage);
}

void WSTRING::AssignBytes(const char* text, int len, int codepage) {
  int units = BytesToUnits(text, len, codepage, nullptr, 0);
  if (!Text.Grow(2LL * units)) return;
  Text.SetLen(2 * BytesToUnits(text, len, codepage, Units(), units));
}
