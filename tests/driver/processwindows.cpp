// The top-level windows of a process: listing through EnumWindows, matching by caption and class,
// recognising message boxes, and the window list that failure messages carry.
#include "processwindows.h"

#include "windowaccess.h"

namespace uidriver {

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<WindowInfo>* windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId) {
    search->windows->push_back({window, ClassName(window), StoredText(window), IsWindowVisible(window) != FALSE});
  }
  return TRUE;
}

bool IsMessageBoxButton(HWND control) {
  int id = GetDlgCtrlID(control);
  return ClassIs(control, "Button") && id >= IDOK && id <= IDCONTINUE;
}

}  // namespace

std::vector<WindowInfo> ProcessWindows(DWORD processId) {
  std::vector<WindowInfo> windows;
  WindowSearch search = {processId, &windows};
  EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  return windows;
}

std::vector<WindowInfo> VisibleWindows(DWORD processId) {
  std::vector<WindowInfo> visible;
  for (const WindowInfo& window : ProcessWindows(processId)) {
    if (window.visible) visible.push_back(window);
  }
  return visible;
}

std::string DescribeWindows(const std::vector<WindowInfo>& windows) {
  if (windows.empty()) return "  (no windows)\n";
  std::string lines;
  for (const WindowInfo& window : windows) {
    lines += "  " + window.className + " \"" + window.caption + "\"" + (window.visible ? "" : " hidden");
    lines += "\n";
    if (window.visible) lines += DescribeControls(window.hwnd);
  }
  return lines;
}

bool IsMessageBox(HWND window) {
  if (!ClassIs(window, "#32770")) return false;
  bool hasText = false;
  for (HWND control : Descendants(window)) {
    bool isStatic = ClassIs(control, "Static");
    if (isStatic && GetDlgCtrlID(control) == kMessageTextId) hasText = true;
    if (!isStatic && !IsMessageBoxButton(control)) return false;
  }
  return hasText;
}

WindowQuery WindowQuery::Titled(const std::string& caption) {
  WindowQuery query;
  query.caption_ = caption;
  query.wholeCaption_ = true;
  return query;
}

WindowQuery WindowQuery::TitleContains(const std::string& part) {
  WindowQuery query;
  query.caption_ = part;
  return query;
}

WindowQuery WindowQuery::OfClass(const std::string& className) {
  WindowQuery query;
  query.className_ = className;
  return query;
}

WindowQuery& WindowQuery::WithClass(const std::string& className) {
  className_ = className;
  return *this;
}

bool WindowQuery::Matches(const WindowInfo& window) const {
  if (!window.visible) return false;
  if (!className_.empty() && lstrcmpiA(window.className.c_str(), className_.c_str()) != 0) return false;
  if (wholeCaption_) return window.caption == caption_;
  return window.caption.find(caption_) != std::string::npos;
}

std::string WindowQuery::Describe() const {
  std::string what = "a visible window";
  if (wholeCaption_) what += " titled \"" + caption_ + "\"";
  if (!wholeCaption_ && !caption_.empty()) what += " with \"" + caption_ + "\" in its title";
  if (!className_.empty()) what += " of class \"" + className_ + "\"";
  return what;
}

}  // namespace uidriver
