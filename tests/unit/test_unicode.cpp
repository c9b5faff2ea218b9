// Tests of the code-page converter: every table against the platform's converter or the standard's listing,
// the reverse direction and its fall-backs, the DOS/Windows-1252 and box-drawing translations, UTF-8 decoding
// across calls and against invalid input, and the STRING/WSTRING conversions built on them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "assertreports.h"
#include "base/unicode.h"

namespace {

class UNICODETEST : public AssertReportsTest {
 protected:
  const UNICODE& U() { return UNICODE::Get(); }
};

std::vector<int> HexBytes(const char* list) {
  std::vector<int> bytes;
  for (char* end = nullptr; *list; list = end) {
    bytes.push_back(static_cast<int>(strtol(list, &end, 16)));
    if (end == list) break;
  }
  return bytes;
}

std::wstring Units(const WSTRING& w) { return std::wstring(w.GetBuffer() ? w.GetBuffer() : L"", w.Length()); }

// Decodes `bytes` in one call and ends the decoding.
std::wstring Decoded(const std::string& bytes) {
  WSTRING out;
  UTF8STATE state = {};
  UNICODE::DecodeUTF8(bytes.data(), static_cast<int>(bytes.size()), out, state);
  UNICODE::FinishUTF8(out, state);
  return Units(out);
}

// A code page of the converter, the platform's number for it, the positions it leaves undefined and the
// positions where the standard the table follows differs from the platform's table.
struct PAGECASE {
  int CodePage;
  UINT Platform;
  const char* Undefined;
  std::map<int, wchar_t> Differences;
};

const std::vector<PAGECASE>& PlatformPages() {
  static const std::vector<PAGECASE> pages = {
      {1252, 1252, "81 8D 8F 90 9D", {}}, {1250, 1250, "81 83 88 90 98", {}}, {1251, 1251, "98", {}},
      {1253, 1253, "81 88 8A 8C 8D 8E 8F 90 98 9A 9C 9D 9E 9F AA D2 FF", {}},
      {1255, 1255, "81 8A 8C 8D 8E 8F 90 9A 9C 9D 9E 9F CA D9 DA DB DC DD DE DF FB FC FF", {}},
      {1256, 1256, "", {}}, {437, 437, "", {}}, {737, 737, "", {}}, {850, 850, "", {}}, {852, 852, "", {}},
      {866, 866, "", {}}, {878, 20866, "", {}},
      // Apple's table has the Greek capital omega where Windows has the ohm sign, and since Mac OS 8.5 the
      // euro sign where Windows keeps the currency sign.
      {999, 10000, "", {{0xBD, 0x03A9}, {0xDB, 0x20AC}}},
  };
  return pages;
}

wchar_t PlatformUnit(UINT codepage, int byte) {
  char c = static_cast<char>(byte);
  wchar_t unit = 0;
  return MultiByteToWideChar(codepage, 0, &c, 1, &unit, 1) == 1 ? unit : 0xFFFF;
}

TEST_F(UNICODETEST, TablesMatchThePlatformConverter) {
  for (const PAGECASE& page : PlatformPages()) {
    std::vector<int> undefined = HexBytes(page.Undefined);
    for (int byte = 0; byte < 256; byte++) {
      SCOPED_TRACE(testing::Message() << "code page " << page.CodePage << " byte " << std::hex << byte);
      wchar_t expected = PlatformUnit(page.Platform, byte);
      if (byte < 0x20 || byte == 0x7F) expected = static_cast<wchar_t>(byte);
      if (std::find(undefined.begin(), undefined.end(), byte) != undefined.end()) expected = 0x7F;
      auto difference = page.Differences.find(byte);
      if (difference != page.Differences.end()) expected = difference->second;
      EXPECT_EQ(U().ToUnicode(static_cast<unsigned char>(byte), page.CodePage), expected);
    }
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, NordicTableFollowsIso8859_10) {
  // The standard's listing: Latin-1 except these positions; 0x80-0x9F are the C1 controls.
  const std::map<int, wchar_t> nordic = {
      {0xA1, 0x0104}, {0xA2, 0x0112}, {0xA3, 0x0122}, {0xA4, 0x012A}, {0xA5, 0x0128}, {0xA6, 0x0136},
      {0xA8, 0x013B}, {0xA9, 0x0110}, {0xAA, 0x0160}, {0xAB, 0x0166}, {0xAC, 0x017D}, {0xAE, 0x016A},
      {0xAF, 0x014A}, {0xB1, 0x0105}, {0xB2, 0x0113}, {0xB3, 0x0123}, {0xB4, 0x012B}, {0xB5, 0x0129},
      {0xB6, 0x0137}, {0xB8, 0x013C}, {0xB9, 0x0111}, {0xBA, 0x0161}, {0xBB, 0x0167}, {0xBC, 0x017E},
      {0xBD, 0x2015}, {0xBE, 0x016B}, {0xBF, 0x014B}, {0xC0, 0x0100}, {0xC7, 0x012E}, {0xC8, 0x010C},
      {0xCA, 0x0118}, {0xCC, 0x0116}, {0xD1, 0x0145}, {0xD2, 0x014C}, {0xD7, 0x0168}, {0xD9, 0x0172},
      {0xE0, 0x0101}, {0xE7, 0x012F}, {0xE8, 0x010D}, {0xEA, 0x0119}, {0xEC, 0x0117}, {0xF1, 0x0146},
      {0xF2, 0x014D}, {0xF7, 0x0169}, {0xF9, 0x0173}, {0xFF, 0x0138},
  };
  for (int byte = 0; byte < 256; byte++) {
    auto listed = nordic.find(byte);
    wchar_t expected = listed != nordic.end() ? listed->second : static_cast<wchar_t>(byte);
    EXPECT_EQ(U().ToUnicode(static_cast<unsigned char>(byte), 28600), expected) << std::hex << byte;
  }
}

TEST_F(UNICODETEST, UnknownPagesHaveNoRecordAndKoreanLeadBytesHaveNoSingleUnit) {
  EXPECT_EQ(U().TableIndex(12345), -1);
  EXPECT_EQ(U().TableInfo(12345), nullptr);
  ASSERT_NE(U().TableInfo(949), nullptr);
  EXPECT_EQ(U().TableInfo(949)->MultiByte, 1);
  for (int byte = 0; byte < 256; byte++) {
    wchar_t expected = byte <= 0x80 || byte == 0xFF ? static_cast<wchar_t>(byte) : 0;
    EXPECT_EQ(U().ToUnicode(static_cast<unsigned char>(byte), 949), expected) << byte;
  }
}

TEST_F(UNICODETEST, EdgeCasesOfSingleCharacters) {
  EXPECT_EQ(U().ToUnicode(0x80, 1252), 0x20AC);
  EXPECT_EQ(U().ToUnicode(0x81, 1252), 0x007F);
  for (int cp : {1252, 437, 878, 949, 12345, UNICODE_CPSYSTEM, UNICODE_CPFLAT})
    EXPECT_EQ(U().ToUnicode(0x41, cp), L'A');
  EXPECT_EQ(U().ToUnicode(0x9A, 878), 0x00A0);
  EXPECT_EQ(U().ToUnicode(0x10, 866), 0x0010);
  EXPECT_EQ(U().ToUnicode(0x80, 1000), 0x20AC);
  EXPECT_EQ(U().ToUnicode(0xE4, UNICODE_CPFLAT), 0x00E4);
  EXPECT_EQ(U().FromUnicode(0x20AC, 1252), 0x80);
  EXPECT_EQ(U().FromUnicode(0x2502, 437), 0xB3);
  EXPECT_EQ(U().FromUnicode(0x2502, 1252), '|');
  EXPECT_EQ(U().FromUnicode(0x0416, 866), 0x86);  // first found in the Windows-1251 table
  EXPECT_EQ(U().FromUnicode(0x00E4, 850), 0x84);  // first found in the Windows-1252 table
  EXPECT_EQ(U().FromUnicode(0x20AC, UNICODE_CPFLAT), 0xAC);
  EXPECT_EQ(U().FromUnicode(0xF8FF, 999), 0xF0);  // above the reverse map: the table is still searched
  EXPECT_EQ(U().FromUnicode(0xFB02, 999), 0xDF);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, ForbiddenMarkersAndUnknownCodePagesAreReported) {
  EXPECT_EQ(U().ToUnicode(0x80, 12345), L'@');
  EXPECT_EQ(TakeReports(true), std::vector<std::string>{"unicode: idx!=-1 [codepage :12345]"});
  EXPECT_EQ(U().ToUnicode(0x10, 12345), 0x10);  // control bytes come from the Windows-1252 table, unreported
  U().ToUnicode(0x41, UNICODE_CPUTF8);
  U().FromUnicode(0x41, UNICODE_CPUTF8);
  U().ConvertChar(0x41, UNICODE_CPFLAT, 1252);
  EXPECT_EQ(TakeReports(), std::vector<std::string>({"unicode: cp!=UNICODE_CPUTF8", "unicode: cp!=UNICODE_CPUTF8",
                                                     "unicode: frompage!=UNICODE_CPFLAT"}));
}

TEST_F(UNICODETEST, EveryDefinedCharacterRoundTrips) {
  for (int cp : {1252, 437, 1250, 1251, 1253, 737, 866, 852, 999, 878, 1256, 1255, 850, 28600}) {
    for (int byte = 1; byte < 256; byte++) {
      wchar_t unit = U().ToUnicode(static_cast<unsigned char>(byte), cp);
      if (unit == 0x7F && byte != 0x7F) continue;
      EXPECT_EQ(U().FromUnicode(unit, cp), byte) << cp << " " << std::hex << byte;
    }
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, ConvertCharTranslatesDosAndBoxDrawing) {
  struct CASE {
    int C, From, To, Expected;
  } cases[] = {
      {0x81, 850, 1252, 0xFC},  {0x9E, 437, 1252, 0x50},   {0xB3, 866, 1252, 0xA6}, {0xFF, 878, 1252, 0xA0},
      {0x0F, 737, 1252, 0xA4},  {0x14, 852, 1252, 0xB6},   {0x15, 437, 1252, 0xA7}, {0x41, 437, 1252, 0x41},
      {0xFC, 1252, 850, 0x81},  {0x80, 1252, 437, 0x5F},   {0xA4, 1252, 866, 0x0F}, {0xE4, 1252, 1250, 0xE4},
      {0x81, 437, 1250, 0x81},  {0x2502, 850, 1252, 0x02}, {0x2502, 0, 1252, '|'},  {0x2551, 0, 437, '"'},
      {0x2500, 1000, 866, '-'}, {0x2550, 0, 1250, '='},    {0x2569, 0, 1252, '+'},  {0x250C, 0, 1252, '+'},
      {0x14, 0, 1252, 0x14},
  };
  for (const CASE& c : cases) {
    EXPECT_EQ(U().ConvertChar(c.C, c.From, c.To), c.Expected) << std::hex << c.C << " " << std::dec << c.From;
  }
}

TEST_F(UNICODETEST, Utf8DecodesValidAndReplacesInvalidSequencesByteForByte) {
  const struct {
    const char* Bytes;
    std::wstring Units;
  } cases[] = {
      {"\xC3\xA4", L"\u00E4"}, {"\xC3\x41", L"\u00C3A"}, {"\xE2\x82\xAC", L"\u20AC"}, {"\xEF\xBF\xBF", L"\uFFFF"},
      {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"}, {"\xF4\x8F\xBF\xBF", L"\xDBFF\xDFFF"},
      // overlong '/', surrogate, above U+10FFFF, five and six byte forms
      {"\xC0\xAF", L"\u00C0\u00AF"}, {"\xE0\x80\xAF", L"\u00E0\u0080\u00AF"},
      {"\xF0\x80\x80\xAF", L"\u00F0\u0080\u0080\u00AF"}, {"\xED\xA0\x80", L"\u00ED\u00A0\u0080"},
      {"\xF4\x90\x80\x80", L"\u00F4\u0090\u0080\u0080"}, {"\xF8\x88\x80\x80\x80", L"\u00F8\u0088\u0080\u0080\u0080"},
      {"\xFC\x84\x80\x80\x80\x80", L"\u00FC\u0084\u0080\u0080\u0080\u0080"},
      {"\xFE\xFF\x80\xBF", L"\u00FE\u00FF\u0080\u00BF"},
      {"\xE2\x82\xC3\xA4", L"\u00E2\u0082\u00E4"},  // a cut sequence does not swallow the next
      {"a\xE2\x82", L"a\u00E2\u0082"},              // cut short at the end
  };
  for (const auto& c : cases) EXPECT_EQ(Decoded(c.Bytes), c.Units) << c.Bytes;
}

TEST_F(UNICODETEST, Utf8DecodingSplitAtEveryByteBoundaryGivesTheSameUnits) {
  const std::string text =
      "K\xC3\xA4se \xE2\x82\xAC\xF0\x9F\x98\x80\xC3\x41\xE0\x80\xAF\xED\xA0\x80\xFF z\xE2\x82";
  const std::wstring whole = Decoded(text);
  for (size_t cut = 0; cut <= text.size(); cut++) {
    WSTRING out;
    UTF8STATE state = {};
    int first = UNICODE::DecodeUTF8(text.data(), static_cast<int>(cut), out, state);
    int second = UNICODE::DecodeUTF8(text.data() + cut, static_cast<int>(text.size() - cut), out, state);
    int last = UNICODE::FinishUTF8(out, state);
    EXPECT_EQ(Units(out), whole) << cut;
    EXPECT_EQ(first + second + last, out.Length());
  }
  WSTRING bytewise;
  UTF8STATE state = {};
  for (char c : text) UNICODE::DecodeUTF8(&c, 1, bytewise, state);
  UNICODE::FinishUTF8(bytewise, state);
  EXPECT_EQ(Units(bytewise), whole);
  // E2 82 in one call, AC in the next.
  WSTRING euro;
  UTF8STATE split = {};
  EXPECT_EQ(UNICODE::DecodeUTF8("\xE2\x82", -1, euro, split), 0);
  EXPECT_EQ(UNICODE::DecodeUTF8("\xAC", -1, euro, split), 1);
  EXPECT_EQ(Units(euro), L"\u20AC");
}

TEST_F(UNICODETEST, Utf8DecoderStaysInsideItsInputAndState) {
  WSTRING out;
  UTF8STATE state = {};
  EXPECT_EQ(UNICODE::DecodeUTF8("\xC3\xA4", 1, out, state), 0);  // the A4 behind the length is not read
  EXPECT_EQ(UNICODE::FinishUTF8(out, state), 1);
  EXPECT_EQ(Units(out), L"\u00C3");
  UTF8STATE garbage;
  memset(&garbage, 0xEE, sizeof(garbage));
  WSTRING fresh;
  EXPECT_EQ(UNICODE::DecodeUTF8("A", -1, fresh, garbage), 1);
  EXPECT_EQ(Units(fresh), L"A");
  EXPECT_EQ(UNICODE::DecodeUTF8(nullptr, 5, fresh, state), 0);
}

// Every input of one or two bytes, and of three or four bytes from the boundary values: valid UTF-8 decodes
// as the platform's strict decoder does; anything else yields one unit per byte with the byte's value.
TEST_F(UNICODETEST, Utf8DecoderAgreesWithThePlatformOnValidInputAndNeverInventsCharacters) {
  const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                                 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};
  std::vector<std::string> inputs;
  for (int a = 0; a < 256; a++) {
    inputs.push_back(std::string(1, static_cast<char>(a)));
    for (int b = 0; b < 256; b++) inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
  }
  for (unsigned char a : edges) {
    for (unsigned char b : edges) {
      for (unsigned char c : edges) {
        inputs.push_back({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
        for (unsigned char d : edges) {
          inputs.push_back(
              {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)});
        }
      }
    }
  }
  int failures = 0;
  for (const std::string& input : inputs) {
    std::wstring units = Decoded(input);
    wchar_t strict[8];
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, input.data(), static_cast<int>(input.size()),
                                strict, 8);
    bool ok = n > 0 ? units == std::wstring(strict, n) : units.size() >= 1;
    if (n <= 0) {
      // Invalid somewhere: still one unit at least, and ASCII units only from ASCII bytes.
      size_t ascii = 0;
      for (char c : input) ascii += static_cast<unsigned char>(c) < 0x80;
      size_t unitascii = 0;
      for (wchar_t u : units) unitascii += u < 0x80;
      ok = ok && ascii == unitascii;
    }
    if (!ok && ++failures <= 5) ADD_FAILURE() << "input " << testing::PrintToString(input);
  }
  EXPECT_EQ(failures, 0);
}

TEST_F(UNICODETEST, Utf8EncodingRoundTripsEveryCharacter) {
  std::wstring all;
  for (int unit = 1; unit <= 0xFFFF; unit++) {
    if (unit < 0xD800 || unit > 0xDFFF) all += static_cast<wchar_t>(unit);
  }
  all += L"\xD83D\xDE00\xDBFF\xDFFF";
  STRING bytes;
  UNICODE::EncodeUTF8(all.c_str(), static_cast<int>(all.size()), bytes);
  int wide =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.GetBuffer(), bytes.Length(), nullptr, 0);
  EXPECT_EQ(wide, static_cast<int>(all.size()));
  EXPECT_EQ(Decoded(std::string(bytes.GetBuffer(), bytes.Length())), all);
  STRING lone;
  EXPECT_EQ(UNICODE::EncodeUTF8(L"\xD800x\xDC00", -1, lone), 7);
  EXPECT_EQ(std::string(lone.GetBuffer(), lone.Length()), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST_F(UNICODETEST, StringConversionsUseTheTables) {
  EXPECT_EQ(Units(WSTRING("a\x80\x81", 1252)), L"a\u20AC\u007F");
  EXPECT_EQ(Units(WSTRING("\x9A", 878)), L"\u00A0");
  EXPECT_EQ(Units(WSTRING(STRING("\x86\xB3", 866))), L"\u0416\u2502");
  EXPECT_EQ(Units(WSTRING("\xDB", 999)), L"\u20AC");
  STRING dos(L"\u0416\u2502\u20AC", 866);
  EXPECT_EQ(std::string(dos.GetBuffer(), dos.Length()), "\x86\xB3?");
  STRING nordic(L"\u0138\u2015", 28600);
  EXPECT_EQ(std::string(nordic.GetBuffer(), nordic.Length()), "\xFF\xBD");
  STRING recoded = STRING("K\xE4se \xF5", 1252).InCodePage(850);
  EXPECT_EQ(std::string(recoded.GetBuffer(), recoded.Length()), "K\x84se \xE4");
  EXPECT_EQ(recoded.GetCodePage(), 850);
  EXPECT_EQ(Units(WSTRING("\xB0\xA1", 949)), L"\uAC00");  // lead bytes: the platform sees the whole text
  EXPECT_EQ(Units(WSTRING("x\xF0\x9F\x98\x80\xE2\x82", UNICODE_CPUTF8)), L"x\xD83D\xDE00\u00E2\u0082");
  STRING utf8(L"x\xD83D\xDE00", UNICODE_CPUTF8);
  EXPECT_EQ(std::string(utf8.GetBuffer(), utf8.Length()), "x\xF0\x9F\x98\x80");
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, ShutdownReleasesAndTheNextUseRebuildsOnce) {
  UNICODE::Shutdown();
  UNICODE::Shutdown();
  std::vector<std::thread> threads;
  int results[4] = {};
  for (int& result : results)
    threads.emplace_back([&result] { result = UNICODE::Get().FromUnicode(0x20AC, 1252); });
  for (std::thread& thread : threads) thread.join();
  for (int result : results) EXPECT_EQ(result, 0x80);
  EXPECT_EQ(UNICODE::Get().GetReverseMapSize(), 9728);
}

}  // namespace
