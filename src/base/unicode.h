// UNICODE, the process-wide code-page converter: single characters between the program's 8-bit code pages
// and UTF-16 through its own fifteen tables (the platform only for what they lack), and a UTF-8 decoder
// that carries an unfinished sequence from one call to the next.
#pragma once

#include <memory>

#include "base/strings.h"

// One character-table entry: a byte of one code page and its UTF-16 value (CodePage 0: not set).
struct UNICODEENTRY {
  unsigned short Byte;
  unsigned short CodePage;
  unsigned short Unit;
};

// What the converter knows about one of its code pages.
class UNICODETABLE {
 public:
  virtual ~UNICODETABLE() = default;

  char DisplayName[64];  // "Latin I", "DOS/OEM", ...
  int CodePage;          // 1252, 437, ...; 999 is Mac OS Roman, 878 KOI8-R, 28600 ISO 8859-10
  char IsoName[16];      // "8859-1", or "0" when there is none
  int GdiCharset;        // Windows GDI character-set id
  int CharsetId;         // numeric character-set id, carried for callers that file texts by it
  int MultiByte;         // 1 for a code page with lead bytes (the table knows only the single bytes)
};

// The state of a UTF-8 decoding between two calls of DecodeUTF8: all zero for a fresh start.
struct UTF8STATE {
  unsigned int Value;        // payload bits gathered so far
  unsigned char Pending[5];  // the raw bytes of the unfinished sequence
  unsigned char Count;       // how many of them
  unsigned char Expected;    // continuation bytes still to come
  unsigned char Reserved[5];
};

class UNICODE {
 public:
  // The process-wide instance, made on first use; Shutdown destroys it at process exit (a later Get makes
  // a new one).
  static UNICODE& Get();
  static void Shutdown();

  // Index of the table of `cp` (0 for 1252), -1 when there is none; the record, or null.
  int TableIndex(int cp) const;
  const UNICODETABLE* TableInfo(int cp) const;

  // One byte of code page `cp` (or a marker other than UNICODE_CPUTF8) to one UTF-16 unit.
  wchar_t ToUnicode(unsigned char byte, int cp) const;
  // One UTF-16 unit to one byte of code page `cp`; characters the tables lack go through ConvertChar.
  unsigned char FromUnicode(wchar_t wchar, int cp) const;
  // The fall-back: DOS family and Windows-1252 translated into each other by table, box-drawing characters
  // by their ASCII look-alikes, anything else by the platform. `frompage` 0 means `c` is a UTF-16 unit.
  unsigned char ConvertChar(int c, int frompage, int topage) const;

  // Appends the UTF-16 units of `len` bytes of UTF-8 (-1: up to the terminator) to `out` and returns how
  // many were appended. A sequence the input ends inside waits in `state` for the next call. Bytes that
  // form no valid sequence (stray continuation bytes, overlong forms, surrogates, values above U+10FFFF,
  // 0xC0, 0xC1, 0xF5-0xFF, a sequence cut short) are appended one unit per byte with the byte's own value;
  // characters above U+FFFF become surrogate pairs.
  static int DecodeUTF8(const char* bytes, int len, WSTRING& out, UTF8STATE& state);
  // Ends a decoding: the bytes of a sequence still waiting in `state` are appended one unit per byte, and
  // the state is cleared. Returns the number of units appended.
  static int FinishUTF8(WSTRING& out, UTF8STATE& state);
  // Appends `length` UTF-16 units as UTF-8 (-1: up to the terminator); a surrogate without its partner
  // becomes U+FFFD. Returns the number of bytes appended.
  static int EncodeUTF8(const wchar_t* units, int length, STRING& out);

  int GetNumTables() const { return NumTables; }
  int GetReverseMapSize() const { return ReverseSize; }

 private:
  UNICODE();
  ~UNICODE();
  UNICODE(const UNICODE&) = delete;
  UNICODE& operator=(const UNICODE&) = delete;

  void AddTable(const char* name, int cp, const char* iso, int gdicharset, int id, int multibyte);
  void FillEntries(int table, int cp, const unsigned short* upperhalf);
  void BuildReverseMap();
  unsigned char ScanTable(int table, wchar_t wchar, int cp) const;

  UNICODETABLE Tables[16];
  int NumTables;
  int ReverseSize;
  std::unique_ptr<int[]> ReverseMap;  // entry index (table * 256 + byte) per UTF-16 value, -1 for none
  UNICODEENTRY Entries[16][256];
};
