// The top-level windows of a process as the test driver sees them: listing them, matching one by
// caption and class, recognising message boxes, and describing them all for failure messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string className;
  std::string caption;
  bool visible = false;
};

// All top-level windows of the process, hidden ones too, topmost first.
std::vector<WindowInfo> ProcessWindows(DWORD processId);
std::vector<WindowInfo> VisibleWindows(DWORD processId);

// One line per window, followed by the controls of the visible ones.
std::string DescribeWindows(const std::vector<WindowInfo>& windows);

// A system message box: a dialog of statics and IDOK..IDCONTINUE buttons with its message in a static
// of id 0xFFFF. A dialog of a language library with only such statics and buttons would match too.
bool IsMessageBox(HWND window);

// Which visible top-level window to wait for: by caption (exact or a part of it) and/or class.
class WindowQuery {
 public:
  static WindowQuery Titled(const std::string& caption);
  static WindowQuery TitleContains(const std::string& part);
  static WindowQuery OfClass(const std::string& className);
  WindowQuery& WithClass(const std::string& className);

  bool Matches(const WindowInfo& window) const;
  std::string Describe() const;

 private:
  std::string caption_;
  bool wholeCaption_ = false;
  std::string className_;
};

}  // namespace uidriver
