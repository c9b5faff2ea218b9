// Link items beyond what the end-to-end tests reach: the desktop item among several offered ones, and the
// search for a program by bare name that never looks into the current folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/filename.h"
#include "install/linkitems.h"
#include "install/searchorder.h"
#include "scratchdir.h"

namespace {

TEST(LinkItems, TheLastOfferedItemBecomesTheDesktopItem) {
  const struct {
    const char* opts;
    const char* desktop;
  } cases[] = {
      {"A;a.exe|B;*b.exe;-x;b.exe:1|C;*bin\\c.exe|D;d.exe", "C;#bin\\c.exe;"},
      {" B ; *b.exe ; -x ", "B;#b.exe;-x"},
      {"A;a.exe||B;*b.exe", ""},  // an empty item ends the list
      {"A;a.exe", ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.desktop, PATHTEXT(DesktopItem(c.opts)).c_str()) << c.opts;
}

// A bare name is looked up with ".dll" added, and never in the current folder.
TEST(SearchOrder, FindsSystemFilesAndNotTheCurrentFolders) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  uidriver::ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("norba-planted.dll", "planted"));
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(dir.Root().c_str());
  EXPECT_STREQ((std::string(system) + "\\kernel32.dll").c_str(), FindOnSearchPath("kernel32").c_str());
  EXPECT_TRUE(FindOnSearchPath("norba-planted.dll").IsEmpty());
  SetCurrentDirectoryA(previous);
}

}  // namespace
