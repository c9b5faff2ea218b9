// Pieces of the copy step that need no wizard: progress arithmetic, the loose files of CopyToDest with
// their destinations inside the installation folder, the archive walk's folder markers and the exit codes
// of the service-control program's runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "ziptestarchive.h"
#include "base/hash.h"
#include "install/copytodest.h"
#include "install/copywindows.h"
#include "install/installedfiles.h"
#include "install/servicecontrol.h"
#include "install/setuparchives.h"
#include "uidriver.h"

using uidriver::ScratchDir;

namespace {

std::string Backslashed(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The current folder moved for one test: the copy step finds its files relative to it.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    GetCurrentDirectoryA(sizeof(old_), old_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryA(old_); }

 private:
  char old_[MAX_PATH * 2] = {};
};

// ---- Progress ----

TEST(CopyProgress, RisesSteadilyOverAHugeArchiveIn64Bits) {
  const uint64_t total = 300ull * 1024 * 1024;
  const uint64_t step = 1024 * 1024;
  int last = 0;
  for (uint64_t done = step; done <= total; done += step) {
    int percent = ProgressPercent(done, total);
    EXPECT_GE(percent, last);
    EXPECT_LE(percent - last, 1);
    last = percent;
  }
  EXPECT_EQ(100, last);
  // Beyond 32 bits, where done * 100 would have wrapped.
  EXPECT_EQ(75, ProgressPercent(3000000000ull, 4000000000ull));
  EXPECT_EQ(50, ProgressPercent(UINT64_MAX / 2, UINT64_MAX));
}

TEST(CopyProgress, NeverDividesByZeroNorPassesTheEnd) {
  EXPECT_EQ(100, ProgressPercent(0, 0));
  EXPECT_EQ(100, ProgressPercent(5, 0));
  EXPECT_EQ(100, ProgressPercent(12, 10));
  EXPECT_EQ(0, ProgressPercent(0, 10));
}

// ---- CopyToDest ----

TEST(CopyToDest, DestinationIsAlwaysTheBareNameInsideTheInstallationFolder) {
  STRING folder("C:\\Programs\\Kiv", 1252);
  EXPECT_EQ(STRING("C:\\Programs\\Kiv\\tool.cfg", 1252), CopyToDestTarget(folder, STRING("sub\\tool.cfg", 1252)));
  EXPECT_EQ(STRING("C:\\Programs\\Kiv\\x.dll", 1252), CopyToDestTarget(folder, STRING("D:\\media\\x.dll", 1252)));
  EXPECT_EQ(STRING("C:\\Programs\\Kiv\\evil.exe", 1252),
            CopyToDestTarget(folder, STRING("..\\..\\Windows\\evil.exe", 1252)));
  EXPECT_TRUE(CopyToDestTarget(folder, STRING("..", 1252)).IsEmpty());
  EXPECT_TRUE(CopyToDestTarget(folder, STRING("D:", 1252)).IsEmpty());
}

TEST(CopyToDest, CopiesRecordsAndNeverEmptiesASourceOntoItself) {
  ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("media\\extra.dll", "new extra"));
  ASSERT_TRUE(dir.WriteText("media\\sub\\tool.cfg", "tool"));
  ASSERT_TRUE(dir.WriteText("outside.txt", "outside"));
  ASSERT_TRUE(dir.WriteText("media\\after.txt", "after"));
  ASSERT_TRUE(dir.WriteText("target\\extra.dll", "old extra"));
  ASSERT_TRUE(dir.WriteText("target\\self.txt", "installed"));
  SetFileAttributesA(dir.Path("target\\extra.dll").c_str(), FILE_ATTRIBUTE_READONLY);

  HASH config;
  config["CopyToDest"] = STRING(("extra.dll| sub\\tool.cfg\t|..\\outside.txt|" + dir.Path("target\\self.txt") +
                                 "||after.txt")
                                    .c_str(),
                                1252);
  INSTALLEDFILES files;
  {
    CurrentFolder media(dir.Path("media"));
    CopyLooseFiles(config, STRING(dir.Path("target").c_str(), 1252), files);
  }

  EXPECT_STREQ("extra.dll|tool.cfg|outside.txt|self.txt", files.Text().c_str());
  EXPECT_EQ("new extra", dir.ReadText("target\\extra.dll"));
  EXPECT_EQ(0u, GetFileAttributesA(dir.Path("target\\extra.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ("tool", dir.ReadText("target\\tool.cfg"));
  EXPECT_EQ("outside", dir.ReadText("target\\outside.txt"));
  EXPECT_EQ("outside", dir.ReadText("outside.txt"));
  EXPECT_EQ("installed", dir.ReadText("target\\self.txt"));
  // Reading stops at the first empty item.
  EXPECT_FALSE(dir.Exists("target\\after.txt"));
}

// ---- Archive walk ----

TEST(SetupArchives, FolderMarkersGoUnlessTheyWereKeptAndNameThemselvesNowhere) {
  ScratchDir dir;
  ASSERT_TRUE(ziptest::ZipTestArchive()
                  .Add("logs/dummy.tmp")
                  .Add("keep/Dummy.TMP", "marker")
                  .Add("kiv.exe", "program")
                  .Save(dir.Path("setup.fil")));
  ASSERT_TRUE(dir.WriteText("target\\keep\\Dummy.TMP", "user's file"));
  HASH config;
  config["ProtectedFiles"] = STRING("keep/*", 1252);
  INSTALLEDFILES files;
  int customadmin = 0;
  COPYWINDOWS nowindows(nullptr, nullptr, nullptr);
  bool done;
  {
    CurrentFolder media(dir.Root());
    SETUPARCHIVES archives(config, STRING(dir.Path("target").c_str(), 1252), false, nowindows, files, customadmin);
    done = archives.ExtractAll();
  }
  EXPECT_TRUE(done);
  EXPECT_STREQ("kiv.exe", files.Text().c_str());
  EXPECT_TRUE(dir.Exists("target\\logs"));
  EXPECT_FALSE(dir.Exists("target\\logs\\dummy.tmp"));
  EXPECT_EQ("user's file", dir.ReadText("target\\keep\\Dummy.TMP"));
  EXPECT_EQ(0, customadmin);
}

// ---- Service-control program ----

TEST(ServiceControl, RunsReportTheExitCodeOrThatNothingStarted) {
  std::string exitcode = Backslashed(NORBA_TEST_FIXTURE_DIR) + "\\exitcode.exe";
  EXPECT_EQ(7, StartProgramExitCode(exitcode.c_str(), "7", nullptr, kServiceControlTitle));
  EXPECT_EQ(1, StartProgramExitCode("C:\\no such folder\\service.exe", "/STOP", nullptr, kServiceControlTitle));

  ScratchDir dir;
  HASH config;
  SERVICECONTROL absent(config, STRING(dir.Root().c_str(), 1252));
  EXPECT_FALSE(absent.IsUsable());
  EXPECT_FALSE(absent.Stop());
  EXPECT_FALSE(absent.Start());
}

}  // namespace
