// Tests of FILENAME: normalisation and joining, path parts, the shell-folder placeholders and pseudo names,
// wildcard matching, and the services on one file (copy, rename).
#include "base/filename.h"

#include <gtest/gtest.h>
#include <windows.h>

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
}

TEST(FilenameJoin, FolderAndNameAndThreeParts) {
  const char* cases[][3] = {{"", "a.txt", ".\\a.txt"}, {"C:\\d", "E:\\f.txt", "E:\\f.txt"}, {"C:\\", "a", "C:\\a"},
                            {"C:\\d\\", "x/y/", "C:\\d\\x\\y"}, {"C:\\d", "", "C:\\d"}};
  for (const auto& c : cases) EXPECT_EQ(c[2], Text(FILENAME(c[0], c[1]))) << c[0] << " + " << c[1];
  EXPECT_EQ(".\\a", Text(FILENAME(STRING(), "a"))) << "an unallocated STRING is an empty folder, not \"<NULL>\"";
  EXPECT_EQ("C:\\a\\x\\y", Text(FILENAME("C:\\a\\.\\.", "x", "y")));
  // Names found on disk are not expanded.
  EXPECT_EQ("C:\\d\\%USERPROFILE%", Text(FILENAME::Join("C:\\d", "%USERPROFILE%")));
}

TEST(FilenameParts, IsAbsolutePathAndName) {
  for (const char* absolute : {"/x", "C:x", "~\\x", "\\\\srv\\share"}) EXPECT_TRUE(Assigned(absolute).IsAbsolute());
  for (const char* relative : {"", ".\\x", "~x", "%APPDATA%\\x"}) EXPECT_FALSE(Assigned(relative).IsAbsolute());
  const char* cases[][3] = {{"C:\\x\\y.txt", "C:\\x", "y.txt"}, {"C:y.txt", "C:", "y.txt"}, {"y.txt", ".", "y.txt"},
                            {"\\\\srv\\share\\f", "\\\\srv\\share", "f"}, {"C:\\", "C:\\", ""}};
  for (const auto& c : cases) {
    FILENAME name = Assigned(c[0]);
    EXPECT_EQ(Text(name.GetPath()) + "|" + Text(name.GetName()), std::string(c[1]) + "|" + c[2]);
  }
}

TEST(FilenamePlaceholders, AtTheStartInEverySpellingUserAndComputerAnywhere) {
  // The shell folders end in a backslash; the placeholders stand for them without it.
  EXPECT_EQ(Text(OSYS::GetSystemPath(13)) + "x", Made("%ALLUSERAPPDATA%/x/"));
  const std::string home = Text(OSYS::GetSystemPath(6));
  for (const char* text : {"~/a", "$(userhome)\\a", "%USERPROFILE%\\a"}) EXPECT_EQ(home + "a", Made(text)) << text;
  EXPECT_EQ("C:\\%APPDATA%\\x", Made("C:/%APPDATA%/x")) << "only at the start";

  // The user and computer names are replaced anywhere.
  const std::string user = Text(OSYS::GetUserName()), computer = Text(OSYS::GetComputerName());
  ASSERT_FALSE(user.empty());
  EXPECT_EQ("\\\\" + computer + "\\" + user + "\\x", Made("\\\\%COMPUTERNAME%\\%username%\\x"));
}

// "<self>" itself names the log file of every end-to-end run.
TEST(FilenamePseudo, TempNamesAreFreshAndOnlyAtTheStart) {
  EXPECT_EQ("x<self>", Made("x<self>")) << "only at the start";
  uidriver::ScratchDir dir;
  ScopedEnvironment temp("TEMP", dir.Root() + "\\");
  const std::string name = Made("<temp>");
  EXPECT_EQ(dir.Root() + "\\Z-", name.substr(0, dir.Root().size() + 3));
  EXPECT_EQ(dir.Root().size() + 9, name.size()) << name;
  EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FilenameWildcard, MatchWildcard) {
  for (const auto& c : Pairs{{"readme.txt", "*.TXT"}, {"", "*"}, {"mississippi", "m*iss*pi"}})
    EXPECT_TRUE(FILENAME::MatchWildcard(c.first, c.second)) << c.first << " / " << c.second;
  for (const auto& c : Pairs{{"x.txt.bak", "*.txt"}, {"", "?"}, {"a", ""}, {"mississippi", "m*x*"}, {"a*b", "a\\*b"}})
    EXPECT_FALSE(FILENAME::MatchWildcard(c.first, c.second)) << c.first << " / " << c.second;
  EXPECT_TRUE(FILENAME::MatchWildcard(nullptr, "*"));
  EXPECT_FALSE(FILENAME::MatchWildcard("a", nullptr));
}

class FileServiceTest : public ::testing::Test {
 protected:
  FILENAME Path(const char* relative) const { return FILENAME::Join(Dir.Root().c_str(), relative); }
  uidriver::ScratchDir Dir;
};

// Whole and empty files and asked overwrites: the copy step of the end-to-end installations.
TEST_F(FileServiceTest, CopyToKeepsTargetsUnlessAskedAndFailsCleanly) {
  const std::string content(10000, 'c');
  Dir.WriteText("big.bin", content);
  Dir.WriteText("old.txt", "old");
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("old.txt"), false));
  EXPECT_EQ("old", Dir.ReadText("old.txt"));
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
  // A failed replacing rename leaves the existing target alone.
  EXPECT_FALSE(Path("missing.txt").Rename("b.txt", true));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  // Replacing a file by itself under another letter case must not delete it first.
  EXPECT_TRUE(Path("b.txt").Rename("B.TXT", true));
  EXPECT_EQ("a", Dir.ReadText("B.TXT"));
}

}  // namespace
