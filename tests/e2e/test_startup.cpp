// setup.exe starting up: the missing language library, the ORDER argument that runs no mode, and the
// hook library that is loaded only from the program's own folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "appundertest.h"
#include "scratchdir.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;

namespace {

const std::vector<std::string> kLanguageLibraries = {"setupenglish.dll", "setupgerman.dll", "setupfrench.dll",
                                                      "setuphungarian.dll"};

// A folder holding setup.exe, with the language libraries unless told otherwise.
void InstallProgram(ScratchDir& dir, bool withLanguages = true) {
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe"}));
  if (withLanguages) {
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, kLanguageLibraries));
  }
}

// The hook probe leaves a marker file when a process loads it; the variable reaches setup.exe.
class HookProbeMarker {
 public:
  explicit HookProbeMarker(const std::string& path) : path_(path) {
    SetEnvironmentVariableA("NORBA_HOOKPROBE_MARKER", path.c_str());
  }
  ~HookProbeMarker() { SetEnvironmentVariableA("NORBA_HOOKPROBE_MARKER", nullptr); }
  bool Written() const { return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::string path_;
};

TEST(StartUp, WithoutLanguageLibrariesTellsWhichOneIsMissingAndEndsWith99) {
  ScratchDir dir;
  InstallProgram(dir, false);
  AppUnderTest app(dir.Path("setup.exe"), "", dir.Root());
  uidriver::UiWindow box = app.WaitMessageBox("DLL not found");
  EXPECT_EQ("Norba Application", box.Caption());
  EXPECT_NE(std::string::npos, box.MessageText().find(dir.Path("setupenglish.dll")));
  box.Press(IDOK);
  EXPECT_EQ(99u, app.WaitExit());
}

TEST(StartUp, GermanWithoutItsLibraryStillNeedsEnglish) {
  ScratchDir dir;
  InstallProgram(dir, false);
  AppUnderTest app(dir.Path("setup.exe"), "/LANG:GER", dir.Root());
  std::string text = app.AnswerMessageBox(IDOK, "DLL not found");
  EXPECT_NE(std::string::npos, text.find("setupenglish.dll"));
  EXPECT_EQ(99u, app.WaitExit());
}

TEST(StartUp, OrderRunsNoModeEvenWithRemove) {
  ScratchDir dir;
  InstallProgram(dir);
  AppUnderTest app(dir.Path("setup.exe"), "/ORDER:x -remove KIV8", dir.Root());
  EXPECT_FALSE(app.ShowedWindowUntilExit());
  EXPECT_EQ(0u, app.WaitExit());
}

TEST(StartUp, ArgumentsFromCommandLineIniAreRead) {
  ScratchDir dir;
  InstallProgram(dir, false);
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
  // German from the argument file, its library missing: English is used, no box.
  dir.WriteText("commandline.ini", "/LANG:GER\r\n/ORDER:x\r\n");
  AppUnderTest app(dir.Path("setup.exe"), "", dir.Root());
  EXPECT_EQ(0u, app.WaitExit());
}

TEST(HookLibrary, IsNotLoadedFromTheCurrentFolder) {
  ScratchDir program;
  ScratchDir downloads;
  InstallProgram(program);
  ASSERT_TRUE(downloads.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookprobe.dll", "SETUPHOOK.dll"));
  HookProbeMarker marker(downloads.Path("loaded.txt"));
  AppUnderTest app(program.Path("setup.exe"), "/ORDER:x", downloads.Root());
  EXPECT_EQ(0u, app.WaitExit());
  EXPECT_FALSE(marker.Written());
}

TEST(HookLibrary, IsLoadedFromTheProgramFolder) {
  ScratchDir program;
  ScratchDir work;
  InstallProgram(program);
  ASSERT_TRUE(program.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookprobe.dll", "SETUPHOOK.dll"));
  HookProbeMarker marker(work.Path("loaded.txt"));
  AppUnderTest app(program.Path("setup.exe"), "/ORDER:x", work.Root());
  EXPECT_EQ(0u, app.WaitExit());
  EXPECT_TRUE(marker.Written());
}

}  // namespace
