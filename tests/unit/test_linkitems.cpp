// The search for a program by bare name that the shortcut step makes: the system's folders, and never the
// current folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/osys.h"
#include "install/searchorder.h"
#include "scratchdir.h"
#include "testtext.h"

namespace {

// A bare name is looked up with ".dll" added, and never in the current folder.
TEST(SearchOrder, FindsSystemFilesAndNotTheCurrentFolders) {
  uidriver::ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("norba-planted.dll", "planted"));
  const STRING previous = OSYS::GetCurrentDirectory();
  OSYS::SetCurrentDirectory(dir.Root().c_str());
  EXPECT_STREQ((testtext::ShellFolder(CSIDL_SYSTEM) + "\\kernel32.dll").c_str(), FindOnSearchPath("kernel32").c_str());
  EXPECT_TRUE(FindOnSearchPath("norba-planted.dll").IsEmpty());
  OSYS::SetCurrentDirectory(previous.c_str());
}

}  // namespace
