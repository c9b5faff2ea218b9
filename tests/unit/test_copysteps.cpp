// Pieces of the copy step that need no wizard: progress arithmetic, the loose files of CopyToDest with
// their destinations inside the installation folder, a folder marker that meets a kept file, and a
// service-control program that cannot start.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "ziptestarchive.h"
#include "base/hash.h"
#include "base/osys.h"
#include "install/copytodest.h"
#include "install/copywindows.h"
#include "install/installedfiles.h"
#include "install/servicecontrol.h"
#include "install/setuparchives.h"
#include "uidriver.h"

namespace {

STRING Str(const std::string& text) { return STRING(text.c_str(), 1252); }

// Runs `step` in `folder`: the copy step finds its files relative to the current folder.
template <class STEP>
void InFolder(const std::string& folder, STEP step) {
  const STRING previous = OSYS::GetCurrentDirectory();
  OSYS::SetCurrentDirectory(folder.c_str());
  step();
  OSYS::SetCurrentDirectory(previous.c_str());
}

// Beyond 32 bits and near the end of 64 without overflow; no division by zero, never past 100.
TEST(CopyProgress, StaysWithinItsEndsIn64Bits) {
  const struct {
    uint64_t done, total;
    int percent;
  } cases[] = {{3000000000ull, 4000000000ull, 75}, {UINT64_MAX / 2, UINT64_MAX, 50}, {0, 0, 100}, {5, 0, 100},
               {12, 10, 100}, {0, 10, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.percent, ProgressPercent(c.done, c.total)) << c.done << "/" << c.total;
}

// The destination is always the bare name inside the installation folder; a source is never copied onto
// itself, a read-only file is replaced, and the list ends at its first empty item.
TEST(CopyToDest, CopiesToBareNamesAndNeverEmptiesASourceOntoItself) {
  for (const char* unusable : {"..", "D:"}) EXPECT_TRUE(CopyToDestTarget(Str("C:\\Kiv"), Str(unusable)).IsEmpty());
  uidriver::ScratchDir dir;
  for (const char* file : {"media\\extra.dll", "media\\sub\\tool.cfg", "outside.txt", "media\\after.txt",
                           "target\\extra.dll", "target\\self.txt"})
    ASSERT_TRUE(dir.WriteText(file, file));
  SetFileAttributesA(dir.Path("target\\extra.dll").c_str(), FILE_ATTRIBUTE_READONLY);
  HASH config;
  config["CopyToDest"] = Str("extra.dll| sub\\tool.cfg\t|..\\outside.txt|" + dir.Path("target\\self.txt") + "||after.txt");
  INSTALLEDFILES files;
  InFolder(dir.Path("media"), [&] { CopyLooseFiles(config, Str(dir.Path("target")), files); });
  EXPECT_STREQ("extra.dll|tool.cfg|outside.txt|self.txt", files.Text().c_str());
  EXPECT_EQ("media\\extra.dll", dir.ReadText("target\\extra.dll"));
  EXPECT_EQ(0u, GetFileAttributesA(dir.Path("target\\extra.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ("media\\sub\\tool.cfg", dir.ReadText("target\\tool.cfg"));
  EXPECT_EQ("outside.txt", dir.ReadText("target\\outside.txt"));
  EXPECT_EQ("target\\self.txt", dir.ReadText("target\\self.txt"));
  EXPECT_FALSE(dir.Exists("target\\after.txt"));
}

// A folder marker never replaces a file of that name that the user keeps, and is never recorded.
TEST(SetupArchives, AFolderMarkerLeavesAKeptFileAloneAndNamesItselfNowhere) {
  uidriver::ScratchDir dir;
  ASSERT_TRUE(ziptest::ZipTestArchive().Add("keep/Dummy.TMP", "marker").Add("kiv.exe", "program").Save(dir.Path("setup.fil")));
  ASSERT_TRUE(dir.WriteText("target\\keep\\Dummy.TMP", "user's file"));
  HASH config;
  config["ProtectedFiles"] = Str("keep/*");
  INSTALLEDFILES files;
  int customadmin = 0;
  COPYWINDOWS nowindows(nullptr, nullptr, nullptr);
  InFolder(dir.Root(), [&] {
    EXPECT_TRUE(SETUPARCHIVES(config, Str(dir.Path("target")), false, nowindows, files, customadmin).ExtractAll());
  });
  EXPECT_STREQ("kiv.exe", files.Text().c_str());
  EXPECT_EQ("user's file", dir.ReadText("target\\keep\\Dummy.TMP"));
}

// A program that cannot start reports 1, the run did not succeed (its own exit code: end-to-end copy test).
TEST(ServiceControl, AProgramThatCannotStartReports1) {
  EXPECT_EQ(1, StartProgramExitCode("C:\\no such folder\\service.exe", "/STOP", nullptr, kServiceControlTitle));
}

}  // namespace
