// Tests of STRING and WSTRING: sizing and the block pool, the null guard and index checks, editing,
// searching, tokens, comparison, formatting, the hex/Base64/escape encodings and the whole-file buffer.
#include "base/strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "assertreports.h"
#include "failonnull.h"
#include "scratchdir.h"

namespace {

std::string Bytes(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

STRING AllBytes() {
  STRING all;
  for (int i = 0; i < 256; i++) {
    char c = static_cast<char>(i);
    all.Append(&c, 1);
  }
  return all;
}

// Keeps every assertion report of a test, so that a test can count them by condition as it goes on.
class StringTest : public AssertReportsTest {
 protected:
  // The number of reports so far with that condition from the unit "strings".
  int Raised(const std::string& condition) {
    int n = 0;
    for (const std::string& line : Seen()) n += line.rfind("strings: " + condition + " [", 0) == 0;
    return n;
  }
  int ReportCount() { return static_cast<int>(Seen().size()); }
  std::string LastInfo() {
    if (Seen().empty()) return "";
    const std::string& line = Seen().back();
    size_t open = line.find(" [");
    return line.substr(open + 2, line.size() - open - 3);
  }
  const std::vector<std::string>& Seen() {
    for (const std::string& line : TakeReports(true)) seen_.push_back(line);
    return seen_;
  }
  std::vector<std::string> seen_;
};

TEST_F(StringTest, SizingLeavesRoomForTheTerminatorAndLargeTextsGrowInDynamicBlocks) {
  EXPECT_EQ(STRING(std::string(95, 'a').c_str()).BufferSize(), 192);
  EXPECT_EQ(STRING(std::string(94, 'a').c_str()).BufferSize(), 96);
  EXPECT_FALSE(STRING(STRINGBLOCK{0}).IsAllocated());

  // Growing byte by byte to ten megabytes finishes: the blocks grow with the text.
  const int total = 10 * 1024 * 1024;
  STRING s;
  for (int i = 0; i < total; i++) {
    char c = static_cast<char>('a' + i % 26);
    s.Append(&c, 1);
  }
  ASSERT_EQ(s.Length(), total);
  EXPECT_EQ(s[total - 1], static_cast<char>('a' + (total - 1) % 26));
  EXPECT_TRUE(s.GetFlags() & STRINGFLAG_DYNABLOCK);
  EXPECT_EQ(s.GetBlockSize(), 0x200000);
  EXPECT_EQ(ReportCount(), 0);
}

TEST_F(StringTest, OversizedRequestsAreRefusedWithoutWrapping) {
  STRING s("abc");
  int size = s.BufferSize();
  EXPECT_FALSE(s.Make(STRING_MAX_LENGTH + 1));
  EXPECT_FALSE(s.Make(INT_MAX));
  s.Append("x", INT_MAX);
  s.InsertChars(INT_MAX, 0, 'x');
  EXPECT_EQ(Raised("buffer"), 4);
  EXPECT_EQ(Bytes(s), "abc");
  EXPECT_EQ(s.BufferSize(), size);
}

TEST_F(StringTest, PoolRecyclesBlocksAndServesTwoThreads) {
  STRING first("x");
  const char* block = first.GetBuffer();
  first.Free();
  STRING second("y");
  EXPECT_EQ(second.GetBuffer(), block);

  auto churn = [] {
    for (int i = 0; i < 5000; i++) {
      std::vector<STRING> held(1 + i % 200, STRING("pooled"));
      held.back().Append(" text");
    }
  };
  std::thread a(churn), b(churn);
  a.join();
  b.join();
  EXPECT_GT(StringPoolCount(), 0);
  EXPECT_LE(StringPoolCount(), 127);
}

TEST_F(StringTest, NullGuardReadsTheEnvironmentEveryTime) {
  STRING s("a");
  s.Append(static_cast<const char*>(nullptr));
  EXPECT_EQ(Bytes(s), "a<NULL>");
  EXPECT_STREQ(STRING().c_str(), "<NULL>");
  EXPECT_EQ(ReportCount(), 0);
  {
    FAILONNULL mode("3");
    STRING t("a");
    t.Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(Bytes(t), "a");
    EXPECT_EQ(Raised("p!=NULL"), 1);
    EXPECT_EQ(LastInfo(), "STRING::Append op1");
    EXPECT_EQ(Bytes(t + static_cast<const char*>(nullptr)), "a");
    EXPECT_EQ(LastInfo(), "STR::op2||");
    EXPECT_EQ(STRING().c_str(), nullptr);
    NullGuard(nullptr, nullptr);
    EXPECT_EQ(LastInfo(), "<none>");
  }
  {
    FAILONNULL mode("1");
    TakeReports();
    seen_.clear();
    EXPECT_EQ(NullGuard(nullptr, "quiet"), nullptr);
    EXPECT_EQ(STRING::stricmp(nullptr, "x", 0), 1);
    EXPECT_EQ(ReportCount(), 0);
  }
  EXPECT_STREQ(NullGuard(nullptr, "after"), "<NULL>");
}

TEST_F(StringTest, BadIndexesGiveAZeroedDummy) {
  STRING s("abc");
  const STRING& view = s;
  EXPECT_EQ(s[3], 0);
  EXPECT_EQ(LastInfo(), "i= 3, len= 3, buf= abc");
  s[-1] = 'x';
  EXPECT_EQ(s[5], 0);
  EXPECT_EQ(view[7], 0);
  EXPECT_EQ(Raised("i>=0 && i<this->StrLen"), 4);
  EXPECT_EQ(s.At(3), 0);
  EXPECT_EQ(Raised("i>=0 && i<=this->StrLen"), 0);
  EXPECT_EQ(view.At(4), 0);
  EXPECT_EQ(STRING().At(0), 0);
  EXPECT_EQ(Raised("i>=0 && i<=this->StrLen"), 2);
  EXPECT_EQ(Bytes(s), "abc");
}

TEST_F(StringTest, CopiesAreDeepAndKeepTheUnallocatedState) {
  STRING source("Text", 850);
  source.SetBlockSize(500);
  STRING copy(source);
  copy[0] = 't';
  EXPECT_EQ(Bytes(source), "Text");
  EXPECT_EQ(copy.GetCodePage(), 850);
  EXPECT_EQ(copy.GetBlockSize(), 500);
  EXPECT_FALSE(STRING(STRING()).IsAllocated());
  copy = STRING();
  EXPECT_FALSE(copy.IsAllocated());
  source = source;
  EXPECT_EQ(Bytes(source), "Text");
  EXPECT_EQ(Bytes(STRING("abcdef", 3, 0)), "abc");
  STRING("abc", UNICODE_CPFLAT, 0);
  STRING(L"abc", UNICODE_CPSYSTEM, 1252);
  EXPECT_EQ(Raised("len!=UNICODE_CPSYSTEM && len!=UNICODE_CPFLAT"), 1);
  EXPECT_EQ(Raised("length!=UNICODE_CPSYSTEM && length!=UNICODE_CPFLAT"), 1);
}

TEST_F(StringTest, ComparisonsIgnoreCaseAndFollowTheNullRules) {
  EXPECT_TRUE(STRING("abc") == "ABC");
  EXPECT_TRUE("ABC" == STRING("abc"));
  EXPECT_TRUE(STRING("abc") != "abd");
  EXPECT_EQ(STRING::stricmp(nullptr, nullptr, 1), 0);
  EXPECT_EQ(STRING::stricmp(nullptr, "a", 1), 1);
  EXPECT_EQ(STRING::stricmp("a", nullptr, 1), 1);
  EXPECT_EQ(STRING::stricmp(nullptr, "<null>", 0), 0);
  EXPECT_EQ(Raised("p!=NULL"), 0);

  STRING never(STRINGBLOCK{0});
  EXPECT_FALSE(never == "");
  EXPECT_TRUE(never == static_cast<const char*>(nullptr));
  EXPECT_TRUE(never == STRING());
  EXPECT_TRUE(STRING("") == "");
  EXPECT_TRUE(never < "A");  // read as "<NULL>"
  EXPECT_TRUE(STRING("b") > "A");
  EXPECT_TRUE(STRING("a") < STRING("B"));
}

TEST_F(StringTest, EditingInPlace) {
  STRING s("abcdef");
  EXPECT_EQ(Bytes(STRING(s).Delete(2, 1)), "adef");
  EXPECT_EQ(Bytes(STRING(s).Delete(10, 4)), "abcd");
  EXPECT_EQ(Bytes(STRING(s).Delete(1, 6)), "abcdef");
  EXPECT_EQ(Bytes(STRING(s).DeleteLeft(2)), "cdef");
  EXPECT_EQ(Bytes(STRING(s).DeleteLeft(9)), "");
  EXPECT_EQ(Bytes(STRING(s).DeleteRight(2)), "abcd");
  EXPECT_EQ(Bytes(STRING(s).InsertChars(2, 1, '-')), "a--bcdef");
  EXPECT_EQ(Bytes(STRING(s).InsertChars(2, 6, '-')), "abcdef");
  EXPECT_EQ(Bytes(STRING(s).Insert("XY", 0)), "XYabcdef");
  EXPECT_EQ(Bytes(STRING(s).Insert("XY", 6)), "abcdefXY");
  EXPECT_EQ(Bytes(STRING(s).Insert("XY", 7)), "abcdef");
  EXPECT_EQ(Bytes(STRING(s).SetLength(3)), "abc");
  EXPECT_EQ(Bytes(STRING(s).SetLength(30)), "abcdef");
  EXPECT_EQ(ReportCount(), 0);

  s.Insert(s.GetBuffer(), 2);
  s.DeleteLeft(-1);
  s.SetLength(-1);
  EXPECT_EQ(Raised("text!=this->Buffer"), 1);
  EXPECT_EQ(Raised("howmany>=0"), 1);
  EXPECT_EQ(Raised("newlength>=0"), 1);
  EXPECT_EQ(Bytes(s), "abcdef");
}

TEST_F(StringTest, TextFromTheStringItselfSurvivesRegrowth) {
  std::string long95(95, 'q');
  STRING s(long95.c_str());
  s.Append(s.GetBuffer());
  EXPECT_EQ(Bytes(s), long95 + long95);
  STRING t(long95.c_str());
  t.Insert(t.GetBuffer() + 1, 0);
  EXPECT_EQ(t.Length(), 95 + 94);
  STRING u("abc");
  u.Append(u);
  u.Format("%s+%s", u.c_str(), u.c_str());
  EXPECT_EQ(Bytes(u), "abcabc+abcabc");
}

TEST_F(StringTest, TrimRemoveAndCase) {
  EXPECT_EQ(Bytes(STRING(" x a x ").Trim('b', " x")), "a");
  EXPECT_EQ(Bytes(STRING(" a ").Trim('L', " ")), "a ");
  EXPECT_EQ(Bytes(STRING(" a ").Trim('r', " ")), " a");
  EXPECT_EQ(Bytes(STRING(" a ").Trim('q', " ")), " a ");
  EXPECT_EQ(Raised("how=='L' || how=='R' || how=='B'"), 1);
  EXPECT_EQ(Bytes(STRING("a-b_c").RemoveChars("-_")), "abc");
  EXPECT_EQ(Bytes(STRING("MiXeD").ToUpper()), "MIXED");
  EXPECT_EQ(Bytes(STRING("MiXeD").ToLower()), "mixed");
  EXPECT_EQ(Bytes(STRING("").ToUpper()), "");
  EXPECT_FALSE(STRING().ToLower().IsAllocated());
}

TEST_F(StringTest, SearchingAndExtracting) {
  STRING s("abcabc");
  EXPECT_EQ(s.Pos("bc"), 1);
  EXPECT_EQ(s.Pos("bc", 2), 4);
  EXPECT_EQ(s.Pos("BC"), -1);
  EXPECT_EQ(s.iPos("BC", 2), 4);
  EXPECT_EQ(s.Pos("", 6), -1);
  EXPECT_EQ(STRING("abc").iPos("", 2), 2);
  int pos = 7;
  EXPECT_FALSE(s.Find("x", &pos));
  EXPECT_EQ(pos, -1);
  EXPECT_TRUE(s.iFind("CA", &pos));
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(Bytes(s.Mid(2, 2)), "ca");
  EXPECT_EQ(Bytes(s.Mid(4, 10)), "bc");
  EXPECT_EQ(Bytes(s.Mid(3)), "abc");
  EXPECT_TRUE(s.Mid(6, 1).IsAllocated());
  EXPECT_EQ(Bytes(s.Left(2)), "ab");
  EXPECT_EQ(Bytes(s.Right(2)), "bc");
  EXPECT_EQ(Bytes(s.Right(10)), "abcabc");
  EXPECT_EQ(STRING(" 42x").atoi(), 42);
  EXPECT_EQ(Bytes(STRING(-12345)), "-12345");
  EXPECT_DOUBLE_EQ(STRING("2.5").atof(), 2.5);
}

TEST_F(StringTest, TokensFieldsAndReplace) {
  STRING s("a,,b");
  EXPECT_EQ(Bytes(s.GetToken(0, ",")), "a");
  EXPECT_TRUE(s.GetToken(1, ",").IsEmpty());
  EXPECT_FALSE(s.GetToken(1, ",").IsAllocated());
  EXPECT_TRUE(s.GetToken(1, ",", STRINGTOKEN_ALLOCATED).IsAllocated());
  EXPECT_EQ(Bytes(s.GetToken(2, ",")), "b");
  EXPECT_EQ(Bytes(s.GetToken(1, ",", STRINGTOKEN_REST)), ",b");
  EXPECT_TRUE(s.GetToken(5, ",").IsEmpty());
  EXPECT_EQ(Bytes(STRING("k=v;w").GetToken(1, "=;")), "v");
  EXPECT_EQ(s.CountFields(","), 3);
  EXPECT_EQ(STRING().CountFields(","), 1);

  // Replace resumes behind each replacement.
  EXPECT_EQ(Bytes(STRING("ab ab").Replace("ab", "abab", 1)), "abab abab");
  EXPECT_EQ(Bytes(STRING("ab ab").Replace("ab", "ab", 1)), "ab ab");
  EXPECT_EQ(Bytes(STRING("xAbxab").Replace("ab", "-", 0)), "x-x-");
  EXPECT_EQ(Bytes(STRING("xAbxab").Replace("ab", "-", 1)), "xAbx-");
  EXPECT_EQ(Bytes(STRING("aaa").Replace("a", "", 1)), "");
  EXPECT_EQ(Bytes(STRING("a$P").Replace("$P", nullptr, 1)), "a<NULL>");
  EXPECT_EQ(Bytes(STRING("abc").Replace("", "x", 1)), "abc");
}

TEST_F(StringTest, FormatStaysInsideItsBuffer) {
  STRING s("old", 850);
  s.Format("%s-%d", "a", 5);
  EXPECT_EQ(Bytes(s), "a-5");
  EXPECT_EQ(s.GetCodePage(), 1252);
  s.AppendFormat("[%s]", static_cast<const char*>(nullptr));
  EXPECT_EQ(Bytes(s), "a-5[(null)]");
  std::string fits(8190, 'f');
  s.Format("%s", fits.c_str());
  EXPECT_EQ(s.Length(), 8190);
  EXPECT_EQ(ReportCount(), 0);
  std::string huge(9000, 'h');
  s.Format("%s", huge.c_str());
  EXPECT_EQ(Raised("rc>=0 && rc<sizeof(buf)-1"), 1);
  EXPECT_LE(s.Length(), 8191);
  EXPECT_EQ(Bytes(s), huge.substr(0, s.Length()));
}

TEST_F(StringTest, HexAndBase64RoundTrip) {
  STRING hex = AllBytes().ToHex();
  ASSERT_EQ(hex.Length(), 512);
  EXPECT_EQ(Bytes(hex).substr(0, 6), "000102");
  EXPECT_EQ(Bytes(hex).substr(506), "fdfeff");
  EXPECT_EQ(Bytes(hex.FromHex()), Bytes(AllBytes()));
  EXPECT_EQ(Bytes(STRING("4142a").FromHex()), "AB");
  EXPECT_EQ(Bytes(STRING("FF").FromHex()), "\xff");

  // Base64, plain and in lines of 76 characters.
  const char* encoded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE="};
  for (int n = 0; n <= 5; n++) {
    STRING plain("foobar", n, 0);
    EXPECT_EQ(Bytes(plain.ToBase64(0)), encoded[n]);
    EXPECT_EQ(Bytes(STRING(encoded[n]).FromBase64()), Bytes(plain));
  }
  STRING data = AllBytes();
  STRING line = STRING(data.GetBuffer(), 57, 0).ToBase64(1);
  ASSERT_EQ(line.Length(), 78);
  EXPECT_EQ(line.Pos("\r\n"), 76);
  EXPECT_EQ(Bytes(line.FromBase64()), Bytes(data).substr(0, 57));
  STRING two = STRING(data.GetBuffer(), 58, 0).ToBase64(1);
  EXPECT_EQ(two.Length(), 78 + 4 + 2);
  EXPECT_EQ(Bytes(two).substr(two.Length() - 2), "\r\n");
  EXPECT_EQ(Bytes(data.ToBase64(1).FromBase64()), Bytes(data));
  EXPECT_EQ(Bytes(STRING(" Zm9v\r\nYmE ").FromBase64()), "fooba");
  EXPECT_EQ(Bytes(STRING("Zg==Zm9v").FromBase64()), "f");
}

TEST_F(StringTest, EscapeRoundTripsAllBytes) {
  STRING escaped = AllBytes().Escape("\"'");
  for (int i = 0; i < escaped.Length(); i++) {
    unsigned char c = static_cast<unsigned char>(escaped[i]);
    EXPECT_TRUE(c >= 0x20 && c <= 0x7F) << i;
  }
  EXPECT_EQ(Bytes(escaped.Unescape(0)), Bytes(AllBytes()));
  EXPECT_EQ(Bytes(STRING("a\\b\"\r\n\t\x1a\x01").Escape()), "a\\\\b\"\\r\\n\\t\\z\\x01");
  EXPECT_EQ(Bytes(STRING("say \"x\"").Escape("\"")), "say \\\"x\\\"");
  EXPECT_EQ(Bytes(STRING("\\x4A\\x4a\\0").Unescape(0)), std::string("JJ\0", 3));
  EXPECT_EQ(ReportCount(), 0);
}

TEST_F(StringTest, UnescapeStopsAtTheEndOfTheText) {
  STRING tail("ab\\x41");
  tail.SetLength(3);  // "ab\" with bytes of the old text behind the terminator
  EXPECT_EQ(Bytes(tail.Unescape(1)), "ab\\");
  EXPECT_EQ(Bytes(tail.Unescape(0)), "ab");
  EXPECT_EQ(Raised("FALSE"), 1);
  STRING hex("a\\x41");
  hex.SetLength(3);
  EXPECT_EQ(Bytes(hex.Unescape(1)), "a\\x");
  EXPECT_EQ(Raised("isxdigit(xdigit[0])"), 1);
  EXPECT_EQ(Bytes(STRING("\\x4").Unescape(0)), "\x04");
  EXPECT_EQ(Bytes(STRING("\\x4z").Unescape(0)), "\x04z");
  EXPECT_EQ(Raised("isxdigit(xdigit[1])"), 2);
  EXPECT_EQ(Bytes(STRING("\\q").Unescape(1)), "\\q");
  EXPECT_EQ(Bytes(STRING("\\q").Unescape(0)), "q");
  EXPECT_EQ(Raised("FALSE"), 2);
  EXPECT_EQ(LastInfo(), "\\q");
}

TEST_F(StringTest, ConcatenationMakesNewTexts) {
  STRING joined = "x" + STRING("y", 850) + "z";
  EXPECT_EQ(Bytes(joined), "xyz");
  EXPECT_EQ(joined.GetCodePage(), 1252);
  EXPECT_EQ(Bytes(STRING() + "a"), "a");
  EXPECT_EQ(Bytes(static_cast<const char*>(nullptr) + STRING("a")), "<NULL>a");
}

TEST_F(StringTest, SaveAndLoadRoundTripAFile) {
  uidriver::ScratchDir dir;
  const std::string file = dir.Path("data.bin");
  STRING data;
  for (int i = 0; i < 300; i++) data.Append(AllBytes());
  EXPECT_TRUE(data.Save(file.c_str(), "wb"));
  STRING loaded("stale");
  EXPECT_TRUE(loaded.Load(file.c_str(), "rb"));
  EXPECT_EQ(Bytes(loaded), Bytes(data));
  EXPECT_EQ(loaded.BufferSize(), 131072);  // presized to the file in one allocation

  EXPECT_TRUE(STRING("a\nb").Save(file.c_str(), "w"));
  EXPECT_TRUE(loaded.Load(file.c_str(), "rb"));
  EXPECT_EQ(Bytes(loaded), "a\r\nb");
  EXPECT_TRUE(loaded.Load(file.c_str(), "r"));
  EXPECT_EQ(Bytes(loaded), "a\nb");
  EXPECT_TRUE(STRING().Save(file.c_str(), "wb"));
  EXPECT_TRUE(loaded.Load(file.c_str(), "rb"));
  EXPECT_TRUE(loaded.IsAllocated());
  EXPECT_EQ(loaded.Length(), 0);

  EXPECT_TRUE(DeleteFileA(file.c_str()));
  EXPECT_FALSE(loaded.Load(file.c_str(), "rb"));
  EXPECT_FALSE(data.Save(dir.Path("missing\\x.bin").c_str(), "wb"));
}

TEST_F(StringTest, WideStrings) {
  WSTRING euro("a\x80", 1252);
  ASSERT_EQ(euro.Length(), 2);
  EXPECT_EQ(euro[1], 0x20AC);
  EXPECT_EQ(Bytes(STRING(euro, 1252)), "a\x80");
  EXPECT_EQ(WSTRING("\xc3\xa4", UNICODE_CPUTF8)[0], 0x00E4);
  EXPECT_EQ(WSTRING("\x80", UNICODE_CPFLAT)[0], 0x0080);
  EXPECT_EQ(WSTRING(STRING("\x80", UNICODE_CPFLAT))[0], 0x0080);
  EXPECT_EQ(Bytes(STRING(L"\u00e4", UNICODE_CPUTF8)), "\xc3\xa4");

  WSTRING w(L"abcab");
  w.Append(L'!');
  EXPECT_EQ(w.Length(), 6);
  EXPECT_EQ(w.Pos(L"ab", 1), 3);
  EXPECT_EQ(w.Pos(L"ab", 6), -1);
  w.Replace(L"ab", L"abab");
  EXPECT_STREQ(w.c_str(), L"ababcabab!");
  w.DeleteLeft(4);
  EXPECT_STREQ(w.c_str(), L"cabab!");
  w.DeleteLeft(-1);
  EXPECT_EQ(Raised("howmany>=0"), 1);
  EXPECT_EQ(w[6], 0);
  EXPECT_EQ(Raised("i>=0 && i<this->StrLen"), 1);
  EXPECT_EQ(LastInfo(), "i= 6, len= 6, buf= cabab!");

  WSTRING copy(w);
  copy.Append(L'?');
  EXPECT_STREQ(w.c_str(), L"cabab!");
  EXPECT_NE(WSTRING::wstricmp(L"A", L"a", 0), 0);
  EXPECT_EQ(WSTRING::wstricmp(nullptr, nullptr, 1), 0);
  EXPECT_EQ(WSTRING::wstricmp(nullptr, L"a", 1), 1);
  EXPECT_EQ(WSTRING::wstricmp(nullptr, L"<NULL>", 0), 0);
  EXPECT_STREQ(WSTRING().c_str(), L"<NULL>");
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
