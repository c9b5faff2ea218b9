// Installations with the real setup.exe and a small package of the test's own: the whole wizard from
// welcome to finish, the same installation repeated hidden from its recorded answers, and the runs that
// install nothing (cancelled, setup.cfg missing, a folder that cannot be written, answers that stop).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ids.h"
#include "productpackage.h"
#include "ziptestarchive.h"

namespace {

using package::ProductPackage;
using testtext::Contains;
using uidriver::AppUnderTest;
using uidriver::UiWindow;

const char kCaption[] = "Tulip Setup";  // "Norba" of the wizard's caption becomes AppName
const char kWelcomeTitle[] = "Welcome to the setup of Tulip 2.50";
const char kFolderTitle[] = "Installation folder";
const char kNotWritable[] = "Setup cannot write to the folder";
const char kCancelQuestion[] = "Setup is not complete yet";

// Setup.exe with the English library, setup.fil, LICENSE.TXT and "blocker", a file where a folder would go.
std::unique_ptr<ProductPackage> Tulip() {
  auto tulip = std::make_unique<ProductPackage>(package::Unique("NorbaInstallTest"));
  ziptest::ZipTestArchive archive;
  archive.Add("tulip.exe", "program").Add("remove.me", "temporary");
  EXPECT_TRUE(archive.Add("docs/manual.bin", std::string(5000, 'm')).Save(tulip->Path("setup.fil")));
  EXPECT_TRUE(tulip->dir.WriteText("LICENSE.TXT", "License of $PROGRAM for testing.\r\nSecond paragraph.\r\n"));
  EXPECT_TRUE(tulip->dir.WriteText("blocker", "a file where a folder would go"));
  return tulip;
}

// setup.cfg, ended by `extra`; "$BLOCKED" in it is a folder below the blocker.
void Configure(ProductPackage& tulip, std::string extra = "") {
  if (extra.find("$BLOCKED") != std::string::npos) extra.replace(extra.find("$BLOCKED"), 8, tulip.Path("blocker\\sub"));
  tulip.WriteConfig("AppName=Tulip\r\nAppVersion=2.50\r\nIniKey=" + tulip.Key() + "\r\nStartmenuName=Tulip Test\r\n"
                    "InstallPath=*" + tulip.Path("proposed") + "\r\nDeleteAfterExtract=remove.me\r\n" + extra);
}

// What the copy leaves in the installation folder and what deployment tools read in the record (what the
// uninstaller reads: the registration's unit test), with the desktop link of `link` and no group; a
// little over 5,000 bytes were installed, rounded up to kilobytes.
void ExpectInstalled(const ProductPackage& tulip, const std::string& link) {
  EXPECT_EQ("program", tulip.dir.ReadText("installed\\tulip.exe"));
  EXPECT_EQ(std::string(5000, 'm'), tulip.dir.ReadText("installed\\docs\\manual.bin"));
  EXPECT_FALSE(tulip.dir.Exists("installed\\remove.me"));  // DeleteAfterExtract
  EXPECT_TRUE(Contains(tulip.dir.ReadText("installed\\LicenseAgreed.txt"), "License of Tulip 2.50 for testing."));
  SYSTEMTIME today;
  GetLocalTime(&today);
  const std::map<std::string, std::string> expected = {
      {"UninstallDesktopFiles", link},
      {"UninstallStartmenu", package::kMissing},
      {"QuietUninstallString", tulip.RecordValue("UninstallString") + " /HIDE"},
      {"InstallLocation", tulip.Path("installed")},
      {"EstimatedSize", "5"},
      {"InstallDate", std::to_string(today.wYear * 10000 + today.wMonth * 100 + today.wDay)},
      {"NoModify", "1"},
      {"NoRepair", "1"}};
  for (const auto& value : expected) EXPECT_EQ(value.second, tulip.RecordValue(value.first.c_str())) << value.first;
}

// Waits until the control is enabled or disabled as asked (the page follows a click in its handler).
bool WaitEnabled(AppUnderTest& app, UiWindow& frame, int id, bool enabled) {
  return app.Await("control " + std::to_string(id) + (enabled ? " enabled" : " disabled"),
                   [&] { return frame.IsEnabled(id) == enabled; });
}

// Welcome, agreement and folder pages back and forth, a folder that cannot be written, the copy, the
// shortcuts page, the finish and the closing message; then the same installation repeated hidden from the
// recorded answers.
TEST(Install, WizardFromWelcomeToFinishThenTheSameInstallationHidden) {
  std::unique_ptr<ProductPackage> tulip = Tulip();
  const std::string link = "Tulip " + tulip->Key();
  const std::string desktopLink = testtext::ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + link + ".LNK";
  tulip->Owns(desktopLink);
  Configure(*tulip, "StartmenuOpts=" + link + ";*tulip.exe;-start\r\nDesktopIcon=2\r\n");
  ASSERT_TRUE(tulip->dir.MakeFolder("earlier"));
  package::SetValue(HKEY_LOCAL_MACHINE, tulip->RecordPath(), "UninstallPath", tulip->Path("earlier"));
  package::SetValue(HKEY_LOCAL_MACHINE, tulip->RecordPath(), "DisplayVersion", "2.50");
  std::unique_ptr<AppUnderTest> app = tulip->Start();
  UiWindow frame = app->WaitWindow(uidriver::WindowQuery::Titled(kCaption));

  // The same version again: type "1" passes the agreement over in both directions.
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kWelcomeTitle));
  EXPECT_TRUE(frame.IsChecked(IDC_WELCOME_SAME));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  EXPECT_EQ(tulip->Path("earlier"), frame.ControlText(IDC_FOLDER_EDIT));
  EXPECT_FALSE(frame.IsEnabled(IDC_FOLDER_EDIT));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_BACK));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kWelcomeTitle));
  // Cancel answered Yes goes on with the page.
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDYES, kCancelQuestion);

  // A new installation: the agreement, and Next only while it is accepted.
  ASSERT_TRUE(frame.SetChecked(IDC_WELCOME_NEW, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "License agreement"));
  EXPECT_TRUE(Contains(frame.ControlText(IDC_AGREEMENT_TEXT), "License of Tulip 2.50 for testing.\r\n\r\nSecond"));
  EXPECT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, false));
  for (bool accepted : {true, false, true}) {
    ASSERT_TRUE(frame.SetChecked(IDC_AGREEMENT_ACCEPT, accepted));
    ASSERT_TRUE(WaitEnabled(*app, frame, IDC_WIZARD_NEXT, accepted));
  }
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));

  // A folder below a file cannot be made: the message, and the page again.
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, tulip->Path("blocker\\sub")));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  EXPECT_TRUE(Contains(app->AnswerMessageBox(IDOK, kNotWritable), tulip->Path("blocker\\sub")));
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, kFolderTitle));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, tulip->Path("installed")));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));

  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Copying files"));  // the folder page's 201 is gone
  ASSERT_TRUE(frame.WaitControlText(IDC_COPY_STATUS, "All files have been copied"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  // The page offers the all users' group and the desktop icon; the user takes no group (a finished run of
  // another product than Kiv would open it in the shell) and keeps the icon.
  ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Program group and desktop icon"));
  EXPECT_TRUE(frame.IsChecked(IDC_SHORTCUTS_COMMON_GROUP));
  EXPECT_TRUE(frame.IsEnabled(IDC_SHORTCUTS_DESKTOP) && frame.IsChecked(IDC_SHORTCUTS_DESKTOP));
  ASSERT_TRUE(frame.SetChecked(IDC_SHORTCUTS_NO_GROUP, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDOK, "Tulip has been installed successfully.");
  EXPECT_EQ(0u, app->WaitExit());

  ExpectInstalled(*tulip, link);
  EXPECT_FALSE(tulip->dir.Exists("blocker\\sub"));
  EXPECT_TRUE(package::Exists(desktopLink));
  std::string answers = tulip->dir.ReadText("silentsetup_tmp.ini");
  for (const std::string& line : {std::string("2001.401=RB:1"), std::string("2003.301=CB:1"), std::string("2004.PUSH=149"),
                                  std::string("2009.PUSH=0"), "2002.201=EF:" + testtext::Escaped(tulip->Path("installed"))})
    EXPECT_TRUE(Contains(answers, line)) << line << "\n" << answers;

  // The recorded answers repeat the installation where nobody watches.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, tulip->RecordPath().c_str());
  ASSERT_TRUE(uidriver::DeleteTree(tulip->Path("installed")));
  ASSERT_TRUE(MoveFileA(tulip->Path("silentsetup_tmp.ini").c_str(), tulip->Path("silentsetup.ini").c_str()));
  EXPECT_EQ(0u, tulip->RunHidden());
  ExpectInstalled(*tulip, link);
  EXPECT_FALSE(tulip->dir.Exists("silentsetup_tmp.ini"));  // only interactive runs record
}

// Runs that install nothing, all at once, each in a package of its own: a box where somebody watches, only
// the trace in a hidden run; never a record. Only a run whose wizard began records answers. A folder that
// cannot be written, on a page that passes itself over or walked over by answers, ends the wizard after one
// message instead of repeating the page for ever; answers that stop before the last page end a hidden
// wizard, where nobody could go on.
TEST(Install, RunsThatInstallNothing) {
  const char* skippedFolder = "InstallSkipInstallType=1\r\nInstallLicenseAgree=1\r\nInstallSkipLicense=1\r\n"
                              "InstallSkipInstallDir=1\r\nInstallDirectory=$BLOCKED\r\n";
  const struct {
    const char* what;
    const char* config;   // the end of setup.cfg, see Tulip
    const char* message;  // the box answered (the cancel question after Cancel is pressed)
    const char* answers;  // a hidden run's answer file
    DWORD exitCode;
    bool records;  // the wizard ran: an interactive run records its answers
  } runs[] = {
      {"cancelled at the welcome page", "", kCancelQuestion, nullptr, 1602, true},
      {"setup.cfg missing", nullptr, "setup.cfg cannot be read", nullptr, 1603, false},
      {"a skipped folder page cannot write", skippedFolder, kNotWritable, nullptr, 1603, true},
      {"answers walk over a folder that cannot be written", "InstallDirectory=$BLOCKED\r\n", nullptr,
       "2001.PUSH=149\r\n2003.301=CB:1\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n", 1603, false},
      {"answers stop at the agreement", "", nullptr, "2001.PUSH=149\r\n", 1602, false},
  };
  std::vector<std::unique_ptr<ProductPackage>> tulips;
  std::vector<std::unique_ptr<AppUnderTest>> apps;
  for (const auto& run : runs) {
    tulips.push_back(Tulip());
    if (run.config) Configure(*tulips.back(), run.config);
    if (run.answers) {
      EXPECT_TRUE(tulips.back()->dir.WriteText("silentsetup.ini", run.answers));
    }
    apps.push_back(tulips.back()->Start(run.answers ? "/HIDE" : ""));
  }
  // The boxes first, then the ends: a program that showed a window takes a while to end under Wine.
  for (size_t i = 0; i < apps.size(); i++) {
    SCOPED_TRACE(runs[i].what);
    if (runs[i].message == kCancelQuestion) {
      ASSERT_TRUE(apps[i]->WaitWindow(uidriver::WindowQuery::Titled(kCaption)).Press(IDC_WIZARD_CANCEL));
      apps[i]->AnswerMessageBox(IDNO, runs[i].message);
    } else if (runs[i].message) {
      apps[i]->AnswerMessageBox(IDOK, runs[i].message);
    }
  }
  for (size_t i = 0; i < apps.size(); i++) {
    SCOPED_TRACE(runs[i].what);
    if (runs[i].answers) {
      EXPECT_FALSE(apps[i]->ShowedWindowUntilExit());
    }
    EXPECT_EQ(runs[i].exitCode, apps[i]->WaitExit());
    EXPECT_EQ(runs[i].records, tulips[i]->dir.Exists("silentsetup_tmp.ini"));
    EXPECT_FALSE(package::KeyExists(HKEY_LOCAL_MACHINE, tulips[i]->RecordPath()));
    EXPECT_FALSE(tulips[i]->dir.Exists("proposed"));
  }
}

}  // namespace
