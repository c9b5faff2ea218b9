// Installations with the real setup.exe and a small package of the test's own: the whole wizard from
// welcome to finish, the same installation repeated hidden from its recorded answers, a cancelled run,
// and the failures (setup.cfg missing, CheckDll unmet, a skipped folder page that cannot write), shown and
// hidden.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ids.h"
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
using testtext::Escaped;

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kCaption[] = "Tulip Setup";  // "Norba" of the wizard's caption becomes AppName
const char kWelcomeTitle[] = "Welcome to the setup of Tulip 2.50";
const char kAgreementTitle[] = "License agreement";
const char kFolderTitle[] = "Installation folder";
const char kShortcutsTitle[] = "Program group and desktop icon";
const char kCopyTitle[] = "Copying files";
const char kCopyComplete[] = "All files have been copied";
const char kNotWritable[] = "Setup cannot write to the folder";
const char kCancelQuestion[] = "Setup is not complete yet";
const char kClosingMessage[] = "Tulip has been installed successfully.";
const char kConfigMissing[] = "setup.cfg cannot be read";
const char kPrerequisiteMissing[] = "A component that the program needs is missing";

const DWORD kDone = 0, kCancelled = 1602, kFailed = 1603;

using Listing = std::map<std::string, std::string>;

// The relative names of every file below `folder`.
void ListFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& names) {
  WIN32_FIND_DATAA found;
  uidriver::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!find.Valid()) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListFiles(folder + "\\" + name, prefix + name + "\\", names);
    else
      names.push_back(prefix + name);
  } while (FindNextFileA(find.Get(), &found));
}

// One test's package in a scratch folder: setup.exe with the English library, setup.cfg, setup.fil and
// LICENSE.TXT; the product's uninstall key of its own, deleted in both registry views at the end.
class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    iniKey_ = std::string("NorbaInstallTest_") + std::to_string(GetCurrentProcessId()) + "_" + info->name();
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
    ZipTestArchive archive;
    archive.Add("tulip.exe", "program").Add("docs/readme.txt", "read me").Add("remove.me", "temporary");
    archive.Add("docs/manual.bin", std::string(5000, 'm'));
    ASSERT_TRUE(archive.Save(dir_.Path("setup.fil")));
    ASSERT_TRUE(dir_.WriteText("LICENSE.TXT", "License of $PROGRAM for testing.\r\nSecond paragraph.\r\n"));
  }
  void TearDown() override { DeleteRecord(); }

  void WriteConfig(const std::string& extra = "") {
    ASSERT_TRUE(dir_.WriteText("setup.cfg", "AppName=Tulip\r\nAppVersion=2.50\r\nIniKey=" + iniKey_ +
                                                "\r\nStartmenuName=Tulip Test\r\nInstallPath=*" +
                                                Escaped(dir_.Path("proposed")) +
                                                "\r\nDeleteAfterExtract=remove.me\r\n" + extra));
  }
  std::unique_ptr<AppUnderTest> Start(const std::string& arguments = "", const std::string& program = "setup.exe") {
    return std::make_unique<AppUnderTest>(dir_.Path(program), "/LANG:ENGL " + arguments, dir_.Root());
  }

  std::string RecordPath() const { return std::string(kUninstallKey) + iniKey_; }
  // An earlier installation of the same version in `folder`.
  void WriteRecord(const std::string& folder) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, RecordPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    for (const auto& value : Listing{{"UninstallPath", folder}, {"DisplayVersion", "2.50"}})
      RegSetValueExA(key, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                     DWORD(value.second.size() + 1));
    RegCloseKey(key);
  }
  // The record's string values by name; empty when there is no record.
  Listing Record() const {
    Listing values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RecordPath().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; i++) {
      char name[256];
      BYTE data[8192];
      DWORD namesize = sizeof(name), datasize = sizeof(data) - 1, type = 0;
      if (RegEnumValueA(key, i, name, &namesize, nullptr, &type, data, &datasize) != ERROR_SUCCESS) break;
      data[datasize] = 0;
      values[name] = type == REG_SZ      ? std::string(reinterpret_cast<char*>(data))
                     : type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data))
                                         : "<type " + std::to_string(type) + ">";
    }
    RegCloseKey(key);
    return values;
  }
  void DeleteRecord() {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)})
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, RecordPath().c_str(), view, 0);
  }
  // The installed files with their contents.
  Listing Installed() const {
    std::vector<std::string> names;
    ListFiles(dir_.Path("installed"), "", names);
    Listing files;
    for (const std::string& name : names) files[name] = dir_.ReadText("installed\\" + name);
    return files;
  }

  ScratchDir dir_;
  std::string iniKey_;
};

// Waits until the control is enabled or disabled as asked (the page follows a click in its handler).
bool WaitEnabled(AppUnderTest& app, UiWindow& frame, int id, bool enabled) {
  return app.Await("control " + std::to_string(id) + (enabled ? " enabled" : " disabled"),
                   [&] { return frame.IsEnabled(id) == enabled; });
}

// Welcome, agreement and folder pages back and forth, a folder that cannot be written, the copy, the finish
// and the closing message; then the same installation repeated hidden from the recorded answers.
TEST_F(InstallTest, WizardFromWelcomeToFinishThenTheSameInstallationHidden) {
  WriteConfig();
  ASSERT_TRUE(dir_.MakeFolder("earlier"));
  ASSERT_TRUE(dir_.WriteText("blocker", "a file where a folder would go"));
  WriteRecord(dir_.Path("earlier"));
  std::unique_ptr<AppUnderTest> app = Start();
  UiWindow frame = app->WaitWindow(WindowQuery::Titled(kCaption));

  // The same version again: type "1" passes the agreement over in both directions.
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kWelcomeTitle));
  EXPECT_TRUE(frame.IsChecked(IDC_WELCOME_SAME));
  EXPECT_FALSE(frame.IsEnabled(IDC_WELCOME_UPDATE));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  EXPECT_EQ(dir_.Path("earlier"), frame.ControlText(IDC_FOLDER_EDIT));
  EXPECT_FALSE(frame.IsEnabled(IDC_FOLDER_EDIT));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_BACK));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kWelcomeTitle));

  // A new installation: the agreement, and Next only while it is accepted.
  ASSERT_TRUE(frame.SetChecked(IDC_WELCOME_NEW, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kAgreementTitle));
  EXPECT_TRUE(Contains(frame.ControlText(IDC_AGREEMENT_TEXT), "License of Tulip 2.50 for testing.\r\n\r\nSecond"));
  EXPECT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, false));
  ASSERT_TRUE(frame.SetChecked(IDC_AGREEMENT_ACCEPT, true));
  EXPECT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, true));
  ASSERT_TRUE(frame.SetChecked(IDC_AGREEMENT_ACCEPT, false));
  EXPECT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, false));
  ASSERT_TRUE(frame.SetChecked(IDC_AGREEMENT_ACCEPT, true));
  ASSERT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));

  // A folder below a file cannot be made: the message, and the page again.
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, dir_.Path("blocker\\sub")));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  EXPECT_TRUE(Contains(app->AnswerMessageBox(IDOK, kNotWritable), dir_.Path("blocker\\sub")));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, dir_.Path("installed")));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));

  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kCopyTitle));  // the folder page's 201 is gone
  ASSERT_TRUE(frame.WaitControlText(IDC_COPY_STATUS, kCopyComplete));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  // No program group: a finished run of another product than Kiv would open it in the shell (the shortcuts
  // have tests of their own).
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kShortcutsTitle));
  ASSERT_TRUE(frame.SetChecked(IDC_SHORTCUTS_USER_GROUP, false));
  ASSERT_TRUE(frame.SetChecked(IDC_SHORTCUTS_NO_GROUP, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDOK, kClosingMessage);
  EXPECT_EQ(kDone, app->WaitExit());

  const Listing files = Installed();
  EXPECT_EQ("program", files.at("tulip.exe"));
  EXPECT_EQ("read me", files.at("docs\\readme.txt"));
  EXPECT_EQ(0u, files.count("remove.me"));  // DeleteAfterExtract
  EXPECT_TRUE(Contains(files.at("LicenseAgreed.txt"), "License of Tulip 2.50 for testing."));
  EXPECT_FALSE(dir_.Exists("blocker\\sub"));
  const Listing record = Record();
  EXPECT_EQ(dir_.Path("installed"), record.at("UninstallPath"));
  EXPECT_EQ("2.50", record.at("DisplayVersion"));
  EXPECT_EQ("Tulip Test", record.at("DisplayName"));
  // What deployment tools read: about 5,070 bytes were installed, rounded up to kilobytes.
  SYSTEMTIME today;
  GetLocalTime(&today);
  const Listing deployment = {{"QuietUninstallString", record.at("UninstallString") + " /HIDE"},
                              {"InstallLocation", dir_.Path("installed")},
                              {"EstimatedSize", "5"},
                              {"InstallDate", std::to_string(today.wYear * 10000 + today.wMonth * 100 + today.wDay)},
                              {"NoModify", "1"},
                              {"NoRepair", "1"}};
  for (const auto& value : deployment) EXPECT_EQ(value.second, record.at(value.first)) << value.first;
  std::string answers = dir_.ReadText("silentsetup_tmp.ini");
  for (const std::string& line : {std::string("2001.401=RB:1"), std::string("2003.301=CB:1"),
                                  "2002.201=EF:" + Escaped(dir_.Path("installed")), std::string("2004.PUSH=149")})
    EXPECT_TRUE(Contains(answers, line)) << line << "\n" << answers;

  // The recorded answers repeat the installation where nobody watches.
  DeleteRecord();
  ASSERT_TRUE(uidriver::DeleteTree(dir_.Path("installed")));
  ASSERT_TRUE(MoveFileA(dir_.Path("silentsetup_tmp.ini").c_str(), dir_.Path("silentsetup.ini").c_str()));
  app = Start("/HIDE");
  EXPECT_FALSE(app->ShowedWindowUntilExit());
  EXPECT_EQ(kDone, app->WaitExit());
  EXPECT_EQ(files, Installed());
  EXPECT_EQ(record, Record());
  EXPECT_FALSE(dir_.Exists("silentsetup_tmp.ini"));  // only interactive runs record
}

TEST_F(InstallTest, CancelledRunRecordsItsAnswersButInstallsNothing) {
  WriteConfig();
  std::unique_ptr<AppUnderTest> app = Start();
  UiWindow frame = app->WaitWindow(WindowQuery::Titled(kCaption));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kWelcomeTitle));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDNO, kCancelQuestion);
  EXPECT_EQ(kCancelled, app->WaitExit());
  EXPECT_TRUE(dir_.Exists("silentsetup_tmp.ini"));
  EXPECT_TRUE(Record().empty());
  EXPECT_FALSE(dir_.Exists("proposed"));
}

// The Windows version that Wine reports to one program, by its file name, while the object lives.
class WineVersionOf {
 public:
  WineVersionOf(const std::string& program, const char* version) : key_("Software\\Wine\\AppDefaults\\" + program) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), DWORD(strlen(version) + 1));
    RegCloseKey(key);
  }
  ~WineVersionOf() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }
  WineVersionOf(const WineVersionOf&) = delete;
  WineVersionOf& operator=(const WineVersionOf&) = delete;

 private:
  std::string key_;
};

// Failures: a box where somebody watches, only the trace in a hidden run; never a record. A failure before
// the wizard leaves no recorded answers; a folder page that passes itself over and cannot write ends the
// wizard after one message instead of repeating it.
TEST_F(InstallTest, FailuresEndWith1603) {
  // DAO 3.6 is only looked for on Windows 2000 and older: a copy of setup.exe under its own name is told
  // it runs on one (the other tests' setup.exe keep their version).
  ASSERT_TRUE(dir_.CopyFileTo(dir_.Path("setup.exe"), "oldsetup.exe"));
  WineVersionOf windows2000("oldsetup.exe", "win2k");
  ASSERT_TRUE(dir_.WriteText("blocker", "a file where a folder would go"));
  const struct {
    const char* what;
    std::string config;  // empty: no setup.cfg
    const char* program;
    const char* message;
    bool wizard;  // the wizard ran: an interactive run records its answers
  } cases[] = {
      {"setup.cfg missing", "", "setup.exe", kConfigMissing, false},
      {"CheckDll unmet", "CheckDll=dao360\r\n", "oldsetup.exe", kPrerequisiteMissing, false},
      {"a skipped folder page cannot write",
       "InstallSkipInstallType=1\r\nInstallLicenseAgree=1\r\nInstallSkipLicense=1\r\nInstallSkipInstallDir=1\r\n"
       "InstallDirectory=" +
           Escaped(dir_.Path("blocker\\sub")) + "\r\n",
       "setup.exe", kNotWritable, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(dir_.Path("setup.cfg").c_str());
    if (!c.config.empty()) WriteConfig(c.config);
    std::unique_ptr<AppUnderTest> app = Start("", c.program);
    app->AnswerMessageBox(IDOK, c.message);
    EXPECT_EQ(kFailed, app->WaitExit());
    EXPECT_EQ(c.wizard, dir_.Exists("silentsetup_tmp.ini"));
    DeleteFileA(dir_.Path("silentsetup_tmp.ini").c_str());

    ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2001.PUSH=149\r\n"));
    app = Start("/HIDE", c.program);
    EXPECT_FALSE(app->ShowedWindowUntilExit());
    EXPECT_EQ(kFailed, app->WaitExit());
    DeleteFileA(dir_.Path("silentsetup.ini").c_str());

    EXPECT_TRUE(Record().empty());
    EXPECT_FALSE(dir_.Exists("silentsetup_tmp.ini"));
  }
}

}  // namespace
