// The copy step end to end through copyprobe.exe: the archives with their lists and folder markers, the
// custom-admin flag, the overwrite and retry questions (in English and Hungarian, skipped in hidden runs),
// the end of the page, the service stopped and restarted in hook order, and the uninstall record.
// A run of the probe takes seconds under Wine: each run is checked for several of these at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "scopedenvironment.h"
#include "testtext.h"
#include "uidriver.h"
#include "ziptestarchive.h"

using testtext::Contains;
using uidriver::AppUnderTest;
using ziptest::ZipTestArchive;

namespace {

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kCopying = "status=Copying the program files. Please wait...\n";
const std::string kComplete = "status=All files have been copied. Click Next to continue.\n";
const char kRetryText[] = "could not be written";
const std::string kServiceTitle = "|Norba Service-Control";
const char kMissing[] = "<missing>";
const DWORD kFinished = 0;
const DWORD kCancelled = 1;

// Whether the copy probe's wizard owns the message box.
bool OwnedByWizard(HWND box) {
  char name[64] = {};
  GetClassNameA(GetWindow(box, GW_OWNER), name, sizeof name);
  return std::string(name) == "NorbaCopyProbe";
}

// A file held open without sharing, as a running program holds its executable: nobody can replace it.
HANDLE Lock(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One test's installation: the setup folder (probe, language library, setup.cfg, archives) in a scratch
// folder, the installation folder "target" inside it, and the uninstall record of a product key of its
// own, deleted at the end. Service runs and hook events go into one file, in the order they happen.
class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    iniKey_ = "NorbaCopyTest_" + std::to_string(GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_FIXTURE_DIR, {"copyprobe.exe"}));
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
    ASSERT_TRUE(dir_.MakeFolder("target"));
  }
  void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallKey + iniKey_).c_str()); }

  std::string Target(const std::string& relative = "") const {
    return dir_.Path(relative.empty() ? "target" : "target\\" + relative);
  }
  void WriteConfig(const std::string& extra) {
    ASSERT_TRUE(dir_.WriteText("setup.cfg", "AppName=KivTest\r\nAppVersion=8.00\r\nIniKey=" + iniKey_ +
                                                "\r\nStartmenuName=Kiv Test\r\n" + extra));
  }
  void WriteArchive(const std::string& name, const ZipTestArchive& archive) {
    ASSERT_TRUE(archive.Save(dir_.Path(name)));
  }
  // An earlier installation's service program in the installation folder, answering "/STOP" with `stopcode`.
  void InstallService(int stopcode) {
    ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/fakeservice.exe", "target\\service.exe"));
    stopCode_.reset(new ScopedEnvironment("NORBA_FAKESERVICE_STOPCODE", std::to_string(stopcode)));
  }
  void RecordHookEvents() {
    ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
    hookRecord_.reset(new ScopedEnvironment("NORBA_HOOKRECORD", dir_.Path("events.log")));
  }
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    std::stringstream lines(dir_.Exists("events.log") ? dir_.ReadText("events.log") : "");
    for (std::string line; std::getline(lines, line);) events.push_back(line.substr(0, line.find('\r')));
    return events;
  }

  std::unique_ptr<AppUnderTest> Start(const std::string& extra = "", const std::string& type = "0") {
    return std::unique_ptr<AppUnderTest>(new AppUnderTest(
        dir_.Path("copyprobe.exe"), "-TARGET \"" + Target() + "\" -TYPE " + type + " " + extra, dir_.Root()));
  }
  std::string Report() const { return dir_.ReadText("copyprobe.report"); }
  // A string value of the record; kMissing when it is not there.
  std::string RecordValue(const char* name) const {
    char data[4096] = {};
    DWORD size = sizeof(data);
    LONG rc = RegGetValueA(HKEY_LOCAL_MACHINE, (kUninstallKey + iniKey_).c_str(), name, RRF_RT_REG_SZ, nullptr, data,
                           &size);
    return rc == ERROR_SUCCESS ? data : kMissing;
  }

  uidriver::ScratchDir dir_;
  std::string iniKey_;
  std::unique_ptr<ScopedEnvironment> stopCode_;
  std::unique_ptr<ScopedEnvironment> hookRecord_;
  ScopedEnvironment serviceRecord_{"NORBA_FAKESERVICE_RECORD", dir_.Path("events.log")};
};

// setup.fil with a folder marker, a protected file that is kept and an admin.ini that counts only in custom
// archives (where one in a sub-folder does not count either); the agreement; the service program stopped
// and restarted around the copy, in hook order; the page finished with Next as its default.
TEST_F(CopyTest, ArchivesAreExtractedAndRecordedAroundTheStoppedServiceInHookOrder) {
  WriteConfig("ProtectedFiles=readme.txt\r\n");
  InstallService(0);
  RecordHookEvents();
  ASSERT_TRUE(dir_.WriteText("target\\readme.txt", "user's readme"));
  ZipTestArchive setup;
  std::string files;
  for (int i = 0; i < 8; i++) {
    setup.Add("bin/file" + std::to_string(i) + ".dll", std::string(1000, 'a' + i));
    files += "bin/file" + std::to_string(i) + ".dll|";
  }
  setup.Add("data/logs/dummy.tmp").Add("admin.ini", std::string(1000, 'i')).Add("readme.txt", std::string(1000, 'r'));
  WriteArchive("setup.fil", setup);
  WriteArchive("custom.fil", ZipTestArchive().Add("conf/admin.ini", "nested"));
  ASSERT_TRUE(dir_.WriteText("LicenseAgreed.txt", "First paragraph.\nSecond paragraph.\n"));

  EXPECT_EQ(kFinished, Start("", "2")->WaitExit());

  EXPECT_EQ("user's readme", dir_.ReadText("target\\readme.txt"));
  EXPECT_EQ("nested", dir_.ReadText("target\\conf\\admin.ini"));
  // The folder marker leaves its folder, empty, and is not recorded.
  EXPECT_TRUE(dir_.Exists("target\\data\\logs") && !dir_.Exists("target\\data\\logs\\dummy.tmp"));
  EXPECT_EQ("First paragraph.\r\nSecond paragraph.\r\n", dir_.ReadText("target\\LicenseAgreed.txt"));
  EXPECT_EQ(files + "admin.ini|readme.txt|conf/admin.ini|LicenseAgreed.txt", RecordValue("UninstallFiles"));
  EXPECT_EQ("readme.txt", RecordValue("UninstallProtect"));
  // The cancelled runs below are told by its absence.
  EXPECT_EQ(Target(), RecordValue("UninstallPath"));
  EXPECT_EQ(Target("service.exe"), RecordValue("UninstallServiceExe"));
  // 10,000 bytes: a step at every thousand, none for the empty marker, 100 again after the registration.
  EXPECT_EQ(kComplete +
                "progress=10,20,30,40,50,60,70,80,90,100,100\nenabled=next cancel\nnextdefault=1\nfocus=149\n"
                "nextposted=0\ncustomadmin=0\n",
            Report());

  // Events 7 and 8: 0, the wizard, the progress bar, no page function; the installation type, no value.
  std::vector<std::string> events = Events();
  ASSERT_EQ(5u, events.size()) << dir_.ReadText("events.log");
  std::smatch window;
  ASSERT_TRUE(std::regex_match(events[0], window, std::regex("NewSetupHook 7 0 ([1-9]\\d*) ([1-9]\\d*) 0 2")));
  EXPECT_NE(window[1], window[2]);
  EXPECT_EQ("/STOP|" + Target() + kServiceTitle, events[1]);
  EXPECT_EQ(0u, events[2].find("SetupHook 8 ")) << events[2];
  EXPECT_TRUE(Contains(events[2], "\"" + Target() + "\"")) << events[2];
  EXPECT_EQ("NewSetupHook 8 0 " + window[1].str() + " " + window[2].str() + " 0 0", events[3]);
  EXPECT_EQ("/START|" + Target() + kServiceTitle, events[4]);
}

// Without setup.fil the step reports it and goes on; custom archives replace even protected files, and an
// admin.ini of their own (any case) sets the flag; NoCopyComplete advances without the completion text;
// with neither service program nor hook library nothing else runs.
TEST_F(CopyTest, CustomArchivesWithoutSetupFilReplaceProtectedFilesAndNoCopyCompleteAdvances) {
  WriteConfig("ProtectedFiles=config/*.ini|kiv.exe\r\nNoCopyComplete=1\r\n");
  ASSERT_TRUE(dir_.WriteText("target\\config\\settings.ini", "user's settings"));
  WriteArchive("custom.fil", ZipTestArchive().Add("config/settings.ini", "custom settings"));
  WriteArchive("custom.zip", ZipTestArchive().Add("ADMIN.INI", "[admin]"));

  EXPECT_EQ(kFinished, Start("/NOASSERT")->WaitExit());

  EXPECT_TRUE(Contains(dir_.ReadText("assert.log"), "total>0"));
  EXPECT_EQ("custom settings", dir_.ReadText("target\\config\\settings.ini"));
  EXPECT_EQ("config/settings.ini|ADMIN.INI", RecordValue("UninstallFiles"));
  EXPECT_EQ(kMissing, RecordValue("UninstallServiceExe"));
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(kCopying + "progress=100\nenabled=next cancel\nnextdefault=0\nfocus=0\nnextposted=1\ncustomadmin=1\n",
            Report());
}

// A hidden run: an archive of empty files progresses by entries instead of dividing by a total of 0; a
// file on the ask list is kept without asking; a service program that was not stopped is not restarted;
// InstallSkipCopyComplete shows the completion and advances.
TEST_F(CopyTest, HiddenRunOfEmptyFilesKeepsAskedFilesAndRestartsNoServiceThatWasNotStopped) {
  WriteConfig("AskOverwrite=kiv.exe;Kiv program\r\nInstallSkipCopyComplete=1\r\n");
  ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2004.PUSH=149\r\n"));
  InstallService(3);
  ASSERT_TRUE(dir_.WriteText("target\\kiv.exe", "old program"));
  WriteArchive("setup.fil", ZipTestArchive().Add("a.txt").Add("b.txt").Add("c.txt").Add("kiv.exe"));

  std::unique_ptr<AppUnderTest> app = Start("/HIDE /NOASSERT");
  EXPECT_FALSE(app->ShowedWindowUntilExit());
  EXPECT_EQ(kFinished, app->WaitExit());

  EXPECT_EQ("old program", dir_.ReadText("target\\kiv.exe"));
  EXPECT_EQ("a.txt|b.txt|c.txt|kiv.exe", RecordValue("UninstallFiles"));
  EXPECT_EQ(std::vector<std::string>{"/STOP|" + Target() + kServiceTitle}, Events());
  EXPECT_EQ(kComplete + "progress=25,50,75,100,100\nenabled=next cancel\nnextdefault=1\nfocus=149\nnextposted=1\n"
                        "customadmin=0\n",
            Report());
}

// The overwrite questions belong to the wizard: field one of an ask item names the file, else the entry's
// name does, names match in any case, and the answer decides. No question comes for a protected file, a
// file that is not there, or one after the empty item that ends the list. A file in use brings the retry
// question, which names the file and the product, and Yes repeats the extraction once the file is free.
TEST_F(CopyTest, OverwriteQuestionsOfTheWizardAndRetryYes) {
  WriteConfig("AskOverwrite=notes.txt|README.TXT;Kiv read-me file|config.ini;|settings.ini|sub/new.txt||empty.txt\r\n"
              "ProtectedFiles=settings.ini\r\n");
  const std::vector<std::string> names = {"readme.txt", "notes.txt",  "config.ini", "settings.ini",
                                          "sub/new.txt", "empty.txt", "kiv.exe"};
  ZipTestArchive setup;
  for (const std::string& name : names) {
    setup.Add(name, "new");
    ASSERT_TRUE(name == "sub/new.txt" || dir_.WriteText("target\\" + name, "old"));
  }
  WriteArchive("setup.fil", setup);
  uidriver::KernelHandle lock(Lock(Target("kiv.exe")));

  std::unique_ptr<AppUnderTest> app = Start();
  uidriver::UiWindow box = app->WaitMessageBox("Kiv read-me file");
  EXPECT_EQ("Replace file?", box.Caption());
  EXPECT_TRUE(OwnedByWizard(box.Handle()));
  EXPECT_EQ(
      "The file Kiv read-me file already exists in the installation folder.\n\nDo you want to replace it with the "
      "file from the setup?",
      app->AnswerMessageBox(IDYES));
  app->AnswerMessageBox(IDNO, "The file notes.txt already exists");
  app->AnswerMessageBox(IDYES, "The file config.ini already exists");
  std::string question = app->WaitMessageBox(kRetryText).MessageText();
  EXPECT_TRUE(Contains(question, "kiv.exe") && Contains(question, "KivTest")) << question;
  EXPECT_FALSE(Contains(question, "$FILE") || Contains(question, "$PROGRAM")) << question;
  lock.Reset();
  app->AnswerMessageBox(IDYES, kRetryText);
  EXPECT_EQ(kFinished, app->WaitExit());

  std::string files;
  for (const std::string& name : names) files += name + "=" + dir_.ReadText("target\\" + name) + " ";
  EXPECT_EQ("readme.txt=new notes.txt=old config.ini=new settings.ini=old sub/new.txt=new empty.txt=new kiv.exe=new ",
            files);
  EXPECT_EQ("readme.txt|notes.txt|config.ini|settings.ini|sub/new.txt|empty.txt|kiv.exe",
            RecordValue("UninstallFiles"));
  EXPECT_TRUE(Contains(Report(), kComplete));
}

// The Hungarian questions show every letter: o and u with double acute exist only in the library's code
// page 1250, and the name a question shows arrives unchanged. No to the retry question cancels, rolls
// nothing back, and nothing after the archives happens: no record, no event 8, no restart of the stopped
// service; Back leaves the page.
TEST_F(CopyTest, HungarianQuestionsAndRetryNoCancelWithoutRecordHookEventOrServiceRestart) {
  ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setuphungarian.dll"}));
  WriteConfig("AskOverwrite=readme.txt;Kiv le\xEDr\xE1s\r\nInstallSkipCopyComplete=1\r\n");
  InstallService(0);
  RecordHookEvents();
  ASSERT_TRUE(dir_.WriteText("target\\readme.txt", "old") && dir_.WriteText("target\\kiv.exe", "old"));
  WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "new").Add("a.txt", "text"));
  WriteArchive("custom.zip", ZipTestArchive().Add("admin.ini", "[admin]").Add("kiv.exe", "new"));
  uidriver::KernelHandle lock(Lock(Target("kiv.exe")));

  std::unique_ptr<AppUnderTest> app = Start("/LANG:HUNGARIAN");
  for (const wchar_t* name : {L"A(z) Kiv le\u00edr\u00e1s f\u00e1jl", L"A(z) kiv.exe f\u00e1jl"}) {
    const std::wstring text = app->WaitMessageBox().MessageTextW();
    EXPECT_NE(text.find(name), std::wstring::npos) << testing::PrintToString(text);
    for (wchar_t letter : {L'\u0151', L'\u0171'}) EXPECT_NE(text.find(letter), std::wstring::npos) << letter;
    app->AnswerMessageBox(IDNO);
  }
  EXPECT_EQ(kCancelled, app->WaitExit());
  lock.Reset();

  EXPECT_EQ("old|text|old", dir_.ReadText("target\\readme.txt") + "|" + dir_.ReadText("target\\a.txt") + "|" +
                                dir_.ReadText("target\\kiv.exe"));
  EXPECT_EQ(kMissing, RecordValue("UninstallPath"));
  std::vector<std::string> events = Events();
  ASSERT_EQ(2u, events.size()) << dir_.ReadText("events.log");
  EXPECT_EQ(0u, events[0].find("NewSetupHook 7 ")) << events[0];
  EXPECT_EQ("/STOP|" + Target() + kServiceTitle, events[1]);
  EXPECT_TRUE(Contains(Report(), "\nenabled=back cancel\nnextdefault=0\nfocus=0\nnextposted=1\ncustomadmin=1\n"))
      << Report();
}

// Failures that no retry can mend end the copy without a retry question, and in a hidden run nobody could
// answer one: a file in use cancels there without a window. A visible run shows the refused name's error,
// which belongs to the wizard.
TEST_F(CopyTest, UnmendableFailuresAndHiddenRunsCancelWithoutRetryQuestion) {
  WriteConfig("");
  ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2004.PUSH=149\r\n"));
  ASSERT_TRUE(dir_.WriteText("target\\kiv.exe", "old program"));
  uidriver::KernelHandle lock(Lock(Target("kiv.exe")));
  for (const char* entry : {"kiv.exe", "../outside.txt"}) {
    SCOPED_TRACE(entry);
    bool hidden = entry == std::string("kiv.exe");
    WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "text").Add(entry, "new program"));
    std::unique_ptr<AppUnderTest> app = Start(hidden ? "/HIDE" : "");
    if (hidden) {
      EXPECT_FALSE(app->ShowedWindowUntilExit());
    } else {
      EXPECT_TRUE(OwnedByWizard(app->WaitMessageBox(entry).Handle()));
      EXPECT_FALSE(Contains(app->AnswerMessageBox(IDOK, entry), kRetryText));
    }
    EXPECT_EQ(kCancelled, app->WaitExit());
    EXPECT_EQ(kMissing, RecordValue("UninstallPath"));
    EXPECT_FALSE(dir_.Exists("outside.txt"));
  }
  lock.Reset();
  EXPECT_EQ("old program", dir_.ReadText("target\\kiv.exe"));
}

}  // namespace
