// The wizard frame end to end through wizardprobe.exe on the English library: the buttons of the first,
// middle and last pages, pages that pass themselves over in both directions, the cancel question, Enter,
// the recorded answers of every control kind, and the replay of answer files, visible and hidden.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "ids.h"
#include "testtext.h"
#include "uidriver.h"

namespace {

using testtext::Contains;
using uidriver::AppUnderTest;
using uidriver::UiWindow;

const char kCancelQuestion[] = "Setup is not complete yet";

// The probe in a scratch folder of its own, so that its runs may overlap.
class Probe {
 public:
  Probe() {
    EXPECT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/wizardprobe.exe", "wizardprobe.exe"));
    EXPECT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
  }
  std::unique_ptr<AppUnderTest> Start(const std::string& arguments = "") {
    return std::make_unique<AppUnderTest>(dir.Path("wizardprobe.exe"), "/LANG:ENGL " + arguments, dir.Root());
  }
  static UiWindow Frame(AppUnderTest& app) { return app.WaitWindow(uidriver::WindowQuery::Titled("Norba Setup")); }
  std::string Out() const { return dir.ReadText("wizard.out"); }

  uidriver::ScratchDir dir;
};

bool Visible(UiWindow& frame, int id) { return IsWindowVisible(GetDlgItem(frame.Handle(), id)) != FALSE; }

// Enter on the first page acts as Next, the second page passes itself over, Cancel answered Yes remakes
// the page with its data, Back passes the second page over again, Finish on the last page asks nothing;
// every kind of control is recorded, and the page's own result.
TEST(Wizard, ButtonsEnterCancelQuestionAndPagesThatPassThemselvesOver) {
  Probe probe;
  std::unique_ptr<AppUnderTest> app = probe.Start("/SKIP");
  UiWindow frame = Probe::Frame(*app);
  EXPECT_FALSE(Visible(frame, IDC_WIZARD_BACK));
  ASSERT_TRUE(frame.SetChecked(IDC_WELCOME_SAME, true));
  // The key goes to a control of the page, as if it had the focus.
  HWND radio = nullptr;
  for (HWND child = GetWindow(frame.Handle(), GW_CHILD); child && !radio; child = GetWindow(child, GW_HWNDNEXT))
    radio = GetDlgItem(child, IDC_WELCOME_SAME);
  ASSERT_TRUE(radio != nullptr);
  PostMessageW(radio, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(frame.WaitControlText(IDC_FOLDER_EDIT, "C:\\Program Files\\Kiv")) << "the shortcuts page passed itself over";
  EXPECT_TRUE(Visible(frame, IDC_WIZARD_BACK));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, "typed"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));
  app->AnswerMessageBox(IDYES, kCancelQuestion);
  ASSERT_TRUE(frame.WaitControlText(IDC_FOLDER_EDIT, "C:\\Program Files\\Kiv"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_BACK));
  // The page is made anew: its choice again.
  ASSERT_TRUE(frame.IsEnabled(IDC_WELCOME_NEW) && frame.SetChecked(IDC_WELCOME_SAME, true));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.SetText(IDC_FOLDER_EDIT, "D:\\Kiv") && frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.SelectComboIndex(IDC_USAGE_TERMINAL, 1) && frame.Press(IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.WaitControlText(IDC_WIZARD_CANCEL, "Finish"));
  EXPECT_FALSE(Visible(frame, IDC_WIZARD_NEXT));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_CANCEL));  // no question on the last page
  EXPECT_EQ(1u, app->WaitExit());
  std::string out = probe.Out();
  // The answer file's format doubles a backslash; the page that passed itself over has no result.
  for (const char* part : {"hook 5 1 11\nhook 6 1 149\n", "2001.401=RB:0", "2001.402=RB:1", "2001.PUSH=149",
                           "2005.PUSH=-1", "2002.201=EF:D:\\\\Kiv", "2017.503=DD:1", "2017.PUSH=149", "2009.PUSH=0",
                           "folder=D:\\Kiv"})
    EXPECT_TRUE(Contains(out, part)) << part << "\n" << out;
}

// Answer files: every page with its result runs by itself (the whole replay: the install test); a page
// without one waits for the user, or, in a hidden run where nobody could, ends the wizard with 0 without
// showing anything. The two runs overlap.
TEST(Wizard, ReplayedAnswers) {
  Probe waiting, hidden;
  for (Probe* probe : {&waiting, &hidden})
    ASSERT_TRUE(probe->dir.WriteText("answers.ini", "2001.403=RB:1\r\n2001.PUSH=149\r\n2005.301=CB:1\r\n2005.PUSH=149\r\n"
                                                    "2002.201=EF:E:\\Replayed\r\n2017.503=dd:2\r\n2017.PUSH=149\r\n"
                                                    "2009.PUSH=0\r\n"));
  std::unique_ptr<AppUnderTest> waitingRun = waiting.Start(), hiddenRun = hidden.Start("/HIDE");
  UiWindow frame = Probe::Frame(*waitingRun);
  ASSERT_TRUE(frame.WaitControlText(IDC_FOLDER_EDIT, "E:\\Replayed"));
  ASSERT_TRUE(frame.Press(IDC_WIZARD_NEXT));
  EXPECT_EQ(1u, waitingRun->WaitExit());
  std::string out = waiting.Out();
  for (const char* line : {"2001.403=RB:1", "2005.301=CB:1", "folder=E:\\Replayed", "2017.503=DD:2"})
    EXPECT_TRUE(Contains(out, line)) << line << "\n" << out;

  EXPECT_FALSE(hiddenRun->ShowedWindowUntilExit());
  EXPECT_EQ(0u, hiddenRun->WaitExit());
  EXPECT_TRUE(Contains(hidden.Out(), "2002.PUSH=0")) << hidden.Out();
}

// A walk that reaches a free record ends with 0: it reports it and calls no page function. (No to the
// cancel question: the install test's cancelled run.)
TEST(Wizard, AFreeRecordEndsTheWalkWith0) {
  Probe probe;
  std::unique_ptr<AppUnderTest> app = probe.Start("/NOASSERT /FREE");
  ASSERT_TRUE(Probe::Frame(*app).Press(IDC_WIZARD_NEXT));
  EXPECT_EQ(0u, app->WaitExit());
  EXPECT_TRUE(Contains(probe.Out(), "result=0\n"));
  EXPECT_TRUE(Contains(probe.dir.ReadText("assert.log"), "steps[step].idstep!=0"));
}

}  // namespace
