// Tests of the setup hook interface: the choice of the built-in Kiv generation, the insertion of the
// product pages into step tables, and hook libraries with their entry points and arguments.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diag/norbaassert.h"
#include "base/filename.h"
#include "base/hash.h"
#include "base/strings.h"
#include "hooks/kivgeneration.h"
#include "hooks/setuphook.h"
#include "scratchdir.h"
#include "setup/steptable.h"

namespace {

using uidriver::ScratchDir;

std::vector<std::string> gReports;

void Observe(const char* condition, const char* sourcefile, int, const char*) {
  gReports.push_back(std::string(sourcefile) + ": " + condition);
}

std::string FixturePath(const char* name) {
  std::string path = std::string(NORBA_TEST_FIXTURE_DIR) + "\\" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

INT_PTR WINAPI LibraryHook(INT_PTR, INT_PTR, HWND, HWND, void*, INT_PTR) { return 1; }

// Every test starts with the built-in defaults and leaves them behind.
class HookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetupHook = SetupHookDummy;
    NewSetupHook = NewSetupHookDummy;
    gReports.clear();
    AssertSetObserver(Observe);
  }
  void TearDown() override {
    AssertSetObserver(nullptr);
    SetupHook = SetupHookDummy;
    NewSetupHook = NewSetupHookDummy;
  }
  static std::vector<std::string> TakeReports() {
    std::vector<std::string> reports;
    reports.swap(gReports);
    return reports;
  }
};

// ---------------------------------------------------------------------------------------------------
// Choice of the generation.

using HookChoiceTest = HookTest;

int ChooseForVersion(const char* appname, const char* version) {
  NewSetupHook = NewSetupHookDummy;
  HASH config;
  config["AppName"] = appname;
  if (version) config["AppVersion"] = version;
  return ChooseKivHookForInstallation(config);
}

TEST_F(HookChoiceTest, InstallationChoosesTheGenerationByAppVersion) {
  struct {
    const char* version;
    int generation;
  } cases[] = {{"6.0", 6}, {"6.79", 6}, {"6.8", 8},  {"6.9", 8},  {"7", 7},  {"7.5", 7},   {"7.89", 7},
               {"7.9", 8}, {"5.99", 8}, {"8.0", 8},  {"abc", 8},  {"", 8},   {nullptr, 8}, {"-7", 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version ? c.version : "(missing)");
    EXPECT_EQ(c.generation, ChooseForVersion("kiv", c.version));
    EXPECT_EQ(KivHookOf(c.generation), NewSetupHook);
  }
}

TEST_F(HookChoiceTest, InstallationKeepsAHookLibraryAndOtherProducts) {
  EXPECT_EQ(0, ChooseForVersion("Other", "7.5"));
  EXPECT_EQ(NewSetupHookDummy, NewSetupHook);

  NewSetupHook = LibraryHook;
  HASH config;
  config["AppName"] = "KIV";
  config["AppVersion"] = "7.5";
  EXPECT_EQ(0, ChooseKivHookForInstallation(config));
  EXPECT_EQ(LibraryHook, NewSetupHook);

  // A hook library without NewSetupHook: no built-in hook either.
  NewSetupHook = nullptr;
  EXPECT_EQ(0, ChooseKivHookForInstallation(config));
  EXPECT_EQ(nullptr, NewSetupHook);
}

TEST_F(HookChoiceTest, RemovalChoosesByKeyNameAndReplacesAHookLibrary) {
  NewSetupHook = LibraryHook;
  EXPECT_EQ(7, ChooseKivHookForRemoval("kiv7"));
  EXPECT_EQ(NewSetupHookKiv7, NewSetupHook);
  EXPECT_EQ(6, ChooseKivHookForRemoval("KIV6"));
  EXPECT_EQ(NewSetupHookKiv6, NewSetupHook);
  EXPECT_EQ(8, ChooseKivHookForRemoval("Kiv8"));
  EXPECT_EQ(NewSetupHookKiv8, NewSetupHook);

  NewSetupHook = LibraryHook;
  for (const char* key : {"KIV5", "KIV", "KIV8 ", "OtherApp", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(0, ChooseKivHookForRemoval(key));
    EXPECT_EQ(LibraryHook, NewSetupHook);
  }
}

// ---------------------------------------------------------------------------------------------------
// Step tables.

using StepTableTest = HookTest;

// A table from step ids; every record gets the layout 2000 + id so that moved records can be told apart.
std::vector<SETUPSTEP> Table(std::initializer_list<int> ids) {
  std::vector<SETUPSTEP> table;
  for (int id : ids) table.push_back({id, id ? 2900 + id : 0, 0, id ? 2000 + id : 0, nullptr, nullptr, 0});
  return table;
}

// The installation's table: seven pages, seven free records, the closing record.
std::vector<SETUPSTEP> InstallationTable() { return Table({1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 9}); }

std::vector<int> Ids(const std::vector<SETUPSTEP>& table) {
  std::vector<int> ids;
  for (const SETUPSTEP& step : table) ids.push_back(step.idstep);
  return ids;
}

std::vector<int> Layouts(const std::vector<SETUPSTEP>& table) {
  std::vector<int> layouts;
  for (const SETUPSTEP& step : table) layouts.push_back(step.idlayout);
  return layouts;
}

void SendSteps(NEWSETUPHOOKPROC hook, std::vector<SETUPSTEP>& table) {
  EXPECT_EQ(1, hook(NORBA_NSH_STEPS, 0, nullptr, nullptr, nullptr, HookArg(table.data())));
}

TEST_F(StepTableTest, ProductPagesGoBeforeStepAdvOfEightSteps) {
  std::vector<SETUPSTEP> table = Table({1, 2, 3, 4, 5, 6, 8, 7, 0, 0, 0, 9});
  SendSteps(NewSetupHookKiv8, table);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 15, 16, 6, 8, 7, 0, 9}), Ids(table));
  EXPECT_EQ((std::vector<int>{2001, 2002, 2003, 2004, 2005, 2010, 2017, 2006, 2008, 2007, 0, 2009}), Layouts(table));
  EXPECT_EQ(2920, table[5].idtitle);
  EXPECT_EQ(2921, table[5].idsubtitle);
  EXPECT_EQ(2922, table[6].idtitle);
  EXPECT_EQ(2923, table[6].idsubtitle);
  for (int i : {5, 6}) {
    EXPECT_EQ(nullptr, table[i].module);
    EXPECT_NE(nullptr, table[i].pagefunc);
    EXPECT_EQ(0, table[i].uservalue);
  }
  EXPECT_EQ(2906, table[7].idtitle) << "the moved records keep all their fields";
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StepTableTest, EachGenerationInsertsItsPagesInItsOrder) {
  struct {
    NEWSETUPHOOKPROC hook;
    std::vector<int> ids, layouts;
  } cases[] = {
      {NewSetupHookKiv6, {1, 2, 3, 4, 5, 16, 15, 6, 7, 0}, {2001, 2002, 2003, 2004, 2005, 2011, 2010, 2006, 2007, 0}},
      {NewSetupHookKiv7, {1, 2, 3, 4, 5, 15, 16, 6, 7, 0}, {2001, 2002, 2003, 2004, 2005, 2010, 2017, 2006, 2007, 0}},
      {NewSetupHookKiv8, {1, 2, 3, 4, 5, 15, 16, 6, 7, 0}, {2001, 2002, 2003, 2004, 2005, 2010, 2017, 2006, 2007, 0}},
  };
  for (const auto& c : cases) {
    std::vector<SETUPSTEP> table = InstallationTable();
    SendSteps(c.hook, table);
    table.resize(10);
    EXPECT_EQ(c.ids, Ids(table));
    EXPECT_EQ(c.layouts, Layouts(table));
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StepTableTest, OtherEventsLeaveTheTableAlone) {
  std::vector<SETUPSTEP> table = InstallationTable();
  for (int event = 1; event <= 14; event++)
    EXPECT_EQ(1, NewSetupHookKiv8(event, 0, nullptr, nullptr, nullptr, HookArg(table.data())));
  EXPECT_EQ(Ids(InstallationTable()), Ids(table));
}

TEST_F(StepTableTest, InsertionsStopWhenTheTableHasNoRoomLeft) {
  std::vector<SETUPSTEP> table = InstallationTable();
  for (int round = 0; round < 3; round++) SendSteps(NewSetupHookKiv8, table);
  EXPECT_TRUE(TakeReports().empty());
  std::vector<int> full = {1, 2, 3, 4, 5, 15, 16, 15, 16, 15, 16, 6, 7, 0, 9};
  EXPECT_EQ(full, Ids(table)) << "the steps still end at a free record";

  SendSteps(NewSetupHookKiv8, table);
  EXPECT_EQ(std::vector<std::string>{"kivsetuphook8: nfree>=STEPINSERTROOM"}, TakeReports());
  EXPECT_EQ(full, Ids(table));

  std::vector<SETUPSTEP> closed = Table({1, 6, 7, 0, 0, 9});
  SendSteps(NewSetupHookKiv7, closed);
  EXPECT_EQ(std::vector<std::string>{"kivsetuphook7: nfree>=STEPINSERTROOM"}, TakeReports());
  EXPECT_EQ((std::vector<int>{1, 6, 7, 0, 0, 9}), Ids(closed));

  std::vector<SETUPSTEP> nofree = Table({1, 6, 7, 9});
  SendSteps(NewSetupHookKiv7, nofree);
  EXPECT_EQ(std::vector<std::string>{"kivsetuphook7: nfree>=STEPINSERTROOM"}, TakeReports());
  EXPECT_EQ((std::vector<int>{1, 6, 7, 9}), Ids(nofree));
}

TEST_F(StepTableTest, MalformedTablesAreReportedAndLeftUnchanged) {
  struct {
    NEWSETUPHOOKPROC hook;
    std::vector<SETUPSTEP> table;
    const char* report;
  } cases[] = {
      {NewSetupHookKiv8, Table({1, 2, 7, 0, 0, 0, 9}), "kivsetuphook8: steps[idadv].idstep==STEPADV"},
      {NewSetupHookKiv6, Table({1, 2, 7, 0, 6, 0, 0, 9}), "kivsetuphook6: steps[idadv].idstep==STEPADV"},
      {NewSetupHookKiv8, Table({1, 6, 7, 5, 0, 0, 0, 9}), "kivsetuphook8: steps[idend+1].idstep==STEPFINISH"},
      {NewSetupHookKiv7, Table({6, 0, 0, 0, 9}), "kivsetuphook7: steps[idend+1].idstep==STEPFINISH"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.report);
    std::vector<int> before = Ids(c.table);
    SendSteps(c.hook, c.table);
    EXPECT_EQ(std::vector<std::string>{c.report}, TakeReports());
    EXPECT_EQ(before, Ids(c.table));
  }
  NewSetupHookKiv8(NORBA_NSH_STEPS, 0, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(std::vector<std::string>{"kivsetuphook8: steps"}, TakeReports());
}

TEST_F(StepTableTest, TheEndIsTheFirstFreeRecordOrTheClosingRecord) {
  EXPECT_EQ(7, StepTableEnd(InstallationTable().data()));
  EXPECT_EQ(3, StepTableEnd(Table({1, 6, 7, 9}).data()));
  EXPECT_EQ(0, StepTableEnd(Table({0, 6, 7, 0, 9}).data()));
}

// ---------------------------------------------------------------------------------------------------
// Hook libraries.

using HookLibraryTest = HookTest;

// The recorder writes its lines to the file named by NORBA_HOOKRECORD and answers by NORBA_HOOKANSWER.
class Recording {
 public:
  explicit Recording(const char* answers) : path_(dir_.Path("hooks.txt")) {
    SetEnvironmentVariableA("NORBA_HOOKRECORD", path_.c_str());
    SetEnvironmentVariableA("NORBA_HOOKANSWER", answers);
  }
  ~Recording() {
    SetEnvironmentVariableA("NORBA_HOOKRECORD", nullptr);
    SetEnvironmentVariableA("NORBA_HOOKANSWER", nullptr);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    if (!dir_.Exists("hooks.txt")) return lines;
    std::string text = dir_.ReadText("hooks.txt");
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

 private:
  ScratchDir dir_;
  std::string path_;
};

std::string Decimal(const void* p) { return std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(p))); }

TEST_F(HookLibraryTest, EntryPointsOfTheLibraryReceiveEveryArgument) {
  Recording recording("256=0;7");
  HOOKLIBRARY library;
  ASSERT_TRUE(library.Attach(LoadLibraryA(FixturePath("hookrecorder.dll").c_str())));
  EXPECT_TRUE(TakeReports().empty());
  ASSERT_NE(nullptr, SetupHook);
  ASSERT_NE(NewSetupHookDummy, NewSetupHook);

  const char* word = "ADDPRINTER";
  const char* key = "KIV8";
  STRING folder("C:\\ProgramData\\Start Menu\\Kiv", 1252);
  HWND wizard = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  HWND progress = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5678));
  EXPECT_EQ(7, CallSetupHook(NORBA_SH_INSTALL_BEGIN, 0));
  EXPECT_EQ(0, CallSetupHook(NORBA_SH_ADMIN, HookArg(word)));
  EXPECT_EQ(1, CallNewSetupHook(NORBA_NSH_REMOVE_WIZARD, 0, wizard, nullptr, nullptr, HookArg(key)));
  EXPECT_EQ(1, CallNewSetupHook(NORBA_NSH_COPY_BEGIN, 0, wizard, progress, nullptr, 2));
  EXPECT_EQ(1, CallNewSetupHook(NORBA_NSH_SHORTCUTS, 0, nullptr, nullptr, nullptr, HookArg(&folder)));
  EXPECT_EQ(1, CallNewSetupHook(NORBA_NSH_PAGE_AFTER, STEPDIRECTORY, wizard, progress,
                                reinterpret_cast<void*>(LibraryHook), PAGE_NEXT));

  std::vector<std::string> expected = {
      "SetupHook 1 0",
      "SetupHook 256 " + Decimal(word) + " \"ADDPRINTER\"",
      "NewSetupHook 3 0 4660 0 0 " + Decimal(key) + " \"KIV8\"",
      "NewSetupHook 7 0 4660 22136 0 2",
      "NewSetupHook 9 0 0 0 0 " + Decimal(&folder) + " \"C:\\ProgramData\\Start Menu\\Kiv\"",
      "NewSetupHook 6 3 4660 22136 " + Decimal(reinterpret_cast<void*>(LibraryHook)) + " 149",
  };
  EXPECT_EQ(expected, recording.Lines());

  library.Free();
  EXPECT_EQ(nullptr, SetupHook);
  EXPECT_EQ(NewSetupHookDummy, NewSetupHook) << "nothing calls into the freed library";
  EXPECT_EQ(0, CallSetupHook(NORBA_SH_REMOVE_END, 0));
  EXPECT_EQ(expected.size(), recording.Lines().size());
}

TEST_F(HookLibraryTest, ALibraryWithoutSetupHookIsReportedAndKeepsNewSetupHook) {
  HOOKLIBRARY library;
  ASSERT_TRUE(library.Attach(LoadLibraryA(FixturePath("hooknosetup.dll").c_str())));
  EXPECT_EQ(std::vector<std::string>{"main: fpSetupHook"}, TakeReports());
  EXPECT_EQ(nullptr, SetupHook);
  EXPECT_EQ(0, CallSetupHook(NORBA_SH_ADMIN, HookArg("ADDPRINTER")));
  EXPECT_NE(nullptr, NewSetupHook);
  EXPECT_NE(NewSetupHookDummy, NewSetupHook);
}

TEST_F(HookLibraryTest, WithoutALibraryTheDefaultsStay) {
  HOOKLIBRARY library;
  EXPECT_FALSE(library.Load()) << "no SETUPHOOK.dll beside the test program";
  EXPECT_FALSE(library.Attach(nullptr));
  EXPECT_EQ(SetupHookDummy, SetupHook);
  EXPECT_EQ(NewSetupHookDummy, NewSetupHook);
  EXPECT_EQ(1, CallSetupHook(NORBA_SH_ADMIN, HookArg("ADDPRINTER")));
  library.Free();
  EXPECT_EQ(SetupHookDummy, SetupHook) << "freeing without a library changes nothing";
}

// The library is looked for beside the program only when the program's path is a full one.
TEST(HookLibraryPath, BesideTheProgramOrNowhere) {
  const char* cases[][2] = {{"C:\\Kiv\\setup.exe", "C:\\Kiv\\SETUPHOOK.dll"}, {"D:\\setup.exe", "D:\\SETUPHOOK.dll"},
                            {"\\\\srv\\share\\setup.exe", "\\\\srv\\share\\SETUPHOOK.dll"}, {"setup.exe", ""},
                            {"D:setup.exe", ""}, {"\\Kiv\\setup.exe", ""}, {"", ""}};
  for (const auto& c : cases)
    EXPECT_STREQ(c[1], PATHTEXT(HOOKLIBRARY::PathBeside(STRING(c[0], 1252))).c_str()) << c[0];
}

}  // namespace
