// The installation's decisions that need no window, case by case: the proposed folder, the version
// comparison and dated warning of the welcome page, the agreement's wrap and record, the files that
// DeleteAfterExtract may delete, and the DAO 3.6 search through a registry key of the test's own.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>
#include <string>

#include "base/hash.h"
#include "base/registry.h"
#include "install/prerequisites.h"
#include "setup/agreementtext.h"
#include "setup/runrules.h"
#include "setup/welcomerules.h"
#include "uidriver.h"

using uidriver::ScratchDir;

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Str(const std::string& s) { return STRING(s.c_str(), 1252); }

// A key below HKEY_LOCAL_MACHINE of the test's own name, with everything below it deleted at the end.
struct TestKey {
  const std::string Path;
  ~TestKey() { Clear(); }
  void Clear() const { REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, Path.c_str(), 0); }
  // A string value of the key or of a key below it ("" for the key itself).
  bool Set(const std::string& below, const char* name, const std::string& data) const {
    return REGISTRY(HKEY_LOCAL_MACHINE, Path.c_str(), below.c_str(), REGISTRY_CREATE).WriteString(name, data.c_str());
  }
};

std::string UniqueName(const char* prefix) {
  return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

TEST(ProposedFolderTest, EarlierInstallationElseInstallPath) {
  ScratchDir dir;
  ASSERT_TRUE(dir.MakeFolder("earlier"));
  const std::string inikey = UniqueName("NorbaRulesTest_");
  const TestKey record{"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + inikey};
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
  const std::string programs = path;
  const struct {
    const char* what;
    const char* uninstallpath;  // null: no record
    const char* installpath;
    std::string folder;
  } cases[] = {
      {"an existing earlier folder wins", "earlier", "*D:\\Tools\\Kiv", dir.Path("earlier")},
      {"a deleted earlier folder is ignored", "deleted", "*D:\\Tools\\Kiv", "D:\\Tools\\Kiv"},
      {"an empty record value is ignored", "", "\\Kiv", programs + "\\Kiv"},
      {"below the program-files folder", nullptr, "\\Kiv", programs + "\\Kiv"},
      {"the program-files folder itself", nullptr, "", programs},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    record.Clear();
    if (c.uninstallpath) {
      ASSERT_TRUE(record.Set("", "UninstallPath", *c.uninstallpath ? dir.Path(c.uninstallpath) : ""));
    }
    HASH config;
    config["IniKey"] = inikey.c_str();
    config["InstallPath"] = c.installpath;
    EXPECT_EQ(c.folder, Text(ProposedFolder(config)));
  }
}

TEST(WelcomeRulesTest, VersionsCompareWithTheLeadingZeroRule) {
  const struct {
    const char* installed;
    const char* own;
    int order;  // sign of the comparison
  } cases[] = {
      {"8.01", "8.10", -1}, {"8.01", "10.00", -1}, {"10.00", "9.50", 1}, {"9.5", "10.0", -1}, {"8.10", "8.10", 0},
      {"8.1a", "8.1A", 0},  {"", "8.00", -1},      {"8.00", "", 1},
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
  const std::string paragraph =
      "1. Norba grants you a non-exclusive right to install and use the program on the computers of your "
      "organisation in the number of licenses you have acquired.";
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
  ScratchDir dir;
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
  ScratchDir dir;
  // A real library under the names the search looks for (this program's own file), and a file that is not one.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_TRUE(dir.CopyFileTo(self, "shared\\DAO\\dao360.dll"));
  ASSERT_TRUE(dir.CopyFileTo(self, "dao\\dao360.dll"));
  ASSERT_TRUE(dir.WriteText("text\\dao360.dll", "not a library"));
  const TestKey tools{UniqueName("Software\\NorbaRulesTest_")};
  const std::string found = dir.Path("dao\\dao360.dll");
  const struct {
    const char* what;
    const char* below;
    const char* value;
    std::string data;
    const char* below2;  // a second "Path" value, looked at later in the search, or null
    std::string data2;
    std::string result;
  } cases[] = {
      {"nothing registered", "", "Unrelated", "x", nullptr, "", ""},
      {"the shared files folder", "", "SharedFilesDir", dir.Path("shared"), nullptr, "",
       dir.Path("shared\\DAO\\dao360.dll")},
      {"the shared files folder ending in \\", "", "SharedFilesDir", dir.Path("shared") + "\\", nullptr, "",
       dir.Path("shared\\DAO\\dao360.dll")},
      {"a shared folder without DAO, then dao360.dll's path", "", "SharedFilesDir", dir.Path("dao"), "dao360.dll",
       found, found},
      {"dao360.dll's path", "dao360.dll", "Path", found, nullptr, "", found},
      {"dao360.dll's path is no library", "dao360.dll", "Path", dir.Path("text\\dao360.dll"), nullptr, "", ""},
      {"a missing dao360.dll is not replaced by 3.5's", "dao360.dll", "Path", dir.Path("none\\dao360.dll"),
       "dao350.dll", dir.Path("dao\\dao350.dll"), ""},
      {"3.5's path with 350 made 360", "dao350.dll", "Path", dir.Path("dao\\dao350.dll"), nullptr, "", found},
      {"3.5's DAO350 subkey", "dao350.dll\\DAO350", "Path", dir.Path("dao\\dao350.dll"), nullptr, "", found},
      {"the substitution minds letter case", "dao350.dll", "Path", dir.Path("dao\\DAO350.DLL"), nullptr, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tools.Clear();
    ASSERT_TRUE(tools.Set(c.below, c.value, c.data));
    if (c.below2) {
      ASSERT_TRUE(tools.Set(c.below2, "Path", c.data2));
    }
    EXPECT_EQ(c.result, Text(FindDao360(tools.Path.c_str())));
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
      {"", 3, true},          {"msvcrt|other.dll", 3, true},  {"dao360", 4, true},        {"DAO360", 9, true},
      {"dao360", 3, daohere}, {" Dao360 |other", 1, daohere}, {"other||dao360", 3, true}, {"|dao360", 3, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.met, CheckRequiredLibraries(c.checkdll, c.windowsversion)) << c.checkdll << " on " << c.windowsversion;
}

}  // namespace
