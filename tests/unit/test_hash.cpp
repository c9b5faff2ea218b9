// Tests of HASH and HASHLIST: sorted case-insensitive lookup, LockTable, keys and values kept paired when
// memory runs out, the text format and its file round trips, forgiving reads of bad files (junk, huge
// values, line ends, byte-order mark), the cost of loading large files, and the column sort of record lists.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "diag/norbaassert.h"
#include "base/hash.h"
#include "base/hashlist.h"
#include "assertreports.h"
#include "junkbytes.h"
#include "scratchdir.h"

// Fault injection: while the count-down runs, the nothrow array allocation that brings it to 0 fails.
static std::atomic<int> gAllocationsUntilFailure{0};

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  if (gAllocationsUntilFailure > 0 && --gAllocationsUntilFailure == 0) return nullptr;
  return malloc(size ? size : 1);
}

namespace {

class HashTest : public AssertReportsTest {
 protected:
  // Loads `text` written as a file into `table`.
  bool LoadText(HASH& table, const std::string& text) {
    static int n = 0;
    std::string name = "table" + std::to_string(++n) + ".cfg";
    EXPECT_TRUE(Dir.WriteText(name, text));
    return table.Load(Dir.Path(name).c_str());
  }

  uidriver::ScratchDir Dir;
};

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Bytes(const std::string& s) { return STRING(s.data(), static_cast<int>(s.size()), 0); }

// The keys of a table in their order, joined by blanks.
std::string KeyList(const HASH& table) {
  std::string keys;
  for (int i = 0; i < table.Count(); i++) keys += (i ? " " : "") + Text(table.GetKey(i));
  return keys;
}

// ---------------------------------------------------------------------------------------------------
// Lookup

TEST_F(HashTest, LookupIgnoresCaseAndKeepsKeysSorted) {
  HASH table;
  for (const char* key : {"Path", "beta", "Alpha", "gamma", "_x", "1"}) table[key] = STRING(key, 1252);
  EXPECT_EQ(KeyList(table), "1 _x Alpha beta gamma Path");
  EXPECT_EQ(Text(table["PATH"]), "Path");
  EXPECT_EQ(Text(table.Get("ALPHA")), "Alpha");
  EXPECT_TRUE(table.Exists("GaMmA"));
  EXPECT_FALSE(table.Exists("gamm"));
  EXPECT_EQ(table.Count(), 6);
  table["path"] = STRING("changed", 1252);
  EXPECT_EQ(Text(table.ToText()), "1=1\n_x=_x\nAlpha=Alpha\nbeta=beta\ngamma=gamma\nPath=changed\n")
      << "keys keep the spelling they were first stored with";
  EXPECT_TRUE(TakeReports().empty());

  EXPECT_TRUE(table.Delete("BETA"));
  EXPECT_FALSE(table.Delete("beta"));
  EXPECT_EQ(KeyList(table), "1 _x Alpha gamma Path");
}

TEST_F(HashTest, MissingKeysOnGetAndUnderLockTable) {
  HASH table;
  table["Known"] = STRING("1", 1252);
  STRING missing = table.Get("Unknown");
  EXPECT_TRUE(missing.IsEmpty());
  EXPECT_FALSE(table.Exists("Unknown")) << "Get never creates";
  EXPECT_EQ(TakeReports(), std::vector<std::string>({"hash: rcidx!=-1"}));

  // Indexing creates the key empty (and allocated: it reads as "", not "<NULL>").
  EXPECT_STREQ(table["Fresh"].c_str(), "");
  EXPECT_TRUE(table.Exists("fresh"));

  table.LockTable = true;
  STRING& scratch = table["Other"];
  scratch = STRING("lost", 1252);
  STRING& another = table["Another"];
  EXPECT_TRUE(another.IsEmpty());
  EXPECT_EQ(Text(scratch), "lost") << "each miss has a value of its own";
  EXPECT_FALSE(table.Exists("Other"));
  EXPECT_EQ(LastInfo(), "Another");
  EXPECT_EQ(TakeReports(), std::vector<std::string>(2, "hash: !this->LockTable"));
  table["known"] = STRING("2", 1252);  // existing keys stay writable
  EXPECT_EQ(Text(table.Get("Known")), "2");
  EXPECT_EQ(table.Count(), 2);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(HashTest, EqualKeysKeepFileOrderAndTheFirstWins) {
  HASH table(STRING("b=1\nB=2\na=3\nb=4\nA=5\n", 1252));
  EXPECT_EQ(KeyList(table), "a A b B b");
  EXPECT_EQ(Text(table["b"]), "1");
  EXPECT_TRUE(table.Delete("B"));
  EXPECT_EQ(Text(table["b"]), "2");
  table.Sort();
  EXPECT_EQ(Text(table.ToText()), "a=3\nA=5\nB=2\nb=4\n");
}

TEST_F(HashTest, KeysAndValuesStayPairedWhenMemoryRunsOut) {
  // Each round fails one allocation later while the table is parsed and sorted, until none fails.
  for (int failing = 1; failing < 100; failing++) {
    gAllocationsUntilFailure = failing;
    HASH table(STRING("d=D\nb=B\nc=C\na=A\n", 1252));
    bool failed = gAllocationsUntilFailure == 0;
    gAllocationsUntilFailure = 0;
    for (int i = 0; i < table.Count(); i++) {
      std::string key = Text(table.GetKey(i));
      EXPECT_EQ(Text(table.GetValue(i)), std::string(1, static_cast<char>(toupper(key[0])))) << failing;
    }
    if (failed) continue;
    EXPECT_EQ(KeyList(table), "a b c d");
    break;
  }
  TakeReports();
}

TEST_F(HashTest, CopiesAreDeepAndThreadsShareATable) {
  HASH table;
  table["a"] = STRING("1", 1252);
  table.Handle = 7;
  table.Key = STRING("name", 1252);
  HASH copy(table);
  copy["a"].Append("!");
  copy["b"] = STRING("2", 1252);
  EXPECT_EQ(Text(table.ToText()), "#Handle=7\n#Key=name\na=1\n");
  EXPECT_EQ(Text(copy.ToText()), "#Handle=7\n#Key=name\na=1!\nb=2\n");

  HASH shared;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&shared, t] {
      for (int i = 0; i < 100; i++) shared[STRING(t * 1000 + i)] = STRING(i);
    });
  for (std::thread& thread : threads) thread.join();
  ASSERT_EQ(shared.Count(), 400);
  for (int i = 1; i < shared.Count(); i++)
    EXPECT_LT(_stricmp(shared.GetKey(i - 1).c_str(), shared.GetKey(i).c_str()), 0);
  EXPECT_EQ(Text(shared["3099"]), "99");
}

// ---------------------------------------------------------------------------------------------------
// Text format and files

TEST_F(HashTest, SaveAndLoadRoundTripAwkwardKeysAndValues) {
  HASH table;
  std::string allbytes;
  for (int i = 1; i < 256; i++) allbytes += static_cast<char>(i);
  STRING binary;
  for (int i = 0; i < 256; i++) binary.Append(std::string(1, static_cast<char>(i)).c_str(), 1);
  binary.SetFlags(binary.GetFlags() | STRINGFLAG_BINARY);
  const std::vector<std::pair<std::string, std::string>> text = {
      {"plain", "value"},
      {"with=equals", "a=b==c"},
      {"line\nfeed", "one\ntwo\r\nthree"},
      {"{braces}", "={{not binary}}"},
      {"back\\slash", "C:\\Programs\\Kiv\\"},
      {"#Handle", "not the handle"},
      {"#comment", "hash key"},
      {"//slashes", "slash key"},
      {"", "empty key"},
      {"empty value", ""},
      {"all bytes", allbytes},
      {"nul", std::string("nul\0value", 9)},
  };
  for (const auto& entry : text) table[Bytes(entry.first)] = Bytes(entry.second);
  table["binary"] = binary;
  table.Handle = 5;
  table.Key = STRING("C:\\key\nwith=", 1252);
  ASSERT_TRUE(table.Save(Dir.Path("round.cfg").c_str()));

  std::string file = Dir.ReadText("round.cfg");
  EXPECT_EQ(file.find("#Handle=5\r\n#Key=C:\\\\key\\nwith\\x3d\r\n"), 0u) << file.substr(0, 80);
  EXPECT_NE(file.find("\r\nbinary=={{AAECAwQF"), std::string::npos);
  EXPECT_NE(file.find("+/w==}}\r\n"), std::string::npos);
  EXPECT_EQ(file.find('\x1a'), std::string::npos);

  HASH loaded;
  ASSERT_TRUE(loaded.Load(Dir.Path("round.cfg").c_str()));
  EXPECT_EQ(loaded.Handle, 5u);
  EXPECT_EQ(Text(loaded.Key), "C:\\key\nwith=");
  ASSERT_EQ(loaded.Count(), table.Count());
  for (const auto& entry : text) EXPECT_TRUE(loaded.Exists(entry.first.c_str())) << entry.first;
  for (int i = 0; i < table.Count(); i++) {
    EXPECT_EQ(Text(loaded.GetKey(i)), Text(table.GetKey(i)));
    EXPECT_EQ(Text(loaded.GetValue(i)), Text(table.GetValue(i))) << Text(table.GetKey(i));
    EXPECT_EQ(loaded.GetValue(i).GetFlags() & STRINGFLAG_BINARY, table.GetValue(i).GetFlags() & STRINGFLAG_BINARY);
  }
  EXPECT_EQ(Text(loaded["binary"]), Text(binary));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(HashTest, HandleKeyAndIgnoredLines) {
  HASH table;
  table.Key = STRING("before", 1252);
  table["old"] = STRING("gone after load", 1252);
  ASSERT_TRUE(LoadText(table,
                       "// comment=1\r\n#x=2\r\n\r\n#Handle=5\r\nname=value\r\n   \r\n#Key=abc\r\n#Keyboard=3\r\n"
                       "#handle=6\r\n"));
  EXPECT_EQ(table.Handle, 6u);
  EXPECT_EQ(Text(table.Key), "abc");
  EXPECT_EQ(KeyList(table), "name");
  // Only the line of blanks has no '=': the comment lines are not reported.
  EXPECT_EQ(TakeReports(), std::vector<std::string>({"hashtext: item.Find(\"=\")"}));

  // Without a "#Key" line the table keeps its Key; the Handle comes from the file (none: 0).
  ASSERT_TRUE(LoadText(table, "a=1\n"));
  EXPECT_EQ(Text(table.Key), "abc");
  EXPECT_EQ(table.Handle, 0u);
  EXPECT_EQ(KeyList(table), "a");

  // A file that cannot be read leaves the table as it was.
  EXPECT_FALSE(table.Load(Dir.Path("missing.cfg").c_str()));
  EXPECT_EQ(KeyList(table), "a");
}

TEST_F(HashTest, UnknownEscapesAreKeptAndReported) {
  HASH table;
  ASSERT_TRUE(LoadText(table,
                       "Path=C:\\Programs\\Kiv\r\nHex=\\x4g|\\x\r\nGood=a\\x3db\\\\c\\n\r\nEnd=trailing\\\r\n"
                       "2002.201=EF:C:\\Programs\\Kiv\r\n"));
  EXPECT_EQ(Text(table["Path"]), "C:\\Programs\\Kiv");
  EXPECT_EQ(Text(table["Hex"]), "\\x4g|\\x");
  EXPECT_EQ(Text(table["Good"]), "a=b\\c\n");
  EXPECT_EQ(Text(table["End"]), "trailing\\");
  EXPECT_EQ(Text(table["2002.201"]), "EF:C:\\Programs\\Kiv");
  EXPECT_EQ(TakeReports(), std::vector<std::string>({"hashtext: FALSE", "hashtext: isxdigit(xdigit[1])",
                                                     "hashtext: FALSE", "hashtext: FALSE"}));
}

TEST_F(HashTest, ByteOrderMarkAndLineEnds) {
  HASH table;
  ASSERT_TRUE(LoadText(table, "\xEF\xBB\xBF" "AppName=Kiv\r\nText=f\xC3\xBCr \xE2\x82\xAC\nOther=\\xfc\r\r\n"));
  EXPECT_EQ(KeyList(table), "AppName Other Text");
  EXPECT_EQ(Text(table["AppName"]), "Kiv");
  EXPECT_EQ(Text(table["Text"]), "f\xFCr \x80") << "UTF-8 text arrives in code page 1252";
  EXPECT_EQ(Text(table["Other"]), "\xFC") << "escapes are bytes, not UTF-8";

  // Without the mark the bytes are taken as they are; a mark later in the file is data.
  ASSERT_TRUE(LoadText(table, "a=f\xC3\xBCr\nb=\xEF\xBB\xBFx\n"));
  EXPECT_EQ(Text(table["a"]), "f\xC3\xBCr");
  EXPECT_EQ(Text(table["b"]), "\xEF\xBB\xBFx");
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(HashTest, JunkHugeValuesAndCtrlZ) {
  std::string big(10 * 1024 * 1024, 'x');
  HASH table;
  ASSERT_TRUE(LoadText(table, "First=1\r\n" + JunkBytes(200000) + "\nBig=" + big + "\r\nCtrl=a\x1a" "b\nLast=2\n"));
  EXPECT_EQ(Text(table["First"]), "1");
  EXPECT_EQ(Text(table["Last"]), "2") << "a Ctrl-Z byte does not end the file";
  EXPECT_EQ(Text(table["Ctrl"]), "a\x1a" "b");
  EXPECT_EQ(table["Big"].Length(), 10 * 1024 * 1024);
  std::vector<std::string> reports = TakeReports();
  EXPECT_FALSE(reports.empty());
  EXPECT_LE(reports.size(), 17u) << "a few reports, then one with the number of the rest";
  EXPECT_LE(LastInfo().size(), 240u);

  // The huge value goes out and back in one piece.
  ASSERT_TRUE(table.Save(Dir.Path("big.cfg").c_str()));
  HASH again;
  ASSERT_TRUE(again.Load(Dir.Path("big.cfg").c_str()));
  EXPECT_EQ(Text(again["Big"]), big);
}

TEST_F(HashTest, LoadingFiveThousandKeysIsFast) {
  const int n = 5000;
  // Keys written sorted, reversed and shuffled.
  for (auto key : {+[](int i) { return i; }, +[](int i) { return n - 1 - i; }, +[](int i) { return i * 7919 % n; }}) {
    std::string text;
    char line[64];
    for (int i = 0; i < n; i++) {
      snprintf(line, sizeof(line), "Key%05d=value %d\r\n", key(i), key(i));
      text += line;
    }
    ASSERT_TRUE(Dir.WriteText("many.cfg", text));
    HASH table;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(table.Load(Dir.Path("many.cfg").c_str()));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("load_ms", std::to_string(ms));
    EXPECT_LT(ms, 300);
    ASSERT_EQ(table.Count(), n);
    EXPECT_EQ(Text(table.GetKey(0)), "Key00000");
    EXPECT_EQ(Text(table.GetKey(n - 1)), "Key04999");
    EXPECT_EQ(Text(table["key02500"]), "value 2500");
  }
}

// ---------------------------------------------------------------------------------------------------
// HASHLIST

HASH Record(const char* name, const char* size) {
  HASH record;
  record["name"] = STRING(name, 1252);
  if (size) record["size"] = STRING(size, 1252);
  return record;
}

std::string Names(const HASHLIST& list) {
  std::string names;
  for (int i = 0; i < list.Count(); i++) names += (i ? " " : "") + Text(list[i].Get("name"));
  return names;
}

TEST_F(HashTest, HashListSortsByColumnsStably) {
  HASHLIST list;
  list.Add(Record("b", "10"));
  list.Add(Record("a", "9"));
  list.Add(Record("B", "10"));
  list.Add(Record("c", nullptr));
  list.Add(Record("a", "010"));

  list.SetColumns("size");
  list.Sort(HASHLIST_COMPARE_NUMERIC);
  EXPECT_EQ(Names(list), "c a b B a") << "numbers, a missing column reading as 0, equal ones in their order";

  list.SetColumns("size;name");
  list.Sort(0);
  EXPECT_EQ(Names(list), "c a B b a") << "text with case: \"\" < \"010\" < \"10\" < \"9\", then B before b";

  list.SetColumns("name");
  list.Sort(0);
  EXPECT_EQ(Names(list), "B a a b c");
  EXPECT_EQ(Text(list[1].Get("size")), "010") << "the two a records keep the order of the last sort";

  HASHLIST copy(list);
  copy[0]["name"] = STRING("changed", 1252);
  EXPECT_EQ(Text(list[0].Get("name")), "B");
  EXPECT_TRUE(TakeReports().empty());
}

}  // namespace
