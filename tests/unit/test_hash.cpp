// Tests of HASH: LockTable and missed lookups, keys and values kept paired when memory runs out, the text
// format and its file round trips, forgiving reads of hand-written and bad files (escapes, junk, Ctrl-Z,
// byte-order mark).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/hash.h"
#include "junkbytes.h"
#include "scratchdir.h"

// Fault injection: while the count-down runs, the nothrow array allocation that brings it to 0 fails.
static std::atomic<int> gAllocationsUntilFailure{0};

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  if (gAllocationsUntilFailure > 0 && --gAllocationsUntilFailure == 0) return nullptr;
  return malloc(size ? size : 1);
}

namespace {

using Lines = std::vector<std::string>;

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Bytes(const std::string& s) { return STRING(s.data(), static_cast<int>(s.size()), 0); }

class HashTest : public AssertReportsTest {
 protected:
  // Loads `text` written as a file into `table`.
  bool LoadText(HASH& table, const std::string& text) {
    EXPECT_TRUE(Dir.WriteText("table.cfg", text));
    return table.Load(Dir.Path("table.cfg").c_str());
  }

  uidriver::ScratchDir Dir;
};

TEST_F(HashTest, MissingKeysOnGetAndUnderLockTable) {
  HASH table;
  table["Known"] = STRING("1", 1252);
  EXPECT_TRUE(table.Get("Unknown").IsEmpty());
  EXPECT_FALSE(table.Exists("Unknown")) << "Get never creates";
  EXPECT_EQ(TakeReports(), Lines{"hash: rcidx!=-1"});

  table.LockTable = true;
  STRING& scratch = table["Other"];
  scratch = STRING("lost", 1252);
  EXPECT_TRUE(table["Another"].IsEmpty());
  EXPECT_EQ(Text(scratch), "lost") << "each miss has a value of its own";
  EXPECT_FALSE(table.Exists("Other"));
  EXPECT_EQ(TakeReports(), Lines(2, "hash: !this->LockTable"));
  table["known"] = STRING("2", 1252);  // existing keys stay writable
  EXPECT_EQ(Text(table.Get("Known")), "2");
}

TEST_F(HashTest, KeysAndValuesStayPairedWhenMemoryRunsOut) {
  // Each round fails one allocation later while the table is parsed and sorted, until none fails.
  for (int failing = 1; failing < 100; failing++) {
    gAllocationsUntilFailure = failing;
    HASH table(STRING("d=D\nb=B\nc=C\na=A\n", 1252));
    bool failed = gAllocationsUntilFailure == 0;
    gAllocationsUntilFailure = 0;
    for (int i = 0; i < table.Count(); i++)
      EXPECT_EQ(Text(table.GetValue(i)), std::string(1, static_cast<char>(toupper(table.GetKey(i)[0])))) << failing;
    if (failed) continue;
    EXPECT_EQ(Text(table.ToText()), "a=A\nb=B\nc=C\nd=D\n");
    break;
  }
  TakeReports();
}

// Values with line breaks, braces, backslashes and non-ASCII bytes round-trip in the answer-file tests.
TEST_F(HashTest, SaveAndLoadRoundTripAwkwardKeysAndValues) {
  std::string allbytes;
  for (int i = 1; i < 256; i++) allbytes += static_cast<char>(i);
  HASH table;
  for (const char* key : {"plain", "with=equals", "line\nfeed", "{braces}", "#Handle", "//slashes", ""})
    table[key] = STRING(key, 1252);
  table["all bytes"] = Bytes(allbytes);
  table["nul"] = Bytes(std::string("nul\0value", 9));
  table.Handle = 5;
  table.Key = STRING("C:\\key\nwith=", 1252);
  ASSERT_TRUE(table.Save(Dir.Path("round.cfg").c_str()));

  std::string file = Dir.ReadText("round.cfg");
  EXPECT_EQ(file.find("#Handle=5\r\n#Key=C:\\\\key\\nwith\\x3d\r\n"), 0u) << file.substr(0, 80);
  EXPECT_EQ(file.find('\x1a'), std::string::npos);
  HASH loaded;
  ASSERT_TRUE(loaded.Load(Dir.Path("round.cfg").c_str()));
  EXPECT_EQ(loaded.Handle, 5u);
  EXPECT_EQ(Text(loaded.Key), "C:\\key\nwith=");
  ASSERT_EQ(loaded.Count(), table.Count());
  for (int i = 0; i < table.Count(); i++) {
    EXPECT_EQ(Text(loaded.GetKey(i)), Text(table.GetKey(i)));
    EXPECT_EQ(Text(loaded.GetValue(i)), Text(table.GetValue(i))) << Text(table.GetKey(i));
  }
  EXPECT_TRUE(TakeReports().empty());
}

// Unknown escapes in hand-written paths are kept: the answer-file tests.
TEST_F(HashTest, ForgivingReadsOfHandWrittenFiles) {
  HASH table;
  table.Key = STRING("before", 1252);
  table["old"] = STRING("gone after load", 1252);
  // Comments and other '#' lines are ignored quietly; only the line of blanks, without '=', is reported.
  ASSERT_TRUE(LoadText(table, "// comment=1\r\n#x=2\r\n\r\n#Handle=5\r\nname=value\r\n   \r\n"
                              "#Keyboard=3\r\n#handle=6\r\n"));
  EXPECT_EQ(Text(table.ToText()), "#Handle=6\n#Key=before\nname=value\n") << "Key kept without a \"#Key\" line";
  EXPECT_EQ(TakeReports(), Lines{"hashtext: item.Find(\"=\")"});
  EXPECT_FALSE(table.Load(Dir.Path("missing.cfg").c_str()));
  EXPECT_EQ(Text(table["name"]), "value") << "a file that cannot be read leaves the table";
  ASSERT_TRUE(LoadText(table, "Hex=\\x4g|\\x\r\nEnd=trailing\\\r\n"));
  EXPECT_EQ(Text(table["Hex"]), "\\x4g|\\x");
  EXPECT_EQ(Text(table["End"]), "trailing\\");
  EXPECT_EQ(TakeReports(), Lines({"hashtext: isxdigit(xdigit[1])", "hashtext: FALSE"}));

  // With the byte-order mark escapes are bytes, not UTF-8.
  ASSERT_TRUE(LoadText(table, "\xEF\xBB\xBF" "Text=\xE2\x82\xAC\nOther=\\xfc\r\r\n"));
  EXPECT_EQ(Text(table["Text"]), "\x80");
  EXPECT_EQ(Text(table["Other"]), "\xFC");
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(HashTest, JunkAndCtrlZDoNotEndTheReadAndReportsStayFew) {
  HASH table;
  ASSERT_TRUE(LoadText(table, "First=1\r\n" + JunkBytes(200000) + "\nCtrl=a\x1a" "b\nLast=2\n"));
  EXPECT_EQ(Text(table["First"]), "1");
  EXPECT_EQ(Text(table["Ctrl"]), "a\x1a" "b");
  EXPECT_EQ(Text(table["Last"]), "2");
  Lines reports = TakeReports();
  EXPECT_FALSE(reports.empty());
  EXPECT_LE(reports.size(), 17u) << "a few reports, then one with the number of the rest";
}

}  // namespace
