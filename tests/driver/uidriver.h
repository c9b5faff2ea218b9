// The UI driver of the end-to-end tests: AppUnderTest starts a program and waits for its windows, message
// boxes and exit; UiWindow works a window's controls as a user would; ScratchDir holds the test's files.
// A wait in vain fails the test at the caller's line, lists the program's windows and ends the program.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "callsite.h"
#include "folderlink.h"
#include "ownedhandle.h"
#include "scratchdir.h"
#include "timeouts.h"

namespace uidriver {

class AppUnderTest;

// Which visible top-level window to wait for: the one with this caption.
struct WindowQuery {
  std::string caption;
  static WindowQuery Titled(const std::string& caption) { return {caption}; }
};

// A window from AppUnderTest's waits, valid while that object lives; empty when the wait failed. Controls
// are found by id among all descendants (pages nested in a frame too).
class UiWindow {
 public:
  explicit UiWindow(AppUnderTest* app = nullptr, HWND window = nullptr) : app_(app), window_(window) {}
  HWND Handle() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }

  std::string Caption() const;
  // WM_GETTEXT: an edit's contents, a static's text, a combo box's selection.
  std::string ControlText(int id, CallSite where = CallSite::Here()) const;
  // A message box's message, in ANSI or in UTF-16 (for letters outside the ANSI code page).
  std::string MessageText(CallSite where = CallSite::Here()) const;
  std::wstring MessageTextW(CallSite where = CallSite::Here()) const;
  bool WaitControlText(int id, const std::string& part, CallSite where = CallSite::Here()) const;
  bool IsChecked(int id, CallSite where = CallSite::Here()) const;
  bool IsEnabled(int id, CallSite where = CallSite::Here()) const;

  bool SetText(int id, const std::string& text, CallSite where = CallSite::Here());
  // Clicks only when the state differs, then waits for the new state.
  bool SetChecked(int id, bool checked, CallSite where = CallSite::Here());
  // Selects the item and notifies CBN_SELCHANGE to the owner, as a user's choice does.
  bool SelectComboIndex(int id, int index, CallSite where = CallSite::Here());
  // BN_CLICKED posted, not waiting for the handler (which may open a modal box): wait for its effect.
  bool Press(int id, CallSite where = CallSite::Here());

 private:
  // Waits for the control (for an action: visible and enabled); nullptr after a failure.
  HWND Control(int id, bool forAction, CallSite where) const;
  // Sends the message with a time-out; no answer in time fails the test.
  bool Send(int id, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result, bool forAction,
            CallSite where) const;
  // WM_COMMAND with the code to the control's parent, posted or sent without waiting for the handler.
  bool Notify(int id, WORD code, bool post, CallSite where);
  template <typename Text>
  Text Read(int id, CallSite where) const;
  std::string Name(int id) const;

  AppUnderTest* app_;
  HWND window_;
};

// A program started for a test: owns its process and ends it in the destructor if it still runs.
class AppUnderTest {
 public:
  static constexpr DWORD kEndedByDriver = 0xDEAD;

  // Starts the program (a full path) in the working folder (empty: the test's own); a failed start fails.
  AppUnderTest(const std::string& program, const std::string& arguments, const std::string& workDir,
               CallSite where = CallSite::Here());
  ~AppUnderTest() { End(); }
  AppUnderTest(const AppUnderTest&) = delete;
  AppUnderTest& operator=(const AppUnderTest&) = delete;

  bool Running() const { return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
  std::string ProgramPath() const;
  // Time-out of every wait not given its own (0 below): DefaultTimeoutMs() at first.
  void SetTimeoutMs(DWORD timeoutMs) { timeoutMs_ = timeoutMs; }
  DWORD TimeoutMs() const { return timeoutMs_; }

  UiWindow WaitWindow(const WindowQuery& query, DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // A message box whose message contains the part (any message box when empty).
  UiWindow WaitMessageBox(const std::string& part = "", DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // Presses the box's button (IDOK, IDYES, IDNO...), waits until the box closed, returns its message.
  std::string AnswerMessageBox(int buttonId, const std::string& part = "", CallSite where = CallSite::Here());
  DWORD WaitExit(DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  bool ShowedWindowUntilExit(DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  void End();
  // A program that this one started from a file of that name (any case, no folder: a program that copies
  // itself elsewhere and starts the copy), taken under test; this one may end meanwhile.
  std::unique_ptr<AppUnderTest> WaitStartedProgram(const std::string& fileName, DWORD timeoutMs = 0,
                                                   CallSite where = CallSite::Here());

  // Polls `ready` until it reports true; the program's end or the time-out fails. After one failure
  // the driver gives up on the program: later waits return false and report nothing more.
  bool Await(const std::string& what, const std::function<bool()>& ready, DWORD timeoutMs = 0,
             CallSite where = CallSite::Here());
  // Fails the test with the message and the program's windows and controls, ends the program; false.
  bool Fail(CallSite where, const std::string& message);

 private:
  AppUnderTest(const std::string& name, HANDLE process, DWORD processId);
  UiWindow WaitFor(const std::string& what, const std::function<bool(HWND)>& matches, DWORD timeoutMs,
                   CallSite where);
  DWORD ExitCode() const;

  std::string name_;
  KernelHandle process_;
  DWORD processId_ = 0;
  DWORD timeoutMs_ = DefaultTimeoutMs();
  bool gaveUp_ = false;
};

}  // namespace uidriver
