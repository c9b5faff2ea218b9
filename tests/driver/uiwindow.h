// A window of the program under test and the user's actions on its controls: reading texts, typing into
// edits, checking boxes, choosing combo items and pressing buttons, each with the notifications a user's
// action sends. Controls are found by id among all descendants, so pages nested in a frame work too.
#pragma once

#include <windows.h>

#include <string>

#include "callsite.h"

namespace uidriver {

class AppUnderTest;

// Obtained from AppUnderTest's waits and valid while that object lives. A UiWindow whose wait failed is
// empty: its operations do nothing and report nothing more (the wait already failed the test).
// Every operation first waits for its control to exist (actions: visible and enabled, as a user needs it);
// a control that does not come, a window that closes or a program that stops answering fails the test
// and ends the program.
class UiWindow {
 public:
  explicit UiWindow(AppUnderTest* app = nullptr, HWND window = nullptr) : app_(app), window_(window) {}

  HWND Handle() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }

  std::string Caption() const;
  // Live text of a control (WM_GETTEXT): an edit's contents, a static's text, a combo box's selection.
  std::string ControlText(int id, CallSite where = CallSite::Here()) const;
  // The message of a message box, in ANSI and in UTF-16 (for letters outside the ANSI code page).
  std::string MessageText(CallSite where = CallSite::Here()) const;
  std::wstring MessageTextW(CallSite where = CallSite::Here()) const;
  // Waits until the control's text contains the part (for instance to know which wizard page shows).
  bool WaitControlText(int id, const std::string& part, CallSite where = CallSite::Here()) const;
  bool IsChecked(int id, CallSite where = CallSite::Here()) const;
  bool IsEnabled(int id, CallSite where = CallSite::Here()) const;

  // Replaces an edit's text (WM_SETTEXT; a single-line edit notifies EN_CHANGE as for typing).
  bool SetText(int id, const std::string& text, CallSite where = CallSite::Here());
  // Clicks a check box or radio button when its state differs and waits for the new state; a radio
  // button cannot be cleared by a click (choose another of its group instead).
  bool SetChecked(int id, bool checked, CallSite where = CallSite::Here());
  // Selects a combo box item and notifies CBN_SELCHANGE to the owner, as a user's choice does.
  bool SelectComboIndex(int id, int index, CallSite where = CallSite::Here());
  // Presses a button: BN_CLICKED posted to its parent as a click would be, without waiting for the
  // handler (a button that opens a modal dialog does not block the test). Wait for the press's effect:
  // a window, a control text, the exit.
  bool Press(int id, CallSite where = CallSite::Here());
  // Waits until the window is destroyed or hidden.
  bool WaitClosed(CallSite where = CallSite::Here()) const;

 private:
  HWND Control(int id, bool forAction, CallSite where) const;
  bool Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result, CallSite where) const;
  template <typename Text>
  Text Read(int id, CallSite where) const;
  std::string Name(int id) const;

  AppUnderTest* app_;
  HWND window_;
};

}  // namespace uidriver
