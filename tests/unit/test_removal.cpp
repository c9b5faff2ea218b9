// The removal's rules in-process: listed files with the protect list and their emptied folders, hostile
// list elements, the folders that whole-tree removal must never empty, the owner name, and lists that end
// at their first empty element.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "base/osys.h"
#include "scratchdir.h"
#include "uninstall/removal.h"

namespace {

STRINGARRAY List(const char* text) { return ListElements(STRING(text, 1252)); }

TEST(Removal, ListedFilesGoWithTheirEmptiedFoldersProtectedAndOutsideOnesStay) {
  uidriver::ScratchDir dir;
  for (const char* file : {"app\\bin\\a.dll", "app\\bin\\sub\\b.dll", "app\\KEEP.INI", "app\\conf\\keep.ini",
                           "app\\own\\mine.txt", "app\\own\\listed.txt", "outside.txt"})
    ASSERT_TRUE(dir.WriteText(file, "x"));
  STRINGARRAY files = List("bin/a.dll|bin\\sub\\b.dll|keep.ini|conf/keep.ini|own/listed.txt|../outside.txt|"
                           "\\outside.txt|C:outside.txt||own/mine.txt");
  int deleted = RemoveListedFiles(STRING(dir.Path("app").c_str(), 1252), files, List("Keep.ini|x.dll"));
  EXPECT_EQ(3, deleted);
  for (const char* gone : {"app\\bin\\a.dll", "app\\bin\\sub", "app\\bin", "app\\own\\listed.txt"})
    EXPECT_FALSE(dir.Exists(gone)) << gone;
  // Protected files, a file the installation did not list (behind the empty element), files outside.
  for (const char* kept : {"app\\KEEP.INI", "app\\conf\\keep.ini", "app\\own\\mine.txt", "outside.txt"})
    EXPECT_TRUE(dir.Exists(kept)) << kept;
}

TEST(Removal, SystemAndShellFoldersAreNeverEmptied) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof(windows));
  std::string programs = OSYS::GetSystemPath(2).c_str();
  const struct {
    std::string folder;
    bool system;
  } cases[] = {
      {"", true},
      {"C:", true},
      {"C:\\", true},
      {windows, true},
      {programs, true},
      {programs.substr(0, programs.size() - 1), true},
      {OSYS::GetSystemPath(5).c_str(), true},
      {OSYS::GetSystemPath(8).c_str(), true},
      {"C:\\users", true},  // holds the profiles
      {programs + "Norba\\Kiv 8", false},
      {"D:\\Tools\\Kiv", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.system, IsSystemFolder(STRING(c.folder.c_str(), 1252))) << c.folder;
}

TEST(Removal, OwnerNameAndListEnds) {
  EXPECT_STREQ("Norba", FolderOwner(STRING("KIV8", 1252)).c_str());
  EXPECT_STREQ("Bridgeway", FolderOwner(STRING("termbridge2", 1252)).c_str());
  EXPECT_STREQ("Norba", FolderOwner(STRING("TermBridg", 1252)).c_str());
  EXPECT_EQ(2, List("a|b||c").Count());
  EXPECT_EQ(0, List("|a").Count());
  EXPECT_EQ(0, List("").Count());
}

}  // namespace
