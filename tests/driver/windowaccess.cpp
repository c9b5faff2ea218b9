// The windows of another process: lists through EnumWindows and EnumChildWindows (controls of nested
// pages too), texts through SendMessageTimeout, the message-box test and the failure description.
#include "windowaccess.h"

#include <algorithm>
#include <cstdio>

namespace uidriver {

namespace {

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, AddWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool ClassIs(HWND window, const char* name) { return lstrcmpiA(ClassName(window).c_str(), name) == 0; }

// WM_GETTEXT through the ANSI or the wide message function.
template <typename Char>
bool ReadText(HWND window, DWORD timeoutMs, decltype(&SendMessageTimeoutA) send, std::basic_string<Char>* text) {
  DWORD_PTR length = 0;
  if (!send(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return false;
  // WM_GETTEXTLENGTH may overstate the length; the copied count is what counts.
  std::vector<Char> buffer(static_cast<size_t>(length) + 2, Char());
  DWORD_PTR copied = 0;
  LPARAM target = reinterpret_cast<LPARAM>(buffer.data());
  if (!send(window, WM_GETTEXT, buffer.size(), target, SMTO_NORMAL, timeoutMs, &copied)) return false;
  text->assign(buffer.data(), std::min<size_t>(copied, buffer.size() - 1));
  return true;
}

}  // namespace

std::vector<WindowInfo> ProcessWindows(DWORD processId, bool visibleOnly) {
  std::vector<HWND> all;
  EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<WindowInfo> windows;
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    bool visible = IsWindowVisible(window) != FALSE;
    if (owner == processId && (visible || !visibleOnly))
      windows.push_back({window, ClassName(window), StoredText(window), visible});
  }
  return windows;
}

std::string DescribeWindows(const std::vector<WindowInfo>& windows) {
  std::string lines = windows.empty() ? "  (no windows)\n" : "";
  for (const WindowInfo& window : windows) {
    lines += "  " + window.className + " \"" + window.caption + (window.visible ? "\"\n" : "\" hidden\n");
    for (HWND child : window.visible ? Descendants(window.hwnd) : std::vector<HWND>()) {
      char head[128] = {};
      std::snprintf(head, sizeof head, "    id %d %s%s%s \"", GetDlgCtrlID(child), ClassName(child).c_str(),
                    IsWindowVisible(child) ? "" : " hidden", IsWindowEnabled(child) ? "" : " disabled");
      lines += head + StoredText(child) + "\"\n";
    }
  }
  return lines;
}

bool IsMessageBox(HWND window) {
  if (!ClassIs(window, "#32770")) return false;
  bool hasText = false;
  for (HWND control : Descendants(window)) {
    int id = GetDlgCtrlID(control);
    if (ClassIs(control, "Static"))
      hasText = hasText || id == kMessageTextId;
    else if (!ClassIs(control, "Button") || id < IDOK || id > IDCONTINUE)
      return false;
  }
  return hasText;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, DWORD_PTR* result) {
  // Not SMTO_ABORTIFHUNG: a program whose first window took seconds to come up counts as hung for it.
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, result) != 0;
}

bool ReadWindowText(HWND window, DWORD timeoutMs, std::string* text) {
  return ReadText(window, timeoutMs, SendMessageTimeoutA, text);
}

bool ReadWindowText(HWND window, DWORD timeoutMs, std::wstring* text) {
  return ReadText(window, timeoutMs, SendMessageTimeoutW, text);
}

std::string StoredText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND FindControl(HWND window, int id) {
  HWND hidden = nullptr;
  for (HWND child : Descendants(window)) {
    if (GetDlgCtrlID(child) != id) continue;
    if (IsWindowVisible(child)) return child;
    if (hidden == nullptr) hidden = child;
  }
  return hidden;
}

}  // namespace uidriver
