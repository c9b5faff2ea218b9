// COPYWINDOWS: the windows the copy step works on from its worker thread: the wizard with its buttons
// Back, Next and Cancel, the progress bar and the copy page with its status text. Everything goes through
// window messages, so the wizard's thread keeps owning its windows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ids.h"

// Message that asks the wizard to put the keyboard focus on the control in wParam (WM_USER + 9).
#define COPYWINDOWS_FOCUSMESSAGE (WM_USER + 9)

// The percentage of `done` out of `total`, 0 to 100, in 64-bit arithmetic; a total of 0 counts as done.
int ProgressPercent(uint64_t done, uint64_t total);

class COPYWINDOWS {
 public:
  // Any of the windows may be null: what would go to it is then left out.
  COPYWINDOWS(HWND wizard, HWND progress, HWND page) : Wizard(wizard), Progress(progress), Page(page) {}

  HWND GetWizard() const { return Wizard; }
  HWND GetProgress() const { return Progress; }

  // The language library's text `textid` as the page's status text (IDC_COPY_STATUS).
  void ShowStatus(int textid) const;
  // Moves the progress bar to `percent` (0 to 100).
  void SetProgress(int percent) const;
  // One of the wizard's buttons IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_CANCEL.
  void EnableButton(int id) const;
  // Gives Next the default-button style, repaints it and asks the wizard to focus it.
  void MakeNextDefault() const;
  // Posts the wizard a click of Next, as the user's press would.
  void PostNext() const;

 private:
  HWND Button(int id) const;

  HWND Wizard;
  HWND Progress;
  HWND Page;
};
