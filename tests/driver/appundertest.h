// A program started for an end-to-end test: owns its process, waits for its windows, message boxes and
// exit, and ends it in the destructor if it still runs. A wait that times out fails the test, lists the
// program's windows and ends the program, so a test never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "callsite.h"
#include "ownedhandle.h"
#include "uiwindow.h"
#include "windowaccess.h"

namespace uidriver {

// Which visible top-level window to wait for: the one with this caption.
struct WindowQuery {
  std::string caption;
  static WindowQuery Titled(const std::string& caption) { return {caption}; }
};

class AppUnderTest {
 public:
  // Exit code of a program that the driver ended.
  static constexpr DWORD kEndedByDriver = 0xDEAD;

  // Starts the program (a full path) with the arguments in the working folder (empty: the test's own).
  // A start that fails fails the test; the object then behaves as a program that has ended.
  AppUnderTest(const std::string& program, const std::string& arguments, const std::string& workDir,
               CallSite where = CallSite::Here());
  ~AppUnderTest() { End(); }
  AppUnderTest(const AppUnderTest&) = delete;
  AppUnderTest& operator=(const AppUnderTest&) = delete;

  bool Running() const { return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
  DWORD ProcessId() const { return processId_; }
  // The full path of the program's file.
  std::string ProgramPath() const;
  // Exit code, STILL_ACTIVE while the program runs.
  DWORD ExitCode() const;

  // Time-out of every wait that is not given its own (0 below): DefaultTimeoutMs() at first.
  void SetTimeoutMs(DWORD timeoutMs) { timeoutMs_ = timeoutMs; }
  DWORD TimeoutMs() const { return timeoutMs_; }

  // Waits for a visible top-level window of the program that the query matches.
  UiWindow WaitWindow(const WindowQuery& query, DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // Waits for a message box of the program whose message contains the part (any message when empty).
  UiWindow WaitMessageBox(const std::string& part = "", DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // Waits for the message box, presses the button (IDOK, IDYES, IDNO, IDCANCEL...), waits until the box
  // has closed and returns its message.
  std::string AnswerMessageBox(int buttonId, const std::string& part = "", CallSite where = CallSite::Here());
  // The program's visible top-level windows now (to check that none showed).
  std::vector<WindowInfo> VisibleWindows() const { return ProcessWindows(processId_, true); }

  // Waits for the program to end and returns its exit code (kEndedByDriver when the wait timed out).
  DWORD WaitExit(DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // Watches the program until it ends and reports whether it showed any window meanwhile.
  bool ShowedWindowUntilExit(DWORD timeoutMs = 0, CallSite where = CallSite::Here());
  // Ends the program at once if it still runs.
  void End();

  // Waits for a program that this one started, found by the file name of its program (any case, no
  // folder: a program that copies itself elsewhere and starts the copy), and takes it under test as an
  // object of its own. This program may end meanwhile. On time-out the test fails and the result is an
  // object that has ended.
  std::unique_ptr<AppUnderTest> WaitStartedProgram(const std::string& fileName, DWORD timeoutMs = 0,
                                                   CallSite where = CallSite::Here());

  // Polls `ready` until it reports true. The program's end or the time-out fails the test with `what`
  // (what was waited for) and the program's windows, and ends the program; false then. After one such
  // failure the driver gives up on the program: later waits return false and report nothing more.
  bool Await(const std::string& what, const std::function<bool()>& ready, DWORD timeoutMs = 0,
             CallSite where = CallSite::Here());
  // Fails the test with the message and the program's windows, and ends the program; returns false.
  bool Fail(CallSite where, const std::string& message);

 private:
  // A running process taken under test; an object that has ended when `process` is null.
  AppUnderTest(const std::string& name, HANDLE process, DWORD processId);
  // Waits for the first visible top-level window that `matches`.
  UiWindow WaitFor(const std::string& what, const std::function<bool(const WindowInfo&)>& matches, DWORD timeoutMs,
                   CallSite where);

  std::string name_;
  KernelHandle process_;
  DWORD processId_ = 0;
  DWORD timeoutMs_;
  bool gaveUp_ = false;
};

}  // namespace uidriver
