// Tests of FILENAME: normalisation and joining, path parts, the shell-folder placeholders and pseudo names,
// wildcard matching, and the services on one file (copy, rename, read-only, fsopen sharing).
#include "base/filename.h"

#include <gtest/gtest.h>
#include <share.h>
#include <windows.h>

#include <cctype>
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
  for (const auto& c : Pairs{{"C:\\\\", "C:\\"}, {"C://", "C:\\"}, {"/", "\\"}, {"\\\\\\", "\\"}, {"C:", "C:"}})
    EXPECT_EQ(c.second, Text(Assigned(c.first))) << c.first;
  // Assignment neither resolves nor expands.
  EXPECT_EQ("%USERPROFILE%\\a.txt", Text(Assigned("%USERPROFILE%/a.txt/")));
  EXPECT_EQ("<self>", Text(Assigned("<self>")));
  EXPECT_EQ("~\\a", Text(Assigned("~/a")));
}

TEST(FilenameJoin, FolderAndNameAndThreeParts) {
  EXPECT_EQ(".\\a.txt", Text(FILENAME("", "a.txt")));
  EXPECT_EQ(".\\a", Text(FILENAME(STRING(), "a"))) << "an unallocated STRING is an empty folder, not \"<NULL>\"";
  EXPECT_EQ("E:\\f.txt", Text(FILENAME("C:\\d", "E:\\f.txt")));
  EXPECT_EQ("\\f.txt", Text(FILENAME("C:\\d", "/f.txt")));
  EXPECT_EQ("C:\\a", Text(FILENAME("C:\\", "a")));
  EXPECT_EQ("C:\\d\\x\\y", Text(FILENAME("C:\\d\\", "x/y/")));
  EXPECT_EQ("C:\\d", Text(FILENAME("C:\\d", "")));
  EXPECT_EQ("C:\\a\\x\\y", Text(FILENAME("C:\\a\\.\\.", "x", "y")));
  EXPECT_EQ("E:\\c", Text(FILENAME("C:\\a", "b", "E:\\c")));
  // Names found on disk are not expanded.
  EXPECT_EQ("C:\\d\\%USERPROFILE%", Text(FILENAME::Join("C:\\d", "%USERPROFILE%")));
  EXPECT_EQ("C:\\d\\~", Text(FILENAME::Join("C:\\d\\", "~")));
  EXPECT_EQ("C:\\d\\e", Text(FILENAME::Join("C:\\d", "\\e")));
}

TEST(FilenameParts, IsAbsolutePathAndName) {
  for (const char* absolute : {"\\x", "/x", "C:\\x", "C:x", "~\\x", "\\\\srv\\share"})
    EXPECT_TRUE(Assigned(absolute).IsAbsolute()) << absolute;
  for (const char* relative : {"", "x", ".\\x", "~x", "%APPDATA%\\x"})
    EXPECT_FALSE(Assigned(relative).IsAbsolute()) << relative;
  const struct {
    const char *Path, *Folder, *Name;
  } cases[] = {
      {"C:\\x\\y.txt", "C:\\x", "y.txt"}, {"C:\\y.txt", "C:\\", "y.txt"}, {"C:y.txt", "C:", "y.txt"},
      {"y.txt", ".", "y.txt"},            {"\\y.txt", "\\", "y.txt"},     {"\\\\srv\\share\\f", "\\\\srv\\share", "f"},
      {"~\\f", "~", "f"},                 {"C:\\", "C:\\", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.Folder, Text(Assigned(c.Path).GetPath())) << c.Path;
    EXPECT_EQ(c.Name, Text(Assigned(c.Path).GetName())) << c.Path;
  }
}

// A folder without its trailing backslash, as a placeholder expands to it.
std::string Folder(int type) {
  std::string text = Text(OSYS::GetSystemPath(type));
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

TEST(FilenamePlaceholders, AtTheStartInEverySpellingUserAndComputerAnywhere) {
  FILENAME::ShellStringsReset();
  const struct {
    const char* Placeholder;
    int Type;
  } folders[] = {{"%USERHOME%", 6},  {"%USERPROFILE%", 6},     {"%USERDOCUMENTS%", 14},  {"%USERDESKTOP%", 8},
                 {"%APPDATA%", 5},   {"%ALLUSERAPPDATA%", 13}, {"%ALLUSERPROFILE%", 12}, {"%USERLIBRARY%", 5},
                 {"%USERLOGS%", 18}, {"%USERDOWNLOAD%", 19},   {"%USERPICTURES%", 7}};
  for (const auto& f : folders) {
    std::string placeholder = f.Placeholder, folder = Folder(f.Type);
    ASSERT_FALSE(folder.empty()) << placeholder;
    EXPECT_EQ(folder + "\\x", Made((placeholder + "/x/").c_str())) << placeholder;
    EXPECT_EQ(folder, Made(("$(" + placeholder.substr(1, placeholder.size() - 2) + ")").c_str())) << placeholder;
  }
  const std::string home = Folder(6);
  for (const char* text : {"~\\a.txt", "~/a.txt", "%userhome%\\a.txt"}) EXPECT_EQ(home + "\\a.txt", Made(text)) << text;
  EXPECT_EQ(home + "\\a", Text(FILENAME("C:\\x", "~\\a")));
  // Only at the start; unknown names stay.
  EXPECT_EQ("x\\%USERHOME%", Made("x\\%USERHOME%"));
  EXPECT_EQ("C:\\%APPDATA%\\x", Made("C:/%APPDATA%/x"));
  EXPECT_EQ("%NOSUCHFOLDER%\\x", Made("%NOSUCHFOLDER%\\x"));
  // A root folder value keeps its backslash.
  FILENAME::ShellStringSet("%NORBAROOT%", "R:\\", 0);
  EXPECT_EQ("R:\\", Made("%NORBAROOT%"));
  EXPECT_EQ("R:\\x", Made("%NORBAROOT%\\x"));
  FILENAME::ShellStringsReset();

  // The user and computer names are replaced anywhere.
  const std::string user = Text(OSYS::GetUserName());
  ASSERT_FALSE(user.empty());
  EXPECT_EQ("C:\\data\\" + user + "\\x", Made("C:\\data\\%username%\\x"));
  EXPECT_EQ("\\\\" + Text(OSYS::GetComputerName()) + "\\share", Made("\\\\%COMPUTERNAME%\\share"));
  EXPECT_EQ(home + "\\" + user, Made("%USERHOME%\\%USERNAME%"));
}

// A fresh name "Z-" and six letters or digits in `folder`, that no file has.
void ExpectFreshTempName(const std::string& name, const std::string& folder) {
  ASSERT_EQ(folder.size() + 1 + 8, name.size()) << name;
  EXPECT_EQ(folder + "\\Z-", name.substr(0, folder.size() + 3));
  for (size_t i = folder.size() + 3; i < name.size(); i++)
    EXPECT_TRUE(isalnum(static_cast<unsigned char>(name[i]))) << name;
  EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FilenamePseudo, SelfIsTheRunningProgramAndTempNamesAreFresh) {
  EXPECT_EQ(Text(OSYS::GetOwnFileName()), Made("<SELF>"));
  EXPECT_EQ("x<self>", Made("x<self>"));
  uidriver::ScratchDir dir;
  ScopedEnvironment temp("TEMP", dir.Root() + "\\");
  const std::string first = Made("<tmp>");
  ExpectFreshTempName(first, dir.Root());
  dir.WriteText(first.substr(dir.Root().size() + 1), "taken");
  const std::string second = Made("<temp>");
  ExpectFreshTempName(second, dir.Root());
  EXPECT_NE(first, second);
  // TMP serves when TEMP is unset.
  SetEnvironmentVariableA("TEMP", nullptr);
  ScopedEnvironment tmp("TMP", dir.Root());
  ExpectFreshTempName(Made("<tmp>"), dir.Root());
}

TEST(FilenameWildcard, MatchWildcard) {
  const struct {
    const char *Name, *Pattern;
    bool Matches;
  } cases[] = {
      {"readme.txt", "*.TXT", true},    {"readme.txt", "*.txt.bak", false}, {"x.txt.bak", "*.txt", false},
      {"a", "?", true},                 {"", "?", false},                   {"ab", "?", false},
      {"", "*", true},                  {"", "", true},                     {"a", "", false},
      {"ac", "a*c", true},              {"abbbc", "a*b*c", true},           {"ab", "a?c", false},
      {"mississippi", "m*iss*pi", true}, {"mississippi", "m*x*", false},    {"KIVHOSTS.INI", "kiv*.in?", true},
      {"a*b", "a\\*b", false},          {"abc", "***", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.Matches, FILENAME::MatchWildcard(c.Name, c.Pattern)) << c.Name << " / " << c.Pattern;
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
  Dir.WriteText("old.txt", "old");
  EXPECT_TRUE(Path("big.bin").CopyTo(Path("big.copy"), false));
  EXPECT_EQ(content, Dir.ReadText("big.copy"));
  EXPECT_TRUE(Path("empty.bin").CopyTo(Path("empty.copy"), false));
  EXPECT_EQ("", Dir.ReadText("empty.copy"));
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("old.txt"), false));
  EXPECT_EQ("old", Dir.ReadText("old.txt"));
  EXPECT_TRUE(Path("empty.bin").CopyTo(Path("old.txt"), true));
  EXPECT_EQ("", Dir.ReadText("old.txt"));

  Dir.MakeFolder("sub");
  EXPECT_FALSE(Path("missing").CopyTo(Path("x"), true));
  EXPECT_FALSE(Dir.Exists("x"));
  EXPECT_FALSE(Path("sub").CopyTo(Path("x"), true));
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("nosuchfolder\\x"), true));
  EXPECT_FALSE(Dir.Exists("nosuchfolder"));
  // The same file under another spelling: opening the target must not empty the source.
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("BIG.BIN"), true));
  EXPECT_FALSE(Path("big.bin").CopyTo(Path("sub\\..\\big.bin"), true));
  EXPECT_EQ(content, Dir.ReadText("big.bin"));
}

TEST_F(FileServiceTest, RenameStaysInItsFolderAndReplacesOnlyWhenAsked) {
  Dir.WriteText("a.txt", "a");
  Dir.MakeFolder("other");
  EXPECT_TRUE(Path("a.txt").Rename(Path("other\\b.txt"), false));
  EXPECT_FALSE(Dir.Exists("other\\b.txt"));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  Dir.WriteText("a.txt", "new");
  EXPECT_FALSE(Path("a.txt").Rename("b.txt", false));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  EXPECT_TRUE(Path("a.txt").Rename("b.txt", true));
  EXPECT_FALSE(Dir.Exists("a.txt"));
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

TEST_F(FileServiceTest, ReadOnlyFilesStayAndFsopenSharingFollowsTheMode) {
  Dir.WriteText("f.txt", "12345");
  const FILENAME file = Path("f.txt");
  ASSERT_TRUE(file.SetReadOnly(true));
  EXPECT_FALSE(file.Delete());
  ASSERT_TRUE(file.SetReadOnly(false));
  {
    OPENED appender(file, "a");
    ASSERT_NE(nullptr, appender.File);
    EXPECT_EQ(5, ftell(appender.File)) << "appending starts at the end";
  }
  {
    OPENED reader(file, "rb");
    ASSERT_NE(nullptr, reader.File);
    EXPECT_NE(nullptr, OPENED(file, "r").File) << "readers share with readers";
    EXPECT_EQ(nullptr, OPENED(file, "ab", _SH_DENYNO).File) << "a reader denies writers";
    EXPECT_EQ(nullptr, OPENED(file, "r+b", _SH_DENYNO).File) << "a reader denies updaters";
  }
  for (const char* mode : {"wb", "ab", "r+b", "w+"}) {
    OPENED writer(file, mode);
    ASSERT_NE(nullptr, writer.File) << mode;
    EXPECT_EQ(nullptr, OPENED(file, "rb", _SH_DENYNO).File) << mode << " denies readers";
  }
  EXPECT_EQ(nullptr, FILENAME::fsopen(Path("missing\\f.txt"), "rb"));
  EXPECT_EQ(nullptr, FILENAME::fsopen("", "rb"));
  EXPECT_EQ(nullptr, FILENAME::fsopen(file, nullptr));
  EXPECT_TRUE(file.Delete());
  EXPECT_FALSE(file.SetReadOnly(true));
}

}  // namespace
