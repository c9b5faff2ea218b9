// Tests of the owning arrays (DYNARRAY through STRINGARRAY): owned copies and growth, index errors,
// splitting, finding and line files, unallocated texts under the null guard, and the locks they rest on
// (the recursive MUTEXSEM), threads included. The array lock under concurrent inserts: the HASH tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "assertreports.h"
#include "base/dynarray.h"
#include "base/hash.h"
#include "base/semaphores.h"
#include "base/stringarray.h"
#include "failonnull.h"
#include "scratchdir.h"

namespace {

class ContainerTest : public AssertReportsTest {};
using V = std::vector<std::string>;

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

V Items(const STRINGARRAY& array) {
  V items;
  for (int i = 0; i < array.Count(); i++) items.push_back(Text(array[i]));
  return items;
}

std::string Address(const void* p) {
  char text[32];
  snprintf(text, sizeof(text), "%p", p);
  return text;
}

TEST_F(ContainerTest, ItemsAreOwnedCopiesThatKeepTheirOrderWhileTheArrayGrows) {
  STRINGARRAY array(64, 64);
  for (int i = 0; i < 64; i++) array.Add(STRING(i));
  EXPECT_EQ(array.Insert(0, STRING("first", 1252)), 0);
  EXPECT_EQ(array.GetMaxItems(), 128);
  ASSERT_EQ(array.Count(), 65);
  for (int i = 0; i < 64; i++) EXPECT_EQ(array[i + 1].atoi(), i);
  EXPECT_TRUE(array.DeleteItem(0));
  EXPECT_EQ(Text(array[0]), "0");
  // An increment of -1 follows the initial size; with nothing to follow the array still grows.
  DYNARRAY<STRING> empty("EMPTY", 0, -1);
  for (int i = 0; i < 3; i++) EXPECT_EQ(empty.Add(STRING(i)), i);

  STRING original("abc", 1252);
  STRINGARRAY items;
  items.Add(original);
  original.Append("def");
  STRINGARRAY copy(items);
  copy[0].Append("!");
  copy = copy;
  // An item added from the array itself is copied before anything moves.
  items.Insert(0, items[0]);
  EXPECT_EQ(Items(items), V({"abc", "abc"}));
  EXPECT_EQ(Items(copy), V({"abc!"}));
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, IndexErrorsAreReportedAndHarmless) {
  STRINGARRAY array(64, 64);
  for (int i = 0; i < 5; i++) array.Add(STRING(i));
  STRING& outside = array.Get(5);
  outside = STRING("written", 1252);  // must not land in the array
  EXPECT_TRUE(array.Get(99).IsEmpty()) << "the empty item is fresh on every bad read";
  EXPECT_EQ(array.Insert(7, STRING("x", 1252)), -1);
  EXPECT_EQ(array.Insert(-1, STRING("x", 1252)), -1);
  EXPECT_FALSE(array.DeleteItem(5));
  EXPECT_EQ(Items(array), V({"0", "1", "2", "3", "4"}));
  V reports = TakeReports(true);
  ASSERT_EQ(reports.size(), 5u);
  EXPECT_EQ(reports[0], "dynarray: FALSE [i= 5, max= 64, count= 5, type= STRINGARRAY, this= " + Address(&array) + "]");
}

TEST_F(ContainerTest, SplitFindAndLoad) {
  EXPECT_EQ(Items(STRINGARRAY("a;,b,", ";,")), V({"a", "", "b", ""}));
  EXPECT_EQ(Items(STRINGARRAY("", ",")), V({""}));
  EXPECT_EQ(Items(STRINGARRAY("abc", "")), V({"abc"}));
  // A STRING source may hold NUL bytes: they are data, never separators.
  EXPECT_EQ(Items(STRINGARRAY(STRING("x\0y|z", 5, 0), "|")), V({std::string("x\0y", 3), "z"}));
  STRINGARRAY words("Alpha,beta,alpha", ",");
  EXPECT_EQ(words.Find("ALPHA"), 0);
  EXPECT_EQ(words.Find("alp"), -1);
  EXPECT_TRUE(TakeReports(true).empty());
  EXPECT_EQ(words.Find("Alpha", 7), -1);
  EXPECT_EQ(TakeReports(true).size(), 1u);

  // Lines go in file order before the items held; a Ctrl-Z or NUL byte is data.
  uidriver::ScratchDir dir;
  std::string longline(100000, 'L');
  ASSERT_TRUE(dir.WriteText("lines.txt", "one\r\ntwo\n\n" + longline + "\nnul" + std::string(1, '\0') +
                                             "byte\nafter\x1a" "z\nlast"));
  STRINGARRAY array;
  array.Add("kept");
  EXPECT_EQ(array.Load(dir.Path("lines.txt").c_str(), false), 7);
  EXPECT_EQ(Items(array), V({"one", "two", "", longline, std::string("nul\0byte", 8), "after\x1az", "last", "kept"}));
  EXPECT_EQ(array.Load(dir.Path("none.txt").c_str(), false), 0);
  EXPECT_EQ(array.Count(), 8);
  EXPECT_TRUE(TakeReports(true).empty());
}

// With the null guard letting null through, an unallocated text compares as empty and never reaches the
// C run-time as a null pointer.
TEST_F(ContainerTest, UnallocatedTextsCompareAsEmptyWhenTheGuardLetsNullThrough) {
  FAILONNULL mode("1");
  STRINGARRAY array;
  for (const STRING& s : {STRING("b", 1252), STRING(), STRING("a", 1252)}) array.Add(s);
  EXPECT_EQ(array.Find(""), 1);
  EXPECT_EQ(array.Find("a"), 2);
  // Parsed empty keys and values are unallocated.
  HASH table(STRING("b=1\n=no key\n#Handle=\nc=\n", 1252));
  ASSERT_EQ(table.Count(), 3);
  EXPECT_EQ(Text(table.GetKey(0)), "");
  EXPECT_EQ(Text(table[""]), "no key");
  EXPECT_TRUE(table.Exists("C"));
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, MutexIsRecursivePerThreadAndExcludesOthers) {
  MUTEXSEM mutex;
  ASSERT_TRUE(mutex.Obtain());
  ASSERT_TRUE(mutex.Obtain());
  bool got = true;
  ASSERT_TRUE(mutex.Release());
  std::thread([&] { got = mutex.Obtain(50); }).join();
  EXPECT_FALSE(got) << "one Release must not free a mutex obtained twice";
  ASSERT_TRUE(mutex.Release());
  // A mutex abandoned by a thread that ended holding it counts as obtained.
  std::thread([&] { got = mutex.Obtain(50); }).join();
  EXPECT_TRUE(got);
  EXPECT_TRUE(mutex.Obtain(1000));
  EXPECT_TRUE(mutex.Release());
  // Releasing a mutex one does not hold is a failure with its report.
  EXPECT_FALSE(mutex.Release());
  EXPECT_EQ(TakeReports(true), V({"osys_win32: ok [handle= " + Address(mutex.Handle()) + "]"}));
}

}  // namespace
