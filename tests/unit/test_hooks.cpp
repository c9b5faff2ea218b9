// Tests of the setup hook interface: the choice of the built-in Kiv generation, step tables without room
// for the product pages or of the wrong shape, and a hook library without SetupHook.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/hash.h"
#include "base/strings.h"
#include "hooks/kivgeneration.h"
#include "hooks/setuphook.h"
#include "setup/steptable.h"

namespace {

using Lines = std::vector<std::string>;

INT_PTR WINAPI LibraryHook(INT_PTR, INT_PTR, HWND, HWND, void*, INT_PTR) { return 1; }

// Every test starts with the built-in defaults and leaves them behind.
class HookTest : public AssertReportsTest {
 protected:
  void SetUp() override {
    AssertReportsTest::SetUp();
    SetupHook = SetupHookDummy;
    NewSetupHook = NewSetupHookDummy;
  }
  void TearDown() override {
    SetUp();
    AssertReportsTest::TearDown();
  }
};

// The installation runs install generations 8, 7 and 6 and remove "KIV8"; here border and bad versions,
// other products, and hook libraries, whose NewSetupHook (or none) stays at installation.
TEST_F(HookTest, GenerationByAppVersionForKivOnlyAndByKeyNameForRemoval) {
  const struct {
    const char* appname;
    const char* version;  // null: no AppVersion key
    int generation;
    NEWSETUPHOOKPROC library = NewSetupHookDummy;  // the NewSetupHook before the choice
  } cases[] = {{"kiv", "6.79", 6}, {"kiv", "6.8", 8}, {"KIV", "7", 7},     {"kiv", "7.89", 7}, {"kiv", "7.9", 8},
               {"kiv", "5.99", 8}, {"kiv", "abc", 8}, {"kiv", nullptr, 8}, {"kiv", "-7", 8},   {"Other", "7.5", 0},
               {"KIV", "7", 0, LibraryHook},         {"KIV", "7", 0, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.appname) + " " + (c.version ? c.version : "(missing)"));
    NewSetupHook = c.library;
    HASH config;
    config["AppName"] = c.appname;
    if (c.version) config["AppVersion"] = c.version;
    EXPECT_EQ(c.generation, ChooseKivHookForInstallation(config));
    EXPECT_EQ(c.generation ? KivHookOf(c.generation) : c.library, NewSetupHook);
  }

  // At removal, a key name that is no generation's keeps a hook library, one that is replaces it.
  for (const char* key : {"KIV5", "KIV8 ", "", static_cast<const char*>(nullptr)}) {
    NewSetupHook = LibraryHook;
    EXPECT_EQ(0, ChooseKivHookForRemoval(key)) << (key ? key : "(null)");
    EXPECT_EQ(LibraryHook, NewSetupHook) << (key ? key : "(null)");
  }
  EXPECT_EQ(7, ChooseKivHookForRemoval("kiv7"));
  EXPECT_EQ(KivHookOf(7), NewSetupHook);
}

// A table from step ids. The installation runs show each generation's pages inserted into the standard
// table, with the records after them moved; here the tables that leave no room or have the wrong shape.
std::vector<SETUPSTEP> Table(std::initializer_list<int> ids) {
  std::vector<SETUPSTEP> table;
  for (int id : ids) table.push_back({id, 0, 0, 0, nullptr, nullptr, 0});
  return table;
}

std::vector<int> Ids(const std::vector<SETUPSTEP>& table) {
  std::vector<int> ids;
  for (const SETUPSTEP& step : table) ids.push_back(step.idstep);
  return ids;
}

void SendSteps(NEWSETUPHOOKPROC hook, std::vector<SETUPSTEP>& table) {
  EXPECT_EQ(1, hook(NORBA_NSH_STEPS, 0, nullptr, nullptr, nullptr, HookArg(table.data())));
}

TEST_F(HookTest, TablesWithoutRoomOrOfTheWrongShapeAreReportedAndLeftUnchanged) {
  // Three insertions of the data folder page (15) and the usage type page (16) before the advertisement
  // fill the installation's table (seven pages, seven free records, the closing record); the steps still
  // end at a free record.
  std::vector<SETUPSTEP> full = Table({1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 9});
  for (int round = 0; round < 3; round++) SendSteps(NewSetupHookKiv8, full);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 15, 16, 15, 16, 15, 16, 6, 7, 0, 9}), Ids(full));
  EXPECT_TRUE(TakeReports().empty());

  struct {
    NEWSETUPHOOKPROC hook;
    std::vector<SETUPSTEP> table;
    const char* report;
  } cases[] = {
      {NewSetupHookKiv8, full, "kivsetuphook8: nfree>=STEPINSERTROOM"},
      {NewSetupHookKiv6, Table({1, 2, 7, 0, 6, 0, 0, 9}), "kivsetuphook6: steps[idadv].idstep==STEPADV"},
      {NewSetupHookKiv8, Table({1, 6, 7, 5, 0, 0, 0, 9}), "kivsetuphook8: steps[idend+1].idstep==STEPFINISH"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.report);
    const std::vector<int> before = Ids(c.table);
    SendSteps(c.hook, c.table);
    EXPECT_EQ(Lines{c.report}, TakeReports());
    EXPECT_EQ(before, Ids(c.table));
  }
  NewSetupHookKiv8(NORBA_NSH_STEPS, 0, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(Lines{"kivsetuphook8: steps"}, TakeReports());
}

// The library's entry points and their arguments are the installation runs' (with the recorder fixture);
// here a library without SetupHook, and that nothing calls into a freed library.
TEST_F(HookTest, ALibraryWithoutSetupHookIsReportedAndNothingCallsIntoItOnceFreed) {
  std::string path = std::string(NORBA_TEST_FIXTURE_DIR) + "\\hooknosetup.dll";
  std::replace(path.begin(), path.end(), '/', '\\');
  HOOKLIBRARY library;
  ASSERT_TRUE(library.Attach(LoadLibraryA(path.c_str())));
  EXPECT_EQ(Lines{"main: fpSetupHook"}, TakeReports());
  EXPECT_EQ(nullptr, SetupHook);
  EXPECT_EQ(0, CallSetupHook(NORBA_SH_ADMIN, HookArg("ADDPRINTER")));
  EXPECT_TRUE(NewSetupHook && NewSetupHook != NewSetupHookDummy);
  library.Free();
  EXPECT_EQ(NewSetupHookDummy, NewSetupHook);
  EXPECT_EQ(nullptr, SetupHook);
}

}  // namespace
