// The wizard frame end to end through wizardprobe.exe on the English library: the buttons of the first,
// middle and last pages, pages that pass themselves over in both directions, the cancel question, Enter,
// the recorded answers of every control kind, and the replay of answer files, visible and hidden.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "ids.h"
#include "uidriver.h"

namespace {

using uidriver::AppUnderTest;
using uidriver::UiWindow;
using uidriver::WindowQuery;

const char kCancelQuestion[] = "Setup is not complete yet";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/wizardprobe.exe", "wizardprobe.exe"));
    ASSERT_TRUE(dir_.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
  }
  std::unique_ptr<AppUnderTest> Start(const std::string& arguments = "") {
    return std::make_unique<AppUnderTest>(dir_.Path("wizardprobe.exe"), "/LANG:ENGL " + arguments, dir_.Root());
  }
  UiWindow Frame(AppUnderTest& app) { return app.WaitWindow(WindowQuery::Titled("Norba Setup")); }
  // Waits for the page that has `control`, then presses `button` of the frame.
  void Press(UiWindow& frame, int control, int button) {
    ASSERT_TRUE(frame.IsEnabled(control));
    ASSERT_TRUE(frame.Press(button));
  }
  std::string Out() { return dir_.ReadText("wizard.out"); }

  uidriver::ScratchDir dir_;
};

// Next through every page (the second passes itself over), Back over it again, Finish on the last page.
TEST_F(WizardTest, ButtonsAndPagesThatPassThemselvesOverKeepTheirDirection) {
  std::unique_ptr<AppUnderTest> app = Start("/SKIP");
  UiWindow frame = Frame(*app);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(frame.Handle(), IDC_WIZARD_BACK)));
  Press(frame, IDC_WELCOME_NEW, IDC_WIZARD_NEXT);
  ASSERT_TRUE(frame.IsEnabled(IDC_FOLDER_EDIT)) << "the shortcuts page passed itself over forwards";
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(frame.Handle(), IDC_WIZARD_BACK)));
  Press(frame, IDC_FOLDER_EDIT, IDC_WIZARD_BACK);
  Press(frame, IDC_WELCOME_NEW, IDC_WIZARD_NEXT);
  Press(frame, IDC_FOLDER_EDIT, IDC_WIZARD_NEXT);
  Press(frame, IDC_USAGE_TERMINAL, IDC_WIZARD_NEXT);
  ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(frame.Handle(), IDC_WIZARD_NEXT)));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));  // no question on the last page
  EXPECT_EQ(1u, app->WaitExit());
  std::string out = Out();
  EXPECT_TRUE(Contains(out, "hook 5 1 11\nhook 6 1 149\n")) << out;
  EXPECT_TRUE(Contains(out, "2005.PUSH=-1")) << out;
  EXPECT_TRUE(Contains(out, "2009.PUSH=0")) << out;
}

// Yes to the cancel question makes the page again (its data go in again); No ends the wizard with 0.
TEST_F(WizardTest, CancelQuestionShowsThePageAgainOrEnds) {
  std::unique_ptr<AppUnderTest> app = Start("/SKIP");
  UiWindow frame = Frame(*app);
  Press(frame, IDC_WELCOME_NEW, IDC_WIZARD_NEXT);
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, "typed"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDYES, kCancelQuestion);
  ASSERT_TRUE(frame.WaitControlText(IDC_FOLDER_EDIT, "C:\\Program Files\\Kiv"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDNO, kCancelQuestion);
  EXPECT_EQ(0u, app->WaitExit());
  EXPECT_TRUE(Contains(Out(), "result=0\n"));
}

// Enter on a page acts as Next; every kind of control is recorded, and the page's own result.
TEST_F(WizardTest, EnterIsNextAndEveryControlKindIsRecorded) {
  std::unique_ptr<AppUnderTest> app = Start();
  UiWindow frame = Frame(*app);
  ASSERT_TRUE(frame.SetChecked(IDC_WELCOME_SAME, true));
  // The key goes to a control of the page, as if it had the focus.
  HWND radio = nullptr;
  for (HWND child = GetWindow(frame.Handle(), GW_CHILD); child && !radio; child = GetWindow(child, GW_HWNDNEXT))
    radio = GetDlgItem(child, IDC_WELCOME_SAME);
  ASSERT_TRUE(radio != nullptr);
  PostMessageW(radio, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(frame.SetChecked(IDC_SHORTCUTS_DESKTOP, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, "D:\\Kiv"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.SelectComboIndex(IDC_USAGE_TERMINAL, 1));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  EXPECT_EQ(1u, app->WaitExit());
  std::string out = Out();
  // The answer file's format doubles a backslash.
  for (const char* line : {"2001.401=RB:0", "2001.402=RB:1", "2001.PUSH=149", "2005.301=CB:1",
                           "2002.201=EF:D:\\\\Kiv", "2017.503=DD:1", "2017.PUSH=149", "folder=D:\\Kiv"})
    EXPECT_TRUE(Contains(out, line)) << line << "\n" << out;
}

// Answer files: every page with its result runs by itself; a page without one waits for the user, or, in
// a hidden run where nobody could, ends the wizard with 0 without showing anything.
TEST_F(WizardTest, ReplayedAnswers) {
  const std::string pages =
      "2001.403=RB:1\r\n2001.PUSH=149\r\n2005.301=CB:1\r\n2005.PUSH=149\r\n2002.201=EF:E:\\Replayed\r\n"
      "2017.503=dd:2\r\n2017.PUSH=149\r\n2009.PUSH=0\r\n";
  ASSERT_TRUE(dir_.WriteText("answers.ini", pages + "2002.PUSH=149\r\n"));
  std::unique_ptr<AppUnderTest> app = Start();
  EXPECT_EQ(1u, app->WaitExit());
  std::string out = Out();
  for (const char* line : {"2001.403=RB:1", "2005.301=CB:1", "folder=E:\\Replayed", "2017.503=DD:2"})
    EXPECT_TRUE(Contains(out, line)) << line << "\n" << out;

  ASSERT_TRUE(dir_.WriteText("answers.ini", pages));  // the folder page has no result
  app = Start();
  UiWindow frame = Frame(*app);
  ASSERT_TRUE(frame.WaitControlText(IDC_FOLDER_EDIT, "E:\\Replayed"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  EXPECT_EQ(1u, app->WaitExit());

  app = Start("/HIDE");
  EXPECT_EQ(0u, app->WaitExit());
  EXPECT_TRUE(app->VisibleWindows().empty());
  EXPECT_TRUE(Contains(Out(), "2002.PUSH=0")) << Out();
}

// A walk that reaches a free record reports it and ends with 0, calling no page function.
TEST_F(WizardTest, AFreeRecordEndsTheWalk) {
  std::unique_ptr<AppUnderTest> app = Start("/NOASSERT /FREE");
  UiWindow frame = Frame(*app);
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  EXPECT_EQ(0u, app->WaitExit());
  EXPECT_TRUE(Contains(Out(), "result=0\n"));
  EXPECT_TRUE(Contains(dir_.ReadText("assert.log"), "steps[step].idstep!=0"));
}

}  // namespace
