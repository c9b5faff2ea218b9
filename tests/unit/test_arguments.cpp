// Program arguments: splitting the command line, the lookups TestArg/TestArgValue/GetArgValue, the
// commandline.ini files and their precedence, the language choice and the program-root rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/norba_win32.h"
#include "base/osys.h"
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
  EXPECT_EQ(V({kSelf, "/HIDE"}), Split("\"C:\\Program Files\\Kiv\\setup.exe\" /HIDE"));
  EXPECT_EQ(V({kSelf, "setup", "/HIDE"}), Split("setup /HIDE"));
  EXPECT_EQ(V({kSelf, "SETUP.EXE", "/HIDE"}), Split("SETUP.EXE /HIDE"));
  // Only the very first token: a later ".exe" is an argument.
  EXPECT_EQ(V({kSelf, "/HIDE", "x.exe"}), Split("setup.exe /HIDE x.exe"));
  // The program path alone, quoted or not, leaves no argument.
  EXPECT_EQ(V({kSelf}), Split("C:\\Kiv\\setup.exe"));
  EXPECT_EQ(V({kSelf}), Split("\"C:\\Kiv\\setup.exe\""));

  // Blanks, quotes and the whole line.
  EXPECT_EQ(V({kSelf}), Split("     "));
  EXPECT_EQ(V({kSelf}), Split(""));
  EXPECT_EQ(V({kSelf}), Split(nullptr));
  EXPECT_EQ(V({kSelf, "/WORKDIR:C:\\My Files", "-remove", "KIV8"}),
            Split("a.exe   \"/WORKDIR:C:\\My Files\"    -remove   KIV8   "));
  // A quote counts only at the start of a token.
  EXPECT_EQ(V({kSelf, "a\"b", "c"}), Split("a.exe a\"b c"));
  // An unclosed quote: the rest is one argument without the quote.
  EXPECT_EQ(V({kSelf, "/x", "C:\\a b"}), Split("a.exe /x \"C:\\a b"));

  STRINGARRAY out;
  STRING whole;
  SplitCommandLine("   setup.exe /HIDE   ", kSelf, out, whole);
  EXPECT_STREQ("setup.exe /HIDE", whole.c_str());
}

TEST(SplitCommandLine, ManyArgumentsFillAtMost255ElementsAndKeepTheRestInTheLast) {
  std::string line = "setup.exe";
  for (int i = 0; i < 300; i++) line += " /A" + std::to_string(i);
  std::vector<std::string> args = Split(line.c_str());
  ASSERT_EQ(255u, args.size());
  EXPECT_EQ("/A0", args[1]);
  EXPECT_EQ("/A252", args[253]);
  // The rest of the line is the last element, unsplit.
  EXPECT_EQ(0u, args[254].find("/A253 /A254 "));
  EXPECT_NE(std::string::npos, args[254].find("/A299"));

  std::string huge = "setup.exe /BIG:" + std::string(100 * 1024, 'x') + " /LAST";
  args = Split(huge.c_str());
  ASSERT_EQ(3u, args.size());
  EXPECT_EQ(100u * 1024 + 5, args[1].size());
  EXPECT_EQ("/LAST", args[2]);
}

TEST(ArgumentLookup, TestArgNeedsTheExactNameAndValuesHaveTheirForms) {
  SetArguments({"/HIDE", "-autodir", "/REMOVEX"});
  EXPECT_EQ(1, TestArg("HIDE"));
  EXPECT_EQ(1, TestArg("hide"));
  EXPECT_EQ(1, TestArg("AUTODIR"));
  EXPECT_EQ(0, TestArg("REMOVE"));
  EXPECT_EQ(0, TestArg("HID"));
  // The program path is not an argument.
  SetArguments({});
  EXPECT_EQ(0, TestArg("HIDE"));

  // Values: the forms of slash and dash.
  SetArguments({"-WORKDIR", "C:\\a", "/WORKDIR", "/LANG=GER", "/LANGGER", "/lang:ger", "-ORDER"});
  // TestArgValue: "-" with exactly the name, or "/" with the name and a colon.
  EXPECT_EQ(1, TestArgValue("WORKDIR", 0));
  EXPECT_EQ(0, TestArgValue("WORKDIR", 1));  // /WORKDIR without colon does not count
  EXPECT_EQ(1, TestArgValue("LANG", 0));
  EXPECT_EQ(0, TestArgValue("LANG", 1));
  EXPECT_EQ(1, TestArgValue("order", 0));
  EXPECT_EQ(0, TestArgValue("WORKDIR", -1));
  // GetArgValue: any switch with the name as prefix counts.
  EXPECT_STREQ("C:\\a", GetArgValue("WORKDIR", 0).c_str());
  EXPECT_TRUE(GetArgValue("WORKDIR", 1).IsEmpty());  // /WORKDIR alone: empty value
  EXPECT_STREQ("=GER", GetArgValue("LANG", 0).c_str());
  EXPECT_STREQ("GER", GetArgValue("LANG", 1).c_str());
  EXPECT_STREQ("ger", GetArgValue("LANG", 2).c_str());
  EXPECT_TRUE(GetArgValue("LANG", 3).IsEmpty());
  // A dash form as the last element has no value.
  EXPECT_TRUE(GetArgValue("ORDER", 0).IsEmpty());

  // "/REMOVE" without colon is no removal.
  SetArguments({"/REMOVE"});
  EXPECT_EQ(0, TestArgValue("REMOVE", 0));
  SetArguments({"-remove", "KIV8", "/ORDER:x"});
  EXPECT_EQ(1, TestArgValue("REMOVE", 0));
  EXPECT_STREQ("KIV8", GetArgValue("REMOVE", 0).c_str());
  EXPECT_EQ(1, TestArgValue("ORDER", 0));
}

TEST(Language, ChoiceByWholeNameWithFallback) {
  EXPECT_EQ(7, NORBAAPP::ChooseLanguage(STRING("ger"), 9));
  EXPECT_EQ(9, NORBAAPP::ChooseLanguage(STRING("ENGL"), 7));
  EXPECT_EQ(12, NORBAAPP::ChooseLanguage(STRING("French"), 9));
  EXPECT_EQ(14, NORBAAPP::ChooseLanguage(STRING("HUNGARIAN"), 9));
  EXPECT_EQ(10, NORBAAPP::ChooseLanguage(STRING("DE"), 10));
  EXPECT_EQ(10, NORBAAPP::ChooseLanguage(STRING("GERMAN"), 10));
  EXPECT_EQ(10, NORBAAPP::ChooseLanguage(STRING(), 10));
}

TEST(AcquireArguments, CommandLineComesBeforeTheArgumentFiles) {
  uidriver::ScratchDir dir;
  FrameStateGuard guard;
  dir.WriteText("commandline.ini", "/WORKDIR:C:\\b\r\n   \r\n\t/LANG:FRENCH \r\n\r\n");
  dir.WriteText("setup_commandline.ini", "/HIDE\n/LAST");
  STRINGARRAY raw;
  raw.Add(dir.Path("setup.exe").c_str());
  raw.Add("/WORKDIR:C:\\a");
  NORBAAPP::AcquireArguments(raw, 9);

  // A line of blanks is an empty argument; a last line without line feed counts too.
  std::vector<std::string> args;
  for (int i = 1; i < ProgramArguments().Count(); i++) args.push_back(ProgramArguments()[i].c_str());
  EXPECT_EQ(args, std::vector<std::string>({"/WORKDIR:C:\\a", "/WORKDIR:C:\\b", "", "/LANG:FRENCH", "/HIDE", "/LAST"}));
  EXPECT_STREQ("C:\\a", GetArgValue("WORKDIR", 0).c_str());
  EXPECT_EQ(12, gLocale);
  // The command-line lookups stop where the argument files begin.
  EXPECT_TRUE(TestArgValue("WORKDIR", 1) && TestArgValue("LANG", 0));
  EXPECT_FALSE(TestCommandLineArgValue("WORKDIR", 1) || TestCommandLineArgValue("LANG", 0));
  EXPECT_STREQ("C:\\a", GetCommandLineArgValue("WORKDIR", 0).c_str());
  EXPECT_TRUE(GetCommandLineArgValue("WORKDIR", 1).IsEmpty());
  // The program folder becomes current while the arguments are acquired.
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof(cwd), cwd);
  EXPECT_EQ(0, lstrcmpiA(dir.Root().c_str(), cwd));
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
    STRINGARRAY raw;
    raw.Add((root + "setup.exe").c_str());
    NORBAAPP::AcquireArguments(raw, 9);
    int found = 0;
    for (int i = 0; i < ProgramArguments().Count(); i++) found += ProgramArguments()[i] == "/ONCE" ? 1 : 0;
    EXPECT_EQ(1, found) << start;
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    EXPECT_STRCASEEQ(root.c_str(), cwd) << start;
  }
}

TEST(AcquireArguments, JunkAndLongArgumentFilesDoNotBreakStartUp) {
  uidriver::ScratchDir dir;
  FrameStateGuard guard;
  dir.WriteText("commandline.ini", JunkBytes(4096));
  std::string many;
  for (int i = 0; i < 10000; i++) many += "/LINE" + std::to_string(i) + "\r\n";
  dir.WriteText("setup_commandline.ini", many);
  STRINGARRAY raw;
  raw.Add(dir.Path("setup.exe").c_str());
  NORBAAPP::AcquireArguments(raw, 9);
  const STRINGARRAY& args = ProgramArguments();
  ASSERT_GE(args.Count(), 10001);
  EXPECT_STREQ("/LINE0", args[args.Count() - 10000].c_str());
  EXPECT_STREQ("/LINE9999", args[args.Count() - 1].c_str());
  EXPECT_EQ(9, gLocale);
}

TEST(AppRoot, BuildOutputFolderInsideASourceTreeStandsForItsParent) {
  uidriver::ScratchDir dir;
  STRING root(dir.Root().c_str());
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\Release") == root + "\\Release");
  dir.WriteText("main.cpp", "");
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\Release") == root);
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\release2") == root);
  EXPECT_TRUE(NORBAAPP::GetAppRoot(root + "\\Debug") == root + "\\Debug");
}

TEST(LanguageLibrary, FallsBackToEnglishAndReadsItsTexts) {
  uidriver::ScratchDir dir;
  FrameStateGuard guard;
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll", "setupfrench.dll"}));
  std::string program = dir.Path("setup.exe");

  gLocale = 7;  // German asked for, but no setupgerman.dll
  ASSERT_TRUE(NORBAAPP::LoadLanguageLibrary(program.c_str(), "setup", "1.00", nullptr, false));
  EXPECT_EQ(9, gLocale);
  EXPECT_STREQ("Setup", NORBAAPP::GetAppName().c_str());
  EXPECT_STREQ("1.00", NORBAAPP::GetAppVersion().c_str());
  STRING english = OSYS::GetStringFromResource(2900);
  EXPECT_STRNE("<STRING-ERROR>", english.c_str());

  gLocale = 12;
  ASSERT_TRUE(NORBAAPP::LoadLanguageLibrary(program.c_str(), "setup", "1.00", nullptr, false));
  EXPECT_EQ(12, gLocale);
  EXPECT_FALSE(OSYS::GetStringFromResource(2987) == OSYS::GetStringFromResource(2987, nullptr));
  EXPECT_STREQ("<STRING-ERROR>", OSYS::GetStringFromResource(1).c_str());
}

}  // namespace
