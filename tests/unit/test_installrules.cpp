// The installation's decisions that need no window, case by case: the proposed folder, the version
// comparison and dated warning of the welcome page, the agreement's wrap and record, the files that
// DeleteAfterExtract may delete, and the DAO 3.6 search through a registry key of the test's own.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/hash.h"
#include "base/registry.h"
#include "install/prerequisites.h"
#include "setup/agreementtext.h"
#include "setup/runrules.h"
#include "setup/welcomerules.h"
#include "testregistrykey.h"
#include "uidriver.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Str(const std::string& s) { return STRING(s.c_str(), 1252); }

bool WriteValue(const std::string& key, const std::string& name, const std::string& data) {
  return REGISTRY(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REGISTRY_CREATE).WriteString(name.c_str(), data.c_str());
}

// An earlier installation's folder counts only while it exists (an existing one: end-to-end installation test).
TEST(ProposedFolderTest, EarlierInstallationElseInstallPath) {
  const std::string inikey = "NorbaRulesTest_" + std::to_string(GetCurrentProcessId());
  const std::string record = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + inikey;
  char programs[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programs);
  const struct {
    const char* uninstallpath;  // null: no record
    const char* installpath;
    std::string folder;
  } cases[] = {
      {"C:\\norba-deleted-folder", "*D:\\Tools\\Kiv", "D:\\Tools\\Kiv"},
      {"", "\\Kiv", std::string(programs) + "\\Kiv"},
      {nullptr, "", programs},
  };
  for (const auto& c : cases) {
    REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, record.c_str(), 0);
    if (c.uninstallpath) {
      ASSERT_TRUE(WriteValue(record, "UninstallPath", c.uninstallpath));
    }
    HASH config;
    config["IniKey"] = inikey.c_str();
    config["InstallPath"] = c.installpath;
    EXPECT_EQ(c.folder, Text(ProposedFolder(config))) << c.installpath;
  }
  REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, record.c_str(), 0);
}

TEST(WelcomeRulesTest, VersionsCompareWithTheLeadingZeroRule) {
  const struct {
    const char* installed;
    const char* own;
    int order;  // sign of the comparison
  } cases[] = {
      {"8.01", "10.00", -1}, {"10.00", "9.50", 1}, {"8.1a", "8.1A", 0}, {"", "8.00", -1}, {"8.00", "", 1},
      // No "." in second place, no "0" in front: compared as they are.
      {"8", "10", 1}, {"10.5", "10.40", 1},
  };
  for (const auto& c : cases) {
    int order = CompareVersions(Str(c.installed), Str(c.own));
    EXPECT_EQ(c.order, (order > 0) - (order < 0)) << c.installed << " against " << c.own;
  }
}

// Texts made from texts: the welcome page's dated warning (on 10 May 2024), the agreement as the page
// wraps it after column 55, and the record of the agreement with one paragraph per line.
TEST(TextRulesTest, DatedWarningAgreementWrapAndRecord) {
  const std::function<STRING(const STRING&)> warning = [](const STRING& t) { return WelcomeWarningToShow(t, "2024-05-10"); };
  const std::function<STRING(const STRING&)> wrap = WrapAgreement;
  const std::function<STRING(const STRING&)> record = [](const STRING& t) { return AgreementRecord(WrapAgreement(t)); };
  const std::string x55(55, 'x'), x56(56, 'x');
  const std::string paragraph = std::string(40, 'p') + " " + std::string(40, 'q') + " " + std::string(40, 'r');
  const struct {
    const std::function<STRING(const STRING&)>& rule;
    std::string text;
    std::string result;
  } cases[] = {
      {warning, "", ""},
      {warning, "Read this first.", "Read this first."},
      {warning, "ShowOnly=<2000-01-01\nOld news", ""},
      {warning, "ShowOnly=>2000-01-01\nNews", "News"},
      {warning, "showonly=<2024-05-10\nLast day", "Last day"},
      {warning, "SHOWONLY=>2024-05-10\nNot yet", ""},
      {warning, "ShowOnly=>2024-05-09\r\nLine one\r\nLine two", "Line one\r\nLine two"},
      {warning, "ShowOnly==2000-01-01\nAny other operator keeps it", "Any other operator keeps it"},
      {warning, "ShowOnly=<2099-01-01", ""},
      {warning, "ShowOnly=>2000-01-01\n", ""},
      {wrap, "", ""},
      {wrap, "Short line\n", "Short line\r\n\r\n"},
      {wrap, "a\r\nb", "a\r\n\r\nb"},
      {wrap, "a\n\nb", "a\r\n\r\n\r\nb"},  // an empty line adds no second one
      {wrap, x55 + " y", x55 + " y"},
      {wrap, x56 + " y z", x56 + " \r\ny z"},
      {wrap, x56 + "-y", x56 + "-\r\ny"},
      {wrap, x56 + " " + x56 + " y", x56 + " \r\n" + x56 + " \r\ny"},  // a line that breaks counts anew
      {wrap, std::string(100, 'x'), std::string(100, 'x')},
      {record, paragraph + "\nShort.\n", paragraph + "\nShort.\n"},
      {record, paragraph + "\r\nShort.", paragraph + "\nShort."},
      {record, "a\n\nb\n", "a\nb\n"},  // empty lines do not survive
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, Text(c.rule(Str(c.text)))) << c.text;
}

TEST(DeleteAfterExtractTest, DeletesOnlyFilesOfTheInstallationFolder) {
  uidriver::ScratchDir dir;
  const struct {
    const char* file;  // below the scratch folder; the installation folder is "target"
    bool deleted;
  } files[] = {
      {"target\\a.txt", true},      {"target\\b.txt", true},          {"target\\sub\\c.txt", true},
      {"target\\notes..txt", true}, {"target\\keep.txt", false},      {"outside.txt", false},
      {"absolute.txt", false},      {"target\\sub\\keep.txt", false},
  };
  for (const auto& f : files) ASSERT_TRUE(dir.WriteText(f.file, "x"));
  HASH config;
  config["DeleteAfterExtract"] = Str("a.txt||b.txt|sub/c.txt|notes..txt|missing.txt|..\\outside.txt|sub\\..\\keep.txt|" +
                                     dir.Path("absolute.txt") + "|\\absolute.txt|C:absolute.txt|"
                                     "\\\\server\\share\\keep.txt|sub\\..\\..\\outside.txt");
  DeleteAfterExtract(config, Str(dir.Path("target")));
  for (const auto& f : files) EXPECT_EQ(f.deleted, !dir.Exists(f.file)) << f.file;
}

TEST(PrerequisiteTest, Dao360IsFoundWhereTheRegistryPointsAndAsALibrary) {
  uidriver::ScratchDir dir;
  // A real library under the names the search looks for (this program's own file), and a file that is not one.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_TRUE(dir.CopyFileTo(self, "shared\\DAO\\dao360.dll"));
  ASSERT_TRUE(dir.CopyFileTo(self, "dao\\dao360.dll"));
  ASSERT_TRUE(dir.WriteText("text\\dao360.dll", "not a library"));
  const std::string shared = dir.Path("shared"), inshared = dir.Path("shared\\DAO\\dao360.dll");
  const std::string found = dir.Path("dao\\dao360.dll"), dao350 = dir.Path("dao\\dao350.dll");
  const struct {
    std::vector<std::array<std::string, 3>> values;  // key below the test's key, value name, data
    std::string result;
  } cases[] = {
      {{{"", "Unrelated", "x"}}, ""},
      {{{"", "SharedFilesDir", shared}}, inshared},
      {{{"", "SharedFilesDir", shared + "\\"}}, inshared},
      {{{"", "SharedFilesDir", dir.Path("dao")}, {"dao360.dll", "Path", found}}, found},  // no DAO below it
      {{{"dao360.dll", "Path", found}}, found},
      {{{"dao360.dll", "Path", dir.Path("text\\dao360.dll")}}, ""},
      {{{"dao360.dll", "Path", dir.Path("none\\dao360.dll")}, {"dao350.dll", "Path", dao350}}, ""},  // 3.5 not asked
      {{{"dao350.dll", "Path", dao350}}, found},
      {{{"dao350.dll\\DAO350", "Path", dao350}}, found},
      {{{"dao350.dll", "Path", dir.Path("dao\\DAO350.DLL")}}, ""},  // the substitution minds letter case
  };
  for (const auto& c : cases) {
    regtest::TestKey tools(HKEY_LOCAL_MACHINE);
    for (const auto& value : c.values) ASSERT_TRUE(WriteValue(tools.Path(value[0]), value[1], value[2]));
    EXPECT_EQ(c.result, Text(FindDao360(tools.Path().c_str()))) << "case " << &c - cases;
  }
}

// DAO 3.6 is needed only before Windows version code 4; the list ends at its first empty item.
TEST(PrerequisiteTest, CheckDllListsAndWindowsVersions) {
  const bool daohere = FindDao360("Software\\Microsoft\\Shared Tools").IsNotEmpty();
  const struct {
    const char* checkdll;
    int windowsversion;
    bool met;
  } cases[] = {
      {"", 3, true}, {"msvcrt|other.dll", 3, true}, {"dao360", 4, true}, {"other||dao360", 3, true}, {"|dao360", 3, true},
      {"dao360", 3, daohere}, {" Dao360 |other", 1, daohere},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.met, CheckRequiredLibraries(c.checkdll, c.windowsversion)) << c.checkdll << " on " << c.windowsversion;
}

}  // namespace
