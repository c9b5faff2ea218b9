// STRING and WSTRING: sizing in blocks, the null guard, editing, searching and comparison. The block
// pool, the code-page bridge, the encodings and whole-file input and output have files of their own
// (stringpool.cpp, stringcodepage.cpp, stringencoding.cpp, stringfile.cpp).
#include "base/strings.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/stringinternal.h"

static const char kAssertUnit[] = "strings";

// ---------------------------------------------------------------------------------------------------
// Null guard.

static volatile LONG gNullGuardMode = 0;

// True when a null text stays null; raises "p!=NULL" first when the mode asks for it.
static bool NullStaysNull(const char* label) {
  char value[32];
  DWORD n = GetEnvironmentVariableA("NORBAFAILONNULL", value, sizeof(value));
  if (n > 0 && n < sizeof(value)) InterlockedExchange(&gNullGuardMode, atoi(value));
  LONG mode = gNullGuardMode;
  if (!(mode & 1)) return false;
  if (mode & 2) Assert(0, "p!=NULL", kAssertUnit, __LINE__, label ? label : "<none>");
  return true;
}

const char* NullGuard(const char* p, const char* label) {
  if (p) return p;
  return NullStaysNull(label) ? nullptr : "<NULL>";
}

const wchar_t* NullGuardW(const wchar_t* p, const char* label) {
  if (p) return p;
  return NullStaysNull(label) ? nullptr : L"<NULL>";
}

const char* NullGuardText(const char* p, const char* label) {
  const char* text = NullGuard(p, label);
  return text ? text : "";
}

const wchar_t* NullGuardTextW(const wchar_t* p, const char* label) {
  const wchar_t* text = NullGuardW(p, label);
  return text ? text : L"";
}

// ---------------------------------------------------------------------------------------------------
// Small helpers shared by the operations below.

namespace {
bool SameByte(char a, char b) { return a == b; }
bool SameLetter(char a, char b) {
  return toupper(static_cast<unsigned char>(a)) == toupper(static_cast<unsigned char>(b));
}
bool SameUnit(wchar_t a, wchar_t b) { return a == b; }

// First position at or after `start` where `pattern` matches; -1 when none or `start` >= `length`.
template <class CH, class EQUAL>
int FindUnits(const CH* text, int length, const CH* pattern, int patlen, int start, EQUAL equal) {
  if (start < 0) start = 0;
  if (!text || start >= length) return -1;
  for (int pos = start; pos <= length - patlen; pos++) {
    int k = 0;
    while (k < patlen && equal(text[pos + k], pattern[k])) k++;
    if (k == patlen) return pos;
  }
  return -1;
}

// Writes `text` with every match of `from` replaced by `to` into `out`, resuming the search behind each
// match. Returns the number of replacements, or -1 when the result did not fit.
template <class CH, class EQUAL>
int ReplaceUnits(const CH* text, int length, const CH* from, int fromlen, const CH* to, int tolen, EQUAL equal,
                 STRING& out) {
  const int unit = static_cast<int>(sizeof(CH));
  int count = 0;
  int done = 0;
  long long expected = 0;
  auto put = [&](const CH* p, int n) {
    expected += static_cast<long long>(n) * unit;
    if (expected <= STRING_MAX_LENGTH) out.Append(reinterpret_cast<const char*>(p), n * unit);
  };
  out.EnsureBuffer();
  for (int pos = FindUnits(text, length, from, fromlen, 0, equal); pos >= 0;
       pos = FindUnits(text, length, from, fromlen, done, equal)) {
    put(text + done, pos - done);
    put(to, tolen);
    done = pos + fromlen;
    count++;
  }
  put(text + done, length - done);
  return out.Length() == expected ? count : -1;
}

// Both texts null: 0; one of them null: 1.
int NullOrder(const void* p1, const void* p2) { return (!p1 && !p2) ? 0 : 1; }

// Output is cut at size-1 bytes and always terminated; a null "%s" prints "(null)".
int BoundedFormat(char* buf, size_t size, const char* format, va_list args) {
  int rc = __mingw_vsnprintf(buf, size, format, args);
  buf[size - 1] = '\0';
  if (rc < 0) buf[0] = '\0';
  return rc;
}

// Reports a bad index with its message "i= %d, len= %d, buf= %s".
void ReportIndex(int i, int len, const char* text, const char* condition, int line) {
  char info[256];
  snprintf(info, sizeof(info), "i= %d, len= %d, buf= %s", i, len, text ? text : "<NULL>");
  Assert(0, condition, kAssertUnit, line, info);
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// Construction, sizing and assignment.

STRING::STRING() : Buffer(nullptr), StrLen(0), BufLen(0), BlockSize(0), Flags(0), CodePage(1252) {
  // Hook libraries receive STRING pointers: the text pointer comes first, then the five 32-bit fields.
  static_assert(std::is_standard_layout<STRING>::value, "STRING layout");
  static_assert(offsetof(STRING, Buffer) == 0, "STRING layout");
  static_assert(offsetof(STRING, CodePage) == offsetof(STRING, StrLen) + 16, "STRING layout");
}

STRING::STRING(STRINGBLOCK blocksize) : STRING() { BlockSize = blocksize.Size; }

STRING::STRING(const char* text, int codepage) : STRING() {
  if (text) Make(ClampedLength(strlen(text)), text);
  CodePage = codepage;
}

STRING::STRING(const char* text, int len, int blocksize) : STRING() {
  AssertCheck(len != UNICODE_CPSYSTEM && len != UNICODE_CPFLAT, "len!=UNICODE_CPSYSTEM && len!=UNICODE_CPFLAT",
              kAssertUnit, __LINE__);
  BlockSize = blocksize < 1 ? STRING_DEFAULT_BLOCK : blocksize;
  if (!text) return;
  if (len < 0) len = ClampedLength(strlen(text));
  Make(len, text);
}

STRING::STRING(int number) : STRING() {
  char text[16];
  snprintf(text, sizeof(text), "%d", number);
  BlockSize = 16;
  Make(ClampedLength(strlen(text)), text);
}

STRING::STRING(const STRING& other)
    : Buffer(nullptr),
      StrLen(0),
      BufLen(0),
      BlockSize(other.BlockSize),
      Flags(other.Flags),
      CodePage(other.CodePage) {
  if (other.Buffer) Make(other.StrLen, other.Buffer);
}

STRING::STRING(STRING&& other) noexcept
    : Buffer(other.Buffer),
      StrLen(other.StrLen),
      BufLen(other.BufLen),
      BlockSize(other.BlockSize),
      Flags(other.Flags),
      CodePage(other.CodePage) {
  other.Buffer = nullptr;
  other.StrLen = other.BufLen = 0;
}

STRING::~STRING() { Free(); }

STRING& STRING::operator=(const STRING& other) {
  if (this == &other) return *this;
  BlockSize = other.BlockSize;
  Flags = other.Flags;
  CodePage = other.CodePage;
  if (!other.Buffer)
    Free();
  else
    Make(other.StrLen, other.Buffer);
  return *this;
}

STRING& STRING::operator=(STRING&& other) noexcept {
  if (this == &other) return *this;
  Free();
  Buffer = other.Buffer;
  StrLen = other.StrLen;
  BufLen = other.BufLen;
  BlockSize = other.BlockSize;
  Flags = other.Flags;
  CodePage = other.CodePage;
  other.Buffer = nullptr;
  other.StrLen = other.BufLen = 0;
  return *this;
}

// Makes room for `len` bytes and the terminator. The new size is one block more than the whole blocks the
// need fills; sizes are computed in 64 bits so that no request can wrap.
bool STRING::Grow(long long len) {
  if (BlockSize < 1) BlockSize = STRING_DEFAULT_BLOCK;
  if (len < 0 || len > STRING_MAX_LENGTH) {
    char info[64];
    snprintf(info, sizeof(info), "len= %lld", len);
    return AssertCheck(false, "buffer", kAssertUnit, __LINE__, info);
  }
  long long need = len + TerminatorSize();
  if (Buffer && BufLen >= need) return true;
  long long newsize = (need / BlockSize + 1) * BlockSize;
  if (newsize > INT_MAX) newsize = need;
  char* fresh = static_cast<char*>(BlockAlloc(static_cast<int>(newsize)));
  if (!AssertCheck(fresh != nullptr, "buffer", kAssertUnit, __LINE__)) return false;
  memset(fresh, 0, static_cast<size_t>(newsize));
  if (Buffer) {
    memcpy(fresh, Buffer, static_cast<size_t>(StrLen < newsize ? StrLen : newsize));
    BlockFree(Buffer, BufLen);
  }
  Buffer = fresh;
  BufLen = static_cast<int>(newsize);
  AdaptBlockSize(BufLen);
  return true;
}

// Small strings keep their block; big ones switch to geometric growth capped at 2 MiB per step.
void STRING::AdaptBlockSize(int newsize) {
  if (Flags & STRINGFLAG_DYNABLOCK) {
    int blocksize = BlockSize > newsize / 2 ? BlockSize : newsize / 2;
    if (blocksize >= 0x200000)
      blocksize = 0x200000;
    else if (blocksize >= 4096)
      blocksize = (blocksize + 1023) / 1024 * 1024;
    if (blocksize != BlockSize) {
      BlockSize = blocksize;
      logit("STRING::Make STRINGFLAG_DYNABLOCK new blocksize %d\n", BlockSize);
    }
  } else if (newsize <= 32768) {
    int least = newsize >= 8192 ? 4096 : newsize >= 4096 ? 2048 : newsize >= 1024 ? 1024 : 0;
    if (BlockSize < least) BlockSize = least;
  } else {
    Flags |= STRINGFLAG_DYNABLOCK;
    if (BlockSize < 32768) {
      BlockSize = 32768;
      logit("STRING::Make Upgrade String to STRINGFLAG_DYNABLOCK\n");
    }
  }
}

// Sets the length and writes the terminator (two zero bytes for a wide string).
void STRING::SetLen(int len) {
  StrLen = len;
  Buffer[len] = '\0';
  if (Flags & STRINGFLAG_WIDE) Buffer[len + 1] = '\0';
}

bool STRING::PointsInto(const char* p) const {
  uintptr_t at = reinterpret_cast<uintptr_t>(p);
  uintptr_t begin = reinterpret_cast<uintptr_t>(Buffer);
  return Buffer && at >= begin && at < begin + static_cast<uintptr_t>(BufLen);
}

bool STRING::Make(int len, const char* text) {
  if (BlockSize < 1) BlockSize = STRING_DEFAULT_BLOCK;
  if (len < 0) return true;
  if (text && PointsInto(text)) {
    STRING copy(text, len, len + 1);
    return Make(len, copy.Buffer);
  }
  int oldlen = Length();
  if (!Grow(len)) return false;
  if (text) {
    AssertCheck(BufLen >= len + TerminatorSize(), "this->BufLen>=(len+extra)", kAssertUnit, __LINE__);
    memcpy(Buffer, text, static_cast<size_t>(len));
  }
  if (oldlen < len && !text) memset(Buffer + oldlen, 0, static_cast<size_t>(len - oldlen));
  if (oldlen > len) memset(Buffer + len, 0, static_cast<size_t>(oldlen - len));
  SetLen(len);
  return true;
}

void STRING::Free() {
  BlockFree(Buffer, BufLen);
  Buffer = nullptr;
  StrLen = BufLen = 0;
}

void STRING::EnsureBuffer() {
  if (!Buffer) Make(0);
}

void STRING::TakeBuffer(STRING& other) {
  char* buffer = Buffer;
  int strlen = StrLen, buflen = BufLen, blocksize = BlockSize, flags = Flags;
  Buffer = other.Buffer, StrLen = other.StrLen, BufLen = other.BufLen, BlockSize = other.BlockSize;
  Flags = other.Flags;
  other.Buffer = buffer, other.StrLen = strlen, other.BufLen = buflen, other.BlockSize = blocksize;
  other.Flags = flags;
}

// ---------------------------------------------------------------------------------------------------
// Access.

const char* STRING::c_str() const { return NullGuard(Buffer, "c_str"); }

void STRING::SetFlags(int flags) {
  Flags = flags;
  if (Buffer && Grow(StrLen)) SetLen(StrLen);
}

char& STRING::BadIndex(int i, const char* condition, char& dummy) const {
  ReportIndex(i, Length(), Buffer, condition, __LINE__);
  dummy = 0;
  return dummy;
}

char& STRING::operator[](int i) {
  static char dummy;
  if (i >= 0 && i < Length()) return Buffer[i];
  return BadIndex(i, "i>=0 && i<this->StrLen", dummy);
}

char STRING::operator[](int i) const {
  static char dummy;
  if (i >= 0 && i < Length()) return Buffer[i];
  return BadIndex(i, "i>=0 && i<this->StrLen", dummy);
}

char& STRING::At(int i) {
  static char dummy;
  if (i >= 0 && i <= Length() && Buffer) return Buffer[i];
  return BadIndex(i, "i>=0 && i<=this->StrLen", dummy);
}

char STRING::At(int i) const {
  static char dummy;
  if (i >= 0 && i <= Length() && Buffer) return Buffer[i];
  return BadIndex(i, "i>=0 && i<=this->StrLen", dummy);
}

int STRING::atoi() const { return ::atoi(NullGuardText(Buffer, "atoi")); }

double STRING::atof() const { return ::atof(NullGuardText(Buffer, "atof")); }

// ---------------------------------------------------------------------------------------------------
// Editing.

STRING& STRING::AppendBytes(const char* text, long long len) {
  if (PointsInto(text)) {
    STRING copy(text, static_cast<int>(len), 0);
    return AppendBytes(copy.Buffer, len);
  }
  int oldlen = Length();
  if (!Grow(oldlen + len)) return *this;
  if (len == 1)
    Buffer[oldlen] = *text;
  else if (len > 0)
    memcpy(Buffer + oldlen, text, static_cast<size_t>(len));
  SetLen(oldlen + static_cast<int>(len));
  return *this;
}

STRING& STRING::Append(const char* text, int len) {
  text = NullGuard(text, "STRING::Append op1");
  if (!text) return *this;
  return AppendBytes(text, len < 0 ? ClampedLength(strlen(text)) : len);
}

STRING& STRING::Append(const STRING& other) {
  if (!other.Buffer) return *this;
  return AppendBytes(other.Buffer, other.StrLen);
}

STRING& STRING::FormatInto(bool append, const char* format, va_list args) {
  char buf[8192];
  int rc = BoundedFormat(buf, sizeof(buf), NullGuardText(format, "Format"), args);
  AssertCheck(rc >= 0 && rc < static_cast<int>(sizeof(buf)) - 1, "rc>=0 && rc<sizeof(buf)-1", kAssertUnit,
              __LINE__);
  int len = ClampedLength(strlen(buf));
  if (append) return AppendBytes(buf, len);
  Make(len, buf);
  CodePage = 1252;
  return *this;
}

STRING& STRING::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(true, format, args);
  va_end(args);
  return *this;
}

STRING& STRING::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(false, format, args);
  va_end(args);
  return *this;
}

STRING& STRING::SetLength(int newlength) {
  if (!AssertCheck(newlength >= 0, "newlength>=0", kAssertUnit, __LINE__)) return *this;
  if (newlength < Length()) SetLen(newlength);
  return *this;
}

STRING& STRING::DeleteLeft(int howmany) { return Delete(howmany, 0); }

STRING& STRING::DeleteRight(int howmany) {
  if (!AssertCheck(howmany >= 0, "howmany>=0", kAssertUnit, __LINE__)) return *this;
  return SetLength(howmany >= Length() ? 0 : Length() - howmany);
}

STRING& STRING::Delete(int howmany, int pos) {
  if (!AssertCheck(howmany >= 0, "howmany>=0", kAssertUnit, __LINE__)) return *this;
  int len = Length();
  if (pos < 0 || pos >= len || howmany == 0) return *this;
  if (static_cast<long long>(pos) + howmany >= len) return SetLength(pos);
  memmove(Buffer + pos, Buffer + pos + howmany, static_cast<size_t>(len - pos - howmany));
  SetLen(len - howmany);
  return *this;
}

STRING& STRING::InsertChars(int howmany, int pos, char ch) {
  if (!AssertCheck(howmany >= 0, "howmany>=0", kAssertUnit, __LINE__)) return *this;
  int len = Length();
  if (pos < 0 || pos >= len || howmany == 0) return *this;
  if (!Grow(static_cast<long long>(len) + howmany)) return *this;
  memmove(Buffer + pos + howmany, Buffer + pos, static_cast<size_t>(len - pos));
  memset(Buffer + pos, ch, static_cast<size_t>(howmany));
  SetLen(len + howmany);
  return *this;
}

STRING& STRING::Insert(const char* text, int pos) {
  text = NullGuard(text, "Insert text");
  if (!text) return *this;
  if (!AssertCheck(text != Buffer, "text!=this->Buffer", kAssertUnit, __LINE__)) return *this;
  int len = Length();
  if (pos < 0 || pos > len) return *this;
  if (pos == len) return Append(text);
  if (PointsInto(text)) {
    STRING copy(text, 1252);
    return Insert(copy.Buffer, pos);
  }
  int n = ClampedLength(strlen(text));
  if (!Grow(static_cast<long long>(len) + n)) return *this;
  memmove(Buffer + pos + n, Buffer + pos, static_cast<size_t>(len - pos));
  memcpy(Buffer + pos, text, static_cast<size_t>(n));
  SetLen(len + n);
  return *this;
}

STRING& STRING::Replace(const char* from, const char* to, int casesensitive) {
  from = NullGuardText(from, "Replace from");
  to = NullGuardText(to, "Replace to");
  if (!Buffer || !*from || strcmp(from, to) == 0) return *this;
  STRING result(STRINGBLOCK{BlockSize});
  result.Flags = Flags;
  int fromlen = ClampedLength(strlen(from)), tolen = ClampedLength(strlen(to));
  int count = casesensitive ? ReplaceUnits(Buffer, StrLen, from, fromlen, to, tolen, SameByte, result)
                            : ReplaceUnits(Buffer, StrLen, from, fromlen, to, tolen, SameLetter, result);
  if (count > 0) TakeBuffer(result);
  return *this;
}

STRING& STRING::RemoveChars(const char* set) {
  BYTESET remove(NullGuardText(set, "RemoveChars set"));
  if (!Buffer) return *this;
  int kept = 0;
  for (int i = 0; i < StrLen; i++)
    if (!remove.Has(Buffer[i])) Buffer[kept++] = Buffer[i];
  SetLen(kept);
  return *this;
}

STRING& STRING::Trim(char how, const char* set) {
  int mode = toupper(static_cast<unsigned char>(how));
  if (!AssertCheck(mode == 'L' || mode == 'R' || mode == 'B', "how=='L' || how=='R' || how=='B'", kAssertUnit,
                   __LINE__))
    return *this;
  BYTESET trim(NullGuardText(set, "Trim set"));
  if (!Buffer) return *this;
  int begin = 0, end = StrLen;
  if (mode != 'R')
    while (begin < end && trim.Has(Buffer[begin])) begin++;
  if (mode != 'L')
    while (end > begin && trim.Has(Buffer[end - 1])) end--;
  memmove(Buffer, Buffer + begin, static_cast<size_t>(end - begin));
  SetLen(end - begin);
  return *this;
}

// Case mapping of the ANSI code page; the guard only reports an unallocated string, which stays as it is.
STRING& STRING::ToLower() {
  NullGuard(Buffer, "ToLower");
  if (Length() > 0) CharLowerBuffA(Buffer, static_cast<DWORD>(StrLen));
  return *this;
}

STRING& STRING::ToUpper() {
  NullGuard(Buffer, "ToUpper");
  if (Length() > 0) CharUpperBuffA(Buffer, static_cast<DWORD>(StrLen));
  return *this;
}

// ---------------------------------------------------------------------------------------------------
// Searching and extracting.

int STRING::Pos(const char* str, int start) const {
  str = NullGuardText(str, "Pos str");
  return FindUnits(Buffer, Length(), str, ClampedLength(strlen(str)), start, SameByte);
}

int STRING::iPos(const char* str, int start) const {
  str = NullGuardText(str, "iPos str");
  return FindUnits(Buffer, Length(), str, ClampedLength(strlen(str)), start, SameLetter);
}

bool STRING::Find(const char* str, int* pos, int start) const {
  int at = Pos(str, start);
  if (pos) *pos = at;
  return at >= 0;
}

bool STRING::iFind(const char* str, int* pos, int start) const {
  int at = iPos(str, start);
  if (pos) *pos = at;
  return at >= 0;
}

// Always an allocated result; a start at or past the end gives an empty text.
STRING STRING::Mid(int start, int count) const {
  int len = Length();
  if (start < 0) start = 0;
  if (start >= len) return STRING("", 1252);
  int available = len - start;
  if (count < 0 || count > available) count = available;
  return STRING(Buffer + start, count, 0);
}

STRING STRING::Left(int count) const { return Mid(0, count); }

STRING STRING::Right(int count) const {
  int start = Length() - count;
  return Mid(start < 0 ? 0 : start, count);
}

STRING STRING::GetToken(int n, const char* separators, int flags) const {
  BYTESET split(NullGuardText(separators, "GetToken separators"));
  STRING token;
  const char* p = n >= 0 ? Buffer : nullptr;
  const char* end = Buffer + Length();
  for (int skipped = 0; p && skipped < n; skipped++) {
    while (p < end && !split.Has(*p)) p++;
    p = p < end ? p + 1 : nullptr;
  }
  if (p) {
    const char* stop = p;
    if (flags & 0xFFFF)
      stop = end;
    else
      while (stop < end && !split.Has(*stop)) stop++;
    if (stop > p) token = STRING(p, static_cast<int>(stop - p), 0);
  }
  if (flags & STRINGTOKEN_ALLOCATED) token.EnsureBuffer();
  return token;
}

int STRING::CountFields(const char* separators) const {
  BYTESET split(NullGuardText(separators, "CountFields separators"));
  int count = 1;
  for (int i = 0; i < Length(); i++)
    if (split.Has(Buffer[i])) count++;
  return count;
}

// ---------------------------------------------------------------------------------------------------
// Comparison.

int STRING::stricmp(const char* p1, const char* p2, int nullsallowed) {
  if (nullsallowed && (!p1 || !p2)) return NullOrder(p1, p2);
  p1 = NullGuard(p1, "stricmp p1");
  p2 = NullGuard(p2, "stricmp p2");
  if (!p1 || !p2) return NullOrder(p1, p2);
  return _stricmp(p1, p2);
}

bool STRING::operator==(const char* text) const { return stricmp(Buffer, text, 1) == 0; }

bool STRING::operator<(const char* text) const { return stricmp(Buffer, text, 0) < 0; }

bool STRING::operator>(const char* text) const { return stricmp(Buffer, text, 0) > 0; }

STRING STRING::Join(const char* a, int alen, const char* b, int blen) {
  STRING result;
  if (!result.Grow(static_cast<long long>(alen) + blen)) return result;
  result.AppendBytes(a, alen);
  return result.AppendBytes(b, blen);
}

STRING operator+(const STRING& a, const STRING& b) {
  return STRING::Join(a.Buffer, a.Length(), b.Buffer, b.Length());
}

STRING operator+(const STRING& a, const char* b) {
  b = NullGuardText(b, "STR::op2||");
  return STRING::Join(a.Buffer, a.Length(), b, ClampedLength(strlen(b)));
}

STRING operator+(const char* a, const STRING& b) {
  a = NullGuardText(a, "STR::op1||");
  return STRING::Join(a, ClampedLength(strlen(a)), b.Buffer, b.Length());
}

// ---------------------------------------------------------------------------------------------------
// WSTRING.

WSTRING::WSTRING() { Text.Flags = STRINGFLAG_WIDE; }

WSTRING::WSTRING(const wchar_t* text, int length) : WSTRING() {
  if (text) Append(text, length);
}

const wchar_t* WSTRING::c_str() const { return NullGuardW(Units(), "WSTRING c_str"); }

wchar_t& WSTRING::BadIndex(int i, const char* condition, wchar_t& dummy) const {
  ReportIndex(i, Length(), STRING(*this, 1252).GetBuffer(), condition, __LINE__);
  dummy = 0;
  return dummy;
}

wchar_t& WSTRING::operator[](int i) {
  static wchar_t dummy;
  if (i >= 0 && i < Length()) return Units()[i];
  return BadIndex(i, "i>=0 && i<this->StrLen", dummy);
}

wchar_t WSTRING::operator[](int i) const {
  static wchar_t dummy;
  if (i >= 0 && i < Length()) return Units()[i];
  return BadIndex(i, "i>=0 && i<this->StrLen", dummy);
}

WSTRING& WSTRING::Append(wchar_t ch) {
  Text.AppendBytes(reinterpret_cast<const char*>(&ch), 2);
  return *this;
}

WSTRING& WSTRING::Append(const wchar_t* text, int length) {
  text = NullGuardW(text, "WSTRING::Append op1");
  if (!text) return *this;
  if (length < 0) length = ClampedLength(wcslen(text));
  Text.AppendBytes(reinterpret_cast<const char*>(text), 2LL * length);
  return *this;
}

WSTRING& WSTRING::DeleteLeft(int howmany) {
  if (!AssertCheck(howmany >= 0, "howmany>=0", kAssertUnit, __LINE__)) return *this;
  Text.DeleteLeft(howmany >= Length() ? Text.Length() : 2 * howmany);
  return *this;
}

int WSTRING::Pos(const wchar_t* str, int start) const {
  str = NullGuardTextW(str, "WSTRING::Pos str");
  return FindUnits(Units(), Length(), str, ClampedLength(wcslen(str)), start, SameUnit);
}

WSTRING& WSTRING::Replace(const wchar_t* from, const wchar_t* to) {
  from = NullGuardTextW(from, "WSTRING::Replace from");
  to = NullGuardTextW(to, "WSTRING::Replace to");
  if (!Units() || !*from || wcscmp(from, to) == 0) return *this;
  WSTRING result;
  result.Text.BlockSize = Text.BlockSize;
  int count = ReplaceUnits(Units(), Length(), from, ClampedLength(wcslen(from)), to, ClampedLength(wcslen(to)),
                           SameUnit, result.Text);
  if (count > 0) Text.TakeBuffer(result.Text);
  return *this;
}

int WSTRING::wstricmp(const wchar_t* p1, const wchar_t* p2, int nullsallowed) {
  if (nullsallowed && (!p1 || !p2)) return NullOrder(p1, p2);
  p1 = NullGuardW(p1, "wstricmp p1");
  p2 = NullGuardW(p2, "wstricmp p2");
  if (!p1 || !p2) return NullOrder(p1, p2);
  return wcscmp(p1, p2);
}
