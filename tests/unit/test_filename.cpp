// Tests of FILENAME: normalisation and joining, path parts, the shell-string placeholders and pseudo
// names, wildcard matching, and the services on one file (tests, copy, rename, fsopen sharing).
#include "base/filename.h"

#include <gtest/gtest.h>
#include <share.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "diag/norbaassert.h"
#include "base/osys.h"
#include "base/stream.h"  // FileSize
#include "base/tempname.h"
#include "scratchdir.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

FILENAME Made(const char* text) { return FILENAME(text); }

FILENAME Assigned(const char* text) {
  FILENAME name;
  name = text;
  return name;
}

// A folder without its trailing backslash, as a placeholder expands to it.
std::string Trimmed(const STRING& folder) {
  std::string text = Text(folder);
  while (!text.empty() && (text.back() == '\\' || text.back() == '/')) text.pop_back();
  return text;
}

// Sets an environment variable for one scope and restores it afterwards.
class ENVIRONMENT {
 public:
  ENVIRONMENT(const char* name, const char* value) : Name(name) {
    char old[4096] = {};
    DWORD n = GetEnvironmentVariableA(name, old, sizeof(old));
    Had = n > 0 && n < sizeof(old);
    Old = old;
    SetEnvironmentVariableA(name, value);
  }
  ~ENVIRONMENT() { SetEnvironmentVariableA(Name.c_str(), Had ? Old.c_str() : nullptr); }

 private:
  std::string Name, Old;
  bool Had;
};

// --- Normalisation, joining and path parts ---

TEST(FilenameNormalise, SeparatorsTrailingBackslashesAndRoots) {
  for (const auto& c : std::vector<std::pair<const char*, const char*>>{
           {"C:/x/y/", "C:\\x\\y"}, {"C:\\", "C:\\"}, {"C:", "C:\\"}, {"C:/", "C:\\"}, {"", ""}, {nullptr, ""}})
    EXPECT_EQ(c.second, Text(Made(c.first))) << (c.first ? c.first : "nullptr");
  // Cutting "C:\\" to "C:" would name the current folder of drive C instead of its root.
  for (const auto& c : std::vector<std::pair<const char*, const char*>>{
           {"C:\\\\", "C:\\"}, {"C://", "C:\\"}, {"/", "\\"}, {"\\\\\\", "\\"}, {"C:", "C:"}})
    EXPECT_EQ(c.second, Text(Assigned(c.first))) << c.first;
  // Assignment neither resolves nor expands.
  FILENAME::ShellStringSet("%USERHOME%", "D:\\Docs\\", 0);
  EXPECT_EQ("%USERHOME%\\a.txt", Text(Assigned("%USERHOME%/a.txt/")));
  EXPECT_EQ("<self>", Text(Assigned("<self>")));
  EXPECT_EQ("~\\a", Text(Assigned("~/a")));
}

TEST(FilenameJoin, FolderAndNameAndThreeParts) {
  EXPECT_EQ(".\\a.txt", Text(FILENAME("", "a.txt")));
  EXPECT_EQ(".\\a.txt", Text(FILENAME(nullptr, "a.txt")));
  EXPECT_EQ("E:\\f.txt", Text(FILENAME("C:\\d", "E:\\f.txt")));
  EXPECT_EQ("\\f.txt", Text(FILENAME("C:\\d", "/f.txt")));
  EXPECT_EQ("C:\\a", Text(FILENAME("C:\\", "a")));
  EXPECT_EQ("C:\\d\\x\\y", Text(FILENAME("C:\\d\\", "x/y/")));
  EXPECT_EQ("C:\\d", Text(FILENAME("C:\\d", "")));
  // An unallocated STRING is an empty folder, not the null text "<NULL>".
  EXPECT_EQ(".\\a", Text(FILENAME(STRING(), "a")));
  // Three parts reduce every dot folder.
  EXPECT_EQ("C:\\a\\b", Text(FILENAME("C:\\a", ".", "b")));
  EXPECT_EQ("C:\\a\\x\\y", Text(FILENAME("C:\\a\\.\\.", "x", "y")));
  EXPECT_EQ("C:\\a\\b\\c", Text(FILENAME("C:\\a", "b", "c")));
  EXPECT_EQ("E:\\c", Text(FILENAME("C:\\a", "b", "E:\\c")));
}

TEST(FilenameJoin, NamesFoundOnDiskAreNotExpanded) {
  FILENAME::ShellStringSet("%USERHOME%", "D:\\Docs\\", 0);
  EXPECT_EQ("C:\\d\\%USERHOME%", Text(FILENAME::Join("C:\\d", "%USERHOME%")));
  EXPECT_EQ("C:\\d\\~", Text(FILENAME::Join("C:\\d\\", "~")));
  EXPECT_EQ("C:\\d\\e", Text(FILENAME::Join("C:\\d", "\\e")));
}

TEST(FilenameParts, IsAbsoluteAndMakeRelative) {
  for (const char* absolute : {"\\x", "/x", "C:\\x", "C:x", "~\\x", "\\\\srv\\share"})
    EXPECT_TRUE(Assigned(absolute).IsAbsolute()) << absolute;
  for (const char* relative : {"", "x", "x\\y", ".\\x", "~x", "%APPDATA%\\x"})
    EXPECT_FALSE(Assigned(relative).IsAbsolute()) << relative;

  FILENAME name = Assigned("C:\\Base\\sub\\f.txt");
  EXPECT_FALSE(name.MakeRelative("C:\\Bas"));
  EXPECT_FALSE(name.MakeRelative("C:\\Base\\sub\\f.txt"));
  EXPECT_EQ("C:\\Base\\sub\\f.txt", Text(name));
  EXPECT_TRUE(name.MakeRelative("c:/base/"));
  EXPECT_EQ("sub\\f.txt", Text(name));
  FILENAME onroot = Assigned("C:\\Base\\f");
  EXPECT_TRUE(onroot.MakeRelative("C:\\"));
  EXPECT_EQ("Base\\f", Text(onroot));
}

TEST(FilenameParts, PathAndName) {
  struct CASE {
    const char *Path, *Folder, *Name;
  };
  const CASE cases[] = {
      {"C:\\x\\y.txt", "C:\\x", "y.txt"},
      {"C:\\y.txt", "C:\\", "y.txt"},
      {"C:y.txt", "C:", "y.txt"},
      {"y.txt", ".", "y.txt"},
      {"\\y.txt", "\\", "y.txt"},
      {"\\\\srv\\share\\f", "\\\\srv\\share", "f"},
      {"~\\f", "~", "f"},
      {"C:\\", "C:\\", ""},
  };
  for (const CASE& c : cases) {
    FILENAME name = Assigned(c.Path);
    EXPECT_EQ(c.Folder, Text(name.GetPath())) << c.Path;
    EXPECT_EQ(c.Name, Text(name.GetName())) << c.Path;
  }
}

// --- Copies, notes and the attachment ---

class COUNTEDATTACHMENT : public FILENAMEATTACHMENT {
 public:
  explicit COUNTEDATTACHMENT(int* deleted) : Deleted(deleted) {}
  ~COUNTEDATTACHMENT() override { ++*Deleted; }

 private:
  int* Deleted;
};

TEST(FilenameCopy, NotesTravelWithCopiesAndAttachmentStaysWithItsOwner) {
  int deleted = 0;
  {
    FILENAME name = Assigned("C:\\a");
    name.SetLabel(STRING("label", 1252));
    name.SetNote(STRING("note", 1252));
    name.Attach(new COUNTEDATTACHMENT(&deleted));
    FILENAME copy(name);
    EXPECT_EQ("label", Text(copy.GetLabel()));
    EXPECT_EQ("note", Text(copy.GetNote()));
    EXPECT_EQ(nullptr, copy.GetAttachment());
    copy = "C:\\b";
    EXPECT_TRUE(copy.GetLabel().IsEmpty());
    EXPECT_TRUE(copy.GetNote().IsEmpty());
    EXPECT_NE(nullptr, name.GetAttachment());
  }
  EXPECT_EQ(1, deleted);
}

// --- Placeholders ---

class ShellStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FILENAME::ShellStringsReset();
    FILENAME::ShellStringSet("%USERHOME%", "D:\\Docs\\", 0);
  }
  void TearDown() override { FILENAME::ShellStringsReset(); }
};

TEST_F(ShellStringTest, PlaceholdersAtTheStartInEverySpellingUserAndComputerAnywhere) {
  for (const char* text : {"%USERHOME%\\a.txt", "$(USERHOME)\\a.txt", "~\\a.txt", "~/a.txt", "%userhome%/a.txt"})
    EXPECT_EQ("D:\\Docs\\a.txt", Text(Made(text))) << text;
  EXPECT_EQ("D:\\Docs", Text(Made("%USERHOME%")));
  EXPECT_EQ("D:\\Docs", Text(Made("~/")));
  EXPECT_EQ("D:\\Docs\\a", Text(FILENAME("%USERHOME%", "a")));
  EXPECT_EQ("D:\\Docs\\a", Text(FILENAME("C:\\x", "~\\a")));
  // Only at the start; unknown names stay.
  EXPECT_EQ("x\\%USERHOME%", Text(Made("x\\%USERHOME%")));
  EXPECT_EQ("C:\\%APPDATA%\\x", Text(Made("C:/%APPDATA%/x")));
  EXPECT_EQ("%NOSUCHFOLDER%\\x", Text(Made("%NOSUCHFOLDER%\\x")));
  // A root folder value keeps its backslash.
  FILENAME::ShellStringSet("%NORBAROOT%", "R:\\", 0);
  EXPECT_EQ("R:\\", Text(Made("%NORBAROOT%")));
  EXPECT_EQ("R:\\x", Text(Made("%NORBAROOT%\\x")));

  // The user and computer names are replaced anywhere.
  STRING user = OSYS::GetUserName();
  STRING computer = OSYS::GetComputerName();
  ASSERT_TRUE(user.IsNotEmpty());
  EXPECT_EQ("C:\\data\\" + Text(user) + "\\x", Text(Made("C:\\data\\%USERNAME%\\x")));
  EXPECT_EQ("C:\\data\\" + Text(user) + "\\x", Text(Made("C:\\data\\%username%\\x")));
  EXPECT_EQ("\\\\" + Text(computer) + "\\share", Text(Made("\\\\%COMPUTERNAME%\\share")));
  EXPECT_EQ("D:\\Docs\\" + Text(user), Text(Made("%USERHOME%\\%USERNAME%")));
}

// Each entry is tried once, in the order of its value's length: a value that begins with another
// placeholder is expanded further only when that other placeholder's value is shorter.
TEST_F(ShellStringTest, LongestValueFirstAndEachEntryOnce) {
  FILENAME::ShellStringSet("%NORBA_A%", "%NORBA_B%\\quite\\long\\sub\\folder\\", 0);
  FILENAME::ShellStringSet("%NORBA_B%", "X:\\b\\", 0);
  EXPECT_EQ("X:\\b\\quite\\long\\sub\\folder\\f", Text(Made("%NORBA_A%\\f")));
  // Now B's value is the longer one: it is tried before A and so stays in A's expansion.
  FILENAME::ShellStringSet("%NORBA_B%", "X:\\a\\very\\much\\longer\\folder\\than\\before\\", 0);
  EXPECT_EQ("%NORBA_B%\\quite\\long\\sub\\folder\\f", Text(Made("%NORBA_A%\\f")));
}

TEST_F(ShellStringTest, BuiltInPlaceholdersComeFromTheShellFolders) {
  FILENAME::ShellStringsReset();
  struct CASE {
    const char* Placeholder;
    int Type;
  };
  const CASE cases[] = {{"%USERHOME%", 6},       {"%USERPROFILE%", 6},     {"%USERDOCUMENTS%", 14},
                        {"%USERDESKTOP%", 8},    {"%APPDATA%", 5},         {"%ALLUSERAPPDATA%", 13},
                        {"%ALLUSERPROFILE%", 12}, {"%USERLIBRARY%", 5},    {"%USERLOGS%", 18},
                        {"%USERDOWNLOAD%", 19},  {"%USERPICTURES%", 7}};
  for (const CASE& c : cases) {
    std::string folder = Trimmed(OSYS::GetSystemPath(c.Type));
    ASSERT_FALSE(folder.empty()) << c.Placeholder;
    EXPECT_EQ(folder + "\\x", Text(Made((std::string(c.Placeholder) + "\\x").c_str()))) << c.Placeholder;
    std::string alternative = "$(" + std::string(c.Placeholder).substr(1, strlen(c.Placeholder) - 2) + ")";
    EXPECT_EQ(folder, Text(Made(alternative.c_str()))) << alternative;
  }
}

TEST_F(ShellStringTest, FullTableKeepsItsEntriesAndTakesNoNewName) {
  // 11 built-in entries and %USERHOME% set again: 21 more names fill the 32 entries.
  for (int i = 0; i < 21; i++) {
    std::string name = "%NORBA_FILL" + std::to_string(i) + "%";
    FILENAME::ShellStringSet(name.c_str(), ("F:\\" + std::to_string(i) + "\\").c_str(), 0);
  }
  EXPECT_EQ("F:\\20\\x", Text(Made("%NORBA_FILL20%\\x")));
  FILENAME::ShellStringSet("%NORBA_ONEMORE%", "G:\\", 0);
  EXPECT_EQ("%NORBA_ONEMORE%\\x", Text(Made("%NORBA_ONEMORE%\\x")));
  // An existing name still takes a new value; names compare exactly.
  FILENAME::ShellStringSet("%NORBA_FILL3%", "H:\\three\\", 0);
  EXPECT_EQ("H:\\three\\x", Text(Made("%NORBA_FILL3%\\x")));
  FILENAME::ShellStringSet("%norba_fill4%", "H:\\four\\", 0);
  EXPECT_EQ("F:\\4\\x", Text(Made("%NORBA_FILL4%\\x")));
}

// --- Pseudo names ---

bool IsTempLetter(char c) { return isalnum(static_cast<unsigned char>(c)) != 0; }

void ExpectFreshTempName(const FILENAME& name, const std::string& folder) {
  std::string text = Text(name);
  ASSERT_EQ(folder.size() + 1 + 8, text.size()) << text;
  EXPECT_EQ(folder + "\\Z-", text.substr(0, folder.size() + 3));
  for (size_t i = folder.size() + 3; i < text.size(); i++) EXPECT_TRUE(IsTempLetter(text[i])) << text;
  EXPECT_FALSE(name.Exists());
}

TEST(FilenamePseudo, SelfIsTheRunningProgramAndTempNamesAreFresh) {
  FILENAME self("<SELF>");
  EXPECT_EQ(Text(OSYS::GetOwnFileName()), Text(self));
  EXPECT_TRUE(self.IsFile());
  EXPECT_EQ("x<self>", Text(Made("x<self>")));

  // Temporary names are fresh names in the temporary folder.
  uidriver::ScratchDir dir;
  ENVIRONMENT temp("TEMP", (dir.Root() + "\\").c_str());
  FILENAME first("<tmp>");
  ExpectFreshTempName(first, dir.Root());
  dir.WriteText(Text(first.GetName()), "taken");
  FILENAME second("<temp>");
  ExpectFreshTempName(second, dir.Root());
  EXPECT_NE(Text(first), Text(second));

  // TMP serves when TEMP is unset.
  ENVIRONMENT notemp("TEMP", nullptr);
  ENVIRONMENT tmp("TMP", dir.Root().c_str());
  ExpectFreshTempName(FILENAME("<tmp>"), dir.Root());
}

TEST(FilenamePseudo, TemplateNeedsSixTrailingX) {
  STRING shortrun("C:\\t\\Z-XXXXX", 1252);
  EXPECT_FALSE(FillTempTemplate(shortrun));
  EXPECT_EQ("C:\\t\\Z-XXXXX", Text(shortrun));
  // Only the last six of a longer run are replaced.
  STRING longrun("Q:\\no\\such\\folder\\XXXXXXXX", 1252);
  ASSERT_TRUE(FillTempTemplate(longrun));
  std::string filled = Text(longrun);
  ASSERT_EQ(26u, filled.size());
  EXPECT_EQ("Q:\\no\\such\\folder\\XX", filled.substr(0, 20));
  for (size_t i = 20; i < filled.size(); i++) EXPECT_TRUE(IsTempLetter(filled[i])) << filled;
}

// --- Wildcards ---

TEST(FilenameWildcard, MatchWildcard) {
  struct CASE {
    const char *Name, *Pattern;
    bool Matches;
  };
  const CASE cases[] = {
      {"readme.txt", "*.TXT", true},    {"readme.txt", "*.txt.bak", false}, {"x.txt.bak", "*.txt", false},
      {"a", "?", true},                 {"", "?", false},                   {"ab", "?", false},
      {"", "*", true},                  {"", "", true},                     {"a", "", false},
      {"abc", "a*c", true},             {"ac", "a*c", true},                {"abbbc", "a*b*c", true},
      {"abc", "a*d", false},            {"ab", "a?c", false},               {"mississippi", "*sip*", true},
      {"mississippi", "m*iss*pi", true}, {"mississippi", "m*x*", false},    {"KIVHOSTS.INI", "kiv*.in?", true},
      {"a*b", "a\\*b", false},          {"abc", "***", true},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(c.Matches, FILENAME::MatchWildcard(c.Name, c.Pattern)) << c.Name << " / " << c.Pattern;
  EXPECT_TRUE(FILENAME::MatchWildcard(nullptr, "*"));
  EXPECT_FALSE(FILENAME::MatchWildcard("a", nullptr));
}

// --- Services on one file ---

class FileServiceTest : public ::testing::Test {
 protected:
  FILENAME Path(const char* relative) const { return FILENAME::Join(Dir.Root().c_str(), relative); }
  uidriver::ScratchDir Dir;
};

TEST_F(FileServiceTest, TestsSizeWritableAndReadOnly) {
  Dir.WriteText("f.txt", "12345");
  EXPECT_TRUE(Path("f.txt").IsFile());
  EXPECT_FALSE(Path("f.txt").IsDirectory());
  EXPECT_EQ(5, FileSize(Text(Path("f.txt")).c_str()));
  EXPECT_TRUE(FILENAME(Dir.Root().c_str()).IsDirectory());
  EXPECT_FALSE(FILENAME(Dir.Root().c_str()).IsFile());
  EXPECT_FALSE(FILENAME().Exists());
  EXPECT_EQ(-1, Path("missing").Size());

  FILENAME file = Path("f.txt");
  EXPECT_TRUE(file.IsWritable());
  EXPECT_TRUE(Path("new.txt").IsWritable());
  EXPECT_FALSE(Path("nosuchfolder\\new.txt").IsWritable());
  {
    FILE* reader = FILENAME::fsopen(file, "rb");
    ASSERT_NE(nullptr, reader);
    EXPECT_FALSE(file.IsWritable()) << "a reader denies writers";
    fclose(reader);
  }
  ASSERT_TRUE(file.SetReadOnly(true));
  EXPECT_TRUE(file.GetAttributes() & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(file.Delete());
  ASSERT_TRUE(file.SetReadOnly(false));
  EXPECT_FALSE(file.GetAttributes() & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(file.Delete());
  EXPECT_FALSE(file.SetReadOnly(true));
}

TEST_F(FileServiceTest, CopyToCopiesWholeFilesAndOverwritesOnlyWhenAsked) {
  std::string content;
  for (int i = 0; i < 10000; i++) content += static_cast<char>('a' + i % 26);
  Dir.WriteText("big.bin", content);
  Dir.WriteText("empty.bin", "");
  EXPECT_TRUE(Path("big.bin").CopyTo(Path("big.copy"), false));
  EXPECT_EQ(content, Dir.ReadText("big.copy"));
  EXPECT_TRUE(Path("empty.bin").CopyTo(Path("empty.copy"), false));
  EXPECT_TRUE(Dir.Exists("empty.copy"));
  EXPECT_EQ("", Dir.ReadText("empty.copy"));

  // No overwriting unless asked.
  Dir.WriteText("src.txt", "new");
  Dir.WriteText("dst.txt", "old");
  EXPECT_FALSE(Path("src.txt").CopyTo(Path("dst.txt"), false));
  EXPECT_EQ("old", Dir.ReadText("dst.txt"));
  EXPECT_EQ("new", Dir.ReadText("src.txt"));
  EXPECT_TRUE(Path("src.txt").CopyTo(Path("dst.txt"), true));
  EXPECT_EQ("new", Dir.ReadText("dst.txt"));
}

TEST_F(FileServiceTest, CopyToFailsCleanly) {
  Dir.WriteText("src.txt", "keep me");
  Dir.MakeFolder("sub");
  EXPECT_FALSE(Path("missing").CopyTo(Path("x"), true));
  EXPECT_FALSE(Dir.Exists("x"));
  EXPECT_FALSE(Path("sub").CopyTo(Path("x"), true));
  EXPECT_FALSE(Path("src.txt").CopyTo(Path("nosuchfolder\\x"), true));
  EXPECT_FALSE(Dir.Exists("nosuchfolder"));
  // The same file under another spelling: opening the target must not empty the source.
  EXPECT_FALSE(Path("src.txt").CopyTo(Path("SRC.TXT"), true));
  EXPECT_FALSE(Path("src.txt").CopyTo(Path("sub\\..\\src.txt"), true));
  EXPECT_EQ("keep me", Dir.ReadText("src.txt"));
}

TEST_F(FileServiceTest, RenameStaysInItsFolderAndReplacesOnlyWhenAsked) {
  Dir.WriteText("a.txt", "a");
  Dir.MakeFolder("other");
  EXPECT_TRUE(Path("a.txt").Rename(Path("other\\b.txt"), false));
  EXPECT_FALSE(Dir.Exists("a.txt"));
  EXPECT_FALSE(Dir.Exists("other\\b.txt"));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  EXPECT_FALSE(Path("missing.txt").Rename("c.txt", false));

  // Replacing only when asked.
  Dir.WriteText("a.txt", "new");
  EXPECT_FALSE(Path("a.txt").Rename("b.txt", false));
  EXPECT_EQ("new", Dir.ReadText("a.txt"));
  EXPECT_EQ("a", Dir.ReadText("b.txt"));
  EXPECT_TRUE(Path("a.txt").Rename("b.txt", true));
  EXPECT_FALSE(Dir.Exists("a.txt"));
  EXPECT_EQ("new", Dir.ReadText("b.txt"));
  // A failed replacing rename leaves the existing target alone.
  EXPECT_FALSE(Path("missing.txt").Rename("b.txt", true));
  EXPECT_EQ("new", Dir.ReadText("b.txt"));

  // Replacing a file by itself under another letter case must not delete it first.
  Dir.WriteText("colortable.ini", "colours");
  EXPECT_TRUE(Path("colortable.ini").Rename("ColorTable.ini", true));
  EXPECT_EQ("colours", Dir.ReadText("ColorTable.ini"));
}

// --- fsopen and its sharing modes ---

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

TEST_F(FileServiceTest, FsopenSharingFollowsTheModeAndAppendStartsAtTheEnd) {
  Dir.WriteText("f.txt", "12345");
  FILENAME file = Path("f.txt");
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
  {
    OPENED shared(file, "ab", _SH_DENYNO);
    ASSERT_NE(nullptr, shared.File);
    EXPECT_NE(nullptr, OPENED(file, "rb", _SH_DENYNO).File);
  }
  EXPECT_EQ(nullptr, FILENAME::fsopen(Path("missing\\f.txt"), "rb"));
  EXPECT_EQ(nullptr, FILENAME::fsopen("", "rb"));
  EXPECT_EQ(nullptr, FILENAME::fsopen(file, nullptr));
}

}  // namespace
