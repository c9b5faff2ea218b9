// The copy step end to end through copyprobe.exe: the setup archives with their lists and folder markers,
// the custom-admin flag, the retry question answered both ways and skipped in hidden runs, the end of the
// page, the service program stopped and restarted, the hook events in order and the uninstall record.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "scopedenvironment.h"
#include "uidriver.h"
#include "ziptestarchive.h"

using uidriver::AppUnderTest;
using uidriver::KernelHandle;
using uidriver::ScratchDir;
using ziptest::ZipTestArchive;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kCopyingText[] = "Copying the program files";
const char kCompleteText[] = "All files have been copied";
const char kRetryText[] = "could not be written";
const char kTitle[] = "Norba Service-Control";

const DWORD kFinished = 0;
const DWORD kCancelled = 1;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) {
    if (!part.empty() && part.back() == '\r') part.pop_back();
    parts.push_back(part);
  }
  return parts;
}

// A file held open without sharing, as a running program holds its executable: nobody can replace it.
class LockedFile {
 public:
  explicit LockedFile(const std::string& path)
      : file_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  bool Locked() const { return file_.Valid(); }
  void Release() { file_.Reset(); }

 private:
  KernelHandle file_;
};

// One test's installation: the setup folder (probe, language library, setup.cfg, archives) in a scratch
// folder, the installation folder "target" inside it, and the uninstall record of a product key of its
// own, deleted at the end.
class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    iniKey_ = std::string("NorbaCopyTest_") + std::to_string(GetCurrentProcessId()) + "_" + info->name();
    ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/copyprobe.exe", "copyprobe.exe"));
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
    ASSERT_TRUE(dir_.MakeFolder("target"));
  }
  void TearDown() override {
    std::string key = std::string(kUninstallKey) + iniKey_;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
  }

  std::string Target(const std::string& relative = "") const {
    return dir_.Path(relative.empty() ? "target" : "target\\" + relative);
  }

  void WriteConfig(const std::string& extra = "") {
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
  // Service runs and hook events go into one file, in the order they happen.
  void RecordEvents() {
    ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
    hookRecord_.reset(new ScopedEnvironment("NORBA_HOOKRECORD", dir_.Path("events.log")));
  }
  std::vector<std::string> Events() const {
    return dir_.Exists("events.log") ? Split(dir_.ReadText("events.log"), '\n') : std::vector<std::string>();
  }

  std::unique_ptr<AppUnderTest> Start(const std::string& extra = "", const std::string& type = "0") {
    return std::unique_ptr<AppUnderTest>(new AppUnderTest(
        dir_.Path("copyprobe.exe"), "-TARGET \"" + Target() + "\" -TYPE " + type + " " + extra, dir_.Root()));
  }
  DWORD Run(const std::string& extra = "", const std::string& type = "0") { return Start(extra, type)->WaitExit(); }

  std::map<std::string, std::string> Report() const {
    std::map<std::string, std::string> report;
    for (const std::string& line : Split(dir_.ReadText("copyprobe.report"), '\n')) {
      size_t equals = line.find('=');
      if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
  }

  bool RecordExists() const {
    HKEY key = nullptr;
    std::string path = std::string(kUninstallKey) + iniKey_;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  // A string value of the record; "<missing>" when it is not there.
  std::string RecordValue(const char* name) const {
    HKEY key = nullptr;
    std::string path = std::string(kUninstallKey) + iniKey_;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    char data[4096] = {};
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : std::string("<missing>");
  }

  ScratchDir dir_;
  std::string iniKey_;
  std::unique_ptr<ScopedEnvironment> stopCode_;
  std::unique_ptr<ScopedEnvironment> hookRecord_;
  std::unique_ptr<ScopedEnvironment> serviceRecord_{
      new ScopedEnvironment("NORBA_FAKESERVICE_RECORD", dir_.Path("events.log"))};
};

// ---- Archives ----

TEST_F(CopyTest, OnlySetupFilInstallsRecordsAndFinishesThePage) {
  WriteConfig();
  ZipTestArchive setup;
  for (int i = 0; i < 8; i++) setup.Add("bin/file" + std::to_string(i) + ".dll", std::string(1000, 'a' + i));
  setup.Add("data/logs/dummy.tmp").Add("readme.txt", std::string(2000, 'r'));
  WriteArchive("setup.fil", setup);
  ASSERT_TRUE(dir_.WriteText("LicenseAgreed.txt", "First paragraph.\nSecond paragraph.\n"));

  EXPECT_EQ(kFinished, Run());

  EXPECT_EQ(std::string(1000, 'h'), dir_.ReadText("target\\bin\\file7.dll"));
  EXPECT_EQ(std::string(2000, 'r'), dir_.ReadText("target\\readme.txt"));
  // The folder marker leaves its folder, empty, and is not recorded.
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(Target("data\\logs").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(dir_.Exists("target\\data\\logs\\dummy.tmp"));
  EXPECT_EQ("First paragraph.\r\nSecond paragraph.\r\n", dir_.ReadText("target\\LicenseAgreed.txt"));
  EXPECT_EQ(
      "bin/file0.dll|bin/file1.dll|bin/file2.dll|bin/file3.dll|bin/file4.dll|bin/file5.dll|bin/file6.dll|"
      "bin/file7.dll|readme.txt|LicenseAgreed.txt",
      RecordValue("UninstallFiles"));
  EXPECT_EQ(Target(), RecordValue("UninstallPath"));
  EXPECT_EQ("<missing>", RecordValue("UninstallServiceExe"));
  // No service program, no hook library: nothing ran.
  EXPECT_TRUE(Events().empty());

  std::map<std::string, std::string> report = Report();
  EXPECT_TRUE(Contains(report["status"], kCompleteText)) << report["status"];
  // 10,000 bytes: a step at every thousand, none for the empty marker, 100 again after the registration.
  EXPECT_EQ("10,20,30,40,50,60,70,80,100,100", report["progress"]);
  EXPECT_EQ("1", report["next"]);
  EXPECT_EQ("0", report["back"]);
  EXPECT_EQ("1", report["cancel"]);
  EXPECT_EQ("1", report["nextdefault"]);
  EXPECT_EQ("149", report["focus"]);
  EXPECT_EQ("0", report["nextposted"]);
  EXPECT_EQ("0", report["customadmin"]);
}

TEST_F(CopyTest, CustomArchivesOverwriteProtectedFilesAndBringTheAdminFlag) {
  WriteConfig("ProtectedFiles=config/*.ini|kiv.exe\r\n");
  ASSERT_TRUE(dir_.WriteText("target\\config\\settings.ini", "user's settings"));
  WriteArchive("setup.fil", ZipTestArchive().Add("kiv.exe", "program").Add("config/settings.ini", "setup's"));
  WriteArchive("custom.fil", ZipTestArchive().Add("config/settings.ini", "custom settings"));
  WriteArchive("custom.zip", ZipTestArchive().Add("ADMIN.INI", "[admin]"));

  EXPECT_EQ(kFinished, Run());

  EXPECT_EQ("program", dir_.ReadText("target\\kiv.exe"));
  EXPECT_EQ("custom settings", dir_.ReadText("target\\config\\settings.ini"));
  EXPECT_EQ("[admin]", dir_.ReadText("target\\ADMIN.INI"));
  EXPECT_EQ("kiv.exe|config/settings.ini|config/settings.ini|ADMIN.INI", RecordValue("UninstallFiles"));
  EXPECT_EQ("config/*.ini|kiv.exe", RecordValue("UninstallProtect"));
  EXPECT_EQ("1", Report()["customadmin"]);
}

TEST_F(CopyTest, AdminIniOnlyCountsInCustomArchivesAndAsAWholeName) {
  WriteConfig();
  WriteArchive("setup.fil", ZipTestArchive().Add("admin.ini", "setup's"));
  WriteArchive("custom.fil", ZipTestArchive().Add("conf/admin.ini", "nested"));
  EXPECT_EQ(kFinished, Run());
  EXPECT_EQ("0", Report()["customadmin"]);
}

// Empty files only: progress counts entries instead of dividing by a total of 0.
TEST_F(CopyTest, ArchiveOfEmptyFilesProgressesByEntries) {
  WriteConfig();
  WriteArchive("setup.fil", ZipTestArchive().Add("a.txt").Add("b.txt").Add("c.txt").Add("d.txt"));
  EXPECT_EQ(kFinished, Run("/NOASSERT"));
  EXPECT_EQ("25,50,75,100,100", Report()["progress"]);
  EXPECT_EQ("a.txt|b.txt|c.txt|d.txt", RecordValue("UninstallFiles"));
}

TEST_F(CopyTest, MissingSetupFilIsReportedAndTheStepGoesOn) {
  WriteConfig();
  EXPECT_EQ(kFinished, Run("/NOASSERT"));
  EXPECT_TRUE(Contains(dir_.ReadText("assert.log"), "total>0"));
  EXPECT_TRUE(RecordExists());
  EXPECT_EQ("", RecordValue("UninstallFiles"));
}

// ---- End of the page ----

TEST_F(CopyTest, NoCopyCompleteAdvancesWithoutTheCompletionText) {
  WriteConfig("NoCopyComplete=1\r\n");
  WriteArchive("setup.fil", ZipTestArchive().Add("kiv.exe", "program"));
  EXPECT_EQ(kFinished, Run());
  std::map<std::string, std::string> report = Report();
  EXPECT_TRUE(Contains(report["status"], kCopyingText)) << report["status"];
  EXPECT_EQ("1", report["nextposted"]);
  EXPECT_EQ("0", report["focus"]);
  EXPECT_EQ("1", report["next"]);
  EXPECT_EQ("1", report["cancel"]);
}

TEST_F(CopyTest, InstallSkipCopyCompleteShowsTheCompletionAndAdvances) {
  WriteConfig("InstallSkipCopyComplete=1\r\n");
  WriteArchive("setup.fil", ZipTestArchive().Add("kiv.exe", "program"));
  EXPECT_EQ(kFinished, Run());
  std::map<std::string, std::string> report = Report();
  EXPECT_TRUE(Contains(report["status"], kCompleteText)) << report["status"];
  EXPECT_EQ("1", report["nextposted"]);
  EXPECT_EQ("149", report["focus"]);
}

// ---- Retry question ----

TEST_F(CopyTest, RetryYesRepeatsTheExtractionOnceTheFileIsFree) {
  WriteConfig();
  ASSERT_TRUE(dir_.WriteText("target\\kiv.exe", "old program"));
  WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "text").Add("kiv.exe", "new program"));
  LockedFile lock(Target("kiv.exe"));
  ASSERT_TRUE(lock.Locked());

  std::unique_ptr<AppUnderTest> app = Start();
  uidriver::UiWindow box = app->WaitMessageBox(kRetryText);
  std::string question = box.MessageText();
  EXPECT_TRUE(Contains(question, "kiv.exe")) << question;
  EXPECT_TRUE(Contains(question, "KivTest")) << question;
  EXPECT_FALSE(Contains(question, "$FILE") || Contains(question, "$PROGRAM")) << question;
  lock.Release();
  app->AnswerMessageBox(IDYES, kRetryText);
  EXPECT_EQ(kFinished, app->WaitExit());

  EXPECT_EQ("new program", dir_.ReadText("target\\kiv.exe"));
  EXPECT_EQ("readme.txt|kiv.exe", RecordValue("UninstallFiles"));
  EXPECT_TRUE(Contains(Report()["status"], kCompleteText));
}

TEST_F(CopyTest, RetryNoCancelsWithoutRecordHookEventOrServiceRestart) {
  WriteConfig("InstallSkipCopyComplete=1\r\n");
  InstallService(0);
  RecordEvents();
  ASSERT_TRUE(dir_.WriteText("target\\bin\\kiv.exe", "old program"));
  WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "text"));
  WriteArchive("custom.zip", ZipTestArchive().Add("admin.ini", "[admin]").Add("bin/kiv.exe", "new program"));
  LockedFile lock(Target("bin\\kiv.exe"));
  ASSERT_TRUE(lock.Locked());

  std::unique_ptr<AppUnderTest> app = Start();
  app->AnswerMessageBox(IDNO, kRetryText);
  EXPECT_EQ(kCancelled, app->WaitExit());
  lock.Release();

  // Nothing is rolled back; nothing after the archives happens.
  EXPECT_EQ("text", dir_.ReadText("target\\readme.txt"));
  EXPECT_EQ("old program", dir_.ReadText("target\\bin\\kiv.exe"));
  EXPECT_FALSE(RecordExists());
  std::vector<std::string> events = Events();
  ASSERT_EQ(2u, events.size()) << dir_.ReadText("events.log");
  EXPECT_EQ(0u, events[0].find("NewSetupHook 7 ")) << events[0];
  EXPECT_EQ("/STOP|" + Target() + "|" + kTitle, events[1]);

  std::map<std::string, std::string> report = Report();
  EXPECT_EQ("1", report["customadmin"]);
  EXPECT_EQ("1", report["back"]);
  EXPECT_EQ("1", report["cancel"]);
  EXPECT_EQ("0", report["next"]);
  EXPECT_EQ("1", report["nextposted"]);
  EXPECT_TRUE(Contains(report["status"], kCopyingText)) << report["status"];
}

// Questions that nobody in a hidden run could answer, and failures that no retry can mend, are not asked.
TEST_F(CopyTest, HiddenUnattendedRunNeverAsks) {
  const struct {
    const char* what;
    const char* config;
    const char* entry;  // the archive's second entry, after readme.txt
    bool lock;          // kiv.exe is held open
    DWORD exitcode;
  } cases[] = {
      {"a file in use cancels", "", "kiv.exe", true, kCancelled},
      {"a refused name cancels", "", "../outside.txt", false, kCancelled},
      {"a file on the ask list is kept", "AskOverwrite=kiv.exe;Kiv program\r\n", "kiv.exe", false, kFinished},
  };
  ASSERT_TRUE(dir_.WriteText("silentsetup.ini", "2004.PUSH=149\r\n"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig(c.config);
    ASSERT_TRUE(dir_.WriteText("target\\kiv.exe", "old program"));
    WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "text").Add(c.entry, "new program"));
    LockedFile lock(Target("kiv.exe"));
    if (!c.lock) lock.Release();

    std::unique_ptr<AppUnderTest> app = Start("/HIDE");
    EXPECT_FALSE(app->ShowedWindowUntilExit());
    EXPECT_EQ(c.exitcode, app->WaitExit());
    EXPECT_EQ(c.exitcode == kFinished, RecordExists());
    lock.Release();
    EXPECT_EQ("old program", dir_.ReadText("target\\kiv.exe"));
    EXPECT_FALSE(dir_.Exists("outside.txt"));
  }
}

// The boxes of a visible run belong to the wizard, whose thread is the one that shows windows.
TEST_F(CopyTest, BoxesOfTheCopyAreOwnedByTheWizard) {
  const struct {
    const char* what;
    const char* config;
    const char* entry;
    const char* text;  // part of the box's message
    int answer;
    DWORD exitcode;
  } cases[] = {
      {"the overwrite question", "AskOverwrite=kiv.exe;Kiv program\r\n", "kiv.exe", "Kiv program", IDNO, kFinished},
      {"a refused name: an error, no retry", "", "../outside.txt", "../outside.txt", IDOK, kCancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig(c.config);
    ASSERT_TRUE(dir_.WriteText("target\\kiv.exe", "old program"));
    WriteArchive("setup.fil", ZipTestArchive().Add("readme.txt", "text").Add(c.entry, "new program"));
    std::unique_ptr<AppUnderTest> app = Start();
    uidriver::UiWindow box = app->WaitMessageBox(c.text);
    char owner[64] = {};
    GetClassNameA(GetWindow(box.Handle(), GW_OWNER), owner, sizeof(owner));
    EXPECT_STREQ("NorbaCopyProbe", owner);
    EXPECT_FALSE(Contains(box.MessageText(), kRetryText));
    app->AnswerMessageBox(c.answer, c.text);
    EXPECT_EQ(c.exitcode, app->WaitExit());
    EXPECT_EQ("old program", dir_.ReadText("target\\kiv.exe"));
    EXPECT_FALSE(dir_.Exists("outside.txt"));
  }
}

// ---- Service program and hook events ----

TEST_F(CopyTest, StoppedServiceIsRestartedAroundTheCopyInHookOrder) {
  WriteConfig();
  InstallService(0);
  RecordEvents();
  WriteArchive("setup.fil", ZipTestArchive().Add("kiv.exe", "program"));

  EXPECT_EQ(kFinished, Run("", "2"));

  std::vector<std::string> events = Events();
  ASSERT_EQ(5u, events.size()) << dir_.ReadText("events.log");
  std::vector<std::string> begin = Split(events[0], ' ');
  std::vector<std::string> end = Split(events[3], ' ');
  ASSERT_EQ(7u, begin.size()) << events[0];
  ASSERT_EQ(7u, end.size()) << events[3];
  // Event 7: 0, the wizard, the progress bar, no page function, the installation type.
  EXPECT_EQ("NewSetupHook", begin[0]);
  EXPECT_EQ("7", begin[1]);
  EXPECT_EQ("0", begin[2]);
  EXPECT_NE("0", begin[3]);
  EXPECT_NE("0", begin[4]);
  EXPECT_NE(begin[3], begin[4]);
  EXPECT_EQ("0", begin[5]);
  EXPECT_EQ("2", begin[6]);
  EXPECT_EQ("/STOP|" + Target() + "|" + kTitle, events[1]);
  EXPECT_EQ(0u, events[2].find("SetupHook 8 ")) << events[2];
  EXPECT_TRUE(Contains(events[2], "\"" + Target() + "\"")) << events[2];
  // Event 8: the same windows, no value.
  EXPECT_EQ("NewSetupHook", end[0]);
  EXPECT_EQ("8", end[1]);
  EXPECT_EQ("0", end[2]);
  EXPECT_EQ(begin[3], end[3]);
  EXPECT_EQ(begin[4], end[4]);
  EXPECT_EQ("0", end[5]);
  EXPECT_EQ("0", end[6]);
  EXPECT_EQ("/START|" + Target() + "|" + kTitle, events[4]);
  EXPECT_EQ(Target("service.exe"), RecordValue("UninstallServiceExe"));
}

TEST_F(CopyTest, ServiceThatWasNotStoppedIsNotRestarted) {
  WriteConfig();
  InstallService(3);
  WriteArchive("setup.fil", ZipTestArchive().Add("kiv.exe", "program"));
  EXPECT_EQ(kFinished, Run());
  std::vector<std::string> events = Events();
  ASSERT_EQ(1u, events.size()) << dir_.ReadText("events.log");
  EXPECT_EQ("/STOP|" + Target() + "|" + kTitle, events[0]);
}

}  // namespace
