// Removal end to end as Windows starts it: a hidden installation of a small package with links, a file
// type and the uninstaller among its files; then the UninstallString from the record, the question, the
// relaunched copy in a folder of its own below TEMP (or the removal in place when only one language
// library is installed), the removal wizard, and what is left afterwards.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ids.h"
#include "pendingdeletions.h"
#include "scopedenvironment.h"
#include "testtext.h"
#include "uidriver.h"
#include "ziptestarchive.h"

namespace {

using testtext::Contains;
using testtext::Lower;
using testtext::Escaped;
using testtext::ShellFolder;

using uidriver::AppUnderTest;
using uidriver::UiWindow;
using uidriver::WindowQuery;

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kQuestion[] = "Do you really want to remove";
const char kWarning[] = "Complete removal deletes";
const char kLocal[] = "Cannot copy to temp directory";
const char kMissing[] = "Files missing or this software has already been uninstalled!";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A string value; empty when it is missing.
std::string StringValue(HKEY root, const std::string& path, const char* name) {
  char data[4096] = {};
  DWORD size = sizeof(data);
  return RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS ? data : "";
}

void SetStringValue(HKEY root, const std::string& path, const char* name, const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
  RegCloseKey(key);
}

struct RemovalCase {
  const char* name;
  bool complete;                         // removal mode "1", after the warning answered No once
  std::vector<std::string> libraries;   // the language libraries the package installs
  bool locked;                          // one of them is held open where no copy can read it
};

// One test's product, installed hidden into "target" of a scratch folder with the uninstaller among its
// files; everything it makes outside the folder has names of its own and goes at the end.
class RemovalTest : public ::testing::TestWithParam<RemovalCase> {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    tag_ = std::to_string(GetCurrentProcessId()) + GetParam().name;
    key_ = "NorbaRemoval" + tag_;
    group_ = ShellFolder(CSIDL_PROGRAMS) + "\\Norba Removal " + tag_;
    desktopLink_ = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Removal " + tag_ + ".LNK";
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll", "setupgerman.dll"}));
    // A TEMP of the test's own: the copies made in it go with the scratch folder.
    ASSERT_TRUE(dir_.MakeFolder("temp"));
    temp_ = std::make_unique<ScopedEnvironment>("TEMP", dir_.Path("temp"));
    ziptest::ZipTestArchive archive;
    archive.Add("setup.exe", dir_.ReadText("setup.exe"));
    for (const std::string& library : GetParam().libraries) archive.Add(library, dir_.ReadText(library));
    archive.Add("bin/tool.exe", "program").Add("bin/sub/part.dll", "part").Add("readme.txt", "text");
    archive.Add("keep.ini", "protected");
    ASSERT_TRUE(archive.Save(dir_.Path("setup.fil")));
    std::string config = "AppName=Removal" + tag_ + "\r\nAppVersion=1.00\r\nIniKey=" + key_ + "\r\nInstallPath=*" +
                         dir_.Path("target") + "\r\nStartmenuName=Norba Removal " + tag_ + "\r\nStartmenuOpts=Removal " +
                         tag_ + ";*bin\\tool.exe\r\nDesktopIcon=2\r\nProtectedFiles=KEEP.INI\r\n" +
                         "FileTypes=.norbarm" + tag_ + ";NorbaRemoval" + tag_ + "=Test;bin\\tool.exe %1;bin\\tool.exe\r\n"
                         "NoFinalPopup=1\r\nInstallSkipInstallType=1\r\nInstallSkipLicense=1\r\nInstallLicenseAgree=1\r\n"
                         "InstallSkipInstallDir=1\r\nInstallSkipAdvertise=1\r\nInstallSkipCopyComplete=1\r\n";
    ASSERT_TRUE(dir_.WriteText("setup.cfg", Escaped(config)));
    ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2001.PUSH=149\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n2004.PUSH=149\r\n"
                                                  "2005.401=RB:1\r\n2005.402=RB:0\r\n2005.403=RB:0\r\n2005.301=CB:1\r\n"
                                                  "2005.PUSH=149\r\n2006.PUSH=149\r\n2009.PUSH=0\r\n"));
    ASSERT_EQ(0u, AppUnderTest(dir_.Path("setup.exe"), "/LANG:ENGL /HIDE", dir_.Root()).WaitExit());
    ASSERT_TRUE(Exists(group_) && Exists(desktopLink_) && KeyExists(HKEY_CLASSES_ROOT, ".norbarm" + tag_));
    // What the product adds while it is used: the user's own file, its settings and its autostart value.
    ASSERT_TRUE(dir_.WriteText("target\\bin\\notes.txt", "mine"));
    SetStringValue(HKEY_CURRENT_USER, "Software\\Norba\\" + key_, "Theme", "dark");
    SetStringValue(HKEY_CURRENT_USER, kRunKey, key_.c_str(), dir_.Path("target\\bin\\tool.exe"));
  }

  void TearDown() override {
    uidriver::DeleteTree(group_);
    pendingdeletions::Forget(dir_.Path("temp"));
    DeleteFileA(desktopLink_.c_str());
    for (const std::string& root : {".norbarm" + tag_, "NorbaRemoval" + tag_}) SHDeleteKeyA(HKEY_CLASSES_ROOT, root.c_str());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallKey + key_).c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Norba\\" + key_).c_str());
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueA(run, key_.c_str());
      RegCloseKey(run);
    }
    CoUninitialize();
  }

  // The uninstall command as Windows runs it: the program and its arguments from the record.
  std::unique_ptr<AppUnderTest> StartUninstallString() {
    testtext::COMMAND command = testtext::SplitCommand(StringValue(HKEY_LOCAL_MACHINE, kUninstallKey + key_, "UninstallString"));
    return std::make_unique<AppUnderTest>(command.Program, command.Arguments, dir_.Root());
  }

  // Walks the removal wizard of `app` to its finished page and closes it; on the way, a second
  // uninstaller of the product ends silently.
  void WalkWizard(AppUnderTest& app) {
    UiWindow frame = app.WaitWindow(WindowQuery::Titled("Uninstall"));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Remove the program"));
    {
      AppUnderTest second(dir_.Path("setup.exe"), "-remove " + key_, dir_.Root());
      EXPECT_FALSE(second.ShowedWindowUntilExit());
      EXPECT_EQ(0u, second.WaitExit());
    }
    if (GetParam().complete) {
      ASSERT_TRUE(frame.SetChecked(IDC_REMOVE_COMPLETE, true));
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
      EXPECT_TRUE(Contains(app.AnswerMessageBox(IDNO, kWarning), dir_.Path("target")));
      ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Remove the program"));
      EXPECT_TRUE(frame.IsChecked(IDC_REMOVE_COMPLETE));
      ASSERT_TRUE(Exists(dir_.Path("target\\readme.txt")));
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
      app.AnswerMessageBox(IDYES, kWarning);
    } else {
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    }
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Removal complete"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    EXPECT_EQ(0u, app.WaitExit());
  }

  uidriver::ScratchDir dir_;
  std::unique_ptr<ScopedEnvironment> temp_;
  std::string tag_, key_, group_, desktopLink_, copyFolder_;
};

TEST_P(RemovalTest, TheRecordedInstallationGoesAndTheCopyIsLeftToTheRestart) {
  const bool relaunch = GetParam().libraries.size() >= 2 && !GetParam().locked;
  uidriver::KernelHandle lock;
  if (GetParam().locked)
    lock.Reset(CreateFileA(dir_.Path("target\\setupgerman.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  std::unique_ptr<AppUnderTest> first = StartUninstallString();
  EXPECT_TRUE(Contains(first->AnswerMessageBox(IDYES, kQuestion), "Removal" + tag_));
  std::unique_ptr<AppUnderTest> copy;
  if (relaunch) {
    copy = first->WaitStartedProgram("setup.exe");
    EXPECT_EQ(0u, first->WaitExit());
    std::string program = copy->ProgramPath();
    copyFolder_ = program.substr(0, program.find_last_of('\\'));
    EXPECT_TRUE(Contains(Lower(copyFolder_), "\\temp\\norbauninstall.")) << program;
  } else {
    first->AnswerMessageBox(IDOK, kLocal);
  }
  WalkWizard(relaunch ? *copy : *first);

  // Nothing the installation recorded is left (but the running program in place); the protected file and
  // the user's file stay with their folders unless everything was to go.
  std::vector<std::string> gone = {"readme.txt", "bin\\tool.exe", "bin\\sub", "LicenseAgreed.txt"};
  if (relaunch) gone.insert(gone.end(), {"setup.exe", "setupenglish.dll", "setupgerman.dll"});
  for (const std::string& name : gone) EXPECT_FALSE(dir_.Exists("target\\" + name)) << name;
  for (const char* kept : {"keep.ini", "bin\\notes.txt"})
    EXPECT_NE(GetParam().complete, dir_.Exists(std::string("target\\") + kept)) << kept;
  EXPECT_NE(GetParam().complete, KeyExists(HKEY_CURRENT_USER, "Software\\Norba\\" + key_));
  EXPECT_FALSE(Exists(group_));
  EXPECT_FALSE(Exists(desktopLink_));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".norbarm" + tag_));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "NorbaRemoval" + tag_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + key_));
  EXPECT_EQ("", StringValue(HKEY_CURRENT_USER, kRunKey, key_.c_str()));

  // The copy and its folder go at the next restart.
  if (relaunch) {
    std::string pending = pendingdeletions::Deletions();
    for (const std::string& name : {std::string("\\setup.exe\n"), std::string("\\setupenglish.dll\n"), std::string("\n")})
      EXPECT_TRUE(Contains(pending, Lower(copyFolder_) + name)) << name << "\n" << pending;
  } else {
    // A copy that could not be made leaves nothing in TEMP.
    EXPECT_TRUE(PathIsDirectoryEmptyA(dir_.Path("temp").c_str())) << "a copy's folder is left in TEMP";
  }
  // A later start finds no record.
  AppUnderTest again(dir_.Path("setup.exe"), "-remove " + key_, dir_.Root());
  again.AnswerMessageBox(IDOK, kMissing);
  EXPECT_EQ(0u, again.WaitExit());
}

INSTANTIATE_TEST_SUITE_P(
    Removal, RemovalTest,
    ::testing::Values(RemovalCase{"Program", false, {"setupenglish.dll", "setupgerman.dll"}, false},
                      RemovalCase{"Complete", true, {"setupenglish.dll", "setupgerman.dll"}, false},
                      RemovalCase{"InPlace", false, {"setupenglish.dll"}, false},
                      RemovalCase{"Unreadable", false, {"setupenglish.dll", "setupgerman.dll"}, true}),
    [](const ::testing::TestParamInfo<RemovalCase>& info) { return std::string(info.param.name); });

}  // namespace
