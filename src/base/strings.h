// STRING, the program's one text type: a growable, NUL-terminated 8-bit byte string with a code-page tag,
// also used as a whole-file byte buffer; WSTRING is its UTF-16 companion in the same storage scheme.
// Comparisons ignore letter case, a null text reads as "<NULL>", and bad indexes are reported, never fatal.
#pragma once

#include <cstdarg>
#include <cstddef>

// Code-page markers for the CodePage field (the code-page converter shares them).
#define UNICODE_CPSYSTEM (-2)  // the current Windows ANSI code page
#define UNICODE_CPFLAT (-3)    // each byte is its own code point
#define UNICODE_CPUTF8 (-4)    // UTF-8

// Bits of the Flags field.
#define STRINGFLAG_BINARY 0x01     // the bytes are data, not text
#define STRINGFLAG_DYNABLOCK 0x02  // the growth unit follows the size (geometric growth)
#define STRINGFLAG_WIDE 0x10       // UTF-16 content with a two-byte terminator (WSTRING)

// Flags of GetToken: any bit of the low 16 returns the remainder from the field on.
#define STRINGTOKEN_REST 0x0001
#define STRINGTOKEN_ALLOCATED 0x10000  // the result always has a buffer, even when empty

// The default growth unit and the size of the pooled blocks.
#define STRING_DEFAULT_BLOCK 96
// The longest text a STRING takes; longer requests raise the assertion "buffer" and change nothing.
#define STRING_MAX_LENGTH 0x3FFFFFFF

class WSTRING;

// The growth unit for the block-size constructor: STRING s(STRINGBLOCK{65536}).
struct STRINGBLOCK {
  int Size;
};

// A text pointer that passes the null guard: unchanged when not null; for null, the environment variable
// NORBAFAILONNULL (read every time) selects the mode: bit 0 clear gives "<NULL>", bit 0 set returns null,
// and bit 1 too raises the assertion "p!=NULL" with `label` as its message.
const char* NullGuard(const char* p, const char* label);
const wchar_t* NullGuardW(const wchar_t* p, const char* label);
// The same for texts handed to the C run-time (comparisons, conversions): a null that the guard lets
// through reads as empty, so that such a call never sees a null pointer.
const char* NullGuardText(const char* p, const char* label);
const wchar_t* NullGuardTextW(const wchar_t* p, const char* label);

// Frees the held blocks of the 96-byte block pool and closes it: later blocks come from the heap.
// The frame calls it at sign-off.
void StringPoolRelease();
// Number of blocks the pool holds now (for diagnostics and tests).
int StringPoolCount();

class STRING {
 public:
  // Construction. Constructors that take a length reject the code-page markers as a length.
  STRING();                                         // empty, no buffer
  explicit STRING(STRINGBLOCK blocksize);           // empty, growth unit given (below 1: 96)
  STRING(const char* text, int codepage = 1252);    // copy of a NUL-terminated text; null gives empty
  STRING(const char* text, int len, int blocksize); // copy of len bytes (negative: up to the NUL)
  explicit STRING(int number);                      // decimal text, block size 16
  STRING(const wchar_t* text, int codepage);        // UTF-16 to 8-bit `codepage`
  STRING(const wchar_t* text, int length, int codepage);
  STRING(const WSTRING& text, int codepage);
  STRING(const STRING& other);
  STRING(STRING&& other) noexcept;
  ~STRING();
  STRING& operator=(const STRING& other);
  STRING& operator=(STRING&& other) noexcept;

  // Sizes the buffer for `len` bytes plus terminator. With `text` the content becomes its first `len`
  // bytes; without it the content is kept (bytes newly inside the length are zero). A negative `len` only
  // fixes the block size. Returns false, after the assertion "buffer", when no buffer of that size exists.
  bool Make(int len, const char* text = nullptr);
  void Free();
  void EnsureBuffer();

  // Access. The text pointer passes the null guard: an unallocated string reads as "<NULL>" (or null under
  // NORBAFAILONNULL). There is deliberately no implicit conversion to const char*: it would make indexing
  // and comparison with literals ambiguous. GetBuffer() is the raw buffer (null until allocated), writable
  // for BufferSize() bytes; fix the length with SetLength or Make after writing into it.
  const char* c_str() const;
  explicit operator const char*() const { return c_str(); }
  char* GetBuffer() { return Buffer; }
  const char* GetBuffer() const { return Buffer; }
  int Length() const { return Buffer ? StrLen : 0; }
  bool IsEmpty() const { return Length() < 1; }
  bool IsNotEmpty() const { return !IsEmpty(); }
  bool IsAllocated() const { return Buffer != nullptr; }
  int BufferSize() const { return BufLen; }
  int GetBlockSize() const { return BlockSize; }
  void SetBlockSize(int blocksize) { BlockSize = blocksize; }
  int GetFlags() const { return Flags; }
  void SetFlags(int flags);
  int GetCodePage() const { return CodePage; }
  void SetCodePage(int codepage) { CodePage = codepage; }
  // 0 <= i < length; otherwise an assertion report and a zeroed dummy byte.
  char& operator[](int i);
  char operator[](int i) const;
  // Insertion points: 0 <= i <= length.
  char& At(int i);
  char At(int i) const;
  int atoi() const;
  double atof() const;

  // Editing in place; each returns the string itself.
  STRING& Append(const char* text, int len = -1);
  STRING& Append(const STRING& other);
  STRING& AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
  STRING& Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
  STRING& SetLength(int newlength);
  STRING& DeleteLeft(int howmany);
  STRING& DeleteRight(int howmany);
  STRING& Delete(int howmany, int pos);
  STRING& InsertChars(int howmany, int pos, char ch);
  STRING& Insert(const char* text, int pos);
  STRING& Replace(const char* from, const char* to, int casesensitive);
  STRING& RemoveChars(const char* set);
  STRING& Trim(char how, const char* set);
  STRING& ToLower();
  STRING& ToUpper();

  // Searching and extracting.
  int Pos(const char* str, int start = 0) const;
  int iPos(const char* str, int start = 0) const;
  bool Find(const char* str, int* pos = nullptr, int start = 0) const;
  bool iFind(const char* str, int* pos = nullptr, int start = 0) const;
  STRING Mid(int start, int count = -1) const;
  STRING Left(int count) const;
  STRING Right(int count) const;
  STRING GetToken(int n, const char* separators, int flags = 0) const;
  int CountFields(const char* separators) const;

  // Comparison ignoring letter case. With `nullsallowed`, null/null is 0 and null against text 1;
  // without, both texts pass the null guard.
  static int stricmp(const char* p1, const char* p2, int nullsallowed);
  bool operator==(const char* text) const;
  bool operator==(const STRING& other) const { return *this == other.Buffer; }
  bool operator!=(const char* text) const { return !(*this == text); }
  bool operator!=(const STRING& other) const { return !(*this == other); }
  bool operator<(const char* text) const;
  bool operator<(const STRING& other) const { return *this < other.Buffer; }
  bool operator>(const char* text) const;
  bool operator>(const STRING& other) const { return *this > other.Buffer; }

  // The text converted (through UTF-16) to code page `codepage` and tagged with it; a plain copy, retagged,
  // when it is in that code page already or unallocated.
  STRING InCodePage(int codepage) const;

  // Encodings; each gives a new string with code page 1252.
  STRING ToHex() const;
  STRING FromHex() const;
  STRING ToBase64(int linebreaks) const;
  STRING FromBase64() const;
  // C-style escapes; bytes in `extra` (null: none) are escaped too.
  STRING Escape(const char* extra = nullptr) const;
  STRING Unescape(int lenient) const;

  // Whole-file buffer. `mode` is a C stream mode ("rb", "wb", or "r"/"w" for text mode).
  // Save is true when every byte reached the file; Load is true when the file was read without error.
  bool Save(const char* filename, const char* mode = "wb") const;
  bool Load(const char* filename, const char* mode = "rb");

 private:
  friend class WSTRING;
  int TerminatorSize() const { return (Flags & STRINGFLAG_WIDE) ? 2 : 1; }
  bool Grow(long long len);
  void AdaptBlockSize(int newsize);
  void SetLen(int len);
  void TakeBuffer(STRING& other);
  bool PointsInto(const char* p) const;
  STRING& AppendBytes(const char* text, long long len);
  STRING& FormatInto(bool append, const char* format, va_list args);
  char& BadIndex(int i, const char* condition, char& dummy) const;
  void AssignWide(const wchar_t* text, int length, int codepage);
  static STRING Join(const char* a, int alen, const char* b, int blen);
  friend STRING operator+(const STRING& a, const STRING& b);
  friend STRING operator+(const STRING& a, const char* b);
  friend STRING operator+(const char* a, const STRING& b);

  // The six fields, in this order (a hook library sees the text pointer first).
  char* Buffer;
  int StrLen;
  int BufLen;
  int BlockSize;
  int Flags;
  int CodePage;
};

// Concatenation: the first operand's bytes followed by the second's, code page 1252. A null text passes
// the null guard; an unallocated STRING contributes no bytes.
STRING operator+(const STRING& a, const STRING& b);
STRING operator+(const STRING& a, const char* b);
STRING operator+(const char* a, const STRING& b);
inline bool operator==(const char* a, const STRING& b) { return b == a; }
inline bool operator!=(const char* a, const STRING& b) { return b != a; }

// UTF-16 text in a STRING whose Flags carry STRINGFLAG_WIDE; lengths and indexes count code units.
class WSTRING {
 public:
  WSTRING();
  WSTRING(const wchar_t* text, int length = -1);  // -1: up to the terminator; null gives empty
  WSTRING(const char* text, int codepage);        // UNICODE_CPUTF8 decodes UTF-8
  explicit WSTRING(const STRING& text);           // converts with the string's own code page
  WSTRING(const WSTRING& other) = default;
  WSTRING& operator=(const WSTRING& other) = default;
  virtual ~WSTRING() = default;

  // The text pointer passes the wide null guard; GetBuffer() is the raw one (null until allocated).
  const wchar_t* c_str() const;
  const wchar_t* GetBuffer() const { return reinterpret_cast<const wchar_t*>(Text.Buffer); }
  int Length() const { return Text.Length() / 2; }
  bool IsEmpty() const { return Length() < 1; }
  wchar_t& operator[](int i);
  wchar_t operator[](int i) const;

  WSTRING& Append(wchar_t ch);
  WSTRING& Append(const wchar_t* text, int length = -1);
  WSTRING& DeleteLeft(int howmany);
  int Pos(const wchar_t* str, int start = 0) const;
  WSTRING& Replace(const wchar_t* from, const wchar_t* to);

  // Exact comparison of code units with the null rules of STRING::stricmp.
  static int wstricmp(const wchar_t* p1, const wchar_t* p2, int nullsallowed);

 private:
  friend class STRING;
  wchar_t* Units() { return reinterpret_cast<wchar_t*>(Text.Buffer); }
  const wchar_t* Units() const { return reinterpret_cast<const wchar_t*>(Text.Buffer); }
  wchar_t& BadIndex(int i, const char* condition, wchar_t& dummy) const;
  void AssignBytes(const char* text, int len, int codepage);

  STRING Text;
};
