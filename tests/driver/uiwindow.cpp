// A window of the program under test and the user's actions on its controls. Queries are sent with a
// time-out; clicks are posted like the user's and notifications sent without waiting for the handler.
#include "uiwindow.h"

#include "appundertest.h"
#include "windowaccess.h"

namespace uidriver {

std::string UiWindow::Caption() const { return window_ != nullptr ? StoredText(window_) : std::string(); }

std::string UiWindow::Name(int id) const { return "control " + std::to_string(id) + " of \"" + Caption() + "\""; }

HWND UiWindow::Control(int id, bool forAction, CallSite where) const {
  if (window_ == nullptr) return nullptr;
  HWND control = nullptr;
  bool closed = false;
  std::string what = Name(id) + (forAction ? " to be visible and enabled" : "");
  bool found = app_->Await(what, [&] {
    closed = !IsWindow(window_);
    control = closed ? nullptr : FindControl(window_, id);
    return closed || (control != nullptr && (!forAction || (IsWindowVisible(control) && IsWindowEnabled(control))));
  }, 0, where);
  if (found && closed) app_->Fail(where, "the window closed while the test waited for " + what);
  return found ? control : nullptr;
}

bool UiWindow::Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result,
                    CallSite where) const {
  return SendWithTimeout(control, message, wParam, lParam, app_->TimeoutMs(), result) ||
         app_->Fail(where, "no answer to message " + std::to_string(message) + " from " + Name(GetDlgCtrlID(control)));
}

template <typename Text>
Text UiWindow::Read(int id, CallSite where) const {
  HWND control = Control(id, false, where);
  Text text;
  if (control != nullptr && !ReadWindowText(control, app_->TimeoutMs(), &text))
    app_->Fail(where, "no answer to WM_GETTEXT from " + Name(id));
  return text;
}

std::string UiWindow::ControlText(int id, CallSite where) const { return Read<std::string>(id, where); }

std::string UiWindow::MessageText(CallSite where) const { return Read<std::string>(kMessageTextId, where); }

std::wstring UiWindow::MessageTextW(CallSite where) const { return Read<std::wstring>(kMessageTextId, where); }

bool UiWindow::WaitControlText(int id, const std::string& part, CallSite where) const {
  HWND control = Control(id, false, where);
  return control != nullptr && app_->Await(Name(id) + " to contain \"" + part + "\"", [&] {
    std::string text;
    return ReadWindowText(control, app_->TimeoutMs(), &text) && text.find(part) != std::string::npos;
  }, 0, where);
}

bool UiWindow::IsChecked(int id, CallSite where) const {
  HWND control = Control(id, false, where);
  DWORD_PTR state = BST_UNCHECKED;
  return control != nullptr && Send(control, BM_GETCHECK, 0, 0, &state, where) && state == BST_CHECKED;
}

bool UiWindow::IsEnabled(int id, CallSite where) const {
  HWND control = Control(id, false, where);
  return control != nullptr && IsWindowEnabled(control);
}

bool UiWindow::SetText(int id, const std::string& text, CallSite where) {
  HWND control = Control(id, true, where);
  DWORD_PTR done = FALSE;
  return control != nullptr && Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done, where) &&
         (done == TRUE || app_->Fail(where, Name(id) + " refused the text \"" + text + "\""));
}

bool UiWindow::SetChecked(int id, bool checked, CallSite where) {
  HWND control = Control(id, true, where);
  if (control == nullptr || IsChecked(id, where) == checked) return control != nullptr;
  LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  if (!checked && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
    return app_->Fail(where, Name(id) + " is a radio button: choose another one of its group to clear it");
  // Posted like Press, then the new state is awaited.
  if (!PostMessageA(control, BM_CLICK, 0, 0)) return app_->Fail(where, "could not click " + Name(id));
  return app_->Await(Name(id) + (checked ? " to be checked" : " to be cleared"), [&] {
    DWORD_PTR state = BST_UNCHECKED;
    return SendWithTimeout(control, BM_GETCHECK, 0, 0, app_->TimeoutMs(), &state) && (state == BST_CHECKED) == checked;
  }, 0, where);
}

bool UiWindow::SelectComboIndex(int id, int index, CallSite where) {
  HWND combo = Control(id, true, where);
  DWORD_PTR selected = 0;
  if (combo == nullptr || !Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected, where)) return false;
  if (selected != static_cast<DWORD_PTR>(index))
    return app_->Fail(where, Name(id) + " has no item " + std::to_string(index));
  // Sent without waiting for the handler, yet ahead of the test's later queries (sent messages keep
  // their order), so a text the handler sets can be read right after.
  WPARAM command = MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE);
  return SendNotifyMessageA(GetParent(combo), WM_COMMAND, command, reinterpret_cast<LPARAM>(combo)) ||
         app_->Fail(where, "could not notify the selection of " + Name(id));
}

bool UiWindow::Press(int id, CallSite where) {
  HWND button = Control(id, true, where);
  // Posted like the user's click: a modal loop that is still winding down (a message box just answered)
  // ends before the click arrives, instead of handling it inside.
  WPARAM command = MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
  return button != nullptr &&
         (PostMessageA(GetParent(button), WM_COMMAND, command, reinterpret_cast<LPARAM>(button)) ||
          app_->Fail(where, "could not press " + Name(id)));
}

bool UiWindow::WaitClosed(CallSite where) const {
  return window_ != nullptr && app_->Await("\"" + Caption() + "\" to close", [&] {
    return !IsWindow(window_) || !IsWindowVisible(window_);
  }, 0, where);
}

}  // namespace uidriver
