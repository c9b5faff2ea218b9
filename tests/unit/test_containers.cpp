// Tests of the owning arrays (DYNARRAY, STRINGARRAY, WSTRINGARRAY), their comparisons of unallocated
// texts (those of HASH and HASHLIST too) and of the synchronisation objects they rest on (MUTEXSEM,
// EVENTSEM, the critical section, RAISETHREADPRIORITY), threads included.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "diag/norbaassert.h"
#include "base/critsec.h"
#include "base/dynarray.h"
#include "base/hash.h"
#include "base/hashlist.h"
#include "base/semaphores.h"
#include "base/stringarray.h"
#include "base/wstringarray.h"
#include "assertreports.h"
#include "failonnull.h"
#include "messagewindow.h"
#include "scratchdir.h"

namespace {

class ContainerTest : public AssertReportsTest {};
using V = std::vector<std::string>;

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::vector<std::string> Items(const STRINGARRAY& array) {
  std::vector<std::string> items;
  for (int i = 0; i < array.Count(); i++) items.push_back(Text(array[i]));
  return items;
}

std::string Address(const void* p) {
  char text[32];
  snprintf(text, sizeof(text), "%p", p);
  return text;
}

// --- DYNARRAY through STRINGARRAY ---

TEST_F(ContainerTest, GrowsByItsIncrementAndKeepsOrder) {
  STRINGARRAY array(64, 64);
  for (int i = 0; i < 64; i++) array.Add(STRING(i));
  EXPECT_EQ(array.GetMaxItems(), 64);
  EXPECT_EQ(array.Insert(0, STRING("first", 1252)), 0);
  EXPECT_EQ(array.GetMaxItems(), 128);
  ASSERT_EQ(array.Count(), 65);
  EXPECT_EQ(Text(array[0]), "first");
  for (int i = 0; i < 64; i++) EXPECT_EQ(array[i + 1].atoi(), i);

  // An increment of -1 follows the initial size; with nothing to follow the array still grows.
  DYNARRAY<STRING> empty("EMPTY", 0, -1);
  for (int i = 0; i < 3; i++) EXPECT_EQ(empty.Add(STRING(i)), i);
  EXPECT_EQ(empty.Count(), 3);
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, ItemsAreOwnedCopies) {
  STRING original("abc", 1252);
  STRINGARRAY array;
  array.Add(original);
  original.Append("def");
  EXPECT_EQ(Text(array[0]), "abc");

  STRINGARRAY copy(array);
  copy[0].Append("!");
  STRINGARRAY assigned;
  assigned.Add("old");
  assigned = copy;
  assigned[0].Append("?");
  assigned = assigned;
  EXPECT_EQ(Items(array), V({"abc"}));
  EXPECT_EQ(Items(copy), V({"abc!"}));
  EXPECT_EQ(Items(assigned), V({"abc!?"}));

  // An item added from the array itself is copied before anything moves.
  array.Insert(0, array[0]);
  EXPECT_EQ(Items(array), V({"abc", "abc"}));
}

TEST_F(ContainerTest, DeletingClosesGapsAndClearFreesSlots) {
  STRINGARRAY array(4, 4);
  for (const char* s : {"a", "b", "c", "d", "e"}) array.Add(s);
  EXPECT_TRUE(array.DeleteItem(1));
  EXPECT_EQ(Items(array), V({"a", "c", "d", "e"}));
  EXPECT_TRUE(array.Swap(0, 3));
  EXPECT_EQ(Items(array), V({"e", "c", "d", "a"}));
  array.DeleteAll();
  EXPECT_EQ(array.Count(), 0);
  EXPECT_EQ(array.GetMaxItems(), 8);
  array.Add("x");
  array.Clear();
  EXPECT_EQ(array.Count(), 0);
  EXPECT_EQ(array.GetMaxItems(), 0);
  EXPECT_EQ(array.Add("again"), 0);
  EXPECT_EQ(Items(array), V({"again"}));
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, IndexErrorsAreReportedAndHarmless) {
  STRINGARRAY array(64, 64);
  for (int i = 0; i < 5; i++) array.Add(STRING(i));
  const std::string self = Address(&array);

  STRING& outside = array.Get(5);
  EXPECT_TRUE(outside.IsEmpty());
  outside = STRING("written", 1252);  // must not land in the array
  EXPECT_TRUE(array[-1].IsEmpty());
  EXPECT_EQ(array.Insert(7, STRING("x", 1252)), -1);
  EXPECT_EQ(array.Insert(-1, STRING("x", 1252)), -1);
  EXPECT_FALSE(array.Swap(-1, 5));
  EXPECT_FALSE(array.DeleteItem(5));
  EXPECT_EQ(array.Count(), 5);
  EXPECT_EQ(Items(array), V({"0", "1", "2", "3", "4"}));

  EXPECT_EQ(TakeReports(true), V({"dynarray: FALSE [i= 5, max= 64, count= 5, type= STRINGARRAY, this= " + self + "]",
                                  "dynarray: FALSE [i= -1, max= 64, count= 5, type= STRINGARRAY, this= " + self + "]",
                                  "dynarray: pos>=0 && pos<=this->ItemCount [7/5]",
                                  "dynarray: pos>=0 && pos<=this->ItemCount [-1/5]",
                                  "dynarray: pos1>=0 && pos1<this->ItemCount []",
                                  "dynarray: pos2>=0 && pos2<this->ItemCount []",
                                  "dynarray: pos>=0 && pos<this->ItemCount []"}));

  // The empty item is fresh on every bad read.
  EXPECT_TRUE(array.Get(99).IsEmpty());
}

TEST_F(ContainerTest, SortIsStableAndFollowsTheFlags) {
  STRINGARRAY numbers;
  for (const char* s : {"10", "9", "010", "abc", "-3", "9"}) numbers.Add(s);
  numbers.Sort(STRINGARRAY_COMPARE_NUMERIC);
  EXPECT_EQ(Items(numbers), V({"-3", "abc", "9", "9", "10", "010"}));

  STRINGARRAY words;
  for (const char* s : {"b", "B", "a", "A", "b"}) words.Add(s);
  STRINGARRAY exact(words);
  words.Sort(STRINGARRAY_COMPARE_NOCASE);
  EXPECT_EQ(Items(words), V({"a", "A", "b", "B", "b"}));
  exact.Sort(0);
  EXPECT_EQ(Items(exact), V({"A", "B", "a", "b", "b"}));

  // Numeric comparison does not overflow on distant values.
  EXPECT_LT(numbers.Compare(STRING("-2147483648", 1252), STRING("2147483647", 1252), STRINGARRAY_COMPARE_NUMERIC), 0);

  // A plain DYNARRAY has no ordering of its own.
  DYNARRAY<int> plain("PLAIN", 2);
  plain.Add(2);
  plain.Add(1);
  plain.Sort(0);
  std::vector<std::string> reports = TakeReports(true);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports[0], "dynarray: FALSE []");
}

TEST_F(ContainerTest, ReorderAndExchange) {
  STRINGARRAY array;
  for (const char* s : {"a", "b", "c"}) array.Add(s);
  const int order[] = {2, 0, 1};
  EXPECT_TRUE(array.Reorder(order, 3));
  EXPECT_EQ(Items(array), V({"c", "a", "b"}));
  const int repeated[] = {0, 0, 1};
  EXPECT_FALSE(array.Reorder(repeated, 3));
  const int outside[] = {0, 1, 3};
  EXPECT_FALSE(array.Reorder(outside, 3));
  EXPECT_FALSE(array.Reorder(order, 2));
  EXPECT_EQ(Items(array), V({"c", "a", "b"}));
  EXPECT_EQ(TakeReports(true).size(), 3u);

  STRINGARRAY other;
  other.Add("z");
  array.Exchange(other);
  EXPECT_EQ(Items(array), V({"z"}));
  EXPECT_EQ(Items(other), V({"c", "a", "b"}));
}

// --- STRINGARRAY: splitting, finding, loading ---

TEST_F(ContainerTest, SplitKeepsEveryPieceAndFindHasItsModes) {
  EXPECT_EQ(Items(STRINGARRAY("a,,b,", ",")), V({"a", "", "b", ""}));
  EXPECT_EQ(Items(STRINGARRAY("", ",")), V({""}));
  EXPECT_EQ(Items(STRINGARRAY("a;b,c d", ";, ")), V({"a", "b", "c", "d"}));
  EXPECT_EQ(Items(STRINGARRAY("abc", "")), V({"abc"}));
  EXPECT_EQ(Items(STRINGARRAY(",", ",")), V({"", ""}));
  // A STRING source may hold NUL bytes: they are data, never separators.
  STRING binary("x\0y|z", 5, 0);
  STRINGARRAY pieces(binary, "|");
  ASSERT_EQ(pieces.Count(), 2);
  EXPECT_EQ(Text(pieces[0]), std::string("x\0y", 3));
  EXPECT_EQ(Text(pieces[1]), "z");

  // Find modes.
  STRINGARRAY array;
  for (const char* s : {"Alpha", "beta", "0042", "Gamma Ray", "alpha"}) array.Add(s);
  EXPECT_EQ(array.Find("ALPHA", STRINGARRAY_FIND_EQUAL), 0);
  EXPECT_EQ(array.Find("alp", STRINGARRAY_FIND_EQUAL), -1);
  EXPECT_EQ(array.Find("BE", STRINGARRAY_FIND_PREFIX), 1);
  EXPECT_EQ(array.Find("ray", STRINGARRAY_FIND_PREFIX), -1);
  EXPECT_EQ(array.Find("A R", STRINGARRAY_FIND_CONTAINS), 3);
  EXPECT_EQ(array.Find("42", STRINGARRAY_FIND_NUMBER), 2);
  EXPECT_EQ(array.Find("missing"), -1);
  EXPECT_TRUE(TakeReports(true).empty());
  EXPECT_EQ(array.Find("Alpha", 7), -1);
  EXPECT_EQ(TakeReports(true).size(), 1u);
}

TEST_F(ContainerTest, LoadReadsLinesBeforeExistingItems) {
  uidriver::ScratchDir dir;
  std::string longline(100000, 'L');
  std::string text = "one\r\ntwo\n\nthree\r\n" + longline + "\nnul";
  text += std::string(1, '\0') + "byte\nafter\x1a" "z\nlast";
  ASSERT_TRUE(dir.WriteText("lines.txt", text));
  STRINGARRAY array;
  array.Add("kept");
  EXPECT_EQ(array.Load(dir.Path("lines.txt").c_str(), false), 8);
  EXPECT_EQ(Items(array), V({"one", "two", "", "three", longline, std::string("nul\0byte", 8),
                                                    "after\x1az", "last", "kept"}));

  // No last line when the file ends with LF; escapes decoded on request.
  ASSERT_TRUE(dir.WriteText("escaped.txt", "a\\tb\\x41\r\n"));
  STRINGARRAY unescaped;
  EXPECT_EQ(unescaped.Load(dir.Path("escaped.txt").c_str(), true), 1);
  EXPECT_EQ(Items(unescaped), V({"a\tbA"}));

  STRINGARRAY missing;
  missing.Add("x");
  EXPECT_EQ(missing.Load(dir.Path("none.txt").c_str(), false), 0);
  EXPECT_EQ(Items(missing), V({"x"}));
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, WideArraySplitsFindsAndCompares) {
  WSTRINGARRAY array(L"Eins;zwei;;\x00c4rger;0012", L";");
  ASSERT_EQ(array.Count(), 5);
  EXPECT_EQ(array[3].Length(), 5);
  EXPECT_EQ(array.Find(L"EINS"), 0);
  EXPECT_EQ(array.Find(L"ZW", STRINGARRAY_FIND_PREFIX), 1);
  EXPECT_EQ(array.Find(L"RGE", STRINGARRAY_FIND_CONTAINS), 3);
  EXPECT_EQ(array.Find(L"12", STRINGARRAY_FIND_NUMBER), 4);
  EXPECT_EQ(array.Find(L"drei"), -1);
  EXPECT_GT(array.Compare(WSTRING(L"100"), WSTRING(L"20"), STRINGARRAY_COMPARE_NUMERIC), 0);
  EXPECT_EQ(array.Compare(WSTRING(L"abc"), WSTRING(L"ABC"), STRINGARRAY_COMPARE_NOCASE), 0);
  EXPECT_NE(array.Compare(WSTRING(L"abc"), WSTRING(L"ABC"), 0), 0);
  EXPECT_TRUE(array.Get(9).IsEmpty());
  std::vector<std::string> reports = TakeReports(true);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("type= WSTRINGARRAY"), std::string::npos);
}

// With the null guard letting null through, an unallocated text compares as empty and never reaches the
// C run-time as a null pointer.
TEST_F(ContainerTest, UnallocatedTextsCompareAsEmptyWhenTheGuardLetsNullThrough) {
  FAILONNULL mode("1");
  STRINGARRAY array;
  for (const STRING& s : {STRING("b", 1252), STRING(), STRING("a", 1252)}) array.Add(s);
  EXPECT_EQ(array.Find(""), 1);
  EXPECT_EQ(array.Find("x", STRINGARRAY_FIND_PREFIX), -1);
  for (int flags : {0, STRINGARRAY_COMPARE_NOCASE}) {
    array.Sort(flags);
    EXPECT_EQ(Items(array), V({"", "a", "b"}));
  }
  WSTRINGARRAY wide;
  wide.Add(WSTRING());
  wide.Add(L"b");
  for (int findmode = STRINGARRAY_FIND_EQUAL; findmode <= STRINGARRAY_FIND_NUMBER; findmode++)
    EXPECT_EQ(wide.Find(L"x", findmode), findmode == STRINGARRAY_FIND_NUMBER ? 0 : -1) << findmode;
  for (int flags : {0, STRINGARRAY_COMPARE_NOCASE, STRINGARRAY_COMPARE_NUMERIC})
    EXPECT_LE(wide.Compare(WSTRING(), WSTRING(L"a"), flags), 0) << flags;

  // Parsed empty keys and values are unallocated.
  HASH table(STRING("b=1\n=no key\n#Handle=\nc=\n", 1252));
  ASSERT_EQ(table.Count(), 3);
  EXPECT_EQ(Text(table.GetKey(0)), "");
  EXPECT_EQ(Text(table[""]), "no key");
  EXPECT_TRUE(table.Exists("C"));
  HASHLIST list;
  list.Add(HASH("name=b\n"));
  list.Add(HASH("name=\n"));
  list.SetColumns("name");
  list.Sort(0);
  EXPECT_EQ(Text(list[0].Get("name")), "");
  list.Sort(HASHLIST_COMPARE_NUMERIC);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(TakeReports(true).empty());
}

// --- Locks and threads ---

// Runs `work` on another thread and waits for it.
template <typename F>
void OnOtherThread(F work) {
  std::thread other(work);
  other.join();
}

TEST_F(ContainerTest, MutexIsRecursivePerThreadAndExcludesOthers) {
  MUTEXSEM mutex;
  ASSERT_NE(mutex.Handle(), nullptr);
  ASSERT_TRUE(mutex.Obtain());
  ASSERT_TRUE(mutex.Obtain());
  bool got = true;
  OnOtherThread([&] { got = mutex.Obtain(50); });
  EXPECT_FALSE(got);
  ASSERT_TRUE(mutex.Release());
  OnOtherThread([&] { got = mutex.Obtain(50); });
  EXPECT_FALSE(got) << "one Release must not free a mutex obtained twice";
  ASSERT_TRUE(mutex.Release());
  OnOtherThread([&] {
    got = mutex.Obtain(50);
    if (got) mutex.Release();
  });
  EXPECT_TRUE(got);

  // Releasing a mutex one does not hold is a failure with its report.
  EXPECT_FALSE(mutex.Release());
  std::vector<std::string> reports = TakeReports(true);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "osys_win32: ok [handle= " + Address(mutex.Handle()) + "]");

  // A mutex abandoned by a thread that ended holding it counts as obtained.
  OnOtherThread([&] { mutex.Obtain(); });
  EXPECT_TRUE(mutex.Obtain(1000));
  EXPECT_TRUE(mutex.Release());
}

TEST_F(ContainerTest, NamedMutexIsSharedByName) {
  char name[64];
  snprintf(name, sizeof(name), "NorbaContainerTest_%lu", GetCurrentProcessId());
  MUTEXSEM first(true, name);
  EXPECT_FALSE(first.AlreadyExisted());
  bool got = true, existed = false;
  OnOtherThread([&] {
    MUTEXSEM second(false, name);
    existed = second.AlreadyExisted();
    got = second.Obtain(50);
  });
  EXPECT_TRUE(existed);
  EXPECT_FALSE(got) << "the first one was created owned";
  EXPECT_TRUE(first.Release());
}

TEST_F(ContainerTest, ArrayLockHoldsOtherThreadsOffAndConcurrentAddsLoseNothing) {
  STRINGARRAY array;
  EVENTSEM started;
  std::atomic<bool> added{false};
  ASSERT_TRUE(array.Lock());
  std::thread other([&] {
    started.Set();
    array.Add("other");
    added = true;
  });
  ASSERT_TRUE(started.Wait(5000));
  Sleep(100);
  EXPECT_FALSE(added.load()) << "Add must wait for the lock";
  array.Add("mine");  // the holder itself gets through: the lock is recursive
  array.Unlock();
  other.join();
  EXPECT_EQ(Items(array), V({"mine", "other"}));

  // Concurrent adds lose nothing.
  STRINGARRAY shared(0, 16);
  std::vector<std::thread> adders;
  for (int t = 0; t < 4; t++)
    adders.emplace_back([&shared, t] {
      for (int i = 0; i < 300; i++) shared.Add(STRING(t * 1000 + i));
    });
  for (std::thread& adder : adders) adder.join();
  ASSERT_EQ(shared.Count(), 1200);
  shared.Sort(STRINGARRAY_COMPARE_NUMERIC);
  for (int t = 0; t < 4; t++)
    for (int i = 0; i < 300; i++) EXPECT_EQ(shared[t * 300 + i].atoi(), t * 1000 + i);
}

TEST_F(ContainerTest, EventIsManualReset) {
  EVENTSEM event;
  EXPECT_FALSE(event.Wait(0));
  EXPECT_TRUE(event.Set());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0)) << "a manual-reset event stays set";
  EXPECT_TRUE(event.Reset());
  EXPECT_FALSE(event.Wait(10));
  EVENTSEM set(true);
  EXPECT_TRUE(set.Wait(0));
  EXPECT_TRUE(TakeReports(true).empty());
}

TEST_F(ContainerTest, WaitOnWindowThreadKeepsMessagesFlowing) {
  CountingWindow window;
  ASSERT_NE(window.Get(), nullptr);
  MUTEXSEM mutex;
  mutex.SetWindowThread(GetCurrentThreadId());
  EVENTSEM holding;
  DWORD_PTR answer = 0;
  LRESULT sent = 0;
  // The holder sends to the window before it lets go: without message flow in Obtain both would wait.
  std::thread holder([&] {
    mutex.Obtain();
    holding.Set();
    sent = SendMessageTimeoutA(window.Get(), WM_APP, 0, 0, SMTO_NORMAL, 5000, &answer);
    mutex.Release();
  });
  ASSERT_TRUE(holding.Wait(5000));
  EXPECT_TRUE(mutex.Obtain(10000));
  mutex.Release();
  holder.join();
  EXPECT_NE(sent, 0);
  EXPECT_EQ(answer, 42u);
  EXPECT_EQ(window.Count(), 1);
}

TEST_F(ContainerTest, CriticalSectionExcludesAndNests) {
  CRITICALSECTION section;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; i++) {
        CRITICALSECTIONLOCK outer(section);
        CRITICALSECTIONLOCK inner(section);
        long seen = counter;
        counter = seen + 1;
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 80000);
}

TEST_F(ContainerTest, ThreadPriorityIsRestored) {
  HANDLE self = GetCurrentThread();
  int before = GetThreadPriority(self);
  {
    RAISETHREADPRIORITY raise(THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_TRUE(raise.IsRaised());
    EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_TRUE(raise.SetPriority(THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_HIGHEST);
  }
  EXPECT_EQ(GetThreadPriority(self), before);
  {
    RAISETHREADPRIORITY raise(THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_LOWEST);
  }
  EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_LOWEST);
  SetThreadPriority(self, before);
}

}  // namespace
