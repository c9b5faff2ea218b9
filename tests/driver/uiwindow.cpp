// A window of the program under test and the user's actions on its controls. Queries are sent with a
// time-out; clicks are posted like the user's and notifications sent without waiting for the handler.
#include "uiwindow.h"

#include <algorithm>

#include "appundertest.h"
#include "windowaccess.h"

namespace uidriver {

namespace {

bool IsRadioButton(HWND control) {
  LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return ClassIs(control, "Button") && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

std::string JoinQuoted(const std::vector<std::string>& items) {
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "\"" : ", \"") + item + "\"";
  return joined;
}

}  // namespace

UiWindow::UiWindow(AppUnderTest* app, HWND window) : app_(app), window_(window) {}

std::string UiWindow::Caption() const { return window_ != nullptr ? StoredText(window_) : std::string(); }

std::string UiWindow::Name(int id) const {
  return "control " + std::to_string(id) + " of \"" + Caption() + "\"";
}

HWND UiWindow::Control(int id, bool forAction, CallSite where) const {
  if (window_ == nullptr) return nullptr;
  HWND control = nullptr;
  bool closed = false;
  std::string what = Name(id) + (forAction ? " to be visible and enabled" : "");
  bool found = app_->Await(what, [&] {
    closed = !IsWindow(window_);
    if (closed) return true;
    control = FindControl(window_, id);
    if (control == nullptr) return false;
    return !forAction || (IsWindowVisible(control) && IsWindowEnabled(control));
  }, 0, where);
  if (found && closed) app_->Fail(where, "the window closed while the test waited for " + what);
  return found && !closed ? control : nullptr;
}

bool UiWindow::Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result,
                    CallSite where) const {
  if (SendWithTimeout(control, message, wParam, lParam, app_->TimeoutMs(), result)) return true;
  app_->Fail(where, "no answer to message " + std::to_string(message) + " from " + Name(GetDlgCtrlID(control)));
  return false;
}

bool UiWindow::NotifySelectionChange(HWND combo, CallSite where) const {
  // Sent without waiting for the handler, yet ahead of the test's later queries (sent messages keep
  // their order), so a text the handler sets can be read right after.
  WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(combo)), CBN_SELCHANGE);
  if (SendNotifyMessageA(GetParent(combo), WM_COMMAND, command, reinterpret_cast<LPARAM>(combo))) return true;
  app_->Fail(where, "could not notify the selection of " + Name(GetDlgCtrlID(combo)));
  return false;
}

template <typename Char>
std::basic_string<Char> UiWindow::Text(int id, TextReader<Char> read, CallSite where) const {
  HWND control = Control(id, false, where);
  std::basic_string<Char> text;
  if (control != nullptr && !read(control, app_->TimeoutMs(), &text)) {
    app_->Fail(where, "no answer to WM_GETTEXT from " + Name(id));
  }
  return text;
}

std::string UiWindow::ControlText(int id, CallSite where) const { return Text(id, ReadWindowText, where); }

std::wstring UiWindow::ControlTextW(int id, CallSite where) const { return Text(id, ReadWindowTextW, where); }

std::string UiWindow::MessageText(CallSite where) const { return ControlText(kMessageTextId, where); }

std::wstring UiWindow::MessageTextW(CallSite where) const { return ControlTextW(kMessageTextId, where); }

bool UiWindow::WaitControlText(int id, const std::string& part, CallSite where) const {
  HWND control = Control(id, false, where);
  if (control == nullptr) return false;
  return app_->Await(Name(id) + " to contain \"" + part + "\"", [&] {
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

std::vector<std::string> UiWindow::ComboItems(int id, CallSite where) const {
  std::vector<std::string> items;
  HWND combo = Control(id, false, where);
  DWORD_PTR count = 0;
  if (combo == nullptr || !Send(combo, CB_GETCOUNT, 0, 0, &count, where)) return items;
  for (int index = 0; static_cast<DWORD_PTR>(index) < count; ++index) {
    std::string item;
    if (!ReadComboItem(combo, index, app_->TimeoutMs(), &item)) {
      app_->Fail(where, "no answer to CB_GETLBTEXT " + std::to_string(index) + " from " + Name(id));
      break;
    }
    items.push_back(item);
  }
  return items;
}

bool UiWindow::SetText(int id, const std::string& text, CallSite where) {
  HWND control = Control(id, true, where);
  DWORD_PTR done = FALSE;
  if (control == nullptr || !Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done, where)) {
    return false;
  }
  if (done != TRUE) app_->Fail(where, Name(id) + " refused the text \"" + text + "\"");
  return done == TRUE;
}

bool UiWindow::SetChecked(int id, bool checked, CallSite where) {
  HWND control = Control(id, true, where);
  if (control == nullptr) return false;
  if (IsChecked(id, where) == checked) return true;
  if (!checked && IsRadioButton(control)) {
    app_->Fail(where, Name(id) + " is a radio button: choose another one of its group to clear it");
    return false;
  }
  // Posted like Press, then the new state is awaited.
  if (!PostMessageA(control, BM_CLICK, 0, 0)) {
    app_->Fail(where, "could not click " + Name(id));
    return false;
  }
  return app_->Await(Name(id) + (checked ? " to be checked" : " to be cleared"), [&] {
    DWORD_PTR state = BST_UNCHECKED;
    return SendWithTimeout(control, BM_GETCHECK, 0, 0, app_->TimeoutMs(), &state) && (state == BST_CHECKED) == checked;
  }, 0, where);
}

bool UiWindow::SelectComboIndex(int id, int index, CallSite where) {
  HWND combo = Control(id, true, where);
  DWORD_PTR count = 0;
  if (combo == nullptr || !Send(combo, CB_GETCOUNT, 0, 0, &count, where)) return false;
  if (index < 0 || static_cast<DWORD_PTR>(index) >= count) {
    app_->Fail(where, Name(id) + " has " + std::to_string(count) + " items, none at index " + std::to_string(index));
    return false;
  }
  DWORD_PTR selected = 0;
  if (!Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected, where)) return false;
  if (selected != static_cast<DWORD_PTR>(index)) {
    app_->Fail(where, Name(id) + " did not select item " + std::to_string(index));
    return false;
  }
  return NotifySelectionChange(combo, where);
}

bool UiWindow::SelectComboText(int id, const std::string& text, CallSite where) {
  if (window_ == nullptr) return false;
  std::vector<std::string> items = ComboItems(id, where);
  auto item = std::find(items.begin(), items.end(), text);
  if (item == items.end()) {
    app_->Fail(where, Name(id) + " has no item \"" + text + "\"; its items: " + JoinQuoted(items));
    return false;
  }
  return SelectComboIndex(id, static_cast<int>(item - items.begin()), where);
}

bool UiWindow::Press(int id, CallSite where) {
  HWND button = Control(id, true, where);
  if (button == nullptr) return false;
  // Posted like the user's click: a modal loop that is still winding down (a message box just answered)
  // ends before the click arrives, instead of handling it inside.
  WPARAM command = MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
  if (PostMessageA(GetParent(button), WM_COMMAND, command, reinterpret_cast<LPARAM>(button))) return true;
  app_->Fail(where, "could not press " + Name(id));
  return false;
}

bool UiWindow::WaitClosed(CallSite where) const {
  if (window_ == nullptr) return false;
  return app_->Await("\"" + Caption() + "\" to close", [&] {
    return !IsWindow(window_) || !IsWindowVisible(window_);
  }, 0, where);
}

}  // namespace uidriver
