// Low-level access of the test driver to the windows of another process: messages with a time-out,
// window texts, class names and controls looked up by id among all descendants.
#include "windowaccess.h"

#include <cstdio>

namespace uidriver {

namespace {

// Bounds of the texts read for diagnostics and class comparisons.
constexpr int kClassNameChars = 256;
constexpr int kStoredTextChars = 1024;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                     DWORD_PTR* result) {
  // Not SMTO_ABORTIFHUNG: a program whose first window took seconds to come up counts as hung for it.
  DWORD_PTR answer = 0;
  LRESULT sent = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer);
  if (result != nullptr) *result = answer;
  return sent != 0;
}

// WM_GETTEXT through the ANSI or the wide message function (SendMessageTimeoutA or W), with a time-out.
template <typename Char>
bool ReadText(HWND window, DWORD timeoutMs, decltype(&SendMessageTimeoutA) send, std::basic_string<Char>* text) {
  DWORD_PTR length = 0;
  if (!send(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return false;
  // WM_GETTEXTLENGTH may overstate the length; the copied count below is what counts.
  std::vector<Char> buffer(static_cast<size_t>(length) + 2, Char());
  DWORD_PTR copied = 0;
  if (!send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, timeoutMs,
            &copied)) {
    return false;
  }
  if (copied >= buffer.size()) copied = buffer.size() - 1;
  text->assign(buffer.data(), static_cast<size_t>(copied));
  return true;
}

bool ReadWindowText(HWND window, DWORD timeoutMs, std::string* text) {
  return ReadText(window, timeoutMs, SendMessageTimeoutA, text);
}

bool ReadWindowTextW(HWND window, DWORD timeoutMs, std::wstring* text) {
  return ReadText(window, timeoutMs, SendMessageTimeoutW, text);
}

bool ReadComboItem(HWND combo, int index, DWORD timeoutMs, std::string* text) {
  DWORD_PTR length = 0;
  WPARAM item = static_cast<WPARAM>(index);
  if (!SendWithTimeout(combo, CB_GETLBTEXTLEN, item, 0, timeoutMs, &length) || static_cast<LRESULT>(length) == CB_ERR) {
    return false;
  }
  // Wine hands an ANSI CB_GETLBTEXT to another process as UTF-16: ask for UTF-16 and convert here.
  // CB_GETLBTEXT takes no buffer size: leave room in case the item changes between the two messages.
  std::vector<WCHAR> wide(static_cast<size_t>(length) * 2 + 64, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL,
                           timeoutMs, &copied) ||
      static_cast<LRESULT>(copied) == CB_ERR) {
    return false;
  }
  wide.back() = L'\0';
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  std::vector<char> ansi(static_cast<size_t>(bytes), '\0');
  if (!WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), bytes, nullptr, nullptr)) return false;
  text->assign(ansi.data());
  return true;
}

std::string StoredText(HWND window) {
  char buffer[kStoredTextChars] = {};
  int length = GetWindowTextA(window, buffer, kStoredTextChars);
  if (length < 0 || length >= kStoredTextChars) length = 0;
  return std::string(buffer, static_cast<size_t>(length));
}

std::string ClassName(HWND window) {
  char buffer[kClassNameChars] = {};
  int length = GetClassNameA(window, buffer, kClassNameChars);
  if (length < 0 || length >= kClassNameChars) length = 0;
  return std::string(buffer, static_cast<size_t>(length));
}

bool ClassIs(HWND window, const char* className) {
  return lstrcmpiA(ClassName(window).c_str(), className) == 0;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
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

std::string DescribeControls(HWND window) {
  std::string lines;
  for (HWND child : Descendants(window)) {
    char head[128] = {};
    std::snprintf(head, sizeof head, "    id %d %s%s%s \"", GetDlgCtrlID(child), ClassName(child).c_str(),
                  IsWindowVisible(child) ? "" : " hidden", IsWindowEnabled(child) ? "" : " disabled");
    lines += head + StoredText(child) + "\"\n";
  }
  return lines;
}

}  // namespace uidriver
