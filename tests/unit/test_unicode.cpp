// Tests of the code-page converter: the Windows tables against the platform's converter and back, the
// fall-backs (box drawing, unknown pages, forbidden markers), UTF-8 decoding across calls and against invalid
// input, and the STRING/WSTRING conversions built on them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "assertreports.h"
#include "base/unicode.h"

namespace {

using Lines = std::vector<std::string>;

class UNICODETEST : public AssertReportsTest {
 protected:
  const UNICODE& U() { return UNICODE::Get(); }
};

std::wstring Units(const WSTRING& w) { return std::wstring(w.GetBuffer() ? w.GetBuffer() : L"", w.Length()); }
std::string Bytes(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

// Decodes `bytes` in one call and ends the decoding.
std::wstring Decoded(const std::string& bytes) {
  WSTRING out;
  UTF8STATE state = {};
  UNICODE::DecodeUTF8(bytes.data(), static_cast<int>(bytes.size()), out, state);
  UNICODE::FinishUTF8(out, state);
  return Units(out);
}

wchar_t PlatformUnit(UINT codepage, int byte) {
  char c = static_cast<char>(byte);
  wchar_t unit = 0;
  return MultiByteToWideChar(codepage, 0, &c, 1, &unit, 1) == 1 ? unit : 0xFFFF;
}

// Every byte of the Windows code pages that a language library can bring: the platform's unit, control
// bytes as themselves, undefined positions 0x7F; and each defined character converts back to its byte.
TEST_F(UNICODETEST, TablesFollowThePlatformAndRoundTrip) {
  // Each code page with its undefined positions.
  const std::pair<int, std::string> pages[] = {
      {1252, "\x81\x8D\x8F\x90\x9D"}, {1250, "\x81\x83\x88\x90\x98"}, {1251, "\x98"}, {1256, ""},
      {1253, "\x81\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xAA\xD2\xFF"},
      {1255, "\x81\x8A\x8C\x8D\x8E\x8F\x90\x9A\x9C\x9D\x9E\x9F\xCA\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xFB\xFC\xFF"},
  };
  for (const auto& page : pages) {
    for (int byte = 0; byte < 256; byte++) {
      SCOPED_TRACE(testing::Message() << "code page " << page.first << " byte " << std::hex << byte);
      wchar_t expected = byte < 0x20 || byte == 0x7F ? static_cast<wchar_t>(byte) : PlatformUnit(page.first, byte);
      if (page.second.find(static_cast<char>(byte)) != std::string::npos) expected = 0x7F;
      EXPECT_EQ(U().ToUnicode(static_cast<unsigned char>(byte), page.first), expected);
      if (byte > 0 && (expected != 0x7F || byte == 0x7F)) {
        EXPECT_EQ(U().FromUnicode(expected, page.first), byte);
      }
    }
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, FallBacksUnknownPagesAndForbiddenMarkers) {
  EXPECT_EQ(U().TableInfo(12345), nullptr);
  ASSERT_NE(U().TableInfo(949), nullptr);
  EXPECT_EQ(U().TableInfo(949)->MultiByte, 1) << "a Korean library's texts stay in code page 1252";
  for (int cp : {1252, 12345, UNICODE_CPSYSTEM, UNICODE_CPFLAT}) EXPECT_EQ(U().ToUnicode(0x41, cp), L'A');
  EXPECT_EQ(U().ToUnicode(0xE4, UNICODE_CPFLAT), 0x00E4);
  EXPECT_EQ(U().FromUnicode(0x20AC, UNICODE_CPFLAT), 0xAC);
  // Characters without a byte: box drawing by its ASCII look-alike, others by the platform.
  EXPECT_EQ(U().FromUnicode(0x2502, 1252), '|');
  EXPECT_EQ(U().FromUnicode(0x2569, 1250), '+');
  EXPECT_EQ(U().FromUnicode(0x0416, 1252), '?');
  EXPECT_TRUE(TakeReports().empty());

  EXPECT_EQ(U().ToUnicode(0x80, 12345), L'@');
  EXPECT_EQ(LastInfo(), "codepage :12345");
  EXPECT_EQ(U().ToUnicode(0x10, 12345), 0x10);  // control bytes come from the Windows-1252 table, unreported
  U().FromUnicode(0x41, UNICODE_CPUTF8);
  U().ConvertChar(0x41, UNICODE_CPFLAT, 1252);
  EXPECT_EQ(TakeReports(),
            Lines({"unicode: idx!=-1", "unicode: cp!=UNICODE_CPUTF8", "unicode: frompage!=UNICODE_CPFLAT"}));
}

TEST_F(UNICODETEST, Utf8ReplacesInvalidSequencesByteForByteAlsoWhenSplitAcrossCalls) {
  // Valid text, then: a cut sequence before ASCII and before another sequence, overlong forms of '/' in two
  // to four bytes, a surrogate, a value above U+10FFFF, the five and six byte forms, and a cut at the end.
  const std::string text = "K\xC3\xA4se \xE2\x82\xAC\xF0\x9F\x98\x80" "\xC3\x41\xE2\x82\xC3\xA4" "\xC0\xAF\xE0\x80\xAF"
                           "\xF0\x80\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80"
                           "\xFC\x84\x80\x80\x80\x80\xFF z\xE2\x82";
  const std::wstring whole = Decoded(text);
  EXPECT_EQ(whole, L"K\u00E4se \u20AC\xD83D\xDE00" L"\u00C3A\u00E2\u0082\u00E4" L"\u00C0\u00AF\u00E0\u0080\u00AF"
                   L"\u00F0\u0080\u0080\u00AF\u00ED\u00A0\u0080\u00F4\u0090\u0080\u0080\u00F8\u0088\u0080\u0080\u0080"
                   L"\u00FC\u0084\u0080\u0080\u0080\u0080\u00FF z\u00E2\u0082");
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
  const std::string edges("\x00\x41\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5\xF8\xFE\xFF",
                          22);
  std::vector<std::string> inputs;
  for (int a = 0; a < 256; a++) {
    inputs.push_back(std::string(1, static_cast<char>(a)));
    for (int b = 0; b < 256; b++) inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
  }
  for (char a : edges)
    for (char b : edges)
      for (char c : edges) {
        inputs.push_back({a, b, c});
        for (char d : edges) inputs.push_back({a, b, c, d});
      }
  auto ascii = [](const auto& text) {
    return std::count_if(text.begin(), text.end(), [](auto c) { return !(c & ~0x7F); });
  };
  int failures = 0;
  for (const std::string& input : inputs) {
    std::wstring units = Decoded(input);
    wchar_t strict[8];
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, input.data(), static_cast<int>(input.size()), strict, 8);
    // Invalid somewhere: ASCII units only from ASCII bytes.
    bool ok = n > 0 ? units == std::wstring(strict, n) : !units.empty() && ascii(input) == ascii(units);
    if (!ok && ++failures <= 5) ADD_FAILURE() << "input " << testing::PrintToString(input);
  }
  EXPECT_EQ(failures, 0);
}

TEST_F(UNICODETEST, StringConversionsUseTheTables) {
  EXPECT_EQ(Units(WSTRING("a\x80\x81", 1252)), L"a\u20AC\u007F");
  EXPECT_EQ(Bytes(STRING(L"\u0151\u20AC\u0416", 1250)), "\xF5\x80?");
  STRING recoded = STRING("Preis \x80", 1252).InCodePage(1251);
  EXPECT_EQ(Bytes(recoded), "Preis \x88");
  EXPECT_EQ(recoded.GetCodePage(), 1251);
  EXPECT_EQ(Units(WSTRING("x\xF0\x9F\x98\x80\xE2\x82", UNICODE_CPUTF8)), L"x\xD83D\xDE00\u00E2\u0082");
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, ShutdownReleasesAndTheNextUseRebuildsOnce) {
  UNICODE::Shutdown();
  UNICODE::Shutdown();
  std::vector<std::thread> threads;
  int results[4] = {};
  for (int& result : results) threads.emplace_back([&result] { result = UNICODE::Get().FromUnicode(0x20AC, 1252); });
  for (std::thread& thread : threads) thread.join();
  for (int result : results) EXPECT_EQ(result, 0x80);
  EXPECT_EQ(UNICODE::Get().GetReverseMapSize(), 9728);
}

}  // namespace
