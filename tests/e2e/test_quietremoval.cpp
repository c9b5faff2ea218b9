// Removal for deployment tools end to end: a hidden installation of a small package, then the quiet
// removal through the relaunched copy in a folder of its own below TEMP (exit code 0, no window, nothing
// recorded left, an unlisted file kept), and a second removal that finds no record (1605).
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <string>

#include "pendingdeletions.h"
#include "scopedenvironment.h"
#include "testtext.h"
#include "uidriver.h"
#include "ziptestarchive.h"

namespace {

using testtext::Escaped;

using uidriver::AppUnderTest;

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool RecordExists(const std::string& key) {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + key).c_str(), 0, KEY_READ | view, &opened) == ERROR_SUCCESS) {
      RegCloseKey(opened);
      return true;
    }
  }
  return false;
}

// The record's value; empty when it is missing.
std::string RecordValue(const std::string& key, const char* name) {
  char data[1024] = {};
  DWORD size = sizeof(data) - 1;
  LONG rc = RegGetValueA(HKEY_LOCAL_MACHINE, (kUninstallKey + key).c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size);
  return rc == ERROR_SUCCESS ? data : "";
}

// Runs the program and waits for its end, checking that no window of it was ever visible.
DWORD RunWatched(const std::string& program, const std::string& arguments, const std::string& workdir) {
  AppUnderTest app(program, arguments, workdir);
  bool shown = false;
  uidriver::Deadline deadline(uidriver::DefaultTimeoutMs());
  while (app.Running() && !deadline.Passed()) {
    shown = shown || !app.VisibleWindows().empty();
    Sleep(20);
  }
  EXPECT_FALSE(shown) << arguments;
  return app.WaitExit();
}

// Runs setup.exe of the scratch folder hidden.
DWORD RunHidden(const uidriver::ScratchDir& dir, const std::string& arguments) {
  return RunWatched(dir.Path("setup.exe"), "/LANG:ENGL /HIDE " + arguments, dir.Root());
}

TEST(QuietRemoval, RemovesWhatWasInstalledThroughItsCopyAndTellsByExitCode) {
  uidriver::ScratchDir dir;
  const std::string key = "NorbaRemovalTest" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll", "setupgerman.dll"}));
  ASSERT_TRUE(dir.WriteText("setup.cfg", "AppName=RemovalTest\r\nAppVersion=1.00\r\nIniKey=" + key +
                                             "\r\nInstallPath=*" + Escaped(dir.Path("target")) + "\r\n"));
  ASSERT_TRUE(ziptest::ZipTestArchive().Add("readme.txt", "r").Add("bin/sub/tool.dll", "t").Save(dir.Path("setup.fil")));
  ASSERT_TRUE(dir.WriteText("silentsetup.ini",
                            "2001.PUSH=149\r\n2003.301=CB:1\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n2004.PUSH=149\r\n"
                            "2005.403=RB:1\r\n2005.PUSH=149\r\n2009.PUSH=0\r\n"));
  ASSERT_EQ(0u, RunHidden(dir, ""));
  ASSERT_TRUE(dir.Exists("target\\bin\\sub\\tool.dll"));
  ASSERT_TRUE(RecordExists(key));
  // The product brings the uninstaller and its libraries; a file of the user's stays.
  for (const char* file : {"setup.exe", "setupenglish.dll", "setupgerman.dll"})
    ASSERT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_DIST_DIR) + "/" + file, std::string("target\\") + file));
  ASSERT_TRUE(dir.WriteText("target\\user.txt", "mine"));

  // The quiet command that deployment tools read from the record, with a TEMP of the test's own for the copy.
  ASSERT_TRUE(dir.MakeFolder("temp"));
  ScopedEnvironment temp("TEMP", dir.Path("temp"));
  testtext::COMMAND quiet = testtext::SplitCommand(RecordValue(key, "QuietUninstallString"));
  EXPECT_EQ("-remove \"" + key + "\" /HIDE", quiet.Arguments);
  EXPECT_EQ(0u, RunWatched(quiet.Program, quiet.Arguments, dir.Root()));
  EXPECT_FALSE(RecordExists(key));
  for (const char* gone : {"target\\readme.txt", "target\\bin", "target\\LicenseAgreed.txt"})
    EXPECT_FALSE(dir.Exists(gone)) << gone;
  EXPECT_TRUE(dir.Exists("target\\user.txt"));
  EXPECT_TRUE(testtext::Contains(pendingdeletions::Deletions(), testtext::Lower(dir.Path("temp\\NorbaUninstall."))));
  pendingdeletions::Forget(dir.Path("temp"));
  EXPECT_EQ(1605u, RunHidden(dir, "-remove " + key));
}

}  // namespace

namespace {

// A hidden installation whose answer file walks on over a folder that cannot be written ends with 1603
// instead of repeating the folder page for ever.
TEST(QuietInstallation, AnUnwritableFolderEndsTheRunAsFailed) {
  uidriver::ScratchDir dir;
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
  ASSERT_TRUE(dir.WriteText("blocker", "a file where the folder should be"));
  ASSERT_TRUE(dir.WriteText("setup.cfg", "AppName=FolderTest\r\nAppVersion=1.00\r\nIniKey=NorbaFolderTest\r\n"
                                         "InstallPath=*" + Escaped(dir.Path("blocker\\target")) + "\r\n"));
  ASSERT_TRUE(dir.WriteText("silentsetup.ini", "2001.PUSH=149\r\n2003.301=CB:1\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n"));
  EXPECT_EQ(1603u, RunHidden(dir, ""));
  EXPECT_FALSE(RecordExists("NorbaFolderTest"));
}

}  // namespace
