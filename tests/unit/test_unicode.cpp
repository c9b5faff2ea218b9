// Tests of the code-page converter: the Windows tables there and back, the fall-backs (box drawing, unknown
// pages, forbidden markers), UTF-8 decoding across calls and against invalid input, and the STRING/WSTRING
// conversions built on them.
#include <gtest/gtest.h>

#include <string>
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

// Every defined byte of the Windows code pages that a language library can bring converts back to itself;
// undefined positions read 0x7F (pinned in the conversion test).
TEST_F(UNICODETEST, TablesRoundTrip) {
  for (int page : {1250, 1251, 1252, 1253, 1255, 1256}) {
    for (int byte = 1; byte < 256; byte++) {
      wchar_t unit = U().ToUnicode(static_cast<unsigned char>(byte), page);
      if (unit == 0x7F && byte != 0x7F) continue;
      EXPECT_EQ(U().FromUnicode(unit, page), byte) << page << " " << byte;
    }
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(UNICODETEST, FallBacksUnknownPagesAndForbiddenMarkers) {
  ASSERT_NE(U().TableInfo(949), nullptr);
  EXPECT_EQ(U().TableInfo(949)->MultiByte, 1) << "a Korean library's texts stay in code page 1252";
  for (int cp : {1252, 12345, UNICODE_CPSYSTEM, UNICODE_CPFLAT}) EXPECT_EQ(U().ToUnicode(0x41, cp), L'A');
  EXPECT_EQ(U().ToUnicode(0xE4, UNICODE_CPFLAT), 0x00E4);
  EXPECT_EQ(U().FromUnicode(0x20AC, UNICODE_CPFLAT), 0xAC);
  // Box drawing without a byte: its ASCII look-alike.
  EXPECT_EQ(U().FromUnicode(0x2502, 1252), '|');
  EXPECT_EQ(U().FromUnicode(0x2569, 1250), '+');
  EXPECT_TRUE(TakeReports().empty());

  EXPECT_EQ(U().ToUnicode(0x80, 12345), L'@');
  EXPECT_EQ(U().ToUnicode(0x10, 12345), 0x10);  // control bytes come from the Windows-1252 table, unreported
  U().FromUnicode(0x41, UNICODE_CPUTF8);
  EXPECT_EQ(TakeReports(), Lines({"unicode: idx!=-1", "unicode: cp!=UNICODE_CPUTF8"}));
}

// Texts are decoded whole: no caller splits one across calls.
TEST_F(UNICODETEST, Utf8ReplacesInvalidSequencesByteForByte) {
  // Valid text, then: a cut sequence before ASCII and before another sequence, an overlong form of '/', a
  // surrogate, a value above U+10FFFF, the five-byte form, a byte never in UTF-8, and a cut at the end.
  const std::string text = "K\xC3\xA4se \xE2\x82\xAC\xF0\x9F\x98\x80" "\xC3\x41\xE2\x82\xC3\xA4" "\xC0\xAF"
                           "\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80\xFF z\xE2\x82";
  EXPECT_EQ(Decoded(text), L"K\u00E4se \u20AC\xD83D\xDE00" L"\u00C3A\u00E2\u0082\u00E4" L"\u00C0\u00AF"
                   L"\u00ED\u00A0\u0080\u00F4\u0090\u0080\u0080\u00F8\u0088\u0080\u0080\u0080\u00FF z\u00E2\u0082");
}

TEST_F(UNICODETEST, Utf8DecoderStaysInsideItsInput) {
  WSTRING out;
  UTF8STATE state = {};
  EXPECT_EQ(UNICODE::DecodeUTF8("\xC3\xA4", 1, out, state), 0);  // the A4 behind the length is not read
  EXPECT_EQ(UNICODE::FinishUTF8(out, state), 1);
  EXPECT_EQ(Units(out), L"\u00C3");
  EXPECT_EQ(UNICODE::DecodeUTF8(nullptr, 5, out, state), 0);
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

TEST_F(UNICODETEST, ShutdownTwiceAndTheNextUseRebuilds) {
  UNICODE::Shutdown();
  UNICODE::Shutdown();
  EXPECT_EQ(UNICODE::Get().FromUnicode(0x20AC, 1252), 0x80);
}

}  // namespace
