// Program arguments: splitting the command line, the lookups TestArg/TestArgValue/GetArgValue, the
// commandline.ini files and their precedence, and the program-root rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/norba_win32.h"
#include "folderlink.h"
#include "junkbytes.h"
#include "scratchdir.h"

namespace {

const char kSelf[] = "C:\\Program Files\\Kiv\\setup.exe";

std::vector<std::string> Split(const char* commandline) {
  STRINGARRAY out;
  STRING whole;
  SplitCommandLine(commandline, kSelf, out, whole);
  std::vector<std::string> result;
  for (int i = 0; i < out.Count(); i++) result.push_back(out[i].c_str());
  return result;
}

void SetArguments(std::initializer_list<const char*> arguments) {
  ProgramArguments().Clear();
  ProgramArguments().Add(kSelf);
  for (const char* argument : arguments) ProgramArguments().Add(argument);
}

// Acquires the arguments of `program` started with `argument` (if any); returns them without the program.
std::vector<std::string> Acquire(const std::string& program, const char* argument = nullptr) {
  STRINGARRAY raw;
  raw.Add(program.c_str());
  if (argument) raw.Add(argument);
  NORBAAPP::AcquireArguments(raw, 9);
  std::vector<std::string> args;
  for (int i = 1; i < ProgramArguments().Count(); i++) args.push_back(ProgramArguments()[i].c_str());
  return args;
}

// Restores the current folder and the language after a test that runs the frame's start-up steps.
// Declare it after the test's scratch folders: the folders can go only once nothing uses them.
class FrameStateGuard {
 public:
  FrameStateGuard() : locale_(gLocale) { GetCurrentDirectoryA(sizeof(cwd_), cwd_); }
  ~FrameStateGuard() {
    SetCurrentDirectoryA(cwd_);
    gLocale = locale_;
    NORBAAPP::FreeLanguageLibrary();
    ProgramArguments().Clear();
  }

 private:
  char cwd_[MAX_PATH];
  int locale_;
};

TEST(SplitCommandLine, DropsOnlyAFirstTokenEndingInLowerCaseExeAndSplitsAtBlanksOutsideQuotes) {
  using V = std::vector<std::string>;
  const std::pair<const char*, V> cases[] = {
      {"setup /HIDE", {"setup", "/HIDE"}},
      {"SETUP.EXE /HIDE", {"SETUP.EXE", "/HIDE"}},
      {"setup.exe /HIDE x.exe", {"/HIDE", "x.exe"}},  // only the very first token
      {nullptr, {}},
      {"a.exe   \"/WORKDIR:C:\\My Files\"    -remove   KIV8   ", {"/WORKDIR:C:\\My Files", "-remove", "KIV8"}},
      {"a.exe a\"b c", {"a\"b", "c"}},           // a quote counts only at the start of a token
      {"a.exe /x \"C:\\a b", {"/x", "C:\\a b"}},  // an unclosed quote: the rest without the quote
  };
  for (const auto& [line, args] : cases) {
    V expected = {kSelf};
    expected.insert(expected.end(), args.begin(), args.end());
    EXPECT_EQ(expected, Split(line)) << (line ? line : "(null)");
  }
}

TEST(SplitCommandLine, ManyArgumentsFillAtMost255ElementsAndKeepTheRestInTheLast) {
  std::string line = "setup.exe";
  for (int i = 0; i < 300; i++) line += " /A" + std::to_string(i);
  std::vector<std::string> args = Split(line.c_str());
  ASSERT_EQ(255u, args.size());
  EXPECT_EQ("/A252", args[253]);
  EXPECT_EQ(0u, args[254].find("/A253 /A254 "));
  EXPECT_NE(std::string::npos, args[254].find("/A299"));
}

// TestArg takes the whole name in any case. TestArgValue: "-" with exactly the name, or "/" with the name and
// a colon, so "/REMOVE" is no removal; a dash form as the last element has no value.
TEST(ArgumentLookup, TestArgNeedsTheWholeNameAndValuesHaveTheirForms) {
  SetArguments({"/HIDE", "/AUTODIRX", "-WORKDIR", "C:\\a", "/REMOVE", "/lang:ger", "-ORDER"});
  EXPECT_EQ((std::vector<int>{1, 0, 1, 0, 1, 1}),
            (std::vector<int>{TestArg("hide"), TestArg("AUTODIR"), TestArgValue("WORKDIR", 0),
                              TestArgValue("REMOVE", 0), TestArgValue("LANG", 0), TestArgValue("order", 0)}));
  EXPECT_STREQ("C:\\a", GetArgValue("WORKDIR", 0).c_str());
  EXPECT_STREQ("ger", GetArgValue("LANG", 0).c_str());
  EXPECT_TRUE(GetArgValue("ORDER", 0).IsEmpty());
}

// The command line comes before commandline.ini, which comes before setup_commandline.ini; a line of blanks
// is an empty argument, a last line without line feed counts too. Argument files know no limit of 255
// elements as the command line does, and junk in them does not stop start-up. (Which arguments the admin
// commands take from the command line alone is the admin runs' rule.)
TEST(AcquireArguments, CommandLineComesBeforeTheArgumentFilesWhichKnowNoLimit) {
  uidriver::ScratchDir dir;
  FrameStateGuard guard;
  dir.WriteText("commandline.ini", "/WORKDIR:C:\\b\r\n   \r\n\t/LANG:FRENCH \r\n\r\n");
  std::string many = "/HIDE\n";
  for (int i = 0; i < 300; i++) many += "/LINE" + std::to_string(i) + "\r\n";
  dir.WriteText("setup_commandline.ini", many + "/LAST");
  const std::vector<std::string> args = Acquire(dir.Path("setup.exe"), "/WORKDIR:C:\\a");
  ASSERT_EQ(306u, args.size());
  EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 5),
            std::vector<std::string>({"/WORKDIR:C:\\a", "/WORKDIR:C:\\b", "", "/LANG:FRENCH", "/HIDE"}));
  EXPECT_EQ("/LINE299 /LAST", args[304] + " " + args[305]);
  EXPECT_STREQ("C:\\a", GetArgValue("WORKDIR", 0).c_str());
  EXPECT_EQ(12, gLocale);
  // The program folder becomes current while the arguments are acquired.
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof(cwd), cwd);
  EXPECT_EQ(0, lstrcmpiA(dir.Root().c_str(), cwd));

  dir.WriteText("commandline.ini", JunkBytes(4096));
  EXPECT_EQ("/LAST", Acquire(dir.Path("setup.exe")).back());
}

// A program in a drive root (a CD, a stick): the root is its folder, made current whatever the current
// folder of that drive is, and its commandline.ini is read once also when the root is the start folder.
TEST(AcquireArguments, ProgramInADriveRoot) {
  uidriver::ScratchDir dir;
  uidriver::FolderDrive drive(dir.Root());
  ASSERT_FALSE(drive.Drive().empty()) << "no drive letter for " << dir.Root();
  FrameStateGuard guard;
  dir.WriteText("commandline.ini", "/ONCE\r\n");
  dir.MakeFolder("start");
  std::string root = drive.Drive() + "\\";
  for (const std::string& start : {root, root + "start"}) {
    ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
    const std::vector<std::string> args = Acquire(root + "setup.exe");
    EXPECT_EQ(1, std::count(args.begin(), args.end(), "/ONCE")) << start;
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    EXPECT_STRCASEEQ(root.c_str(), cwd) << start;
  }
}

TEST(AppRoot, BuildOutputFolderInsideASourceTreeStandsForItsParent) {
  uidriver::ScratchDir dir;
  STRING root(dir.Root().c_str());
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\Release") == root + "\\Release");
  dir.WriteText("main.cpp", "");
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\Release") == root);
}

}  // namespace
