// STRING and WSTRING: sizing in blocks, the 96-byte block pool, the null guard, editing, searching,
// comparison, the hex/Base64/escape encodings and the whole-file buffer operations.
#include "base/strings.h"

#include <windows.h>

#include <io.h>
#include <share.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <type_traits>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/critsec.h"
#include "base/stream.h"
#include "base/unicode.h"

static const char kAssertUnit[] = "strings";

// Raises the assertion `condition` (the condition's own text) when `ok` is false; returns `ok`.
static bool Check(bool ok, const char* condition, int line, const char* info = nullptr) {
  if (!ok) Assert(0, condition, kAssertUnit, line, info);
  return ok;
}

static int ClampedLength(size_t n) { return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

// ---------------------------------------------------------------------------------------------------
// Block pool: a stack of at most 127 free 96-byte blocks shared by all threads.

namespace {
const int kPoolMax = 127;

struct BLOCKPOOL {
  CRITICALSECTION Lock;
  void* Blocks[kPoolMax] = {};
  int Count = 0;
};

volatile LONG gPoolClosed = 0;

// Made on first use (thread-safe static initialisation) and destroyed only by StringPoolRelease, so
// strings that die during static destruction never meet a destroyed lock.
BLOCKPOOL* Pool() {
  static BLOCKPOOL* pool = new (std::nothrow) BLOCKPOOL();
  return gPoolClosed ? nullptr : pool;
}

void* BlockAlloc(int size) {
  BLOCKPOOL* pool = size == STRING_DEFAULT_BLOCK ? Pool() : nullptr;
  if (pool) {
    CRITICALSECTIONLOCK lock(pool->Lock);
    if (pool->Count > 0) {
      void* ptr = pool->Blocks[--pool->Count];
      if (Check(ptr != nullptr, "ptr", __LINE__)) return ptr;
    }
  }
  return malloc(static_cast<size_t>(size));
}

void BlockFree(void* ptr, int size) {
  if (!ptr) return;
  BLOCKPOOL* pool = size == STRING_DEFAULT_BLOCK ? Pool() : nullptr;
  if (pool) {
    CRITICALSECTIONLOCK lock(pool->Lock);
    if (pool->Count < kPoolMax) {
      pool->Blocks[pool->Count++] = ptr;
      return;
    }
  }
  free(ptr);
}
}  // namespace

void StringPoolRelease() {
  BLOCKPOOL* pool = Pool();
  if (InterlockedExchange(&gPoolClosed, 1) || !pool) return;
  {
    CRITICALSECTIONLOCK lock(pool->Lock);
    for (int i = 0; i < pool->Count; i++) free(pool->Blocks[i]);
    pool->Count = 0;
  }
  delete pool;
}

int StringPoolCount() {
  BLOCKPOOL* pool = Pool();
  if (!pool) return 0;
  CRITICALSECTIONLOCK lock(pool->Lock);
  return pool->Count;
}

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
// Code-page bridge between 8-bit text and UTF-16. The code-page converter's tables serve the code pages
// it knows one character at a time and UTF-8 through its decoder and encoder; the system code page, code
// pages with lead bytes and code pages without a table go to the platform, whose converters see whole
// texts. What the platform cannot convert keeps each byte (or each unit's low byte) as it is.

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
// Small helpers shared by the operations below.

// The bytes of a NUL-terminated set; byte 0 is never a member.
namespace {
class BYTESET {
 public:
  explicit BYTESET(const char* set) {
    memset(In, 0, sizeof(In));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(set); *p; p++) In[*p] = true;
  }
  bool Has(char c) const { return In[static_cast<unsigned char>(c)] && c != 0; }

 private:
  bool In[256];
};

// Collects output bytes in a fixed chunk and appends them to a string in pieces.
class BYTESINK {
 public:
  explicit BYTESINK(STRING& out) : Out(out) { Out.EnsureBuffer(); }
  ~BYTESINK() { Flush(); }
  BYTESINK(const BYTESINK&) = delete;
  BYTESINK& operator=(const BYTESINK&) = delete;
  void Put(char c) {
    if (Used == static_cast<int>(sizeof(Chunk))) Flush();
    Chunk[Used++] = c;
  }
  void Put(const char* p, int n) {
    while (n-- > 0) Put(*p++);
  }
  void Flush() {
    if (Used > 0) Out.Append(Chunk, Used);
    Used = 0;
  }

 private:
  STRING& Out;
  char Chunk[4096];
  int Used = 0;
};

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

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char kHexDigits[] = "0123456789abcdef";

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
  Check(len != UNICODE_CPSYSTEM && len != UNICODE_CPFLAT, "len!=UNICODE_CPSYSTEM && len!=UNICODE_CPFLAT",
        __LINE__);
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

STRING::STRING(const wchar_t* text, int codepage) : STRING() { AssignWide(text, -1, codepage); }

STRING::STRING(const wchar_t* text, int length, int codepage) : STRING() {
  Check(length != UNICODE_CPSYSTEM && length != UNICODE_CPFLAT,
        "length!=UNICODE_CPSYSTEM && length!=UNICODE_CPFLAT", __LINE__);
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
    return Check(false, "buffer", __LINE__, info);
  }
  long long need = len + TerminatorSize();
  if (Buffer && BufLen >= need) return true;
  long long newsize = (need / BlockSize + 1) * BlockSize;
  if (newsize > INT_MAX) newsize = need;
  char* fresh = static_cast<char*>(BlockAlloc(static_cast<int>(newsize)));
  if (!Check(fresh != nullptr, "buffer", __LINE__)) return false;
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
    Check(BufLen >= len + TerminatorSize(), "this->BufLen>=(len+extra)", __LINE__);
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
  Check(rc >= 0 && rc < static_cast<int>(sizeof(buf)) - 1, "rc>=0 && rc<sizeof(buf)-1", __LINE__);
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
  if (!Check(newlength >= 0, "newlength>=0", __LINE__)) return *this;
  if (newlength < Length()) SetLen(newlength);
  return *this;
}

STRING& STRING::DeleteLeft(int howmany) { return Delete(howmany, 0); }

STRING& STRING::DeleteRight(int howmany) {
  if (!Check(howmany >= 0, "howmany>=0", __LINE__)) return *this;
  return SetLength(howmany >= Length() ? 0 : Length() - howmany);
}

STRING& STRING::Delete(int howmany, int pos) {
  if (!Check(howmany >= 0, "howmany>=0", __LINE__)) return *this;
  int len = Length();
  if (pos < 0 || pos >= len || howmany == 0) return *this;
  if (static_cast<long long>(pos) + howmany >= len) return SetLength(pos);
  memmove(Buffer + pos, Buffer + pos + howmany, static_cast<size_t>(len - pos - howmany));
  SetLen(len - howmany);
  return *this;
}

STRING& STRING::InsertChars(int howmany, int pos, char ch) {
  if (!Check(howmany >= 0, "howmany>=0", __LINE__)) return *this;
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
  if (!Check(text != Buffer, "text!=this->Buffer", __LINE__)) return *this;
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
  if (!Check(mode == 'L' || mode == 'R' || mode == 'B', "how=='L' || how=='R' || how=='B'", __LINE__))
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
// Encodings.

STRING STRING::ToHex() const {
  STRING hex;
  int len = Length();
  if (!hex.Grow(2LL * len)) return hex;
  for (int i = 0; i < len; i++) {
    unsigned char c = static_cast<unsigned char>(Buffer[i]);
    hex.Buffer[2 * i] = kHexDigits[c >> 4];
    hex.Buffer[2 * i + 1] = kHexDigits[c & 15];
  }
  hex.SetLen(2 * len);
  return hex;
}

// Each pair gives the value of its leading hex digits (a pair that starts with another character gives 0).
STRING STRING::FromHex() const {
  STRING bytes;
  int count = Length() / 2;
  if (!bytes.Grow(count)) return bytes;
  for (int i = 0; i < count; i++) {
    int high = HexValue(Buffer[2 * i]), low = HexValue(Buffer[2 * i + 1]);
    int value = high < 0 ? 0 : low < 0 ? high : high * 16 + low;
    bytes.Buffer[i] = static_cast<char>(value);
  }
  bytes.SetLen(count);
  return bytes;
}

static const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

STRING STRING::ToBase64(int linebreaks) const {
  STRING text;
  BYTESINK out(text);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(Buffer);
  int len = Length(), column = 0;
  for (int i = 0; i < len; i += 3) {
    int n = len - i < 3 ? len - i : 3;
    unsigned group = (p[i] << 16) | (n > 1 ? p[i + 1] << 8 : 0) | (n > 2 ? p[i + 2] : 0);
    for (int k = 0; k < 4; k++) out.Put(k <= n ? kBase64Alphabet[(group >> (18 - 6 * k)) & 63] : '=');
    column += 4;
    if (linebreaks && (column >= 76 || i + 3 >= len)) {
      out.Put("\r\n", 2);
      column = 0;
    }
  }
  return text;
}

STRING STRING::FromBase64() const {
  STRING bytes;
  BYTESINK out(bytes);
  unsigned bits = 0;
  int held = 0;
  for (int i = 0; i < Length() && Buffer[i] != '='; i++) {
    const char* at = Buffer[i] ? strchr(kBase64Alphabet, Buffer[i]) : nullptr;
    if (!at) continue;
    bits = ((bits << 6) | static_cast<unsigned>(at - kBase64Alphabet)) & 0xFFFF;
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.Put(static_cast<char>(bits >> held));
    }
  }
  return bytes;
}

// The two-character escape of a byte that has a name, else null.
static const char* NamedEscape(char c) {
  switch (c) {
    case '\\': return "\\\\";
    case '"': return "\\\"";
    case '\'': return "\\'";
    case '\0': return "\\0";
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case 26: return "\\z";
    default: return nullptr;
  }
}

STRING STRING::Escape(const char* extra) const {
  BYTESET special(extra ? extra : "");
  STRING text;
  BYTESINK out(text);
  for (int i = 0; i < Length(); i++) {
    char c = Buffer[i];
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u <= 0x7F && c != '\\' && !special.Has(c)) {
      out.Put(c);
    } else if (const char* named = NamedEscape(c)) {
      out.Put(named, 2);
    } else {
      const char hex[4] = {'\\', 'x', kHexDigits[u >> 4], kHexDigits[u & 15]};
      out.Put(hex, 4);
    }
  }
  return text;
}

// The byte an escape letter stands for, or -1 for a letter without meaning.
static int EscapedByte(char c) {
  switch (c) {
    case 'r': return '\r';
    case 't': return '\t';
    case 'n': return '\n';
    case 'z': return 26;
    case '0': return 0;
    case '"':
    case '\'':
    case '\\': return c;
    default: return -1;
  }
}

// Escapes never read past the text: a lone backslash at the end is kept (lenient) or dropped after the
// assertion "FALSE"; "\x" takes the hex digits that are there (up to two), and one without any digit is
// kept as text when lenient.
STRING STRING::Unescape(int lenient) const {
  STRING text;
  BYTESINK out(text);
  const char* p = Buffer;
  int len = Length();
  for (int i = 0; i < len; i++) {
    if (p[i] != '\\') {
      out.Put(p[i]);
      continue;
    }
    if (i + 1 >= len) {
      if (lenient)
        out.Put('\\');
      else
        Check(false, "FALSE", __LINE__, p);
      break;
    }
    char e = p[++i];
    int byte = EscapedByte(e);
    if (byte >= 0) {
      out.Put(static_cast<char>(byte));
    } else if (e == 'x') {
      int digits = 0, value = 0;
      for (; digits < 2 && i + 1 < len && HexValue(p[i + 1]) >= 0; digits++) value = value * 16 + HexValue(p[++i]);
      if (digits < 2) Check(false, digits == 0 ? "isxdigit(xdigit[0])" : "isxdigit(xdigit[1])", __LINE__, p);
      if (digits > 0)
        out.Put(static_cast<char>(value));
      else if (lenient)
        out.Put("\\x", 2);
    } else if (lenient) {
      out.Put('\\');
      out.Put(e);
    } else {
      Check(false, "FALSE", __LINE__, p);
      out.Put(e);
    }
  }
  return text;
}

// ---------------------------------------------------------------------------------------------------
// Whole-file buffer, read and written through the program's file streams.


bool STRING::Save(const char* filename, const char* mode) const {
  filename = NullGuard(filename, "BINARY::Save");
  logit("BINARY::Save %s\n", filename ? filename : "<NULL>");
  STREAM stream(filename, mode ? mode : "wb");
  FILE* file = stream.File;
  int written = 0;
  bool ok = false;
  if (file) {
    if (Length() > 0) written = static_cast<int>(fwrite(Buffer, 1, static_cast<size_t>(StrLen), file));
    ok = written == Length() && fflush(file) == 0;
    if (ok) ok = _commit(_fileno(file)) == 0;
    ok = stream.Close() && ok;
  }
  logit("BINARY::Save returns %p, %d bytes, %s\n", static_cast<void*>(file), written,
        ok ? "OK" : LastErrorText().c_str());
  return ok;
}

bool STRING::Load(const char* filename, const char* mode) {
  filename = NullGuard(filename, "BINARY::Load");
  int size = FileSize(filename);
  logit("BINARY::Load %s (%d bytes)\n", filename ? filename : "<NULL>", size);
  STREAM stream(filename, mode ? mode : "rb");
  FILE* file = stream.File;
  bool ok = false;
  if (file) {
    if (size > 0) {
      long long blocksize = (size + 65535LL) / 65536 * 65536;
      if (blocksize <= INT_MAX) BlockSize = static_cast<int>(blocksize);
    }
    ok = Make(0);
    char chunk[32768];
    size_t got = sizeof(chunk);
    while (ok && got == sizeof(chunk)) {
      got = fread(chunk, 1, sizeof(chunk), file);
      int before = Length();
      AppendBytes(chunk, static_cast<long long>(got));
      ok = Length() == before + static_cast<long long>(got);
    }
    ok = ok && !ferror(file);
  }
  logit("BINARY::Load returns %p, %d bytes, %s\n", static_cast<void*>(file), Length(),
        ok ? "OK" : LastErrorText().c_str());
  return ok;
}

// ---------------------------------------------------------------------------------------------------
// WSTRING.

WSTRING::WSTRING() { Text.Flags = STRINGFLAG_WIDE; }

WSTRING::WSTRING(const wchar_t* text, int length) : WSTRING() {
  if (text) Append(text, length);
}

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
  if (!Check(howmany >= 0, "howmany>=0", __LINE__)) return *this;
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
