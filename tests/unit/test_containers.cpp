// Tests of the owning arrays (DYNARRAY through STRINGARRAY): owned copies and growth, index errors,
// splitting, finding and line files, and unallocated texts under the null guard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assertreports.h"
#include "base/dynarray.h"
#include "base/hash.h"
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

// Growing by the increment with inserts in between: every HASH of many keys.
TEST_F(ContainerTest, ItemsAreOwnedCopiesAndAnArrayWithoutSizeGrows) {
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
  EXPECT_EQ(array.Insert(6, STRING("x", 1252)), -1);
  EXPECT_FALSE(array.DeleteItem(5));
  EXPECT_EQ(Items(array), V({"0", "1", "2", "3", "4"}));
  EXPECT_EQ(TakeReports().size(), 4u);
}

TEST_F(ContainerTest, SplitFindAndLoad) {
  EXPECT_EQ(Items(STRINGARRAY("a;,b,", ";,")), V({"a", "", "b", ""}));
  EXPECT_EQ(Items(STRINGARRAY("", ",")), V({""}));
  // A STRING source may hold NUL bytes: they are data, never separators.
  EXPECT_EQ(Items(STRINGARRAY(STRING("x\0y|z", 5, 0), "|")), V({std::string("x\0y", 3), "z"}));
  STRINGARRAY words("Alpha,beta,alpha", ",");
  EXPECT_EQ(words.Find("ALPHA"), 0);
  EXPECT_EQ(words.Find("alp"), -1);
  EXPECT_TRUE(TakeReports(true).empty());

  // A Ctrl-Z or NUL byte in a line file is data (junk and long argument files: the argument tests).
  uidriver::ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("lines.txt", std::string("nul\0byte\r\nafter\x1a" "z\nlast", 22)));
  STRINGARRAY array;
  EXPECT_EQ(array.Load(dir.Path("lines.txt").c_str(), false), 3);
  EXPECT_EQ(Items(array), V({std::string("nul\0byte", 8), "after\x1az", "last"}));
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

}  // namespace
