// How the test driver sees the windows of another process: its top-level windows, their controls and
// texts read with a time-out (a hung program cannot hang the test), message boxes told from dialogs, and
// the description of them all that failure messages carry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

// Control id of a message box's text (and of dialog statics declared without an id).
constexpr int kMessageTextId = 0xFFFF;

struct WindowInfo {
  HWND hwnd;
  std::string className;
  std::string caption;
  bool visible;
};

// The process's top-level windows, topmost first; hidden ones too unless `visibleOnly`.
std::vector<WindowInfo> ProcessWindows(DWORD processId, bool visibleOnly = false);
// One line per window, followed by the controls of the visible ones: id, class, state and text.
std::string DescribeWindows(const std::vector<WindowInfo>& windows);
// A system message box: a dialog of statics and IDOK..IDCONTINUE buttons with its message in a static
// of id kMessageTextId. A dialog of a language library with only such statics and buttons would match too.
bool IsMessageBox(HWND window);

// SendMessageTimeout that reports whether the window answered in time; the answer goes to *result.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, DWORD_PTR* result);
// The window's live text (WM_GETTEXT: an edit's contents too), in ANSI or, for letters outside the ANSI
// code page, in UTF-16; false when the window did not answer in time.
bool ReadWindowText(HWND window, DWORD timeoutMs, std::string* text);
bool ReadWindowText(HWND window, DWORD timeoutMs, std::wstring* text);
// The text the window manager keeps for the window, read without a message to a program that may be busy.
std::string StoredText(HWND window);
// The descendant with the control id, visible ones preferred; nullptr when there is none.
HWND FindControl(HWND window, int id);

}  // namespace uidriver
