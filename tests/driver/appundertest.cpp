// A program started for an end-to-end test: start through CreateProcessA, waits for windows and exit
// that poll against a deadline, and the failure path that reports and ends the program.
#include "appundertest.h"

#include <gtest/gtest.h>

#include "startedprocess.h"
#include "timeouts.h"
#include "windowaccess.h"

namespace uidriver {

namespace {

// How long the driver waits for a program it ended to be gone.
constexpr DWORD kEndWaitMs = 5000;

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

AppUnderTest::AppUnderTest(const std::string& program, const std::string& arguments, const std::string& workDir,
                           CallSite where)
    : name_(FileNameOf(program)), timeoutMs_(DefaultTimeoutMs()) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // Wine under load now and then fails a start with ERROR_INTERNAL_ERROR; the next attempt works.
  bool created = false;
  for (int attempt = 0; attempt < 3 && !created; attempt++) {
    if (attempt > 0) Sleep(500);
    created = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             workDir.empty() ? nullptr : workDir.c_str(), &startup, &started) != FALSE;
    if (!created && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  if (!created) {
    gaveUp_ = true;
    ADD_FAILURE_AT(where.file, where.line) << "could not start " << commandLine << " in \"" << workDir
                                           << "\": error " << GetLastError();
    return;
  }
  process_.Reset(started.hProcess);
  thread_.Reset(started.hThread);
  processId_ = started.dwProcessId;
}

AppUnderTest::AppUnderTest(const std::string& name, HANDLE process, DWORD processId)
    : name_(name), process_(process), processId_(processId), timeoutMs_(DefaultTimeoutMs()), gaveUp_(!process) {}

AppUnderTest::~AppUnderTest() { End(); }

std::string AppUnderTest::ProgramPath() const { return process_.Valid() ? ProcessProgramPath(process_.Get()) : ""; }

std::unique_ptr<AppUnderTest> AppUnderTest::WaitStartedProgram(const std::string& fileName, DWORD timeoutMs,
                                                               CallSite where) {
  DWORD limit = Limit(timeoutMs);
  Deadline deadline(limit);
  HANDLE process = nullptr;
  DWORD id = 0;
  while (!process && !deadline.Passed()) {
    id = FindStartedProcess(processId_, fileName);
    if (id != 0) process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (!process) Sleep(kPollIntervalMs);
  }
  if (!process)
    ADD_FAILURE_AT(where.file, where.line) << name_ << " started no " << fileName << " within " << limit << " ms";
  // Not the constructor that starts a program: a private one, hence no make_unique.
  return std::unique_ptr<AppUnderTest>(new AppUnderTest(fileName, process, process ? id : 0));
}

bool AppUnderTest::Running() const {
  return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD AppUnderTest::ExitCode() const {
  DWORD code = kEndedByDriver;
  if (process_.Valid() && !GetExitCodeProcess(process_.Get(), &code)) code = kEndedByDriver;
  return code;
}

void AppUnderTest::End() {
  if (!Running()) return;
  TerminateProcess(process_.Get(), kEndedByDriver);
  WaitForSingleObject(process_.Get(), kEndWaitMs);
}

void AppUnderTest::Fail(CallSite where, const std::string& message) {
  if (gaveUp_) return;
  gaveUp_ = true;
  std::string windows = process_.Valid() ? DescribeWindows(ProcessWindows(processId_)) : "";
  End();
  ADD_FAILURE_AT(where.file, where.line) << name_ << ": " << message << "\nWindows of the program then:\n"
                                         << windows;
}

bool AppUnderTest::Await(const std::string& what, const std::function<bool()>& ready, DWORD timeoutMs,
                         CallSite where) {
  if (gaveUp_) return false;
  DWORD limit = Limit(timeoutMs);
  Deadline deadline(limit);
  for (;;) {
    if (ready()) return true;
    if (!Running()) {
      Fail(where, "ended with exit code " + std::to_string(ExitCode()) + " while the test waited for " + what);
      return false;
    }
    if (deadline.Passed()) {
      Fail(where, "waited " + std::to_string(limit) + " ms in vain for " + what);
      return false;
    }
    // Wakes at once when the program ends.
    WaitForSingleObject(process_.Get(), kPollIntervalMs);
  }
}

HWND AppUnderTest::FindWindowMatching(const WindowQuery& query) const {
  for (const WindowInfo& window : ProcessWindows(processId_)) {
    if (query.Matches(window)) return window.hwnd;
  }
  return nullptr;
}

HWND AppUnderTest::FindMessageBox(const std::string& part) const {
  for (const WindowInfo& window : uidriver::VisibleWindows(processId_)) {
    if (!IsMessageBox(window.hwnd)) continue;
    // The static keeps its text in the window manager: no message to a program that may be busy.
    if (StoredText(FindControl(window.hwnd, kMessageTextId)).find(part) != std::string::npos) return window.hwnd;
  }
  return nullptr;
}

UiWindow AppUnderTest::WaitWindow(const WindowQuery& query, DWORD timeoutMs, CallSite where) {
  HWND found = nullptr;
  Await(query.Describe(), [&] { return (found = FindWindowMatching(query)) != nullptr; }, timeoutMs, where);
  return UiWindow(this, found);
}

UiWindow AppUnderTest::WaitMessageBox(const std::string& part, DWORD timeoutMs, CallSite where) {
  HWND found = nullptr;
  std::string what = part.empty() ? "a message box" : "a message box saying \"" + part + "\"";
  Await(what, [&] { return (found = FindMessageBox(part)) != nullptr; }, timeoutMs, where);
  return UiWindow(this, found);
}

std::string AppUnderTest::AnswerMessageBox(int buttonId, const std::string& part, CallSite where) {
  UiWindow box = WaitMessageBox(part, 0, where);
  std::string message = box.MessageText(where);
  if (box.Press(buttonId, where)) box.WaitClosed(where);
  return message;
}

std::vector<WindowInfo> AppUnderTest::VisibleWindows() const { return uidriver::VisibleWindows(processId_); }

DWORD AppUnderTest::WaitExit(DWORD timeoutMs, CallSite where) {
  if (!process_.Valid()) return kEndedByDriver;
  DWORD limit = Limit(timeoutMs);
  if (WaitForSingleObject(process_.Get(), limit) == WAIT_TIMEOUT) {
    Fail(where, "waited " + std::to_string(limit) + " ms in vain for the program to end");
  }
  return ExitCode();
}

bool AppUnderTest::ShowedWindowUntilExit(DWORD timeoutMs, CallSite where) {
  bool shown = false;
  DWORD limit = Limit(timeoutMs);
  Deadline deadline(limit);
  while (Running() && !gaveUp_) {
    shown = shown || !VisibleWindows().empty();
    if (deadline.Passed()) Fail(where, "waited " + std::to_string(limit) + " ms in vain for the program to end");
    WaitForSingleObject(process_.Get(), kPollIntervalMs);
  }
  return shown;
}

}  // namespace uidriver
