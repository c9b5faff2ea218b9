// The Kiv 8 product pages end to end through setup.exe in hidden runs: a new installation over an earlier
// generation 7 (data folder, migration, admin.ini, registry values, earlier uninstall keys, the product
// started) and an update, which shows neither page and writes admin.ini for the default data folder.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "scopedenvironment.h"
#include "uidriver.h"
#include "ziptestarchive.h"
#include "testtext.h"
#include "ids.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;
using uidriver::UiWindow;
using uidriver::WindowQuery;
using ziptest::ZipTestArchive;

namespace {

using testtext::Escaped;

const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kSettings[] = "Software\\Norba";
const char kMissing[] = "<missing>";

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void DeleteKey(HKEY hive, const char* base, const char* name) {
  HKEY parent = nullptr;
  if (RegOpenKeyExA(hive, base, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
  SHDeleteKeyA(parent, name);
  RegCloseKey(parent);
}

void WriteValue(HKEY hive, const std::string& key, const char* name, const std::string& data) {
  HKEY handle = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr));
  RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
  RegCloseKey(handle);
}

// A value as text: REG_SZ as it is, REG_DWORD in decimal; kMissing when the key or value is absent.
std::string ReadValue(HKEY hive, const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return kMissing;
  char data[2048] = {};
  DWORD size = sizeof(data) - 1, type = 0;
  LONG rc = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS) return kMissing;
  return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : std::string(data);
}

std::string Settings(const char* generation) { return std::string(kSettings) + "\\" + generation; }
std::string UninstallKey(const char* generation) { return std::string(kUninstall) + "\\" + generation; }

// One product in a scratch folder: setup.exe, setup.fil with a stand-in kiv.exe that reports how it was
// started, the installation folder "target". The Kiv keys of generations 6 to 8 go at the end.
class KivProductTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
    SavePackage(false);
  }
  // With the uninstaller, the product can be removed from its folder.
  void SavePackage(bool uninstaller) {
    ZipTestArchive archive;
    archive.Add("kiv.exe", FileBytes(std::string(NORBA_TEST_FIXTURE_DIR) + "/exitcode.exe")).Add("readme.txt", "text");
    if (uninstaller) archive.Add("setup.exe", dir_.ReadText("setup.exe")).Add("setupenglish.dll", dir_.ReadText("setupenglish.dll"));
    ASSERT_TRUE(archive.Save(dir_.Path("setup.fil")));
  }
  void TearDown() override {
    for (const char* generation : {"KIV4", "KIV5", "KIV6", "KIV7", "KIV8"}) {
      DeleteKey(HKEY_CURRENT_USER, kSettings, generation);
      DeleteKey(HKEY_LOCAL_MACHINE, kUninstall, generation);
    }
    SHDeleteValueA(HKEY_CURRENT_USER, "Software\\Enterprise Alternatives\\REXX\\ExecOptions", "GlobalSCBs");
  }

  void WriteConfig(const std::string& extra, const std::string& product = "AppVersion=8.10\r\nIniKey=KIV8\r\n",
                   const std::string& target = "target") {
    std::string text = "AppName=Kiv\r\n" + product + "InstallPath=*" + dir_.Path(target) +
                       "\r\nNoFinalPopup=1\r\nInstallSkipInstallType=1\r\nInstallSkipLicense=1\r\nInstallLicenseAgree=1\r\n"
                       "InstallSkipInstallDir=1\r\nInstallSkipAdvertise=1\r\nInstallSkipCopyComplete=1\r\n"
                       "InstallSkipStartmenu=1\r\n" + extra;
    ASSERT_TRUE(dir_.WriteText("setup.cfg", Escaped(text)));
  }
  void WriteAnswers(const std::string& pages) {
    ASSERT_TRUE(dir_.WriteText("silentsetup.ini", Escaped("2001.PUSH=149\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n2004.PUSH=149\r\n"
                                                          "2005.PUSH=149\r\n" + pages + "2006.PUSH=149\r\n2009.PUSH=0\r\n")));
  }
  DWORD RunHidden() {
    ScopedEnvironment report("NORBA_EXITCODE_REPORT", dir_.Path("kiv.report"));
    return AppUnderTest(dir_.Path("setup.exe"), "/LANG:ENGL /HIDE", dir_.Root()).WaitExit();
  }
  // The product starts on its own after setup: its report, once it is there.
  std::string ProductReport() {
    for (int i = 0; i < 100 && !dir_.Exists("kiv.report"); i++) Sleep(100);
    Sleep(200);
    return dir_.Exists("kiv.report") ? dir_.ReadText("kiv.report") : kMissing;
  }
  // An earlier generation: its settings and its data folder "old data" with options, a log and a backup.
  void PrepareEarlier(const char* generation) {
    std::string old = dir_.Path("old data");
    ASSERT_TRUE(dir_.MakeFolder("old program"));
    WriteValue(HKEY_CURRENT_USER, Settings(generation), "%KIV%", dir_.Path("old program"));
    WriteValue(HKEY_CURRENT_USER, Settings(generation), "%KIVFILES%", old);
    ASSERT_TRUE(dir_.WriteText("old data\\Options\\colortable.ini", "colours"));
    ASSERT_TRUE(dir_.WriteText("old data\\Options\\kivhosts.ini", "hosts"));
    ASSERT_TRUE(dir_.WriteText("old data\\Options\\devssh_global.ini", "KnownHosts=" + old + "\\ssh\\known"));
    ASSERT_TRUE(dir_.WriteText("old data\\trace.log", "log"));
    ASSERT_TRUE(dir_.WriteText("old data\\Options\\kiv.bak", "bak"));
  }

  ScratchDir dir_;
};

const char kCustomFolder[] = "2010.401=RB:0\r\n2010.402=RB:0\r\n2010.403=RB:0\r\n2010.404=RB:1\r\n2010.405=RB:0\r\n";

// A person at the wizard: a custom data folder, the question answered Yes, a terminal program chosen. The
// earlier data copied, renamed and rewritten, every value and line in place, the earlier uninstall key of
// the same folder gone, one elsewhere kept, the product started as a new installation.
TEST_F(KivProductTest, NewInstallationTakesOverGeneration7) {
  PrepareEarlier("KIV7");
  WriteValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV7"), "UninstallPath", dir_.Path("target"));
  WriteValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath", dir_.Path("elsewhere"));
  WriteValue(HKEY_CURRENT_USER, Settings("KIV8"), "UserConfigFolder", "C:\\somewhere");
  WriteConfig("InstallType=1\r\n");
  std::string data = dir_.Path("KIV8 Data");
  {
    ScopedEnvironment report("NORBA_EXITCODE_REPORT", dir_.Path("kiv.report"));
    AppUnderTest app(dir_.Path("setup.exe"), "/LANG:ENGL", dir_.Root());
    UiWindow frame = app.WaitWindow(WindowQuery::Titled("Kiv Setup"));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Data folder"));
    ASSERT_TRUE(frame.SetChecked(IDC_DATAFOLDER_CUSTOM, true));
    ASSERT_TRUE(frame.SetText(IDC_DATAFOLDER_EDIT, data));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    EXPECT_NE(std::string::npos, app.AnswerMessageBox(IDYES, "(V7)").find(dir_.Path("old data")));
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Usage type"));
    ASSERT_TRUE(frame.SelectComboIndex(IDC_USAGE_TERMINAL, 1));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    ASSERT_EQ(0u, app.WaitExit());
  }

  for (const char* file : {"Options\\Standard.kpal", "Options\\hostdirectory.kivini",
                           "KIV Files V7 Backup\\Options\\colortable.ini", "KIV Files V7 Backup\\Options\\kivhosts.ini"})
    EXPECT_TRUE(dir_.Exists(std::string("KIV8 Data\\") + file)) << file;
  for (const char* file : {"trace.log", "Options\\kiv.bak", "Options\\colortable.ini", "KIV Files V7 Backup\\trace.log"})
    EXPECT_FALSE(dir_.Exists(std::string("KIV8 Data\\") + file)) << file;
  EXPECT_EQ("KnownHosts=" + data + "\\ssh\\known", dir_.ReadText("KIV8 Data\\Options\\devssh_global.ini"));
  EXPECT_TRUE(dir_.Exists("old data\\Options\\colortable.ini"));
  EXPECT_TRUE(dir_.Exists("old data\\trace.log"));
  EXPECT_EQ("ConfigDataFolder=\"" + data + "\"\nSetupCreatedConfig=yes\nSetupTerminalType=\"0.PuTTY\"\n"
            "SetupSubsystems=\"11100000.11100000\"\n\n\n\n",
            dir_.ReadText("target\\admin.ini"));
  EXPECT_EQ(data, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "%KIVFILES%"));
  EXPECT_EQ("1", ReadValue(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_EQ(kMissing, ReadValue(HKEY_CURRENT_USER, Settings("KIV8"), "UserConfigFolder"));
  EXPECT_EQ("0", ReadValue(HKEY_CURRENT_USER, "Software\\Enterprise Alternatives\\REXX\\ExecOptions", "GlobalSCBs"));
  EXPECT_EQ(kMissing, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV7"), "UninstallPath"));
  EXPECT_EQ(dir_.Path("elsewhere"), ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath"));
  EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPINSTALL"));
}

// Generation 7 over generation 6: its own names and key, the colour table renamed its way, the host list
// kept, the generation-6 uninstall key of the same folder gone.
TEST_F(KivProductTest, Generation7TakesOverGeneration6) {
  PrepareEarlier("KIV6");
  WriteValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath", dir_.Path("target"));
  WriteValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV5"), "UninstallPath", dir_.Path("elsewhere"));
  WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\n", "AppVersion=7.20\r\nIniKey=KIV7\r\n");
  std::string data = dir_.Path("KIV7 Data");
  WriteAnswers(std::string(kCustomFolder) + "2010.201=EF:" + data + "\r\n2010.PUSH=149\r\n2000.dco=1\r\n");
  ASSERT_EQ(0u, RunHidden());

  for (const char* file : {"Options\\ColorTable.kivini", "Options\\kivhosts.ini", "KIV Files V6 Backup\\Options\\colortable.ini"})
    EXPECT_TRUE(dir_.Exists(std::string("KIV7 Data\\") + file)) << file;
  for (const char* file : {"Options\\Standard.kpal", "Options\\hostdirectory.kivini", "trace.log"})
    EXPECT_FALSE(dir_.Exists(std::string("KIV7 Data\\") + file)) << file;
  EXPECT_EQ(data, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV7"), "%KIVFILES%"));
  EXPECT_EQ("1", ReadValue(HKEY_CURRENT_USER, Settings("KIV7"), "SetupForceWorkdir"));
  EXPECT_EQ(kMissing, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "UninstallPath"));
  EXPECT_EQ(dir_.Path("elsewhere"), ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV5"), "UninstallPath"));
  EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPINSTALL"));
}

// Generation 6 over generation 5: the usage type page before the data folder page, admin.ini still in its
// order, the colour table renamed, the backup named after V5, the generation-4 uninstall key of the same
// folder gone.
TEST_F(KivProductTest, Generation6TakesOverGeneration5) {
  PrepareEarlier("KIV5");
  WriteValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV4"), "UninstallPath", dir_.Path("target"));
  WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\nInstallKivUsageType=2\r\nInstallKivUsageTypeMisc=5\r\n",
              "AppVersion=6.50\r\nIniKey=KIV6\r\n");
  std::string data = dir_.Path("KIV6 Data");
  WriteAnswers(std::string(kCustomFolder) + "2010.201=EF:" + data + "\r\n2010.PUSH=149\r\n2000.dco=1\r\n");
  ASSERT_EQ(0u, RunHidden());

  EXPECT_TRUE(dir_.Exists("KIV6 Data\\Options\\ColorTable.kivini"));
  EXPECT_TRUE(dir_.Exists("KIV6 Data\\KIV Files V5 Backup\\Options\\kivhosts.ini"));
  EXPECT_EQ("ConfigDataFolder=\"" + data + "\"\nSetupCreatedConfig=yes\nSetupTerminalType=\"2.Attachmate EXTRA!\"\n"
            "SetupSubsystems=\"11100000.11100000\"\n\n\n\n",
            dir_.ReadText("target\\admin.ini"));
  EXPECT_EQ(data, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV6"), "%KIVFILES%"));
  EXPECT_EQ(kMissing, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV4"), "UninstallPath"));
}

// Without the answer the earlier data stays where it is; the initial data archive fills the folder and
// its "dummy.tmp" entries leave only their folders.
TEST_F(KivProductTest, InitialDataInsteadOfMigration) {
  PrepareEarlier("KIV7");
  ZipTestArchive initial;
  initial.Add("Options/Standard.kpal", "initial").Add("Script/dummy.tmp", "");
  ASSERT_TRUE(initial.Save(dir_.Path("kivfiles.zip")));
  WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\nInstallKivUsageType=3\r\n");
  std::string data = dir_.Path("KIV8 Data");
  WriteAnswers(std::string(kCustomFolder) + "2010.201=EF:" + data + "\r\n2010.PUSH=149\r\n2000.dco=1\r\n");
  ASSERT_EQ(0u, RunHidden());

  EXPECT_EQ("initial", dir_.ReadText("KIV8 Data\\Options\\Standard.kpal"));
  EXPECT_TRUE(dir_.Exists("KIV8 Data\\Script"));
  EXPECT_FALSE(dir_.Exists("KIV8 Data\\Script\\dummy.tmp"));
  EXPECT_FALSE(dir_.Exists("KIV8 Data\\KIV Files V7 Backup"));
  EXPECT_EQ("2", ReadValue(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_NE(std::string::npos, dir_.ReadText("target\\admin.ini").find("SetupSubsystems=\"12000000.12000000\"\n"));
}

// An update: neither page is shown, admin.ini names the default data folder, the product starts as updated.
TEST_F(KivProductTest, UpdateWritesInstallerConfig) {
  WriteConfig("InstallType=3\r\n");
  WriteAnswers("");
  ASSERT_EQ(0u, RunHidden());

  char documents[MAX_PATH] = {};  // "%USERPROFILE%" of setup's file names
  SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
  EXPECT_EQ("ConfigDataFolder=\"" + std::string(documents) + "\\KIV8 Files\"\nInstallerConfig=yes\n",
            dir_.ReadText("target\\admin.ini"));
  EXPECT_EQ("1", ReadValue(HKEY_CURRENT_USER, Settings("KIV8"), "SetupForceWorkdir"));
  EXPECT_EQ(kMissing, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "%KIVFILES%"));
  EXPECT_NE(std::string::npos, ProductReport().find("/FIRSTLAUNCHFROMSETUPUPDATE"));
}

// Removal of everything offers the data folder the installation recorded, and deletes it on Yes. A
// settings value naming a folder that holds the program folder is never offered, whatever its name says.
TEST_F(KivProductTest, CompleteRemovalOffersOnlyTheProductsDataFolder) {
  SavePackage(true);
  for (bool own : {true, false}) {
    const std::string target = own ? "target" : "kivuser\\target", data = dir_.Path("KIV8 Data");
    WriteConfig("InstallType=1\r\nInstallSkipKivUsageType=1\r\n", "AppVersion=8.10\r\nIniKey=KIV8\r\n", target);
    WriteAnswers(std::string(kCustomFolder) + "2010.201=EF:" + data + "\r\n2010.PUSH=149\r\n");
    ASSERT_EQ(0u, RunHidden());
    ASSERT_TRUE(dir_.Exists("KIV8 Data"));
    // The product notes its data folder on its first start.
    WriteValue(HKEY_CURRENT_USER, Settings("KIV8"), "%KIVFILES%", own ? data : dir_.Path("kivuser"));

    AppUnderTest app(dir_.Path(target + "\\setup.exe"), "-remove KIV8", dir_.Root());
    app.AnswerMessageBox(IDYES, "Do you really want to remove");
    app.AnswerMessageBox(IDOK, "Cannot copy to temp directory");
    UiWindow frame = app.WaitWindow(WindowQuery::Titled("Uninstall"));
    ASSERT_TRUE(frame.SetChecked(IDC_REMOVE_COMPLETE, true));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
    app.AnswerMessageBox(IDYES, "Complete removal deletes");
    if (own) {
      EXPECT_NE(std::string::npos, app.AnswerMessageBox(IDYES, "KIV8 Data").find("delete the folder " + data));
    }
    ASSERT_TRUE(frame.WaitControlText(IDC_FRAME_TITLE, "Removal complete"));
    ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
    EXPECT_EQ(0u, app.WaitExit());
    EXPECT_NE(own, dir_.Exists("KIV8 Data"));
    EXPECT_EQ(!own, dir_.Exists("kivuser"));
    EXPECT_EQ(kMissing, ReadValue(HKEY_LOCAL_MACHINE, UninstallKey("KIV8"), "UninstallPath"));
  }
}

}  // namespace
