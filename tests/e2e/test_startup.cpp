// setup.exe starting up: the missing language library, the ORDER argument that runs no mode, arguments
// from commandline.ini, and the hook library that is loaded only from the program's own folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "scopedenvironment.h"
#include "uidriver.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;

namespace {

// German asked for, no library at all: English is still needed, and the box names its full path.
TEST(StartUp, WithoutLanguageLibrariesTellsThatEnglishIsMissingAndEndsWith99) {
  ScratchDir dir;
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe"}));
  AppUnderTest app(dir.Path("setup.exe"), "/LANG:GER", dir.Root());
  EXPECT_NE(std::string::npos, app.AnswerMessageBox(IDOK, "DLL not found").find(dir.Path("setupenglish.dll")));
  EXPECT_EQ(99u, app.WaitExit());
}

// The hook probe leaves a marker file when a process loads it. /ORDER runs no mode, even with -remove,
// and shows nothing; the same arguments come from commandline.ini (German from it, its library missing:
// English is used, without a box).
TEST(StartUp, TheHookLibraryIsLoadedFromTheProgramFolderOnlyAndOrderRunsNoMode) {
  ScratchDir program;
  ScratchDir work;
  ASSERT_TRUE(program.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
  ASSERT_TRUE(work.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookprobe.dll", "SETUPHOOK.dll"));
  ScopedEnvironment marker("NORBA_HOOKPROBE_MARKER", work.Path("loaded.txt"));
  AppUnderTest fromWork(program.Path("setup.exe"), "/ORDER:x -remove KIV8", work.Root());
  EXPECT_FALSE(fromWork.ShowedWindowUntilExit());
  EXPECT_EQ(0u, fromWork.WaitExit());
  EXPECT_FALSE(work.Exists("loaded.txt"));

  ASSERT_TRUE(program.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookprobe.dll", "SETUPHOOK.dll"));
  ASSERT_TRUE(program.WriteText("commandline.ini", "/LANG:GER\r\n/ORDER:x\r\n"));
  AppUnderTest fromProgram(program.Path("setup.exe"), "", work.Root());
  EXPECT_FALSE(fromProgram.ShowedWindowUntilExit());
  EXPECT_EQ(0u, fromProgram.WaitExit());
  EXPECT_TRUE(work.Exists("loaded.txt"));
}

}  // namespace
