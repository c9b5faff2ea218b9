// Removal end to end as Windows and deployment tools start it: a hidden installation of a small package
// with links, a file type and the uninstaller among its files; then the command from the record (the quiet
// one, or the question and the removal wizard), the relaunched copy in a folder of its own below TEMP (or
// the removal in place when no copy can be made), and what is left afterwards.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ids.h"
#include "pendingdeletions.h"
#include "productpackage.h"
#include "scopedenvironment.h"
#include "ziptestarchive.h"

namespace {

using package::Exists;
using package::KeyExists;
using testtext::Contains;
using testtext::Lower;
using testtext::ShellFolder;
using uidriver::AppUnderTest;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kWarning[] = "Complete removal deletes";

enum Removal { kQuiet, kWizard, kComplete };

struct RemovalCase {
  const char* name;
  Removal removal;                      // kComplete: removal mode "1", after the warning answered No once
  std::vector<std::string> libraries;  // the language libraries the package installs
  bool locked;                         // one of them is held open where no copy can read it
};

// One test's product, installed hidden into "target" of a scratch folder with the uninstaller among its
// files; everything it makes outside the folder has names of its own and goes at the end.
class RemovalTest : public ::testing::TestWithParam<RemovalCase> {
 protected:
  RemovalTest() : product_(package::Unique("NorbaRemoval"), {"setupenglish.dll", "setupgerman.dll"}) {}

  void SetUp() override {
    const std::string& key = product_.Key();
    group_ = ShellFolder(CSIDL_PROGRAMS) + "\\Norba Removal " + key;
    desktopLink_ = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Removal " + key + ".LNK";
    for (const std::string& path : {group_, desktopLink_}) product_.Owns(path);
    for (const std::string& root : {".norbarm" + key, "NorbaRemoval" + key}) product_.Owns(HKEY_CLASSES_ROOT, root);
    product_.Owns(HKEY_CURRENT_USER, "Software\\Norba\\" + key);
    product_.Owns(HKEY_CURRENT_USER, kRunKey, key);
    // A TEMP of the test's own: the copies made in it go with the scratch folder.
    ASSERT_TRUE(product_.dir.MakeFolder("temp"));
    temp_ = std::make_unique<ScopedEnvironment>("TEMP", product_.Path("temp"));
    ziptest::ZipTestArchive archive;
    archive.Add("setup.exe", product_.dir.ReadText("setup.exe"));
    for (const std::string& library : GetParam().libraries) archive.Add(library, product_.dir.ReadText(library));
    archive.Add("bin/tool.exe", "program").Add("bin/sub/part.dll", "part").Add("readme.txt", "text").Add("keep.ini", "kept");
    ASSERT_TRUE(archive.Save(product_.Path("setup.fil")));
    product_.WriteConfig("AppName=Removal" + key + "\r\nAppVersion=1.00\r\nIniKey=" + key + "\r\nInstallPath=*" +
                         product_.Path("target") + "\r\nStartmenuName=Norba Removal " + key + "\r\nStartmenuOpts=Removal " +
                         key + ";*bin\\tool.exe\r\nDesktopIcon=2\r\nProtectedFiles=KEEP.INI\r\nFileTypes=.norbarm" + key +
                         ";NorbaRemoval" + key + "=Test;bin\\tool.exe %1;bin\\tool.exe\r\n" + package::kSkipPages);
    product_.WriteAnswers("2005.401=RB:1\r\n2005.402=RB:0\r\n2005.403=RB:0\r\n2005.301=CB:1\r\n");
    ASSERT_EQ(0u, product_.RunHidden());
    ASSERT_TRUE(Exists(group_) && Exists(desktopLink_) && KeyExists(HKEY_CLASSES_ROOT, ".norbarm" + key));
    // What the product adds while it is used: the user's own file, its settings and its autostart value.
    ASSERT_TRUE(product_.dir.WriteText("target\\bin\\notes.txt", "mine"));
    package::SetValue(HKEY_CURRENT_USER, "Software\\Norba\\" + key, "Theme", "dark");
    package::SetValue(HKEY_CURRENT_USER, kRunKey, key.c_str(), product_.Path("target\\bin\\tool.exe"));
  }
  void TearDown() override { pendingdeletions::Forget(product_.Path("temp")); }

  // Walks the removal wizard of `app` to its finished page and closes it; on the way of a complete removal,
  // a second uninstaller of the product ends silently.
  void WalkWizard(AppUnderTest& app) {
    uidriver::UiWindow frame = app.WaitWindow(uidriver::WindowQuery::Titled("Uninstall"));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Remove the program"));
    if (GetParam().removal == kComplete) {
      std::unique_ptr<AppUnderTest> second = product_.Start("-remove " + product_.Key());
      EXPECT_FALSE(second->ShowedWindowUntilExit());
      EXPECT_EQ(0u, second->WaitExit());
      ASSERT_TRUE(frame.SetChecked(IDC_REMOVE_COMPLETE, true));
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
      EXPECT_TRUE(Contains(app.AnswerMessageBox(IDNO, kWarning), product_.Path("target")));
      ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Remove the program"));
      EXPECT_TRUE(frame.IsChecked(IDC_REMOVE_COMPLETE));
      ASSERT_TRUE(product_.dir.Exists("target\\readme.txt"));
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
      app.AnswerMessageBox(IDYES, kWarning);
    } else {
      ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    }
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Removal complete"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    EXPECT_EQ(0u, app.WaitExit());
  }

  package::ProductPackage product_;
  std::unique_ptr<ScopedEnvironment> temp_;
  std::string group_, desktopLink_;
};

TEST_P(RemovalTest, TheRecordedInstallationGoesAndTheCopyIsLeftToTheRestart) {
  const RemovalCase& param = GetParam();
  const std::string& key = product_.Key();
  const bool relaunch = param.libraries.size() >= 2 && !param.locked, complete = param.removal == kComplete;
  uidriver::KernelHandle lock;
  if (param.locked)
    lock.Reset(CreateFileA(product_.Path("target\\setupgerman.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string copyFolder = Lower(product_.Path("temp\\NorbaUninstall."));
  if (param.removal == kQuiet) {
    // What deployment tools read from the record: no window, the outcome in the exit code.
    testtext::COMMAND quiet = testtext::SplitCommand(product_.RecordValue("QuietUninstallString"));
    EXPECT_EQ("-remove \"" + key + "\" /HIDE", quiet.Arguments);
    AppUnderTest app(quiet.Program, quiet.Arguments, product_.dir.Root());
    EXPECT_FALSE(app.ShowedWindowUntilExit());
    EXPECT_EQ(0u, app.WaitExit());
  } else {
    // The uninstall command as Windows runs it: the program and its arguments from the record.
    testtext::COMMAND command = testtext::SplitCommand(product_.RecordValue("UninstallString"));
    AppUnderTest first(command.Program, command.Arguments, product_.dir.Root());
    EXPECT_TRUE(Contains(first.AnswerMessageBox(IDYES, "Do you really want to remove"), "Removal" + key));
    std::unique_ptr<AppUnderTest> copy;
    if (relaunch) {
      copy = first.WaitStartedProgram("setup.exe");
      std::string program = copy->ProgramPath();
      copyFolder = Lower(program.substr(0, program.find_last_of('\\')));
      EXPECT_TRUE(Contains(copyFolder, "\\temp\\norbauninstall.")) << program;
    } else {
      first.AnswerMessageBox(IDOK, "Cannot copy to temp directory");
    }
    WalkWizard(relaunch ? *copy : first);
    EXPECT_EQ(0u, first.WaitExit());
  }

  // Nothing the installation recorded is left but a running program in place (the quiet removal's first
  // program waits there for the copy's exit code); the protected file and the user's file stay with their
  // folders unless everything was to go.
  std::vector<std::string> gone = {"readme.txt", "bin\\tool.exe", "bin\\sub", "LicenseAgreed.txt"};
  if (relaunch) gone.insert(gone.end(), {"setupenglish.dll", "setupgerman.dll"});
  if (relaunch && param.removal != kQuiet) gone.push_back("setup.exe");
  for (const std::string& name : gone) EXPECT_FALSE(product_.dir.Exists("target\\" + name)) << name;
  for (const char* kept : {"keep.ini", "bin\\notes.txt"})
    EXPECT_NE(complete, product_.dir.Exists(std::string("target\\") + kept)) << kept;
  EXPECT_NE(complete, KeyExists(HKEY_CURRENT_USER, "Software\\Norba\\" + key));
  for (const std::string& path : {group_, desktopLink_}) EXPECT_FALSE(Exists(path)) << path;
  for (const std::string& root : {".norbarm" + key, "NorbaRemoval" + key}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, root));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, product_.RecordPath()));
  EXPECT_EQ(package::kMissing, package::Value(HKEY_CURRENT_USER, kRunKey, key.c_str()));

  // The copy and its folder go at the next restart; a copy that could not be made leaves nothing in TEMP.
  std::string pending = pendingdeletions::Deletions();
  if (relaunch) {
    std::vector<std::string> names = {"\\setup.exe\n", "\\setupenglish.dll\n", "\n"};
    if (param.removal == kQuiet) names = {""};  // its copy's folder is known by its beginning only
    for (const std::string& name : names) EXPECT_TRUE(Contains(pending, copyFolder + name)) << name << "\n" << pending;
  } else {
    EXPECT_TRUE(PathIsDirectoryEmptyA(product_.Path("temp").c_str())) << "a copy's folder is left in TEMP";
  }
  // A later start finds no record: the quiet one tells by its exit code, the other by a message.
  if (param.removal == kQuiet) {
    EXPECT_EQ(1605u, product_.RunHidden("-remove " + key));
  } else if (complete) {
    std::unique_ptr<AppUnderTest> again = product_.Start("-remove " + key);
    again->AnswerMessageBox(IDOK, "Files missing or this software has already been uninstalled!");
    EXPECT_EQ(0u, again->WaitExit());
  }
}

const std::vector<std::string> kBothLibraries = {"setupenglish.dll", "setupgerman.dll"};

INSTANTIATE_TEST_SUITE_P(Removal, RemovalTest,
                         ::testing::Values(RemovalCase{"Quiet", kQuiet, kBothLibraries, false},
                                           RemovalCase{"Complete", kComplete, kBothLibraries, false},
                                           RemovalCase{"InPlace", kWizard, {"setupenglish.dll"}, false},
                                           RemovalCase{"Unreadable", kWizard, kBothLibraries, true}),
                         [](const ::testing::TestParamInfo<RemovalCase>& info) { return std::string(info.param.name); });

}  // namespace
