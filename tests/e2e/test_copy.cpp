// The copy step end to end through setup.exe with every page passing itself over, each run checked for
// several things: the archives with their lists, the overwrite and retry questions (in English and
// Hungarian, none in hidden runs), failures no retry can mend, the service and hook order, the record.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "productpackage.h"
#include "scopedenvironment.h"
#include "ziptestarchive.h"

using package::kMissing;
using testtext::Contains;
using uidriver::AppUnderTest;
using ziptest::ZipTestArchive;

namespace {

const char kRetryText[] = "could not be written";
const DWORD kFailed = 1603;

// Whether the wizard, which an answered run does not show, owns the box.
bool OwnedByWizard(HWND box) {
  char caption[64] = {};
  GetWindowTextA(GetWindow(box, GW_OWNER), caption, sizeof caption);
  return std::string(caption) == "KivTest Setup";
}

// A file held open without sharing, as a running program holds its executable: nobody can replace it.
HANDLE Lock(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One product whose setup.exe, its pages passed over or answered, goes straight to the copy into "target",
// which holds the files of an earlier installation; a visible run shows only the copy's boxes. Service runs
// and hook events go into one file, in the order they happen.
class CopyProduct : public package::ProductPackage {
 public:
  CopyProduct(const std::string& config, const std::vector<std::string>& earlier,
              const std::vector<std::string>& libraries = {"setupenglish.dll"})
      : ProductPackage(package::Unique("NorbaCopyTest"), libraries) {
    WriteConfig("AppName=KivTest\r\nAppVersion=8.00\r\nIniKey=" + Key() + "\r\nInstallPath=*" + Target() +
                "\r\nStartmenuName=Kiv Test\r\nDesktopIcon=0\r\nInstallSkipStartMenu=1\r\nInstallProgramGroup=3\r\n" +
                package::kSkipPages + config);
    for (const std::string& name : earlier) EXPECT_TRUE(dir.WriteText("target\\" + name, "old"));
    WriteAnswers("");
  }
  std::string Target(const std::string& relative = "") const {
    return Path(relative.empty() ? "target" : "target\\" + relative);
  }
  void Archive(const std::string& name, const ZipTestArchive& archive) { EXPECT_TRUE(archive.Save(Path(name))); }
  // The contents of the installation's files, '|'-separated.
  std::string Files(const std::vector<std::string>& names) const {
    std::string files;
    for (const std::string& name : names) files += "|" + dir.ReadText("target\\" + name);
    return files.substr(1);
  }
  // An earlier installation's service program (answering 0 to "/STOP") and the hook recorder.
  void RecordServiceAndHooks() {
    EXPECT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/fakeservice.exe", "target\\service.exe"));
    EXPECT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
  }
  // The recorded events, the installation folder written as <target>.
  std::string Events() const {
    std::string events = dir.Exists("events.log") ? dir.ReadText("events.log") : "";
    for (size_t at; (at = events.find(Target())) != std::string::npos;) events.replace(at, Target().size(), "<target>");
    return events;
  }

 private:
  ScopedEnvironment serviceRecord_{"NORBA_FAKESERVICE_RECORD", Path("events.log")};
  ScopedEnvironment hookRecord_{"NORBA_HOOKRECORD", Path("events.log")};
};

// setup.fil with a protected file that is kept; a custom archive replaces even a protected file; the
// service program stopped and restarted around the copy, between the hook events 7 and 8 (0, the wizard,
// the progress bar, no page function; then the installation type, no value).
TEST(Copy, ArchivesAreExtractedAndRecordedAroundTheStoppedServiceInHookOrder) {
  CopyProduct product("ProtectedFiles=readme.txt|config/*.ini\r\n", {"readme.txt", "config\\a.ini"});
  product.RecordServiceAndHooks();
  product.Archive("setup.fil", ZipTestArchive().Add("bin/a.dll", "a").Add("readme.txt", "new"));
  product.Archive("custom.fil", ZipTestArchive().Add("config/a.ini", "custom"));

  EXPECT_EQ(0u, product.RunHidden());

  EXPECT_EQ("old|custom|a", product.Files({"readme.txt", "config\\a.ini", "bin\\a.dll"}));
  EXPECT_TRUE(Contains(product.RecordValue("UninstallFiles"), "bin/a.dll|readme.txt|config/a.ini"));
  // The cancelled runs below are told by its absence.
  EXPECT_EQ(product.Target(), product.RecordValue("UninstallPath"));
  EXPECT_EQ(product.Target("service.exe"), product.RecordValue("UninstallServiceExe"));
  std::string events = product.Events();
  EXPECT_TRUE(std::regex_search(events, std::regex("NewSetupHook 7 0 ([1-9]\\d*) ([1-9]\\d*) 0 \\d+\r?\n"
                                                   "/STOP\\|<target>\\|Norba Service-Control\r?\n"
                                                   "SetupHook 8 [^\n]*\"<target>\"[^\n]*\n"
                                                   "NewSetupHook 8 0 \\1 \\2 0 0\r?\n"
                                                   "/START\\|<target>\\|Norba Service-Control\r?\n")))
      << events;
}

// A hidden run asks nobody: an asked file is kept, a file in use cancels without a retry question or window.
// An archive of empty files (a total of 0) is reported, and the step goes on.
TEST(Copy, HiddenRunKeepsAskedFilesAndCancelsOnAFileInUseWithoutWindow) {
  CopyProduct product("AskOverwrite=kiv.exe;Kiv program\r\n", {"kiv.exe", "tool.exe"});
  product.Archive("setup.fil", ZipTestArchive().Add("a.txt").Add("kiv.exe"));
  product.Archive("custom.fil", ZipTestArchive().Add("tool.exe", "new"));
  uidriver::KernelHandle lock(Lock(product.Target("tool.exe")));

  EXPECT_EQ(kFailed, product.RunHidden("/NOASSERT"));
  lock.Reset();

  EXPECT_TRUE(Contains(product.dir.ReadText("assert.log"), "total>0"));
  EXPECT_EQ("|old|old", product.Files({"a.txt", "kiv.exe", "tool.exe"}));
  EXPECT_EQ(kMissing, product.RecordValue("UninstallPath"));
}

// The overwrite questions belong to the wizard: field one of an ask item names the file, else the entry's
// name does, names match in any case, and the answer decides. No question comes for a protected file, a
// file that is not there, or one after the empty item that ends the list. A file in use brings the retry
// question, which names the file and the product, and Yes repeats the extraction once the file is free.
// A name that leads out of the folder is refused with an error of the wizard's, without a retry question.
TEST(Copy, OverwriteQuestionsOfTheWizardRetryYesAndARefusedNameWithoutRetry) {
  const std::vector<std::string> names = {"readme.txt", "notes.txt", "config.ini", "settings.ini",
                                          "sub/new.txt", "empty.txt", "kiv.exe"};
  CopyProduct product(
      "AskOverwrite=notes.txt|README.TXT;Kiv read-me file|config.ini;|settings.ini|sub/new.txt||empty.txt\r\n"
      "ProtectedFiles=settings.ini\r\n",
      {"readme.txt", "notes.txt", "config.ini", "settings.ini", "empty.txt", "kiv.exe"});
  ZipTestArchive setup;
  for (const std::string& name : names) setup.Add(name, "new");
  product.Archive("setup.fil", setup.Add("../outside.txt", "new"));
  uidriver::KernelHandle lock(Lock(product.Target("kiv.exe")));

  std::unique_ptr<AppUnderTest> app = product.Start();
  EXPECT_TRUE(OwnedByWizard(app->WaitMessageBox("Kiv read-me file").Handle()));
  app->AnswerMessageBox(IDYES);
  app->AnswerMessageBox(IDNO, "The file notes.txt already exists");
  app->AnswerMessageBox(IDYES, "The file config.ini already exists");
  std::string question = app->WaitMessageBox(kRetryText).MessageText();
  EXPECT_TRUE(Contains(question, "kiv.exe") && Contains(question, "KivTest")) << question;
  lock.Reset();
  app->AnswerMessageBox(IDYES, kRetryText);
  EXPECT_TRUE(OwnedByWizard(app->WaitMessageBox("../outside.txt").Handle()));
  EXPECT_FALSE(Contains(app->AnswerMessageBox(IDOK), kRetryText));
  EXPECT_EQ(kFailed, app->WaitExit());

  EXPECT_EQ("new|old|new|old|new|new|new", product.Files(names));
  EXPECT_FALSE(product.dir.Exists("outside.txt"));
}

// The Hungarian questions show every letter: o and u with double acute exist only in the library's code
// page 1250, and the name a question shows arrives unchanged. No to the retry question cancels, rolls
// nothing back, and nothing after the archives happens: no record, no event 8, no restart of the stopped
// service.
TEST(Copy, HungarianQuestionsAndRetryNoCancelWithoutRecordHookEventOrServiceRestart) {
  CopyProduct product("AskOverwrite=readme.txt;Kiv le\xEDr\xE1s\r\n", {"readme.txt", "kiv.exe"},
                      {"setupenglish.dll", "setuphungarian.dll"});
  product.RecordServiceAndHooks();
  product.Archive("setup.fil", ZipTestArchive().Add("readme.txt", "new").Add("a.txt", "text"));
  product.Archive("custom.zip", ZipTestArchive().Add("kiv.exe", "new"));
  uidriver::KernelHandle lock(Lock(product.Target("kiv.exe")));

  AppUnderTest app(product.Path("setup.exe"), "/LANG:HUNGARIAN", product.dir.Root());
  for (const wchar_t* name : {L"A(z) Kiv le\u00edr\u00e1s f\u00e1jl", L"A(z) kiv.exe f\u00e1jl"}) {
    const std::wstring text = app.WaitMessageBox().MessageTextW();
    EXPECT_NE(text.find(name), std::wstring::npos) << testing::PrintToString(text);
    for (wchar_t letter : {L'\u0151', L'\u0171'}) EXPECT_NE(text.find(letter), std::wstring::npos) << letter;
    app.AnswerMessageBox(IDNO);
  }
  EXPECT_EQ(kFailed, app.WaitExit());
  lock.Reset();

  EXPECT_EQ("old|text|old", product.Files({"readme.txt", "a.txt", "kiv.exe"}));
  EXPECT_EQ(kMissing, product.RecordValue("UninstallPath"));
  std::string events = product.Events();
  EXPECT_TRUE(std::regex_search(events, std::regex("NewSetupHook 7 [^\n]*\n/STOP\\|<target>\\|"))) << events;
  EXPECT_FALSE(Contains(events, "SetupHook 8 ") || Contains(events, "/START")) << events;
}

}  // namespace
