// Self-test of the UI driver: drives the uifixture program through every driver operation and checks what
// the program reports back (exit code, written file). A wait that times out must fail the test and end
// the program within its time-out, never hang.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "uidriver.h"

using namespace uidriver;

namespace {

// Controls of the fixture's dialog.
constexpr int kEditId = 101;
constexpr int kCheckId = 102;
constexpr int kFirstRadioId = 103;
constexpr int kSecondRadioId = 104;
constexpr int kComboId = 105;
constexpr int kStaticId = 106;
constexpr int kAskId = 107;

// A short time-out for the cases that must time out, and what ending the program may add to it.
constexpr DWORD kShortTimeoutMs = 1000;
constexpr DWORD kEndSlackMs = 4000;

std::string Fixture() { return std::string(NORBA_TEST_FIXTURE_DIR) + "/uifixture.exe"; }

DWORD MsSince(DWORD start) { return GetTickCount() - start; }

class UiDriverTest : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(UiDriverTest, DrivesEveryControlOfAModalDialog) {
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_FIXTURE_DIR, {"uifixture.exe"}));
  AppUnderTest app(dir.Path("uifixture.exe"), "dialog states.txt 17", dir.Path());
  UiWindow dialog = app.WaitWindow(WindowQuery::Titled("Fixture dialog").WithClass("#32770"));
  ASSERT_TRUE(dialog);
  EXPECT_FALSE(IsMessageBox(dialog.Handle()));
  EXPECT_EQ("initial", dialog.ControlText(kEditId));
  EXPECT_EQ("Nothing chosen", dialog.ControlText(kStaticId));
  EXPECT_EQ((std::vector<std::string>{"Red", "Green", "Blue"}), dialog.ComboItems(kComboId));
  EXPECT_TRUE(dialog.IsChecked(kFirstRadioId));

  EXPECT_TRUE(dialog.SetText(kEditId, "typed text"));
  EXPECT_EQ("typed text", dialog.ControlText(kEditId));
  // Checking twice must not click twice (a click toggles), clearing must clear.
  EXPECT_TRUE(dialog.SetChecked(kCheckId, true));
  EXPECT_TRUE(dialog.SetChecked(kCheckId, true));
  EXPECT_TRUE(dialog.IsChecked(kCheckId));
  EXPECT_TRUE(dialog.SetChecked(kCheckId, false));
  EXPECT_FALSE(dialog.IsChecked(kCheckId));
  EXPECT_TRUE(dialog.SetChecked(kCheckId, true));
  // Choosing the second radio button clears the first, as a click does.
  EXPECT_TRUE(dialog.SetChecked(kSecondRadioId, true));
  EXPECT_FALSE(dialog.IsChecked(kFirstRadioId));

  // The dialog shows the choice only when it gets CBN_SELCHANGE.
  EXPECT_TRUE(dialog.SelectComboText(kComboId, "Blue"));
  EXPECT_TRUE(dialog.WaitControlText(kStaticId, "Chosen: Blue"));
  EXPECT_TRUE(dialog.SelectComboIndex(kComboId, 1));
  EXPECT_TRUE(dialog.WaitControlText(kStaticId, "Chosen: Green"));
  EXPECT_EQ("Green", dialog.ControlText(kComboId));

  // "Ask" opens a modal message box over the dialog: pressing it must not block the test.
  EXPECT_TRUE(dialog.Press(kAskId));
  UiWindow question = app.WaitMessageBox("Keep going");
  EXPECT_TRUE(IsMessageBox(question.Handle()));
  EXPECT_EQ("Fixture question", question.Caption());
  EXPECT_EQ("Keep going?", app.AnswerMessageBox(IDYES));

  EXPECT_TRUE(dialog.Press(IDOK));
  EXPECT_EQ(17u, app.WaitExit());
  EXPECT_EQ("edit=typed text\ncheck=1\nradio=104\ncombo=Green\nselchanges=2\nanswer=6\n",
            dir.ReadText("states.txt"));
}

TEST_F(UiDriverTest, CancelClosesTheDialogWithoutWriting) {
  AppUnderTest app(Fixture(), "dialog states.txt 17", dir.Path());
  UiWindow dialog = app.WaitWindow(WindowQuery::TitleContains("dialog"));
  EXPECT_TRUE(dialog.Press(IDCANCEL));
  EXPECT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(static_cast<DWORD>(IDCANCEL), app.WaitExit());
  EXPECT_FALSE(dir.Exists("states.txt"));
}

TEST_F(UiDriverTest, AnswersAMessageBoxWithTheChosenButton) {
  for (int button : {IDYES, IDNO, IDCANCEL}) {
    SCOPED_TRACE(button);
    AppUnderTest app(Fixture(), "message 3 \"Save the changes?\"", dir.Path());
    UiWindow box = app.WaitMessageBox("Save the");
    EXPECT_EQ("Fixture message", box.Caption());
    EXPECT_EQ("Save the changes?", box.MessageText());
    EXPECT_TRUE(box.Press(button));
    EXPECT_EQ(static_cast<DWORD>(button), app.WaitExit());
  }
}

TEST_F(UiDriverTest, AHiddenProgramShowsNoWindowAndItsExitCodeArrives) {
  AppUnderTest app(Fixture(), "hidden 1500 23", dir.Path());
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(app.VisibleWindows().empty()) << DescribeWindows(app.VisibleWindows());
  EXPECT_EQ(23u, app.WaitExit());
  EXPECT_FALSE(app.Running());
}

TEST_F(UiDriverTest, AWindowThatNeverShowsFailsAndEndsTheProgramInTime) {
  AppUnderTest app(Fixture(), "hidden 60000 0", dir.Path());
  app.SetTimeoutMs(kShortTimeoutMs);
  DWORD start = GetTickCount();
  EXPECT_NONFATAL_FAILURE(app.WaitWindow(WindowQuery::Titled("Never shown")),
                          "in vain for a visible window titled \"Never shown\"");
  EXPECT_GE(MsSince(start), kShortTimeoutMs);
  EXPECT_LT(MsSince(start), kShortTimeoutMs + kEndSlackMs);
  EXPECT_FALSE(app.Running());
  // The driver has given up on the program: no second failure, the exit code says who ended it.
  EXPECT_EQ(AppUnderTest::kEndedByDriver, app.WaitExit());
}

TEST_F(UiDriverTest, AProgramThatDoesNotEndFailsWaitExitInTime) {
  AppUnderTest app(Fixture(), "hidden 60000 0", dir.Path());
  DWORD start = GetTickCount();
  DWORD code = 0;
  EXPECT_NONFATAL_FAILURE(code = app.WaitExit(kShortTimeoutMs), "in vain for the program to end");
  EXPECT_LT(MsSince(start), kShortTimeoutMs + kEndSlackMs);
  EXPECT_EQ(AppUnderTest::kEndedByDriver, code);
  EXPECT_FALSE(app.Running());
}

TEST_F(UiDriverTest, AMissingControlFailsWithTheWindowsControlsAndEndsTheProgram) {
  AppUnderTest app(Fixture(), "dialog states.txt 17", dir.Path());
  UiWindow dialog = app.WaitWindow(WindowQuery::Titled("Fixture dialog"));
  ASSERT_TRUE(dialog);
  app.SetTimeoutMs(kShortTimeoutMs);
  EXPECT_NONFATAL_FAILURE(dialog.Press(999), "id 105 ComboBox");
  EXPECT_FALSE(app.Running());
  // Later operations on the window report nothing more.
  EXPECT_EQ("", dialog.ControlText(kEditId));
}

TEST_F(UiDriverTest, AMessageBoxWithOtherTextIsNotAnswered) {
  AppUnderTest app(Fixture(), "message 0 \"Something else\"", dir.Path());
  app.SetTimeoutMs(kShortTimeoutMs);
  EXPECT_NONFATAL_FAILURE(app.AnswerMessageBox(IDOK, "Expected words"), "Something else");
  EXPECT_EQ(AppUnderTest::kEndedByDriver, app.WaitExit());
}

TEST_F(UiDriverTest, AProgramThatEndsEarlyFailsTheWaitAtOnce) {
  AppUnderTest app(Fixture(), "hidden 0 7", dir.Path());
  DWORD start = GetTickCount();
  EXPECT_NONFATAL_FAILURE(app.WaitMessageBox(), "ended with exit code 7 while the test waited for a message box");
  EXPECT_LT(MsSince(start), app.TimeoutMs() / 2);
  EXPECT_EQ(7u, app.WaitExit());
}

TEST_F(UiDriverTest, AProgramThatCannotStartFailsOnceAndLaterWaitsReturn) {
  EXPECT_NONFATAL_FAILURE(
      {
        AppUnderTest app(dir.Path("absent.exe"), "", dir.Path());
        EXPECT_FALSE(app.Running());
        EXPECT_FALSE(app.WaitWindow(WindowQuery::OfClass("#32770")));
        EXPECT_EQ(AppUnderTest::kEndedByDriver, app.WaitExit());
      },
      "could not start");
}

TEST_F(UiDriverTest, TheDestructorEndsAProgramThatStillRuns) {
  DWORD processId = 0;
  {
    AppUnderTest app(Fixture(), "hidden 60000 0", dir.Path());
    ASSERT_TRUE(app.Running());
    processId = app.ProcessId();
  }
  KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  EXPECT_TRUE(!process.Valid() || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0);
}

TEST(ScratchDirTest, FilesGoInAFreshFolderThatGoesWithAllItHolds) {
  std::string root;
  {
    ScratchDir dir;
    ScratchDir other;
    EXPECT_NE(dir.Root(), other.Root());
    root = dir.Root();
    EXPECT_TRUE(dir.WriteText("sub\\deeper\\note.txt", "line 1\r\nline 2\n"));
    EXPECT_EQ("line 1\r\nline 2\n", dir.ReadText("sub/deeper/note.txt"));
    EXPECT_TRUE(dir.CopyFileTo(dir.Path("sub\\deeper\\note.txt"), "copy\\note.txt"));
    EXPECT_TRUE(dir.MakeFolder("empty\\folder"));
    EXPECT_TRUE(dir.Exists("copy\\note.txt"));
    EXPECT_TRUE(dir.Exists("empty\\folder"));
    EXPECT_FALSE(dir.Exists("absent.txt"));
    SetFileAttributesA(dir.Path("copy\\note.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.c_str()));
}

TEST(ScratchDirTest, MissingFilesFailTheTest) {
  ScratchDir dir;
  EXPECT_NONFATAL_FAILURE(dir.ReadText("absent.txt"), "could not read");
  EXPECT_NONFATAL_FAILURE(dir.CopyFrom(dir.Root(), {"absent.exe"}), "could not copy");
}

TEST(ScratchDirTest, ALinkedFolderGoesAsALinkAndWhatItPointsToStays) {
  ScratchDir outside;
  ASSERT_TRUE(outside.WriteText("keep\\precious.txt", "precious"));
  ASSERT_TRUE(outside.MakeFolder("empty"));
  std::string root;
  {
    ScratchDir dir;
    root = dir.Root();
    if (!MakeFolderLink(outside.Path("keep"), dir.Path("link"))) GTEST_SKIP() << "no folder links here";
    ASSERT_TRUE(dir.MakeFolder("sub"));
    ASSERT_TRUE(MakeFolderLink(outside.Path("empty"), dir.Path("sub\\emptylink")));
    ASSERT_TRUE(dir.Exists("link\\precious.txt"));
    ASSERT_TRUE(dir.WriteText("own.txt", "mine"));
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.c_str()));
  EXPECT_EQ("precious", outside.ReadText("keep\\precious.txt"));
  EXPECT_TRUE(outside.Exists("empty"));
}

}  // namespace
