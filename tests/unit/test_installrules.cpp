// The installation's decisions that need no window, case by case: the proposed folder, the version
// comparison and dated warning of the welcome page, the agreement's wrap and record, the files that
// DeleteAfterExtract may delete, and the DAO 3.6 search through a registry key of the test's own.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <string>

#include "base/hash.h"
#include "install/prerequisites.h"
#include "setup/agreementtext.h"
#include "setup/runrules.h"
#include "setup/welcomerules.h"
#include "uidriver.h"

using uidriver::ScratchDir;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Str(const std::string& s) { return STRING(s.c_str(), 1252); }

// A key below HKEY_LOCAL_MACHINE that the test owns: values set on request, the whole tree deleted at the end.
class TestKey {
 public:
  explicit TestKey(const std::string& path) : path_(path) {}
  ~TestKey() { Clear(); }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;
  const std::string& Path() const { return path_; }
  // Sets a string value of the key or of a subkey ("" for the key itself).
  bool Set(const std::string& subkey, const char* name, const std::string& data) {
    std::string path = subkey.empty() ? path_ : path_ + "\\" + subkey;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return false;
    LONG rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
  }
  void Clear() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str()); }

 private:
  std::string path_;
};

std::string UniqueName(const char* prefix) {
  return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

std::string ProgramFiles() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
  std::string folder(path);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// ---------------------------------------------------------------------------------------------------
// Proposed installation folder.

TEST(ProposedFolderTest, EarlierInstallationElseInstallPath) {
  ScratchDir dir;
  ASSERT_TRUE(dir.MakeFolder("earlier"));
  const std::string inikey = UniqueName("NorbaRulesTest_");
  TestKey record(kUninstallKey + inikey);
  const std::string programs = ProgramFiles();
  const struct {
    const char* what;
    const char* uninstallpath;  // null: no record
    const char* installpath;
    std::string folder;
  } cases[] = {
      {"an existing earlier folder wins", "earlier", "*D:\\Tools\\Kiv", dir.Path("earlier")},
      {"a deleted earlier folder is ignored", "deleted", "*D:\\Tools\\Kiv", "D:\\Tools\\Kiv"},
      {"an empty record value is ignored", "", "\\Kiv", programs + "\\Kiv"},
      {"a folder of its own", nullptr, "*D:\\Tools\\Kiv", "D:\\Tools\\Kiv"},
      {"below the program-files folder", nullptr, "\\Kiv", programs + "\\Kiv"},
      {"the program-files folder itself", nullptr, "", programs},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    record.Clear();
    if (c.uninstallpath) {
      std::string value = *c.uninstallpath ? dir.Path(c.uninstallpath) : "";
      ASSERT_TRUE(record.Set("", "UninstallPath", value));
    }
    HASH config;
    config["IniKey"] = inikey.c_str();
    config["InstallPath"] = c.installpath;
    EXPECT_EQ(c.folder, Text(ProposedFolder(config)));
  }
}

// ---------------------------------------------------------------------------------------------------
// Welcome page: versions and the dated warning.

TEST(WelcomeRulesTest, VersionsCompareWithTheLeadingZeroRule) {
  const struct {
    const char* installed;
    const char* own;
    int order;  // sign of the comparison
  } cases[] = {
      {"8.01", "8.10", -1},
      {"8.01", "10.00", -1},
      {"10.00", "9.50", 1},
      {"9.5", "10.0", -1},
      {"8.10", "8.10", 0},
      {"8.1a", "8.1A", 0},
      {"", "8.00", -1},
      {"8.00", "", 1},
      // No "." in second place, no "0" in front: compared as they are.
      {"8", "10", 1},
      {"10.5", "10.40", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.installed) + " against " + c.own);
    int order = CompareVersions(Str(c.installed), Str(c.own));
    EXPECT_EQ(c.order, (order > 0) - (order < 0));
  }
}

TEST(WelcomeRulesTest, DatedWarningShowsOnlyInItsTime) {
  const char kToday[] = "2024-05-10";
  const struct {
    const char* warning;
    const char* shown;
  } cases[] = {
      {"", ""},
      {"Read this first.", "Read this first."},
      {"ShowOnly=<2000-01-01\nOld news", ""},
      {"ShowOnly=>2000-01-01\nNews", "News"},
      {"showonly=<2024-05-10\nLast day", "Last day"},
      {"SHOWONLY=>2024-05-10\nNot yet", ""},
      {"ShowOnly=>2024-05-09\r\nLine one\r\nLine two", "Line one\r\nLine two"},
      {"ShowOnly==2000-01-01\nAny other operator keeps it", "Any other operator keeps it"},
      {"ShowOnly=<2099-01-01", ""},
      {"ShowOnly=>2000-01-01\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.warning);
    EXPECT_EQ(c.shown, Text(WelcomeWarningToShow(Str(c.warning), kToday)));
  }
}

// ---------------------------------------------------------------------------------------------------
// Agreement text.

TEST(AgreementTextTest, WrapBreaksAfterColumn55AndDoublesLineEnds) {
  const std::string x55(55, 'x'), x56(56, 'x');
  const struct {
    const char* what;
    std::string text;
    std::string wrapped;
  } cases[] = {
      {"empty", "", ""},
      {"a line end after text", "Short line\n", "Short line\r\n\r\n"},
      {"CR LF as LF", "a\r\nb", "a\r\n\r\nb"},
      {"an empty line adds no second one", "a\n\nb", "a\r\n\r\n\r\nb"},
      {"a blank at column 55 stays", x55 + " y", x55 + " y"},
      {"the first blank after column 55", x56 + " y z", x56 + " \r\ny z"},
      {"a hyphen after column 55", x56 + "-y", x56 + "-\r\ny"},
      {"a line that breaks counts anew", x56 + " " + x56 + " y", x56 + " \r\n" + x56 + " \r\ny"},
      {"a word without blanks stays whole", std::string(100, 'x'), std::string(100, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.wrapped, Text(WrapAgreement(Str(c.text))));
  }
}

// The paragraph is long enough to be wrapped on the page; the record joins its lines again.
TEST(AgreementTextTest, RecordHasOneParagraphPerLine) {
  const std::string paragraph =
      "1. Norba grants you a non-exclusive right to install and use the program on the computers of your "
      "organisation in the number of licenses you have acquired.";
  const struct {
    std::string text;
    std::string record;
  } cases[] = {
      {paragraph + "\nShort.\n", paragraph + "\nShort.\n"},
      {paragraph + "\r\nShort.", paragraph + "\nShort."},
      {"a\n\nb\n", "a\nb\n"},  // empty lines do not survive
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.record, Text(AgreementRecord(WrapAgreement(Str(c.text)))));
  }
}

// ---------------------------------------------------------------------------------------------------
// DeleteAfterExtract.

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
  const std::string fields[] = {
      "a.txt",
      "",
      "b.txt",
      "sub/c.txt",
      "notes..txt",
      "missing.txt",
      "..\\outside.txt",
      "sub\\..\\keep.txt",
      dir.Path("absolute.txt"),
      "\\absolute.txt",
      "C:absolute.txt",
      "\\\\server\\share\\keep.txt",
      "sub\\..\\..\\outside.txt",
  };
  std::string list;
  for (const std::string& field : fields) list += (list.empty() ? "" : "|") + field;
  HASH config;
  config["DeleteAfterExtract"] = list.c_str();
  DeleteAfterExtract(config, Str(dir.Path("target")));
  for (const auto& f : files) EXPECT_EQ(f.deleted, !dir.Exists(f.file)) << f.file;
}

// ---------------------------------------------------------------------------------------------------
// DAO 3.6.

std::string OwnProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(PrerequisiteTest, Dao360IsFoundWhereTheRegistryPointsAndAsALibrary) {
  ScratchDir dir;
  // A real library under the names the search looks for (this program's own file), and a file that is not one.
  ASSERT_TRUE(dir.CopyFileTo(OwnProgram(), "shared\\DAO\\dao360.dll"));
  ASSERT_TRUE(dir.CopyFileTo(OwnProgram(), "dao\\dao360.dll"));
  ASSERT_TRUE(dir.WriteText("text\\dao360.dll", "not a library"));
  TestKey tools(UniqueName("Software\\NorbaRulesTest_"));
  const std::string found = dir.Path("dao\\dao360.dll");
  const struct {
    const char* what;
    const char* subkey;
    const char* value;
    std::string data;
    const char* subkey2;  // a second "Path" value, looked at later in the search, or null
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
    ASSERT_TRUE(tools.Set(c.subkey, c.value, c.data));
    if (c.subkey2) {
      ASSERT_TRUE(tools.Set(c.subkey2, "Path", c.data2));
    }
    EXPECT_EQ(c.result, Text(FindDao360(tools.Path().c_str())));
  }
}

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
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.checkdll) + " on " + std::to_string(c.windowsversion));
    EXPECT_EQ(c.met, CheckRequiredLibraries(c.checkdll, c.windowsversion));
  }
}

}  // namespace
