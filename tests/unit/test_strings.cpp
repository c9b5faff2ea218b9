// Tests of STRING and WSTRING at their edges: oversized requests and the pool, the null guard and bad indexes,
// editing with text from the string itself, searching, tokens and Replace, the buffer of Format, hex and
// Base64 input and escapes cut short.
#include "base/strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "assertreports.h"
#include "failonnull.h"

namespace {

using Lines = std::vector<std::string>;
class StringTest : public AssertReportsTest {};

std::string Bytes(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

// Requests beyond the largest size are refused without wrapping and change nothing.
TEST_F(StringTest, OversizedRequestsAreRefused) {
  STRING s("abc");
  EXPECT_FALSE(s.Make(STRING_MAX_LENGTH + 1));
  s.Append("x", INT_MAX);
  EXPECT_EQ(TakeReports(), Lines(2, "strings: buffer"));
  EXPECT_EQ(Bytes(s), "abc");
  EXPECT_EQ(s.BufferSize(), 96);
}

TEST_F(StringTest, NullGuardReadsTheEnvironmentEveryTimeAndNullTextsCompare) {
  EXPECT_EQ(Bytes(STRING("a").Append(static_cast<const char*>(nullptr))), "a<NULL>");
  EXPECT_STREQ(STRING().c_str(), "<NULL>");
  EXPECT_STREQ(WSTRING().c_str(), L"<NULL>");
  EXPECT_TRUE(TakeReports().empty());
  {
    FAILONNULL mode("3");
    EXPECT_EQ(Bytes(STRING("a").Append(static_cast<const char*>(nullptr))), "a");
    EXPECT_EQ(STRING().c_str(), nullptr);
    EXPECT_EQ(TakeReports(), Lines(2, "strings: p!=NULL"));
  }
  EXPECT_STREQ(NullGuard(nullptr, "after"), "<NULL>");
  EXPECT_EQ(STRING::stricmp(nullptr, nullptr, 1), 0);
  EXPECT_EQ(STRING::stricmp("a", nullptr, 1), 1);
  EXPECT_EQ(STRING::stricmp(nullptr, "<null>", 0), 0);
  STRING never(STRINGBLOCK{0});
  EXPECT_FALSE(never == "");
  EXPECT_TRUE(never == STRING());
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StringTest, BadIndexesGiveAZeroedDummy) {
  STRING s("abc");
  const STRING& view = s;
  EXPECT_EQ(s[3], 0);
  EXPECT_EQ(LastInfo(), "i= 3, len= 3, buf= abc");
  s[-1] = 'x';  // lands in the dummy, never before the text
  EXPECT_EQ(view[-1], 0);
  EXPECT_EQ(s.At(3), 0);  // the insertion point behind the text is fine
  EXPECT_EQ(TakeReports(), Lines(3, "strings: i>=0 && i<this->StrLen"));
  EXPECT_EQ(Bytes(s), "abc");
}

TEST_F(StringTest, EditingStopsAtTheEdgesAndSurvivesItsOwnText) {
  const STRING s("abcdef");
  EXPECT_EQ(Bytes(STRING(s).Insert("XY", 6)), "abcdefXY");
  EXPECT_EQ(Bytes(STRING(s).Insert("XY", 7)), "abcdef");
  EXPECT_EQ(Bytes(STRING(" x a x ").Trim('b', " x")), "a");
  STRING bad(s);
  bad.DeleteLeft(-1);
  EXPECT_EQ(TakeReports(), Lines{"strings: howmany>=0"});
  EXPECT_EQ(Bytes(bad), "abcdef");

  // Text from the string's own buffer is copied before the buffer moves.
  std::string long95(95, 'q');
  STRING grown(long95.c_str());
  grown.Append(grown.GetBuffer());
  EXPECT_EQ(Bytes(grown), long95 + long95);
  STRING u("abc");
  u.Format("%s+%s", u.c_str(), u.c_str());
  EXPECT_EQ(Bytes(u), "abc+abc");
}

TEST_F(StringTest, SearchingTokensAndReplace) {
  STRING s("abcabc");
  EXPECT_EQ(Bytes(s.Mid(4, 10)), "bc");
  EXPECT_TRUE(s.Mid(6, 1).IsAllocated());
  STRING t("a,,b");
  EXPECT_FALSE(t.GetToken(1, ",").IsAllocated());
  EXPECT_TRUE(t.GetToken(1, ",", STRINGTOKEN_ALLOCATED).IsAllocated());
  EXPECT_EQ(t.CountFields(","), 3);
  // Replace resumes behind each replacement, so a replacement that contains its pattern ends.
  EXPECT_EQ(Bytes(STRING("ab ab").Replace("ab", "abab", 1)), "abab abab");
  EXPECT_EQ(Bytes(STRING("xAbxab").Replace("ab", "-", 0)), "x-x-");
  EXPECT_EQ(Bytes(STRING("abc").Replace("", "x", 1)), "abc");
}

TEST_F(StringTest, FormatStaysInsideItsBufferAndConcatenationIsInCodePage1252) {
  STRING s("old", 850);
  s.Format("%s-%d", "a", 5).AppendFormat("[%s]", "b");
  EXPECT_EQ(Bytes(s), "a-5[b]");
  EXPECT_EQ(s.GetCodePage(), 1252);
  EXPECT_EQ(s.Format("%s", std::string(8190, 'f').c_str()).Length(), 8190);
  EXPECT_TRUE(TakeReports().empty());
  std::string huge(9000, 'h');
  s.Format("%s", huge.c_str());
  EXPECT_EQ(TakeReports(), Lines{"strings: rc>=0 && rc<sizeof(buf)-1"});
  EXPECT_LE(s.Length(), 8191);
  EXPECT_EQ(Bytes(s), huge.substr(0, s.Length()));
  STRING joined = "x" + STRING("y", 850) + "z";
  EXPECT_EQ(Bytes(joined), "xyz");
  EXPECT_EQ(joined.GetCodePage(), 1252);
}

// Escapes of every byte, bad ones included, go through the table files in the HASH tests.
TEST_F(StringTest, HexAndBase64InputAndEscapesCutShort) {
  EXPECT_EQ(Bytes(STRING("00ff4142a").FromHex()), std::string("\0\xff" "AB", 4));
  // Line breaks and blanks of a hand-edited value are skipped; the padding ends the data.
  EXPECT_EQ(Bytes(STRING(" Zm9v\r\nYg==Zm9v").FromBase64()), "foob");
  EXPECT_TRUE(TakeReports().empty());

  // Unescaping stops at the end of the text, never reading the old bytes behind the terminator.
  STRING tail("ab\\x41");
  tail.SetLength(3);
  EXPECT_EQ(Bytes(tail.Unescape(1)), "ab\\");
}

}  // namespace

// Runs last: after the release every size goes straight to the heap and strings keep working.
TEST(StringPoolEnd, ReleaseSendsLaterBlocksToTheHeap) {
  STRING held("kept");
  StringPoolRelease();
  EXPECT_EQ(StringPoolCount(), 0);
  STRING fresh("after");
  fresh.Append(held);
  held.Free();
  EXPECT_EQ(StringPoolCount(), 0);
  EXPECT_EQ(std::string(fresh.c_str()), "afterkept");
  StringPoolRelease();
}
