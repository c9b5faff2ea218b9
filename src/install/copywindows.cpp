// COPYWINDOWS: status text, progress and buttons of the copy step, set from the worker thread by sent and
// posted window messages.
#include "install/copywindows.h"

#include <commctrl.h>

#include "diag/logit.h"
#include "base/osys.h"
#include "base/strings.h"

int ProgressPercent(uint64_t done, uint64_t total) {
  if (total == 0 || done >= total) return 100;
  // done * 100 stays within 64 bits for every real archive; beyond that the total is scaled down instead.
  uint64_t percent = done > UINT64_MAX / 100 ? done / (total / 100) : done * 100 / total;
  return percent < 100 ? static_cast<int>(percent) : 100;
}

HWND COPYWINDOWS::Button(int id) const { return Wizard ? GetDlgItem(Wizard, id) : nullptr; }

void COPYWINDOWS::ShowStatus(int textid) const {
  if (!Page) return;
  WSTRING text(OSYS::GetStringFromResource(textid));
  SendDlgItemMessageW(Page, IDC_COPY_STATUS, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void COPYWINDOWS::SetProgress(int percent) const {
  if (Progress) SendMessageA(Progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void COPYWINDOWS::EnableButton(int id) const {
  HWND button = Button(id);
  if (button) EnableWindow(button, TRUE);
}

void COPYWINDOWS::MakeNextDefault() const {
  HWND next = Button(IDC_WIZARD_NEXT);
  if (next) {
    SendMessageA(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    InvalidateRect(next, nullptr, TRUE);
  }
  if (Wizard) SendMessageA(Wizard, COPYWINDOWS_FOCUSMESSAGE, IDC_WIZARD_NEXT, 0);
}

void COPYWINDOWS::PostNext() const {
  if (!Wizard) return;
  logit("SETUP::ActualCopy posting Next to the wizard\n");
  PostMessageA(Wizard, WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED),
               reinterpret_cast<LPARAM>(Button(IDC_WIZARD_NEXT)));
}
