// Removal end to end as Windows and deployment tools start it: a hidden installation with links of every
// kind, a file type and the uninstaller; the command from the record, the relaunched copy below TEMP (or the
// removal in place when no copy can be made), and what is left afterwards.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/comobject.h"
#include "ids.h"
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

// The system's deletions at the next restart (PendingFileRenameOperations of the Session Manager) in pairs:
// a path ("\??\" before it), then its target, empty for a deletion; the list's end adds an empty entry.
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPending[] = "PendingFileRenameOperations";
std::vector<std::string> PendingEntries() {
  std::string data(1 << 20, '\0');
  DWORD size = static_cast<DWORD>(data.size());
  if (SHGetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPending, nullptr, &data[0], &size) != ERROR_SUCCESS) size = 0;
  std::vector<std::string> entries;
  std::istringstream list(data.substr(0, size));
  for (std::string entry; std::getline(list, entry, '\0');) entries.push_back(entry);
  return entries;
}

// A shell link as the shell reads it back: "target|arguments|working folder|icon,index" (lower case).
std::string ReadLink(const std::string& file) {
  COMSCOPE com;
  COMPTR<IShellLinkA> link;
  COMPTR<IPersistFile> persist;
  std::wstring name(file.begin(), file.end());
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.OutVoid())) || FAILED(persist->Load(name.c_str(), STGM_READ)))
    return package::kMissing;
  char path[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {}, icon[MAX_PATH] = {};
  int index = 0;
  link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetArguments(arguments, MAX_PATH);
  link->GetWorkingDirectory(folder, MAX_PATH);
  link->GetIconLocation(icon, MAX_PATH, &index);
  return Lower(std::string(path) + "|" + arguments + "|" + folder + "|" + icon + "," + std::to_string(index));
}

// kQuiet: the quiet command; kComplete: the wizard in removal mode "1", after the warning answered No once;
// kInPlace: the wizard while a language library is held open where no copy can read it.
enum Removal { kQuiet, kComplete, kInPlace };
const char* const kRemovalNames[] = {"Quiet", "Complete", "Unreadable"};

// One test's product, installed hidden into "target" of a scratch folder with the uninstaller among its
// files; everything it makes outside the folder has names of its own and goes at the end.
class RemovalTest : public ::testing::TestWithParam<Removal> {
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
    for (const char* file : {"setup.exe", "setupenglish.dll", "setupgerman.dll"}) archive.Add(file, product_.dir.ReadText(file));
    archive.Add("bin/tool.exe", "program").Add("bin/sub/part.dll", "part").Add("readme.txt", "text").Add("keep.ini", "kept");
    ASSERT_TRUE(archive.Save(product_.Path("setup.fil")));
    const std::string main = "Removal " + key, target = product_.Path("target");
    product_.WriteConfig("AppName=Removal" + key + "\r\nAppVersion=1.00\r\nIniKey=" + key + "\r\nInstallPath=*" + target +
                         "\r\nStartmenuName=Norba Removal " + key + "\r\nStartmenuOpts=" + main +
                         ";*bin\\tool.exe;-start;bin\\tool.exe:2|Website;https://www.norba.example/|"
                         "Notepad;%PATH%\\notepad.exe;readme.txt;shell32.dll:3| |Evil;..\\..\\evil.exe|"
                         "..\\Escape;bin\\tool.exe|C:Drive;bin\\tool.exe|Absent;%PATH%\\norba-absent.exe|"
                         "Climb;%PATH%\\..\\notepad.exe\r\nStartmenuUninstall=1\r\nDesktopIcon=2\r\n"
                         "ProtectedFiles=KEEP.INI\r\nFileTypes=.norbarm" + key + ";NorbaRemoval" + key +
                         "=Test;bin\\tool.exe %1;bin\\tool.exe\r\n" + package::kSkipPages);
    product_.WriteAnswers("2005.401=RB:1\r\n2005.402=RB:0\r\n2005.403=RB:0\r\n2005.301=CB:1\r\n");
    ASSERT_EQ(0u, product_.RunHidden());
    ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".norbarm" + key));
    // Every kind of item in the user's start menu, chosen on the page (the all users' group: the install
    // test's page), and the offered item on the desktop; items whose link or target would leave its folder,
    // and a program the search path lacks, make nothing.
    const std::string tool = target + "\\bin\\tool.exe", uninstaller = target + "\\setup.exe", system = ShellFolder(CSIDL_SYSTEM);
    EXPECT_EQ(Lower(tool + "|-start|" + target + "|" + tool + ",2"), ReadLink(group_ + "\\" + main + ".LNK"));
    EXPECT_EQ(Lower(system + "\\notepad.exe|readme.txt|" + target + "|" + system + "\\shell32.dll,3"),
              ReadLink(group_ + "\\Notepad.LNK"));
    EXPECT_EQ(Lower(uninstaller + "|-remove " + key + "|" + target + "|" + uninstaller + ",1"),
              ReadLink(group_ + "\\Uninstall Removal" + key + ".LNK"));
    char url[256] = {};  // as the shell reads an internet shortcut
    GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof(url), (group_ + "\\Website.URL").c_str());
    EXPECT_STREQ("https://www.norba.example/", url);
    EXPECT_EQ(Lower(tool + "|-start|" + target + "|,0"), ReadLink(desktopLink_));
    for (const char* name : {"Evil.LNK", "Absent.LNK", "Climb.LNK", "Drive.LNK"}) EXPECT_FALSE(Exists(group_ + "\\" + name));
    EXPECT_FALSE(Exists(ShellFolder(CSIDL_PROGRAMS) + "\\Escape.LNK"));
    EXPECT_EQ(group_, product_.RecordValue("UninstallStartmenu"));
    EXPECT_EQ(main + "|Website|Notepad|Uninstall Removal" + key, product_.RecordValue("UninstallStartmenuFiles"));
    EXPECT_EQ(main, product_.RecordValue("UninstallDesktopFiles"));
    // What the product adds while it is used: the user's own file, its settings and its autostart value.
    ASSERT_TRUE(product_.dir.WriteText("target\\bin\\notes.txt", "mine"));
    package::SetValue(HKEY_CURRENT_USER, "Software\\Norba\\" + key, "Theme", "dark");
    package::SetValue(HKEY_CURRENT_USER, kRunKey, key.c_str(), product_.Path("target\\bin\\tool.exe"));
  }
  // The test's own entries leave the restart list again (an empty list stays as an empty value).
  void TearDown() override {
    std::vector<std::string> entries = PendingEntries();
    std::string kept;
    for (size_t i = 0; i + 1 < entries.size(); i += 2)
      if (!Contains(Lower(entries[i]), Lower(product_.Path("temp")))) kept += entries[i] + '\0' + entries[i + 1] + '\0';
    SHSetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPending, REG_MULTI_SZ, kept.data(), DWORD(kept.size() + 1));
  }

  // Walks the removal wizard of `app` to its finished page and closes it; on the way of a complete removal,
  // a second uninstaller of the product ends silently.
  void WalkWizard(AppUnderTest& app) {
    uidriver::UiWindow frame = app.WaitWindow(uidriver::WindowQuery::Titled("Uninstall"));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Remove the program"));
    if (GetParam() == kComplete) {
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
  const Removal removal = GetParam();
  const std::string& key = product_.Key();
  const bool relaunch = removal != kInPlace, complete = removal == kComplete;
  uidriver::KernelHandle lock;
  if (!relaunch)
    lock.Reset(CreateFileA(product_.Path("target\\setupgerman.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string copyFolder = Lower(product_.Path("temp\\NorbaUninstall."));
  // The command of the record as Windows (or, the quiet one, a deployment tool) runs it.
  const std::string program = product_.Path("target\\setup.exe");
  const std::string command = product_.RecordValue(removal == kQuiet ? "QuietUninstallString" : "UninstallString");
  const std::string arguments = "-remove \"" + key + "\"" + (removal == kQuiet ? " /HIDE" : "");
  EXPECT_EQ(Lower("\"" + program + "\" " + arguments), Lower(command));
  if (removal == kQuiet) {
    AppUnderTest app(program, arguments, product_.dir.Root());
    EXPECT_FALSE(app.ShowedWindowUntilExit());
    EXPECT_EQ(0u, app.WaitExit());
  } else {
    AppUnderTest first(program, arguments, product_.dir.Root());
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
  if (relaunch && removal != kQuiet) gone.push_back("setup.exe");
  for (const std::string& name : gone) EXPECT_FALSE(product_.dir.Exists("target\\" + name)) << name;
  for (const char* kept : {"keep.ini", "bin\\notes.txt"})
    EXPECT_NE(complete, product_.dir.Exists(std::string("target\\") + kept)) << kept;
  EXPECT_NE(complete, KeyExists(HKEY_CURRENT_USER, "Software\\Norba\\" + key));
  for (const std::string& path : {group_, desktopLink_}) EXPECT_FALSE(Exists(path)) << path;
  for (const std::string& root : {".norbarm" + key, "NorbaRemoval" + key}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, root));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, product_.RecordPath()));
  EXPECT_EQ(package::kMissing, package::Value(HKEY_CURRENT_USER, kRunKey, key.c_str()));

  // The copy and its folder go at the next restart; a copy that could not be made leaves nothing in TEMP.
  std::vector<std::string> entries = PendingEntries();
  std::string pending;  // the paths to delete, one per line
  for (size_t i = 0; i + 1 < entries.size(); i += 2)
    if (entries[i + 1].empty()) pending += Lower(entries[i]) + "\n";
  if (relaunch) {
    std::vector<std::string> names = {"\\setup.exe\n", "\\setupenglish.dll\n", "\n"};
    if (removal == kQuiet) names = {""};  // its copy's folder is known by its beginning only
    for (const std::string& name : names) EXPECT_TRUE(Contains(pending, copyFolder + name)) << name << "\n" << pending;
  } else {
    EXPECT_TRUE(PathIsDirectoryEmptyA(product_.Path("temp").c_str())) << "a copy's folder is left in TEMP";
  }
  // A later quiet start finds no record and tells so by its exit code.
  if (removal == kQuiet) {
    EXPECT_EQ(1605u, product_.RunHidden("-remove " + key));
  }
}

INSTANTIATE_TEST_SUITE_P(Removal, RemovalTest, ::testing::Values(kQuiet, kComplete, kInPlace),
                         [](const ::testing::TestParamInfo<Removal>& info) { return kRemovalNames[info.param]; });

}  // namespace
