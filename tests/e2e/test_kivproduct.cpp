// The Kiv product pages end to end through setup.exe: new installations of the generations 8, 7 and 6
// over the generation before (data folder, migration, admin.ini, registry values, earlier uninstall keys,
// the product started), the initial data archive, an update without pages, and the data folder at removal.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <string>

#include "ids.h"
#include "productpackage.h"
#include "scopedenvironment.h"
#include "ziptestarchive.h"

using package::kMissing;
using package::SetValue;
using package::Value;

namespace {

const char kRexxOptions[] = "Software\\Enterprise Alternatives\\REXX\\ExecOptions";

std::string Settings(const char* generation) { return std::string("Software\\Norba\\") + generation; }
std::string UninstallKey(const char* generation) { return package::kUninstallKey + std::string(generation); }

// One product in a scratch folder: setup.fil with a stand-in kiv.exe that reports how it was started and
// the uninstaller; the Kiv keys of generations 4 to 8 go at the end.
class KivProductTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* generation : {"KIV4", "KIV5", "KIV6", "KIV7", "KIV8"}) {
      kiv_.Owns(HKEY_CURRENT_USER, Settings(generation));
      kiv_.Owns(HKEY_LOCAL_MACHINE, UninstallKey(generation));
    }
    kiv_.Owns(HKEY_CURRENT_USER, kRexxOptions, "GlobalSCBs");
    // With the uninstaller, the product can be removed from its folder.
    ziptest::ZipTestArchive archive;
    archive.Add("kiv.exe", testtext::FileText(std::string(NORBA_TEST_FIXTURE_DIR) + "/exitcode.exe")).Add("readme.txt", "text");
    archive.Add("setup.exe", Text("setup.exe")).Add("setupenglish.dll", Text("setupenglish.dll"));
    ASSERT_TRUE(archive.Save(Path("setup.fil")));
  }
  std::string Path(const std::string& relative = "") const { return kiv_.Path(relative); }
  bool Exists(const std::string& relative) const { return package::Exists(Path(relative)); }
  std::string Text(const std::string& relative) const { return kiv_.dir.ReadText(relative); }
  void ExpectFiles(const std::string& folder, std::initializer_list<std::string> present,
                   std::initializer_list<std::string> absent) const {
    for (const std::string& file : present) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
    for (const std::string& file : absent) EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
  }

  void WriteConfig(const std::string& extra, const std::string& product = "AppVersion=8.10\r\nIniKey=KIV8\r\n",
                   const std::string& target = "target") {
    kiv_.WriteConfig("AppName=Kiv\r\n" + product + "InstallPath=*" + Path(target) + "\r\n" + package::kSkipPages +
                     "InstallSkipStartmenu=1\r\n" + extra);
  }
  DWORD RunHidden() {
    ScopedEnvironment report("NORBA_EXITCODE_REPORT", Path("kiv.report"));
    return kiv_.RunHidden();
  }
  // The product starts on its own after setup: its report, once it is there.
  std::string ProductReport() {
    for (int i = 0; i < 100 && !Exists("kiv.report"); i++) Sleep(100);
    Sleep(200);
    return Exists("kiv.report") ? Text("kiv.report") : kMissing;
  }
  // An earlier generation: its settings and its data folder "old data" with options, a log and a backup.
  void PrepareEarlier(const char* generation) {
    std::string old = Path("old data");
    ASSERT_TRUE(kiv_.dir.MakeFolder("old program"));
    SetValue(HKEY_CURRENT_USER, Settings(generation), "%KIV%", Path("old program"));
    SetValue(HKEY_CURRENT_USER, Settings(generation), "%KIVFILES%", old);
    for (const auto& file : {std::make_pair("Options\\colortable.ini", std::string("colours")), {"Options\\kivhosts.ini", "hosts"},
                             {"Options\\devssh_global.ini", "KnownHosts=" + old + "\\ssh\\known"}, {"trace.log", "log"},
                             {"Options\\kiv.bak", "bak"}})
      ASSERT_TRUE(kiv_.dir.WriteText(std::string("old data\\") + file.first, file.second));
  }
  // Answers choosing the custom data folder `data`, and more pages.
  void WriteAnswers(const std::string& data, const std::string& pages) {
    kiv_.WriteAnswers("2010.401=RB:0\r\n2010.402=RB:0\r\n2010.403=RB:0\r\n2010.404=RB:1\r\n2010.405=RB:0\r\n2010.201=EF:" +
                      data + "\r\n2010.PUSH=149\r\n" + pages);
  }

  package::ProductPackage kiv_{"KIV8"};
};

// A person at the wizard: a custom data folder, the question answered Yes, a terminal program chosen. The
// earlier data copied, renamed and rewritten, every value and line in place, the earlier uninstall key of
// the same folder gone, one elsewhere kept, the product started as a new installation.
TEST_F(KivProductTest, NewInstallationTakesOverGeneration7) {
  PrepareEarlier("KIV7");
  SetValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV7"), "UninstallPath", Path("target"));
  SetValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath", Path("elsewhere"));
  SetValue(HKEY_CURRENT_USER, Settings("KIV8"), "UserConfigFolder", "C:\\somewhere");
  WriteConfig("InstallType=1\r\n");
  std::string data = Path("KIV8 Data");
  {
    ScopedEnvironment report("NORBA_EXITCODE_REPORT", Path("kiv.report"));
    std::unique_ptr<uidriver::AppUnderTest> app = kiv_.Start();
    uidriver::UiWindow frame = app->WaitWindow(uidriver::WindowQuery::Titled("Kiv Setup"));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Data folder"));
    ASSERT_TRUE(frame.SetChecked(IDC_DATAFOLDER_CUSTOM, true));
    ASSERT_TRUE(frame.SetText(IDC_DATAFOLDER_EDIT, data));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    EXPECT_NE(std::string::npos, app->AnswerMessageBox(IDYES, "(V7)").find(Path("old data")));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Usage type"));
    ASSERT_TRUE(frame.SelectComboIndex(IDC_USAGE_TERMINAL, 1));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    ASSERT_EQ(0u, app->WaitExit());
  }

  ExpectFiles("KIV8 Data",
              {"Options\\Standard.kpal", "Options\\hostdirectory.kivini", "KIV Files V7 Backup\\Options\\colortable.ini",
               "KIV Files V7 Backup\\Options\\kivhosts.ini"},
              {"trace.log", "Options\\kiv.bak", "Options\\colortable.ini", "KIV Files V7 Backup\\trace.log"});
  ExpectFiles("old data", {"Options\\colortable.ini", "trace.log"}, {});
  EXPECT_EQ("KnownHosts=" + data + "\\ssh\\known", Text("KIV8 Data\\Options\\devssh_global.ini"));
  EXPECT_EQ("ConfigDataFolder=\"" + data + "\"\nSetupCreatedConfig=yes\nSetupTerminalType=\"0.PuTTY\"\n"
            "SetupSubsystems=\"11100000.11100000\"\n\n\n\n",
            Text("target\\admin.ini"));
  EXPECT_EQ(data, Value(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "%KIVFILES%"));
  EXPECT_EQ("1", Value(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_EQ(kMissing, Value(HKEY_CURRENT_USER, Settings("KIV8"), "UserConfigFolder"));
  EXPECT_EQ("0", Value(HKEY_CURRENT_USER, kRexxOptions, "GlobalSCBs"));
  EXPECT_EQ(kMissing, Value(HKEY_LOCAL_MACHINE, UninstallKey("KIV7"), "UninstallPath"));
  EXPECT_EQ(Path("elsewhere"), Value(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath"));
  EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPINSTALL"));
}

// Generations 7 and 6 over the generation before, silently with the recorded answer: their own names and
// keys, the colour table renamed their way, the backup named after the earlier generation, the earlier
// uninstall key of the same folder gone and one elsewhere kept. Generation 6 takes the usage type from
// the configuration.
TEST_F(KivProductTest, EarlierGenerationsTakeOverTheGenerationBefore) {
  const struct {
    const char *Earlier, *SameFolder, *Elsewhere, *Product, *Config, *Data, *Backup;
  } cases[] = {
      {"KIV6", "KIV6", "KIV5", "AppVersion=7.20\r\nIniKey=KIV7\r\n", "", "KIV7 Data", "KIV Files V6 Backup"},
      {"KIV5", "KIV4", "KIV5", "AppVersion=6.50\r\nIniKey=KIV6\r\n",
       "InstallKivUsageType=2\r\nInstallKivUsageTypeMisc=5\r\n", "KIV6 Data", "KIV Files V5 Backup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Product);
    // A folder of its own for each generation: the product the run before started may still be running.
    const std::string product = std::string("KIV") + c.Data[3], target = "target " + product;
    PrepareEarlier(c.Earlier);
    SetValue(HKEY_LOCAL_MACHINE, UninstallKey(c.SameFolder), "UninstallPath", Path(target));
    SetValue(HKEY_LOCAL_MACHINE, UninstallKey(c.Elsewhere), "UninstallPath", Path("elsewhere"));
    WriteConfig(std::string("InstallType=1\r\nInstallSkipKivUsageType=1\r\n") + c.Config, c.Product, target);
    std::string data = Path(c.Data);
    WriteAnswers(data, "2000.dco=1\r\n");
    ASSERT_EQ(0u, RunHidden());

    ExpectFiles(c.Data, {"Options\\ColorTable.kivini", "Options\\kivhosts.ini", std::string(c.Backup) + "\\Options\\colortable.ini"},
                {"Options\\Standard.kpal", "Options\\hostdirectory.kivini", "trace.log"});
    EXPECT_EQ(data, Value(HKEY_LOCAL_MACHINE, UninstallKey(product.c_str()), "%KIVFILES%"));
    EXPECT_EQ("1", Value(HKEY_CURRENT_USER, Settings(product.c_str()), "SetupForceWorkdir"));
    EXPECT_EQ(kMissing, Value(HKEY_LOCAL_MACHINE, UninstallKey(c.SameFolder), "UninstallPath"));
    EXPECT_EQ(Path("elsewhere"), Value(HKEY_LOCAL_MACHINE, UninstallKey(c.Elsewhere), "UninstallPath"));
    EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPINSTALL"));
    DeleteFileA(Path("kiv.report").c_str());
  }
  EXPECT_EQ("ConfigDataFolder=\"" + Path("KIV6 Data") + "\"\nSetupCreatedConfig=yes\nSetupTerminalType=\"2.Attachmate EXTRA!\"\n"
            "SetupSubsystems=\"11100000.11100000\"\n\n\n\n",
            Text("target KIV6\\admin.ini"));
}

// Without the answer the earlier data stays where it is; the initial data archive fills the folder and
// its "dummy.tmp" entries leave only their folders.
TEST_F(KivProductTest, InitialDataInsteadOfMigration) {
  PrepareEarlier("KIV7");
  ASSERT_TRUE(ziptest::ZipTestArchive().Add("Options/Standard.kpal", "initial").Add("Script/dummy.tmp", "").Save(Path("kivfiles.zip")));
  WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\nInstallKivUsageType=3\r\n");
  std::string data = Path("KIV8 Data");
  WriteAnswers(data, "2000.dco=1\r\n");
  ASSERT_EQ(0u, RunHidden());

  EXPECT_EQ("initial", Text("KIV8 Data\\Options\\Standard.kpal"));
  ExpectFiles("KIV8 Data", {"Script"}, {"Script\\dummy.tmp", "KIV Files V7 Backup"});
  EXPECT_EQ("2", Value(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_NE(std::string::npos, Text("target\\admin.ini").find("SetupSubsystems=\"12000000.12000000\"\n"));
}

// An update: neither page is shown, admin.ini names the default data folder, the product starts as updated.
TEST_F(KivProductTest, UpdateWritesInstallerConfig) {
  WriteConfig("InstallType=3\r\n");
  kiv_.WriteAnswers("");
  ASSERT_EQ(0u, RunHidden());

  // The documents folder is "%USERPROFILE%" of setup's file names.
  EXPECT_EQ("ConfigDataFolder=\"" + testtext::ShellFolder(CSIDL_PERSONAL) + "\\KIV8 Files\"\nInstallerConfig=yes\n",
            Text("target\\admin.ini"));
  EXPECT_EQ("1", Value(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_EQ(kMissing, Value(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "%KIVFILES%"));
  EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPUPDATE"));
}

// Removal of everything offers the data folder the installation recorded, and deletes it on Yes. A
// settings value naming a folder that holds the program folder is never offered, whatever its name says.
TEST_F(KivProductTest, CompleteRemovalOffersOnlyTheProductsDataFolder) {
  for (bool own : {true, false}) {
    const std::string target = own ? "target" : "kivuser\\target", data = Path("KIV8 Data");
    WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\n", "AppVersion=8.10\r\nIniKey=KIV8\r\n", target);
    WriteAnswers(data, "");
    ASSERT_EQ(0u, RunHidden());
    ASSERT_TRUE(Exists("KIV8 Data"));
    // The product notes its data folder on its first start.
    SetValue(HKEY_CURRENT_USER, Settings("KIV8"), "%KIVFILES%", own ? data : Path("kivuser"));

    std::unique_ptr<uidriver::AppUnderTest> app = kiv_.Start("-remove KIV8", target + "\\setup.exe");
    app->AnswerMessageBox(IDYES, "Do you really want to remove");
    app->AnswerMessageBox(IDOK, "Cannot copy to temp directory");
    uidriver::UiWindow frame = app->WaitWindow(uidriver::WindowQuery::Titled("Uninstall"));
    ASSERT_TRUE(frame.SetChecked(IDC_REMOVE_COMPLETE, true));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    app->AnswerMessageBox(IDYES, "Complete removal deletes");
    if (own) {
      EXPECT_NE(std::string::npos, app->AnswerMessageBox(IDYES, "KIV8 Data").find("delete the folder " + data));
    }
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Removal complete"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    EXPECT_EQ(0u, app->WaitExit());
    EXPECT_NE(own, Exists("KIV8 Data"));
    EXPECT_EQ(!own, Exists("kivuser"));
    EXPECT_EQ(kMissing, Value(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "UninstallPath"));
  }
}

}  // namespace
