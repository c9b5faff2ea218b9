// UNICODE: the converter's fifteen code-page tables and their reverse map, single-character conversion in
// both directions with the DOS/Windows-1252 and box-drawing fall-backs, and UTF-8 decoding and encoding.
#include "base/unicode.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/unicode_tables.h"

static const char kAssertUnit[] = "unicode";

#define ARRAYMAX(a) (sizeof(a) / sizeof((a)[0]))

namespace {

// The records of the tables, in table order; their byte values come from unicode_tables.cpp.
struct TABLERECORD {
  const char* Name;
  int CodePage;
  const char* IsoName;
  int GdiCharset;
  int CharsetId;
  int MultiByte;
};

const TABLERECORD kTableRecords[] = {
    {"Latin I", 1252, "8859-1", 0, 513, 0},
    {"DOS/OEM", 437, "0", 255, 1024, 0},
    {"Latin Central Europe", 1250, "8859-2", 238, 514, 0},
    {"Latin Cyrillic", 1251, "8859-5", 204, 517, 0},
    {"Latin Greek", 1253, "8859-7", 161, 519, 0},
    {"DOS Greek", 737, "0", 255, 1029, 0},
    {"DOS Russian", 866, "0", 255, 1051, 0},
    {"DOS Central European (Slavic)", 852, "0", 255, 1042, 0},
    {"MAC Roman", 999, "0", 0, 0, 0},
    {"KOI8R", 878, "0", 255, 2562, 0},
    {"Arabic", 1256, "8859-6", 178, 518, 0},
    {"Latin Hebrew", 1255, "8859-8", 177, 519, 0},
    {"DOS Latin1", 850, "0", 255, 1040, 0},
    {"DOS Korean", 949, "0", 255, 1058, 1},
    {"Latin Nordic", 28600, "8859-10", 186, 522, 0},
};
static_assert(ARRAYMAX(kTableRecords) == UNICODE_TABLECOUNT, "one record per generated table");

// UTF-16 values from here on are left out of the reverse map.
const int kReverseMapLimit = 9728;
const int kNoEntry = -1;

// DOS code pages to Windows-1252, bytes 0x80-0xFF (below 0x80 identity except the three symbols).
const unsigned char kDosTo1252[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x50, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0x2B, 0x2B, 0xA6, 0xA6, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,
    0x2B, 0x2D, 0x2D, 0x2B, 0x2D, 0x2B, 0xA6, 0xA6, 0x2B, 0x2B, 0x2D, 0x2D, 0xA6, 0x2D, 0x2B, 0x2D,
    0x2D, 0x2D, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0xA6, 0x5F, 0xA6, 0xA6, 0xAF,
    0x61, 0xDF, 0x47, 0x70, 0x53, 0x73, 0xB5, 0x74, 0x46, 0x54, 0x4F, 0x64, 0x38, 0x66, 0x65, 0x6E,
    0x3D, 0xB1, 0x3D, 0x3D, 0x28, 0x29, 0xF7, 0x98, 0xB0, 0xB7, 0xB7, 0x76, 0x6E, 0xB2, 0xA6, 0xA0,
};

// Windows-1252 to the DOS code pages, bytes 0x80-0xFF (below 0x80 identity).
const unsigned char k1252ToDos[128] = {
    0x5F, 0x5F, 0x2C, 0x9F, 0x2C, 0x2E, 0x2B, 0xD8, 0x5E, 0x25, 0x53, 0x3C, 0x4F, 0x5F, 0x5A, 0x5F,
    0x5F, 0x60, 0x27, 0x22, 0x22, 0x07, 0x2D, 0x2D, 0x7E, 0x54, 0x73, 0x3E, 0x6F, 0x5F, 0x7A, 0x59,
    0xFF, 0xAD, 0x9B, 0x9C, 0x0F, 0x9D, 0xDD, 0x15, 0x22, 0x63, 0xA6, 0xAE, 0xAA, 0x2D, 0x72, 0x5F,
    0xF8, 0xF1, 0xFD, 0x33, 0x27, 0xE6, 0x14, 0xFA, 0x2C, 0x31, 0xA7, 0xAF, 0xAC, 0xAB, 0x5F, 0xA8,
    0x41, 0x41, 0x41, 0x41, 0x8E, 0x8F, 0x92, 0x80, 0x45, 0x90, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49,
    0x44, 0xA5, 0x4F, 0x4F, 0x4F, 0x4F, 0x99, 0x78, 0x4F, 0x55, 0x55, 0x55, 0x9A, 0x59, 0x5F, 0xE1,
    0x85, 0xA0, 0x83, 0x61, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0x64, 0xA4, 0x95, 0xA2, 0x93, 0x6F, 0x94, 0xF6, 0x6F, 0x97, 0xA3, 0x96, 0x81, 0x79, 0x5F, 0x98,
};

// Box-drawing characters and the ASCII characters that stand in for them.
struct BOXCHAR {
  wchar_t Unit;
  char Ascii;
};

constexpr BOXCHAR kBoxChars[] = {
    {0x2500, '-'}, {0x2502, '|'}, {0x2550, '='}, {0x2551, '"'}, {0x250C, '+'}, {0x2514, '+'}, {0x2510, '+'},
    {0x2518, '+'}, {0x253C, '+'}, {0x252C, '+'}, {0x251C, '+'}, {0x2524, '+'}, {0x2534, '+'}, {0x2554, '+'},
    {0x255A, '+'}, {0x2557, '+'}, {0x255D, '+'}, {0x2566, '+'}, {0x2560, '+'}, {0x2563, '+'}, {0x2569, '+'},
};

constexpr wchar_t BoxBound(bool highest) {
  wchar_t bound = kBoxChars[0].Unit;
  for (const BOXCHAR& box : kBoxChars) {
    if (highest ? box.Unit > bound : box.Unit < bound) bound = box.Unit;
  }
  return bound;
}

constexpr wchar_t kBoxLowest = BoxBound(false);
constexpr wchar_t kBoxHighest = BoxBound(true);

// The ASCII stand-in of a box-drawing character, 0 when `unit` is none.
char BoxAscii(int unit) {
  if (unit < kBoxLowest || unit > kBoxHighest) return 0;
  for (const BOXCHAR& box : kBoxChars) {
    if (box.Unit == unit) return box.Ascii;
  }
  return 0;
}

bool IsDosPage(int cp) { return cp == 437 || cp == 737 || cp == 850 || cp == 852 || cp == 866 || cp == 878; }

unsigned char DosTo1252(int c) {
  if (c >= 0x80) return kDosTo1252[c - 0x80];
  switch (c) {
    case 0x0F:
      return 0xA4;
    case 0x14:
      return 0xB6;
    case 0x15:
      return 0xA7;
    default:
      return static_cast<unsigned char>(c);
  }
}

unsigned char Win1252ToDos(int c) { return c >= 0x80 ? k1252ToDos[c - 0x80] : static_cast<unsigned char>(c); }

// The platform's code page for a conversion towards `topage`: the ANSI code page for Windows-1252 and the
// system marker, the OEM code page for the DOS family, Windows' own number for Mac OS Roman.
UINT PlatformPage(int topage) {
  if (topage == 1000 || topage == 1252 || topage == UNICODE_CPSYSTEM) return CP_ACP;
  if (IsDosPage(topage)) return CP_OEMCP;
  if (topage == 999) return 10000;
  return static_cast<UINT>(topage);
}

// One UTF-16 unit to the first byte of its form in `topage`; '?' when the platform cannot convert.
unsigned char PlatformByte(wchar_t unit, int topage) {
  char bytes[8] = {};
  int n = WideCharToMultiByte(PlatformPage(topage), 0, &unit, 1, bytes, sizeof(bytes), nullptr, nullptr);
  return n >= 1 ? static_cast<unsigned char>(bytes[0]) : '?';
}

// ---------------------------------------------------------------------------------------------------
// UTF-8 decoding steps on a UTF8STATE.

void ClearState(UTF8STATE& state) { memset(&state, 0, sizeof(state)); }

// A state left by DecodeUTF8 (or zeroed); anything else is garbage to be cleared.
bool StateIsSane(const UTF8STATE& state) {
  if (state.Count == 0 || state.Expected == 0) return state.Count == 0 && state.Expected == 0;
  return state.Count + state.Expected <= 4;
}

// Continuation bytes a lead byte announces (1 to 3), 0 for a byte that starts no valid sequence.
int SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return 0;
}

// The first continuation byte narrows what some lead bytes may start: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool FirstContinuationFits(unsigned char lead, unsigned char next) {
  switch (lead) {
    case 0xE0:
      return next >= 0xA0;
    case 0xED:
      return next <= 0x9F;
    case 0xF0:
      return next >= 0x90;
    case 0xF4:
      return next <= 0x8F;
    default:
      return true;
  }
}

void AppendCodePoint(WSTRING& out, unsigned int value) {
  if (value <= 0xFFFF) {
    out.Append(static_cast<wchar_t>(value));
    return;
  }
  value -= 0x10000;
  out.Append(static_cast<wchar_t>(0xD800 | (value >> 10)));
  out.Append(static_cast<wchar_t>(0xDC00 | (value & 0x3FF)));
}

void FlushPending(WSTRING& out, UTF8STATE& state) {
  for (int i = 0; i < state.Count && i < static_cast<int>(sizeof(state.Pending)); i++) {
    out.Append(static_cast<wchar_t>(state.Pending[i]));
  }
  ClearState(state);
}

// Takes one byte inside a sequence; false when it does not continue it (the caller starts afresh).
bool ContinueSequence(unsigned char byte, WSTRING& out, UTF8STATE& state) {
  if ((byte & 0xC0) != 0x80) return false;
  if (state.Count == 1 && !FirstContinuationFits(state.Pending[0], byte)) return false;
  state.Pending[state.Count++] = byte;
  state.Value = (state.Value << 6) | (byte & 0x3F);
  if (--state.Expected == 0) {
    AppendCodePoint(out, state.Value);
    ClearState(state);
  }
  return true;
}

void StartSequence(unsigned char byte, WSTRING& out, UTF8STATE& state) {
  int more = byte < 0x80 ? 0 : SequenceLength(byte);
  if (more == 0) {
    out.Append(static_cast<wchar_t>(byte));
    return;
  }
  state.Pending[0] = byte;
  state.Count = 1;
  state.Expected = static_cast<unsigned char>(more);
  state.Value = byte & (0x3Fu >> more);
}

void DecodeByte(unsigned char byte, WSTRING& out, UTF8STATE& state) {
  if (state.Count > 0) {
    if (ContinueSequence(byte, out, state)) return;
    FlushPending(out, state);
  }
  StartSequence(byte, out, state);
}

// Appends the UTF-8 form of one code point.
void AppendUTF8(STRING& out, unsigned int value) {
  char bytes[4];
  int n;
  if (value < 0x80) {
    bytes[0] = static_cast<char>(value);
    n = 1;
  } else if (value < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (value >> 6));
    n = 2;
  } else if (value < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (value >> 12));
    n = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | (value >> 18));
    n = 4;
  }
  for (int i = 1; i < n; i++) bytes[i] = static_cast<char>(0x80 | ((value >> (6 * (n - 1 - i))) & 0x3F));
  out.Append(bytes, n);
}

bool IsHighSurrogate(unsigned int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// ---------------------------------------------------------------------------------------------------
// The instance lives in static storage: 0 none, 1 being made or destroyed, 2 ready. Every field is valid
// throughout, so a trace or assertion report that converts text on the thread that builds or destroys the
// instance gets it as it is instead of waiting for itself.

alignas(UNICODE) unsigned char gStorage[sizeof(UNICODE)];
volatile LONG gInstanceState = 0;
volatile DWORD gBuilderThread = 0;

}  // namespace

UNICODE& UNICODE::Get() {
  UNICODE* instance = reinterpret_cast<UNICODE*>(gStorage);
  for (;;) {
    LONG state = InterlockedCompareExchange(&gInstanceState, 1, 0);
    if (state == 2) return *instance;
    if (state == 0) {
      gBuilderThread = GetCurrentThreadId();
      new (gStorage) UNICODE();
      gBuilderThread = 0;
      InterlockedExchange(&gInstanceState, 2);
      return *instance;
    }
    if (gBuilderThread == GetCurrentThreadId()) return *instance;
    Sleep(0);  // another thread is making it
  }
}

void UNICODE::Shutdown() {
  if (InterlockedCompareExchange(&gInstanceState, 1, 2) != 2) return;
  gBuilderThread = GetCurrentThreadId();
  reinterpret_cast<UNICODE*>(gStorage)->~UNICODE();
  gBuilderThread = 0;
  InterlockedExchange(&gInstanceState, 0);
}

UNICODE::UNICODE() : Tables(), NumTables(0), ReverseSize(0) {
  memset(Entries, 0, sizeof(Entries));
  logit("UNICODE::UNICODE\n");
  logit("UNICODE::UNICODE init tables\n");
  for (const TABLERECORD& row : kTableRecords) {
    AddTable(row.Name, row.CodePage, row.IsoName, row.GdiCharset, row.CharsetId, row.MultiByte);
  }
  AssertCheck(NumTables <= static_cast<int>(ARRAYMAX(Tables)), "this->NumTables <= ARRAYMAX(this->Tables)",
              kAssertUnit, __LINE__);
  logit("UNICODE::UNICODE init done\n");
  BuildReverseMap();
  logit("UNICODE::UNICODE done\n");
}

UNICODE::~UNICODE() {
  logit("UNICODE::~UNICODE\n");
  ReverseSize = 0;
  ReverseMap.reset();
  logit("UNICODE::~UNICODE done\n");
}

void UNICODE::AddTable(const char* name, int cp, const char* iso, int gdicharset, int id, int multibyte) {
  int table = NumTables++;
  if (table >= static_cast<int>(ARRAYMAX(Tables)) || table >= UNICODE_TABLECOUNT) return;
  UNICODETABLE& record = Tables[table];
  snprintf(record.DisplayName, sizeof(record.DisplayName), "%s", name);
  record.CodePage = cp;
  snprintf(record.IsoName, sizeof(record.IsoName), "%s", iso);
  record.GdiCharset = gdicharset;
  record.CharsetId = id;
  record.MultiByte = multibyte;
  FillEntries(table, cp, kCodePageUpperHalf[table]);
}

void UNICODE::FillEntries(int table, int cp, const unsigned short* upperhalf) {
  for (int byte = 0; byte < 256; byte++) {
    UNICODEENTRY& entry = Entries[table][byte];
    entry.Byte = static_cast<unsigned short>(byte);
    entry.CodePage = static_cast<unsigned short>(cp);
    entry.Unit = byte < 0x80 ? static_cast<unsigned short>(byte) : upperhalf[byte - 0x80];
  }
}

void UNICODE::BuildReverseMap() {
  const int count = static_cast<int>(ARRAYMAX(Entries) * ARRAYMAX(Entries[0]));
  const UNICODEENTRY* entries = &Entries[0][0];
  int highest = 0;
  for (int i = 0; i < count; i++) {
    if (entries[i].CodePage != 0 && entries[i].Unit > highest) highest = entries[i].Unit;
  }
  int size = highest + 1 < kReverseMapLimit ? highest + 1 : kReverseMapLimit;
  ReverseMap.reset(new (std::nothrow) int[size]);
  if (!AssertCheck(ReverseMap != nullptr, "buffer", kAssertUnit, __LINE__)) return;
  ReverseSize = size;
  for (int unit = 0; unit < size; unit++) ReverseMap[unit] = kNoEntry;
  for (int i = 0; i < count; i++) {
    const UNICODEENTRY& entry = entries[i];
    if (entry.CodePage == 0 || entry.Unit == 0 || entry.Unit >= size) continue;
    if (ReverseMap[entry.Unit] == kNoEntry) ReverseMap[entry.Unit] = i;
  }
  for (int unit = 1; unit <= 254 && unit < size; unit++) {
    if (ReverseMap[unit] == kNoEntry) ReverseMap[unit] = unit;
  }
}

int UNICODE::TableIndex(int cp) const {
  if (cp == 1252) return 0;
  for (int i = 0; i < NumTables && i < static_cast<int>(ARRAYMAX(Tables)); i++) {
    if (Tables[i].CodePage == cp) return i;
  }
  return -1;
}

const UNICODETABLE* UNICODE::TableInfo(int cp) const {
  int idx = TableIndex(cp);
  return idx < 0 ? nullptr : &Tables[idx];
}

wchar_t UNICODE::ToUnicode(unsigned char byte, int cp) const {
  if (!AssertCheck(cp != UNICODE_CPUTF8, "cp!=UNICODE_CPUTF8", kAssertUnit, __LINE__)) return byte;
  if (cp == UNICODE_CPFLAT || (byte >= 32 && byte <= 127)) return byte;
  if (cp == UNICODE_CPSYSTEM) {
    wchar_t unit = 0;
    char c = static_cast<char>(byte);
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, &c, 1, &unit, 1) == 1 ? unit : L'@';
  }
  if (cp == 1000 || byte < 32) cp = 1252;
  int idx = TableIndex(cp);
  if (idx == -1) {
    char info[32];
    snprintf(info, sizeof(info), "codepage :%d", cp);
    AssertCheck(false, "idx!=-1", kAssertUnit, __LINE__, info);
    return L'@';
  }
  const UNICODEENTRY& entry = Entries[idx][byte];
  return entry.CodePage == 0 ? 127 : entry.Unit;
}

unsigned char UNICODE::FromUnicode(wchar_t wchar, int cp) const {
  if (!AssertCheck(cp != UNICODE_CPUTF8, "cp!=UNICODE_CPUTF8", kAssertUnit, __LINE__))
    return static_cast<unsigned char>(wchar < 128 ? wchar : '?');
  if (cp == UNICODE_CPFLAT) return static_cast<unsigned char>(wchar & 0xFF);
  if (wchar < 128) return static_cast<unsigned char>(wchar);
  if (cp == UNICODE_CPSYSTEM) return ConvertChar(wchar, 0, UNICODE_CPSYSTEM);
  if (wchar < ReverseSize) {
    int idx = ReverseMap[wchar];
    if (idx != kNoEntry) {
      const UNICODEENTRY& entry = Entries[idx / 256][idx % 256];
      if (entry.CodePage == cp) return static_cast<unsigned char>(entry.Byte);
    }
  }
  int table = TableIndex(cp);
  return table < 0 ? ConvertChar(wchar, 0, cp) : ScanTable(table, wchar, cp);
}

unsigned char UNICODE::ScanTable(int table, wchar_t wchar, int cp) const {
  for (int byte = 0; byte < 256; byte++) {
    const UNICODEENTRY& entry = Entries[table][byte];
    if (entry.CodePage == 0 || entry.Unit != wchar) continue;
    if (byte != 0 || !Tables[table].MultiByte) return static_cast<unsigned char>(byte);
    AssertCheck(false, "FALSE", kAssertUnit, __LINE__);
    break;
  }
  return ConvertChar(wchar, 0, cp);
}

unsigned char UNICODE::ConvertChar(int c, int frompage, int topage) const {
  AssertCheck(frompage != UNICODE_CPFLAT, "frompage!=UNICODE_CPFLAT", kAssertUnit, __LINE__);
  if (frompage != UNICODE_CPSYSTEM) {
    if (c >= 0 && c < 256) {
      if (IsDosPage(frompage) && topage == 1252) return DosTo1252(c);
      if (frompage == 1252) return IsDosPage(topage) ? Win1252ToDos(c) : static_cast<unsigned char>(c);
    }
    if (frompage != 0 && frompage != 1000) return static_cast<unsigned char>(c & 0xFF);
  }
  char ascii = BoxAscii(c);
  if (ascii) return static_cast<unsigned char>(ascii);
  if (c > 32 && c <= 0xFFFF) return PlatformByte(static_cast<wchar_t>(c), topage);
  return static_cast<unsigned char>(c & 0xFF);
}

int UNICODE::DecodeUTF8(const char* bytes, int len, WSTRING& out, UTF8STATE& state) {
  if (!StateIsSane(state)) ClearState(state);
  if (!bytes) return 0;
  if (len < 0) {
    size_t n = strlen(bytes);
    len = n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
  }
  int before = out.Length();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  for (int i = 0; i < len; i++) DecodeByte(p[i], out, state);
  return out.Length() - before;
}

int UNICODE::FinishUTF8(WSTRING& out, UTF8STATE& state) {
  int before = out.Length();
  if (StateIsSane(state)) FlushPending(out, state);
  ClearState(state);
  return out.Length() - before;
}

int UNICODE::EncodeUTF8(const wchar_t* units, int length, STRING& out) {
  if (!units) return 0;
  if (length < 0) {
    size_t n = wcslen(units);
    length = n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
  }
  int before = out.Length();
  for (int i = 0; i < length; i++) {
    unsigned int unit = static_cast<unsigned short>(units[i]);
    if (IsHighSurrogate(unit) && i + 1 < length &&
        IsLowSurrogate(static_cast<unsigned short>(units[i + 1]))) {
      unsigned int low = static_cast<unsigned short>(units[++i]);
      AppendUTF8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else {
      AppendUTF8(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? 0xFFFD : unit);
    }
  }
  return out.Length() - before;
}
