// The shortcut step end to end through setup.exe: links read back through the shell's link object, the
// internet shortcut's file, the uninstall and desktop links, names that would leave their folder, the
// program group's place by choice and preset, the renamed earlier group, the record values and hook events
// 9 and 10; hidden runs from answer files and one run through the wizard's page.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ids.h"
#include "scopedenvironment.h"
#include "testtext.h"
#include "uidriver.h"
#include "ziptestarchive.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;
using uidriver::UiWindow;
using uidriver::WindowQuery;
using ziptest::ZipTestArchive;

namespace {

using testtext::Contains;
using testtext::Lower;
using testtext::Escaped;
using testtext::ShellFolder;

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kMissing[] = "<missing>";

std::string SystemFile(const char* name) {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A whole file by its full path; empty when it cannot be read.
std::string FileText(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return text;
  char buffer[1024];
  for (size_t n; (n = fread(buffer, 1, sizeof(buffer), file)) > 0;) text.append(buffer, n);
  fclose(file);
  return text;
}

std::string Narrow(const wchar_t* text) {
  char buffer[2 * MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

// A shell link as the shell reads it back: "target|arguments|working folder|icon,index" (lower case).
std::string ReadLink(const std::string& file) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return "<no link object>";
  IPersistFile* persist = nullptr;
  std::string text = kMissing;
  std::wstring name(file.begin(), file.end());
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(name.c_str(), STGM_READ))) {
    wchar_t path[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {}, icon[MAX_PATH] = {};
    int index = 0;
    link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, MAX_PATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    link->GetIconLocation(icon, MAX_PATH, &index);
    text = Narrow(path) + "|" + Narrow(arguments) + "|" + Narrow(folder) + "|" + Narrow(icon) + "," +
           std::to_string(index);
    CharLowerA(&text[0]);
  }
  if (persist) persist->Release();
  link->Release();
  return text;
}

// One test's product: setup.exe with the English library, setup.cfg and setup.fil in a scratch folder, the
// installation folder "target" in it. Its program groups, desktop links and uninstall record have names of
// their own and go at the end, from both start menus.
class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string tag = std::to_string(GetCurrentProcessId()) + " " +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
    iniKey_ = "NorbaShortcutTest " + tag;
    group_ = "Norba Shortcut Test " + tag;
    main_ = "Shortcut Test " + tag;
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
    ZipTestArchive archive;
    archive.Add("bin/tool.exe", "program").Add("readme.txt", "text");
    ASSERT_TRUE(archive.Save(dir_.Path("setup.fil")));
  }
  void TearDown() override {
    for (const std::string& name : groups_) {
      uidriver::DeleteTree(ShellFolder(CSIDL_PROGRAMS) + "\\" + name);
      uidriver::DeleteTree(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + name);
    }
    DeleteFileA(DesktopLink().c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallKey + iniKey_).c_str());
    CoUninitialize();
  }

  std::string Target(const std::string& relative = "") const {
    return dir_.Path(relative.empty() ? "target" : "target\\" + relative);
  }
  std::string Group(int csidl, const std::string& name = "") {
    return ShellFolder(csidl) + "\\" + (name.empty() ? group_ : name);
  }
  std::string DesktopLink() const { return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + main_ + ".LNK"; }

  // The configuration: every page but the shortcuts page passes itself over.
  void WriteConfig(const std::string& startmenuopts, const std::string& extra, const std::string& group = "") {
    std::string name = group.empty() ? group_ : group;
    groups_.push_back(name);
    std::string text = "AppName=ShortcutTest\r\nAppVersion=1.00\r\nIniKey=" + iniKey_ + "\r\nInstallPath=*" +
                       Target() + "\r\nStartmenuName=" + name + "\r\nStartmenuOpts=" + startmenuopts +
                       "\r\nNoFinalPopup=1\r\nInstallSkipInstallType=1\r\nInstallSkipLicense=1\r\n"
                       "InstallLicenseAgree=1\r\nInstallSkipInstallDir=1\r\nInstallSkipAdvertise=1\r\n"
                       "InstallSkipCopyComplete=1\r\n" +
                       extra;
    ASSERT_TRUE(dir_.WriteText("setup.cfg", Escaped(text)));
  }
  // An answer file for a hidden run; `shortcuts` holds the shortcuts page's controls.
  void WriteAnswers(const std::string& shortcuts) {
    ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2001.PUSH=149\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n2004.PUSH=149\r\n" +
                                                      shortcuts + "2005.PUSH=149\r\n2006.PUSH=149\r\n2009.PUSH=0\r\n"));
  }
  DWORD RunHidden() { return AppUnderTest(dir_.Path("setup.exe"), "/LANG:ENGL /HIDE", dir_.Root()).WaitExit(); }

  std::string RecordValue(const char* name) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + iniKey_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return kMissing;
    char data[4096] = {};
    DWORD size = sizeof(data) - 1, type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? data : kMissing;
  }

  ScratchDir dir_;
  std::string iniKey_, group_, main_;
  std::vector<std::string> groups_;
};

const char kUserGroup[] = "2005.401=RB:1\r\n2005.402=RB:0\r\n2005.403=RB:0\r\n";
const char kCommonGroup[] = "2005.401=RB:0\r\n2005.402=RB:1\r\n2005.403=RB:0\r\n";
const char kNoGroup[] = "2005.401=RB:0\r\n2005.402=RB:0\r\n2005.403=RB:1\r\n";

// Every kind of item in the user's start menu and the offered item on the desktop; items whose link or
// target would leave its folder, and a program the search path lacks, make nothing.
TEST_F(ShortcutsTest, LinksOfEveryKindAndTheirRecord) {
  ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
  ScopedEnvironment record("NORBA_HOOKRECORD", dir_.Path("events.log"));
  WriteConfig(main_ + ";*bin\\tool.exe;-start;bin\\tool.exe:2|Website;https://www.norba.example/|"
                      "Notepad;%PATH%\\notepad.exe;readme.txt;shell32.dll:3| |Evil;..\\..\\evil.exe|"
                      "..\\Escape;bin\\tool.exe|C:Drive;bin\\tool.exe|Absent;%PATH%\\norba-absent.exe|"
                      "Climb;%PATH%\\..\\notepad.exe",
              "StartmenuUninstall=1\r\nDesktopIcon=2\r\nAddToFirewall=bin\\tool.exe\r\n");
  WriteAnswers(std::string(kUserGroup) + "2005.301=CB:1\r\n");
  ASSERT_EQ(0u, RunHidden());

  std::string group = Group(CSIDL_PROGRAMS);
  std::string tool = Target("bin\\tool.exe");
  EXPECT_EQ(Lower(tool + "|-start|" + Target() + "|" + tool + ",2"), ReadLink(group + "\\" + main_ + ".LNK"));
  EXPECT_EQ(Lower(SystemFile("notepad.exe") + "|readme.txt|" + Target() + "|" + SystemFile("shell32.dll") + ",3"),
            ReadLink(group + "\\Notepad.LNK"));
  EXPECT_EQ(Lower(Target("setup.exe") + "|-remove " + iniKey_ + "|" + Target() + "|" + Target("setup.exe") + ",1"),
            ReadLink(group + "\\Uninstall ShortcutTest.LNK"));
  std::string url = FileText(group + "\\Website.URL");
  EXPECT_TRUE(Contains(url, "URL=https://www.norba.example/")) << url;
  EXPECT_EQ(Lower(tool + "|-start|" + Target() + "|,0"), ReadLink(DesktopLink()));
  for (const char* name : {"Evil.LNK", "Absent.LNK", "Climb.LNK", "Drive.LNK"}) EXPECT_FALSE(Exists(group + "\\" + name)) << name;
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_PROGRAMS) + "\\Escape.LNK"));
  EXPECT_FALSE(Exists(Group(CSIDL_COMMON_PROGRAMS)));

  EXPECT_EQ(group, RecordValue("UninstallStartmenu"));
  EXPECT_EQ(main_ + "|Website|Notepad|Uninstall ShortcutTest", RecordValue("UninstallStartmenuFiles"));
  EXPECT_EQ(main_, RecordValue("UninstallDesktopFiles"));
  EXPECT_EQ("bin\\tool.exe", RecordValue("UninstallFirewall"));
  std::string events = dir_.ReadText("events.log");
  size_t folder = events.find("NewSetupHook 9 0 0 0 0 ");
  size_t key = events.find("NewSetupHook 10 0 0 0 0 ");
  EXPECT_NE(std::string::npos, folder) << events;
  EXPECT_LT(folder, key) << events;
  EXPECT_TRUE(Contains(events, "\"" + group + "\"\r\n")) << events;
  EXPECT_TRUE(Contains(events, "\"" + iniKey_ + "\"\r\n")) << events;
}

// Where the program group goes by the page's choice or the configuration's preset, and the choices that
// make no link at all: then the record holds no link values.
TEST_F(ShortcutsTest, ProgramGroupByChoiceAndPreset) {
  const struct {
    const char* what;
    const char* config;
    const char* answers;
    int csidl;     // the group's start menu; 0: no group
    bool desktop;  // the desktop link is there
  } cases[] = {
      {"user's start menu", "", kUserGroup, CSIDL_PROGRAMS, false},
      {"all users' start menu", "", kCommonGroup, CSIDL_COMMON_PROGRAMS, false},
      {"preset all users, page passed over", "InstallProgramGroup=2\r\nInstallSkipStartMenu=1\r\n", "",
       CSIDL_COMMON_PROGRAMS, false},
      {"no group, a desktop icon all the same", "DesktopIcon=2\r\n", kNoGroup, 0, true},
      {"DesktopIcon=0 offers none", "DesktopIcon=0\r\nInstallSkipStartMenu=1\r\nInstallProgramGroup=3\r\n", "", 0,
       false},
      {"no group and no desktop icon preset", "InstallProgramGroup=3\r\nInstallDesktopIcon=0\r\nInstallSkipStartMenu=1\r\n",
       "", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig(main_ + ";*bin\\tool.exe|Website;https://www.norba.example/", c.config);
    WriteAnswers(c.answers);
    ASSERT_EQ(0u, RunHidden());
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
      EXPECT_EQ(csidl == c.csidl, Exists(Group(csidl) + "\\" + main_ + ".LNK")) << csidl;
      EXPECT_EQ(csidl == c.csidl, Exists(Group(csidl) + "\\Website.URL")) << csidl;
    }
    EXPECT_EQ(c.desktop, Exists(DesktopLink()));
    EXPECT_EQ(c.csidl ? Group(c.csidl) : kMissing, RecordValue("UninstallStartmenu"));
    EXPECT_EQ(c.csidl ? main_ + "|Website" : kMissing, RecordValue("UninstallStartmenuFiles"));
    EXPECT_EQ(c.desktop ? main_ : kMissing, RecordValue("UninstallDesktopFiles"));
    TearDown();
    SetUp();
  }
}

// A second installation under another StartmenuName takes the earlier group along; when the new name is
// taken already, both folders stay and the new one is filled and recorded.
TEST_F(ShortcutsTest, ReinstallUnderAnotherNameRenamesTheEarlierGroup) {
  const char* preset = "InstallProgramGroup=1\r\nInstallSkipStartMenu=1\r\n";
  for (bool taken : {false, true}) {
    SCOPED_TRACE(taken ? "new name taken" : "new name free");
    std::string earlier = group_ + " old", later = group_ + " new";
    WriteConfig("Readme;readme.txt", preset, earlier);
    WriteAnswers("");
    ASSERT_EQ(0u, RunHidden());
    ASSERT_TRUE(Exists(Group(CSIDL_PROGRAMS, earlier) + "\\Readme.LNK"));
    HANDLE file = CreateFileA((Group(CSIDL_PROGRAMS, earlier) + "\\Earlier.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    if (taken) {
      ASSERT_TRUE(CreateDirectoryA(Group(CSIDL_PROGRAMS, later).c_str(), nullptr));
    }

    WriteConfig("Tool;bin\\tool.exe", preset, later);
    ASSERT_EQ(0u, RunHidden());
    EXPECT_EQ(taken, Exists(Group(CSIDL_PROGRAMS, earlier)));
    EXPECT_EQ(!taken, Exists(Group(CSIDL_PROGRAMS, later) + "\\Earlier.txt"));
    EXPECT_TRUE(Exists(Group(CSIDL_PROGRAMS, later) + "\\Tool.LNK"));
    EXPECT_EQ(Group(CSIDL_PROGRAMS, later), RecordValue("UninstallStartmenu"));
    EXPECT_EQ("Tool", RecordValue("UninstallStartmenuFiles"));
    TearDown();
    SetUp();
  }
}

// The page as a new installation shows it, then the user's choice of no group with the desktop icon.
TEST_F(ShortcutsTest, ThePageOffersTheDesktopIconAndTakesTheUsersChoice) {
  WriteConfig(main_ + ";*bin\\tool.exe;-start", "DesktopIcon=2\r\n");
  AppUnderTest app(dir_.Path("setup.exe"), "/LANG:ENGL", dir_.Root());
  UiWindow frame = app.WaitWindow(WindowQuery::Titled("ShortcutTest Setup"));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Program group and desktop icon"));
  EXPECT_TRUE(frame.IsChecked(IDC_SHORTCUTS_COMMON_GROUP));
  EXPECT_FALSE(frame.IsChecked(IDC_SHORTCUTS_USER_GROUP));
  EXPECT_TRUE(frame.IsEnabled(IDC_SHORTCUTS_DESKTOP));
  EXPECT_TRUE(frame.IsChecked(IDC_SHORTCUTS_DESKTOP));
  ASSERT_TRUE(frame.SetChecked(IDC_SHORTCUTS_NO_GROUP, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Setup complete"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  EXPECT_EQ(0u, app.WaitExit());
  EXPECT_EQ(Lower(Target("bin\\tool.exe") + "|-start|" + Target() + "|,0"), ReadLink(DesktopLink()));
  EXPECT_FALSE(Exists(Group(CSIDL_PROGRAMS)));
  EXPECT_FALSE(Exists(Group(CSIDL_COMMON_PROGRAMS)));
  EXPECT_EQ(main_, RecordValue("UninstallDesktopFiles"));
  EXPECT_EQ(kMissing, RecordValue("UninstallStartmenu"));
}

}  // namespace
