// Self-test of the UI driver, as far as a broken driver would let other tests pass: its actions must reach
// the uifixture program (which writes what it got), its readers must read, and a wait that cannot succeed
// must fail the test once and end the program in time. And the scratch folder, which must never delete
// what a link in it points to.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "uidriver.h"

using namespace uidriver;

namespace {

enum : int { kEditId = 101, kCheckId, kFirstRadioId, kSecondRadioId, kComboId, kStaticId, kAskId };

// A short time-out for the waits that must fail, and what ending the program may add to it.
constexpr DWORD kShortTimeoutMs = 500;
constexpr DWORD kEndSlackMs = 4000;

std::string Fixture() { return std::string(NORBA_TEST_FIXTURE_DIR) + "/uifixture.exe"; }

TEST(UiDriver, DrivesEveryControlOfAModalDialogAndItsMessageBox) {
  ScratchDir dir;
  AppUnderTest app(Fixture(), "dialog states.txt 17", dir.Root());
  UiWindow dialog = app.WaitWindow(WindowQuery::Titled("Fixture dialog"));
  ASSERT_TRUE(dialog);
  EXPECT_FALSE(app.VisibleWindows().empty());
  EXPECT_TRUE(dialog.IsEnabled(kCheckId));
  EXPECT_TRUE(dialog.SetText(kEditId, "typed text"));
  EXPECT_EQ("typed text", dialog.ControlText(kEditId));
  // Checking twice must not click twice (a click toggles), clearing must clear.
  for (bool checked : {true, true, false, true}) {
    EXPECT_TRUE(dialog.SetChecked(kCheckId, checked));
    EXPECT_EQ(checked, dialog.IsChecked(kCheckId));
  }
  EXPECT_TRUE(dialog.SetChecked(kSecondRadioId, true));
  // The dialog shows the choice only when it gets CBN_SELCHANGE.
  EXPECT_TRUE(dialog.SelectComboIndex(kComboId, 2));
  EXPECT_TRUE(dialog.WaitControlText(kStaticId, "Chosen: Blue"));
  EXPECT_TRUE(dialog.SelectComboIndex(kComboId, 1));
  // "Ask" opens a modal message box over the dialog: pressing it must not block the test.
  EXPECT_TRUE(dialog.Press(kAskId));
  EXPECT_EQ("Fixture question", app.WaitMessageBox("Keep going").Caption());
  EXPECT_EQ("Keep going?", app.AnswerMessageBox(IDNO));
  EXPECT_TRUE(dialog.Press(IDOK));
  EXPECT_EQ(17u, app.WaitExit());
  EXPECT_EQ("edit=typed text\ncheck=1\nradio=104\ncombo=Green\nselchanges=2\nanswer=7\n", dir.ReadText("states.txt"));
}

// Each case fails exactly once inside `act`: later operations there must report nothing more. A wait in
// vain keeps its time-out (plus what ending the program adds); no case lasts half the default time-out.
TEST(UiDriver, AWaitInVainFailsOnceInTimeAndEndsTheProgram) {
  const struct {
    const char* arguments;
    const char* failure;  // a part of the failure message
    std::function<void(AppUnderTest&)> act;
    DWORD exitcode;
  } cases[] = {
      {"hidden 60000 0", "in vain for a visible window titled \"Never shown\"",
       [](AppUnderTest& app) {
         DWORD start = GetTickCount();
         EXPECT_FALSE(app.WaitWindow(WindowQuery::Titled("Never shown"), kShortTimeoutMs));
         EXPECT_GE(GetTickCount() - start, kShortTimeoutMs);
         EXPECT_LT(GetTickCount() - start, kShortTimeoutMs + kEndSlackMs);
         EXPECT_FALSE(app.WaitMessageBox());
       },
       AppUnderTest::kEndedByDriver},
      // The failure lists the windows with their controls.
      {"dialog states.txt 17", "id 105 ComboBox",
       [](AppUnderTest& app) {
         UiWindow dialog = app.WaitWindow(WindowQuery::Titled("Fixture dialog"));
         app.SetTimeoutMs(kShortTimeoutMs);
         EXPECT_FALSE(dialog.Press(999));
         EXPECT_EQ("", dialog.ControlText(kEditId));
       },
       AppUnderTest::kEndedByDriver},
      {"message 0 \"Something else\"", "Something else",
       [](AppUnderTest& app) {
         app.WaitMessageBox();
         app.SetTimeoutMs(kShortTimeoutMs);
         app.AnswerMessageBox(IDOK, "Expected words");
       },
       AppUnderTest::kEndedByDriver},
      // A hidden program runs without windows; its end fails the wait at once.
      {"hidden 1000 7", "ended with exit code 7 while the test waited for a message box",
       [](AppUnderTest& app) {
         EXPECT_TRUE(app.Running() && app.VisibleWindows().empty());
         app.WaitMessageBox();
       },
       7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    AppUnderTest app(Fixture(), c.arguments, "");
    DWORD start = GetTickCount();
    EXPECT_NONFATAL_FAILURE(c.act(app), c.failure);
    EXPECT_LT(GetTickCount() - start, DefaultTimeoutMs() / 2);
    EXPECT_FALSE(app.Running());
    EXPECT_EQ(c.exitcode, app.WaitExit());
  }
}

TEST(UiDriver, AProgramThatCannotStartFailsOnce) {
  EXPECT_NONFATAL_FAILURE(
      {
        AppUnderTest app(Fixture() + ".absent", "", "");
        EXPECT_FALSE(app.WaitWindow(WindowQuery::Titled("Fixture dialog")));
        EXPECT_EQ(AppUnderTest::kEndedByDriver, app.WaitExit());
      },
      "could not start");
}

// The folder goes with everything in it, read-only files too; links in it go as links, and what they point
// to stays, an empty folder too (which a RemoveDirectory that follows the link would take).
TEST(ScratchDirTest, FilesGoInAFreshFolderThatGoesWithAllItHoldsButNotWhatLinksPointTo) {
  ScratchDir outside;
  ASSERT_TRUE(outside.WriteText("keep\\precious.txt", "precious") && outside.MakeFolder("empty"));
  std::string root;
  {
    ScratchDir dir;
    root = dir.Root();
    EXPECT_NE(outside.Root(), root);
    EXPECT_TRUE(dir.WriteText("sub/deeper\\note.txt", "line 1\r\nline 2\n"));
    EXPECT_TRUE(dir.CopyFileTo(dir.Path("sub\\deeper\\note.txt"), "copy\\note.txt"));
    EXPECT_EQ("line 1\r\nline 2\n", dir.ReadText("copy/note.txt"));
    EXPECT_FALSE(dir.Exists("absent.txt"));
    EXPECT_NONFATAL_FAILURE(dir.ReadText("absent.txt"), "could not read");
    EXPECT_NONFATAL_FAILURE(dir.CopyFrom(dir.Root(), {"absent.exe"}), "could not copy");
    EXPECT_TRUE(SetFileAttributesA(dir.Path("copy\\note.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(MakeFolderLink(outside.Path("keep"), dir.Path("link")));
    EXPECT_TRUE(MakeFolderLink(outside.Path("empty"), dir.Path("sub\\emptylink")));
    EXPECT_EQ("precious", dir.ReadText("link\\precious.txt"));
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.c_str()));
  EXPECT_EQ("precious", outside.ReadText("keep\\precious.txt"));
  EXPECT_TRUE(outside.Exists("empty"));
}

}  // namespace
