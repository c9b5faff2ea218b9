// Low-level access of the test driver to the windows of another process: messages with a time-out
// (a hung program cannot hang the test), window texts, class names and controls looked up by id.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

// Control id of a message box's text (and of dialog statics declared without an id).
constexpr int kMessageTextId = 0xFFFF;

// SendMessageTimeout that reports whether the window answered in time; the answer goes to *result.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                     DWORD_PTR* result = nullptr);

// The window's text through WM_GETTEXT (the live contents of an edit or combo box); false when the
// window did not answer in time.
bool ReadWindowText(HWND window, DWORD timeoutMs, std::string* text);
// The same as UTF-16, for letters outside the ANSI code page.
bool ReadWindowTextW(HWND window, DWORD timeoutMs, std::wstring* text);

// The text of a combo box item (CB_GETLBTEXT); false when the box did not answer in time.
bool ReadComboItem(HWND combo, int index, DWORD timeoutMs, std::string* text);

// The text the window manager keeps for the window, read without sending a message (for diagnostics).
std::string StoredText(HWND window);

std::string ClassName(HWND window);
bool ClassIs(HWND window, const char* className);

// All descendants of a window (controls of nested pages too), in the window manager's order.
std::vector<HWND> Descendants(HWND window);

// The descendant with the control id, visible ones preferred; nullptr when there is none.
HWND FindControl(HWND window, int id);

// One line per control: id, class, visibility, enabled state and stored text (for failure messages).
std::string DescribeControls(HWND window);

}  // namespace uidriver
