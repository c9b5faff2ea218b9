// Tests of FILENAME: normalisation and joining, path parts, the shell-folder placeholders and pseudo names,
// wildcard matching, and the services on one file (copy, rename, fsopen sharing).
#include "base/filename.h"

#include <gtest/gtest.h>
#include <share.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/osys.h"
#include "scopedenvironment.h"
#include "scratchdir.h"

namespace {

using Pairs = std::vector<std::pair<const char*, const char*>>;

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
std::string Made(const char* text) { return Text(FILENAME(text)); }

FILENAME Assigned(const char* text) {
  FILENAME name;
  name = text;
  return name;
}

TEST(FilenameNormalise, SeparatorsTrailingBackslashesAndRoots) {
  for (const auto& c : Pairs{{"C:/x/y/", "C:\\x\\y"}, {"C:", "C:\\"}, {"C:/", "C:\\"}, {"", ""}, {nullptr, ""}})
    EXPECT_EQ(c.second, Made(c.first)) << (c.first ? c.first : "nullptr");
  // Cutting "C:\\" to "C:" would name the current folder of drive C instead of its root.
  for (const auto& c : Pairs{{"C:\\\\", "C:\\"}, {"/", "\\"}, {"C:", "C:"}})
    EXPECT_EQ(c.second, Text(Assigned(c.first))) << c.first;
  // Assignment neither resolves nor expands.
  EXPECT_EQ("%USERPROFILE%\\a.txt", Text(Assigned("%USERPROFILE%/a.txt/")));
  EXPECT_EQ("~\\a", Text(Assigned("~/a")));
}

TEST(FilenameJoin, FolderAndNameAndThreeParts) {
  const char* cases[][3] = {{"", "a.txt", ".\\a.txt"}, {"C:\\d", "E:\\f.txt", "E:\\f.txt"}, {"C:\\", "a", "C:\\a"},
                            {"C:\\d\\", "x/y/", "C:\\d\\x\\y"}, {"C:\\d", "", "C:\\d"}};
  for (const auto& c : cases) EXPECT_EQ(c[2], Text(FILENAME(c[0], c[1]))) << c[0] << " + " << c[1];
  EXPECT_EQ(".\\a", Text(FILENAME(STRING(), "a"))) << "an unallocated STRING is an empty folder, not \"<NULL>\"";
  EXPECT_EQ("C:\\a\\x\\y", Text(FILENAME("C:\\a\\.\\.", "x", "y")));
  // Names found on disk are not expanded.
  EXPECT_EQ("C:\\d\\%USERPROFILE%", Text(FILENAME::Join("C:\\d", "%USERPROFILE%")));
  EXPECT_EQ("C:\\d\\e", Text(FILENAME::Join("C:\\d\\", "\\e")));
}

TEST(FilenameParts, IsAbsolutePathAndName) {
  for (const char* absolute : {"/x", "C:x", "~\\x", "\\\\srv\\share"}) EXPECT_TRUE(Assigned(absolute).IsAbsolute());
  for (const char* relative : {"", ".\\x", "~x", "%APPDATA%\\x"}) EXPECT_FALSE(Assigned(relative).IsAbsolute());
  // Path, folder and name.
  const char* cases[][3] = {{"C:\\x\\y.txt", "C:\\x", "y.txt"}, {"C:\\y.txt", "C:\\", "y.txt"},
                            {"C:y.txt", "C:", "y.txt"},          {"y.txt", ".", "y.txt"},
                            {"\\\\srv\\share\\f", "\\\\srv\\share", "f"}, {"C:\\", "C:\\", ""}};
  for (const auto& c : cases) {
    FILENAME name = Assigned(c[0]);
    EXPECT_EQ(Text(name.GetPath()) + "|" + Text(name.GetName()), std::string(c[1]) + "|" + c[2]);
  }
}

TEST(FilenamePlaceholders, AtTheStartInEverySpellingUserAndComputerAnywhere) {
  FILENAME::ShellStringsReset();
  // The shell folders end in a backslash; the placeholders stand for them without it.
  EXPECT_EQ(Text(OSYS::GetSystemPath(13)) + "x", Made("%ALLUSERAPPDATA%/x/"));
  const std::string home = Text(OSYS::GetSystemPath(6));
  ASSERT_FALSE(home.empty());
  for (const char* text : {"~/a", "$(userhome)\\a", "%USERPROFILE%\\a"}) EXPECT_EQ(home + "a", Made(text)) << text;
  // Only at the start; unknown names stay.
  EXPECT_EQ("C:\\%APPDATA%\\x", Made("C:/%APPDATA%/x"));
  EXPECT_EQ("%NOSUCHFOLDER%\\x", Made("%NOSUCHFOLDER%\\x"));
  // A root folder value keeps its backslash.
  FILENAME::ShellStringSet("%NORBAROOT%", "R:\\", 0);
  EXPECT_EQ("R:\\", Made("%NORBAROOT%"));
  FILENAME::ShellStringsReset();

  // The user and computer names are replaced anywhere.
  const std::string user = Text(OSYS::GetUserName()), computer = Text(OSYS::GetComputerName());
  ASSERT_FALSE(user.empty());
  EXPECT_EQ("\\\\" + computer + "\\" + user + "\\x", Made("\\\\%COMPUTERNAME%\\%username%\\x"));
  EXPECT_EQ(home + user, Made("%USERHOME%\\%USERNAME%"));
}

// A fresh name "Z-" and six letters or digits in `folder`, that no file has.
void ExpectFreshTempName(const std::string& name, const std::string& folder) {
  ASSERT_EQ(folder.size() + 1 + 8, name.size()) << name;
  EXPECT_EQ(folder + "\\Z-", name.substr(0, folder.size() + 3));
  EXPECT_EQ(name.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", folder.size() + 3),
            std::string::npos) << name;
  EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FilenamePseudo, SelfIsTheRunningProgramAndTempNamesAreFresh) {
  EXPECT_EQ(Text(OSYS::GetOwnFileName()), Made("<SELF>"));
  EXPECT_EQ("x<self>", Made("x<self>"));
  uidriver::ScratchDir dir;
  ScopedEnvironment temp("TEMP", dir.Root() + "\\");
  ExpectFreshTempName(Made("<temp>"), dir.Root());
  // TMP serves when TEMP is unset.
  SetEnvironmentVariableA("TEMP", nullptr);
  ScopedEnvironment tmp("TMP", dir.Root());
  ExpectFreshTempName(Made("<tmp>"), dir.Root());
}

TEST(FilenameWildcard, MatchWildcard) {
  // Name and pattern that match, then name and pattern that do not.
  for (const auto& c : Pairs{{"readme.txt", "*.TXT"}, {"", "*"}, {"", ""}, {"mississippi", "m*iss*pi"}, {"abc", "***"}})
    EXPECT_TRUE(FILENAME::MatchWildcard(c.first, c.second)) << c.first << " / " << c.second;
  for (const auto& c : Pairs{{"x.txt.bak", "*.txt"}, {"", "?"}, {"ab", "?"}, {"a", ""}, {"ab", "a?c"},
                             {"mississippi", "m*x*"}, {"a*b", "a\\*b"}})
    EXPECT_FALSE(FILENAME::MatchWildcard(c.first, c.second)) << c.first << " / " << c.second;
  EXPECT_TRUE(FILENAME::MatchWildcard(nullptr, "*"));
  EXPECT_FALSE(FILENAME::MatchWildcard("a", nullptr));
}

class FileServiceTest : public ::testing::Test {
 protected:
  FILENAME Path(const char* relative) const { return FILENAME::Join(Dir.Root().c_str(), relative); }
  uidriver::ScratchDir Dir;
};

TEST_F(FileServiceTest, CopyToCopiesWholeFilesOverwritesOnlyWhenAskedAndFailsCleanly) {
  std::string content;
  for (int i = 0; i < 10000; i++) content += static_cast<char>('a' + i % 26);
  Dir.WriteText("big.bin", content);
  Dir.WriteText("empty.bin", "");
  EXPECT_TRUE(Path("big.bin").CopyTo(Path("old.txt"), false));
  EXPECT_EQ(content, Dir.ReadText("old.txt"));
  EXPECT_FALSE(Path("empty.bin").CopyTo(Path("old.txt"), false));
  EXPECT_EQ(content, Dir.ReadText("old.txt"));
  EXPECT_TRUE(Path("empty.bin").CopyTo(Path("old.txt"), true));
  EXPECT_EQ("", Dir.ReadText("old.txt"));

  Dir.MakeFolder("sub");
  EXPECT_FALSE(Path("sub").CopyTo(Path("x"), true));
  EXPECT_FALSE(Dir.Exists("x"));
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("nosuchfolder\\x"), true));
  // The same file under another spelling: opening the target must not empty the source.
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("sub\\..\\BIG.BIN"), true));
  EXPECT_EQ(content, Dir.ReadText("big.bin"));
}

TEST_F(FileServiceTest, RenameStaysInItsFolderAndReplacesOnlyWhenAsked) {
  Dir.WriteText("a.txt", "a");
  Dir.MakeFolder("other");
  EXPECT_TRUE(Path("a.txt").Rename(Path("other\\b.txt"), false));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  Dir.WriteText("a.txt", "new");
  EXPECT_FALSE(Path("a.txt").Rename("b.txt", false));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  EXPECT_TRUE(Path("a.txt").Rename("b.txt", true));
  EXPECT_EQ("new", Dir.ReadText("b.txt"));
  // A failed replacing rename leaves the existing target alone.
  EXPECT_FALSE(Path("missing.txt").Rename("b.txt", true));
  EXPECT_EQ("new", Dir.ReadText("b.txt"));
  // Replacing a file by itself under another letter case must not delete it first.
  EXPECT_TRUE(Path("b.txt").Rename("B.TXT", true));
  EXPECT_EQ("new", Dir.ReadText("B.TXT"));
}

// A stream closed with the test's scope.
class OPENED {
 public:
  OPENED(const FILENAME& name, const char* mode, int share = FILENAME_SHARE_BYMODE)
      : File(FILENAME::fsopen(name, mode, share)) {}
  ~OPENED() {
    if (File) fclose(File);
  }
  FILE* File;
};

// A reader denying writers keeps CopyTo from emptying a file onto itself: the copy test.
TEST_F(FileServiceTest, FsopenSharingFollowsTheMode) {
  Dir.WriteText("f.txt", "12345");
  const FILENAME file = Path("f.txt");
  {
    OPENED appender(file, "a");
    ASSERT_NE(nullptr, appender.File);
    EXPECT_EQ(5, ftell(appender.File)) << "appending starts at the end";
    EXPECT_EQ(nullptr, OPENED(file, "rb", _SH_DENYNO).File) << "a writer denies readers";
  }
  OPENED reader(file, "rb");
  ASSERT_NE(nullptr, reader.File);
  EXPECT_NE(nullptr, OPENED(file, "r").File) << "readers share with readers";
  EXPECT_EQ(nullptr, FILENAME::fsopen(file, nullptr));
}

}  // namespace
