// The wizard frame: its header with the white band and the two separator lines, the walk over the step
// table with the rules for the buttons of the first, middle and last steps, the page loop, and the
// recording and replaying of the pages' answers.
#include "setup/setupdialog.h"

#include "base/osys.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "ids.h"
#include "setup/setupconfig.h"
#include "ui/winnorba.h"

static const char kAssertUnit[] = "setupdialog";
static const int kPageLeftLine = 124;
static const int kPageMissingLine = 201;
static const int kFreeStepLine = 422;
static const int kBackOnFirstLine = 486;
static const int kGoOn = -2;
static const DWORD kReplayShowMs = 250;

namespace {

// The header's white brush, shared by all frames and deleted with the last one.
HBRUSH gHeaderBrush = nullptr;
int gFrames = 0;

HBRUSH HeaderBrush() {
  if (!gHeaderBrush) gHeaderBrush = CreateSolidBrush(RGB(255, 255, 255));
  return gHeaderBrush;
}

bool IsHeaderControl(int id) { return id == IDC_FRAME_TITLE || id == IDC_FRAME_SUBTITLE || id == IDC_FRAME_ICON; }

void SetButtonDefault(HWND button, bool isdefault) {
  SendMessageW(button, BM_SETSTYLE, isdefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

}  // namespace

SETUPDIALOGBOX::SETUPDIALOGBOX(const STRING& title, const STRING& cancelquestion, int, int subtitlefontsize)
    : DATADIALOGBOX(IDD_WIZARD_FRAME, nullptr),
      SubtitleFontSize(subtitlefontsize),
      CancelQuestion(cancelquestion),
      HeaderLine(Handle, IDC_FRAME_HEADER_LINE),
      ButtonLine(Handle, IDC_FRAME_BUTTON_LINE) {
  gFrames++;
  if (!Handle) return;
  SetText(title);
  RECT subtitle = ChildRect(IDC_FRAME_SUBTITLE);
  SetWindowPos(GetDlgItem(Handle, IDC_FRAME_SUBTITLE), nullptr, subtitle.left, subtitle.top + 1, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  CONTROL(Handle, IDC_FRAME_HIDDEN).Show(false);
  RECT band = ChildRect(IDC_FRAME_HEADER_BAND);
  RECT area = ChildRect(IDC_FRAME_PAGE_AREA);
  RECT back = ChildRect(IDC_WIZARD_BACK);
  HeaderLine.Place(0, band.bottom - 1, band.right);
  ButtonLine.Place(0, area.bottom + (back.top - area.bottom) / 4, band.right);
}

SETUPDIALOGBOX::~SETUPDIALOGBOX() {
  AssertCheck(!Page, "!this->pSubDlg", kAssertUnit, kPageLeftLine);
  Page.reset();
  if (TitleFont) DeleteObject(TitleFont);
  if (SubtitleFont) DeleteObject(SubtitleFont);
  if (--gFrames == 0 && gHeaderBrush) {
    DeleteObject(gHeaderBrush);
    gHeaderBrush = nullptr;
  }
}

void SETUPDIALOGBOX::SetUnattended(const HASH* answers, bool hidden) {
  Unattended = answers;
  Hidden = hidden;
}

RECT SETUPDIALOGBOX::ChildRect(int control) const {
  RECT rect = CONTROL(Handle, control).GetWindowRect();
  MapWindowPoints(nullptr, Handle, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// ---------------------------------------------------------------------------------------------------
// Pages

void SETUPDIALOGBOX::SetHeaderFonts() {
  if (!TitleFont) {
    TitleFont = CreatePointFont(Handle, "Arial", 9, true, false);
    SendDlgItemMessageW(Handle, IDC_FRAME_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont), TRUE);
  }
  if (!SubtitleFont && SubtitleFontSize != -1) {
    SubtitleFont = CreatePointFont(Handle, "Arial", SubtitleFontSize, true, false);
    SendDlgItemMessageW(Handle, IDC_FRAME_SUBTITLE, WM_SETFONT, reinterpret_cast<WPARAM>(SubtitleFont), TRUE);
  }
}

bool SETUPDIALOGBOX::CreatePage(const SETUPSTEP& step) {
  CONTROL(Handle, IDC_FRAME_TITLE).SetText(OSYS::GetStringFromResource(step.idtitle));
  CONTROL(Handle, IDC_FRAME_SUBTITLE).SetText(OSYS::GetStringFromResource(step.idsubtitle));
  SetHeaderFonts();
  CONTROL area(Handle, IDC_FRAME_PAGE_AREA);
  area.Show(true);
  RECT rect = ChildRect(IDC_FRAME_PAGE_AREA);
  area.Show(false);

  Page.reset(new DATADIALOG(step.idlayout, Handle, step.module));
  if (!AssertCheck(Page->IsValid(), "this->pSubDlg", kAssertUnit, kPageMissingLine)) {
    Page.reset();
    return false;
  }
  HWND page = Page->GetHandle();
  Page->RemoveStyle(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  SetWindowLongW(page, GWL_EXSTYLE, GetWindowLongW(page, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  SetWindowPos(page, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Page->Show(true);
  return true;
}

void SETUPDIALOGBOX::SetButtons(bool first, bool last) {
  HWND back = GetDlgItem(Handle, IDC_WIZARD_BACK);
  HWND next = GetDlgItem(Handle, IDC_WIZARD_NEXT);
  HWND cancel = GetDlgItem(Handle, IDC_WIZARD_CANCEL);
  if (first) {
    SetButtonDefault(back, false);
    ShowWindow(back, SW_HIDE);
  }
  if (last) {
    ShowWindow(next, SW_HIDE);
    ShowWindow(back, SW_HIDE);
    CONTROL(cancel).SetText(OSYS::GetStringFromResource(IDS_FINISH_BUTTON));
    SetButtonDefault(cancel, true);
    SendMessageW(Handle, DM_SETDEFID, IDC_WIZARD_CANCEL, 0);
  } else {
    if (!first) {
      ShowWindow(back, SW_SHOW);
      SetButtonDefault(back, false);
    }
    ShowWindow(next, SW_SHOW);
    SetButtonDefault(next, true);
    SendMessageW(Handle, DM_SETDEFID, IDC_WIZARD_NEXT, 0);
  }
  ::SetFocus(last ? cancel : next);
}

int SETUPDIALOGBOX::RunPage(DATADIALOG* page) {
  Show(!Hidden);
  if (!page || !page->IsValid()) return PAGE_CANCEL;
  page->TransferToControls();
  int result = Unattended ? ReplayAnswers(page->GetHandle(), page->GetId(), *Unattended) : PAGE_SKIP;
  HWND first = GetNextDlgTabItem(page->GetHandle(), nullptr, FALSE);
  if (first) ::SetFocus(first);
  if (result == PAGE_SKIP && Hidden) {
    // Nobody could press a button on an invisible window.
    logit("SETUPDIALOGBOX::RunPage page %d has no recorded result in a hidden run: the wizard ends\n", page->GetId());
    Abandoned = true;
    return PAGE_CANCEL;
  }
  if (result == PAGE_SKIP)
    result = static_cast<int>(RunModal());
  else if (!Hidden)
    WinSleep(kReplayShowMs);  // long enough to be seen; a hidden run has nobody to see it
  else
    WinProcessMessages(42);
  page->TransferFromControls();
  return result;
}

// ---------------------------------------------------------------------------------------------------
// The walk

int SETUPDIALOGBOX::Move(int result, bool first, bool last, int* index) {
  switch (result) {
    case PAGE_BACK:
      if (AssertCheck(!first, "FALSE", kAssertUnit, kBackOnFirstLine)) (*index)--;
      return kGoOn;
    case PAGE_NEXT:
      (*index)++;
      return kGoOn;
    case PAGE_CANCEL:
      if (last) return 1;
      // Yes goes on with the setup: the same page again.
      return WINNORBA::YesNoMsgBox(Handle, GetText(), CancelQuestion) ? kGoOn : 0;
    default:
      return kGoOn;
  }
}

int SETUPDIALOGBOX::Run(SETUPSTEP* steps, int last, HASH& answers) {
  int previous = PAGE_NEXT;  // the first page that passes itself over goes forward
  Abandoned = false;
  for (int i = 0;;) {
    const SETUPSTEP& step = steps[i];
    // A free record has no page to run: the walk ends there.
    if (!AssertCheck(step.idstep != STEPFREE, "steps[step].idstep!=0", kAssertUnit, kFreeStepLine) ||
        !step.pagefunc)
      return 0;
    bool islast = step.idstep == last;
    if (!CreatePage(step)) return 0;
    SetButtons(i == 0, islast);
    HWND page = Page->GetHandle();
    void* function = reinterpret_cast<void*>(step.pagefunc);
    if (PageHook) PageHook(5, step.idstep, Handle, page, function, step.uservalue);
    int result = step.pagefunc(this, Page.get());
    if (PageHook) PageHook(6, step.idstep, Handle, page, function, result);
    RecordAnswers(page, step.idlayout, answers, result);
    Page.reset();
    if (Abandoned) return 0;
    if (result == PAGE_SKIP) result = previous;
    int ended = Move(result, i == 0, islast, &i);
    if (ended != kGoOn) return ended;
    previous = result;
  }
}

INT_PTR SETUPDIALOGBOX::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CTLCOLORSTATIC && IsHeaderControl(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)))) {
    SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(HeaderBrush());
  }
  if (message == WM_NORBA_FOCUSCONTROL) {
    HWND control = GetDlgItem(Handle, static_cast<int>(wparam));
    if (!control && Page) control = GetDlgItem(Page->GetHandle(), static_cast<int>(wparam));
    if (control) ::SetFocus(control);
    return TRUE;
  }
  // Enter presses Next while Next is there to press.
  if (message == WM_COMMAND && LOWORD(wparam) == IDC_WIZARD_DEFAULT) {
    HWND next = GetDlgItem(Handle, IDC_WIZARD_NEXT);
    if (next && IsWindowVisible(next) && IsWindowEnabled(next)) EndDialog(PAGE_NEXT);
    return TRUE;
  }
  return DATADIALOGBOX::HandleMessage(message, wparam, lparam);
}

// ---------------------------------------------------------------------------------------------------
// Answers

void SETUPDIALOGBOX::RecordAnswers(HWND page, int pageid, HASH& answers, int result) {
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    CONTROL control(child);
    int id = GetDlgCtrlID(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (control.IsClass("Button", BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE) ||
        control.IsClass("Button", BS_AUTO3STATE)) {
      RecordAnswer(answers, pageid, id, ANSWER_CHECKBOX, control.GetCheck());
    } else if (control.IsClass("Button", BS_RADIOBUTTON, BS_AUTORADIOBUTTON)) {
      RecordAnswer(answers, pageid, id, ANSWER_RADIO, control.GetCheck());
    } else if (control.IsClass("Edit") && IsWindowEnabled(child) && !(style & ES_READONLY)) {
      RecordAnswer(answers, pageid, id, ANSWER_EDIT, control.GetText().c_str());
    } else if (control.IsClass("ComboBox") && (style & 3) == CBS_DROPDOWNLIST) {
      RecordAnswer(answers, pageid, id, ANSWER_DROPDOWN, control.GetSelection());
    }
  }
  RecordResult(answers, pageid, result);
}

int SETUPDIALOGBOX::ReplayAnswers(HWND page, int pageid, const HASH& answers) {
  for (int i = 0; i < answers.Count(); i++) {
    int id = 0;
    if (!AnswerControl(answers.GetKey(i), pageid, &id)) continue;
    STRING text;
    ANSWERKIND kind = ParseAnswerValue(answers.GetValue(i), &text);
    CONTROL control(page, id);
    if (kind == ANSWER_RADIO || kind == ANSWER_CHECKBOX)
      control.SetCheck(text.atoi());
    else if (kind == ANSWER_EDIT)
      control.SetText(text);
    else if (kind == ANSWER_DROPDOWN)
      control.SetSelection(text.atoi());
  }
  int result = PAGE_SKIP;
  return AnswerResult(answers, pageid, &result) ? result : PAGE_SKIP;
}
