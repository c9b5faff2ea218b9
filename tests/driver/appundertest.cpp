// A program started for an end-to-end test: the start through CreateProcessA, waits that poll against a
// deadline, the failure path that reports and ends the program, and programs found through a process
// snapshot.
#include "appundertest.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "timeouts.h"

namespace uidriver {

namespace {

// How long the driver waits for a program it ended to be gone.
constexpr DWORD kEndWaitMs = 5000;

// The id of a running process that `parentId` started from a program file named `fileName`; 0 if none.
DWORD FindStartedProcess(DWORD parentId, const std::string& fileName) {
  KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot.Valid() && Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID == parentId && lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
      return entry.th32ProcessID;
  }
  return 0;
}

}  // namespace

AppUnderTest::AppUnderTest(const std::string& program, const std::string& arguments, const std::string& workDir,
                           CallSite where)
    : name_(program.substr(program.find_last_of("\\/") + 1)), timeoutMs_(DefaultTimeoutMs()) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::string mutableLine = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // Wine under load now and then fails a start with ERROR_INTERNAL_ERROR; the next attempt works.
  DWORD error = ERROR_INTERNAL_ERROR;
  for (int attempt = 0; attempt < 3 && error == ERROR_INTERNAL_ERROR; attempt++) {
    if (attempt > 0) Sleep(500);
    error = CreateProcessA(program.c_str(), &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           workDir.empty() ? nullptr : workDir.c_str(), &startup, &started)
                ? ERROR_SUCCESS
                : GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    gaveUp_ = true;
    ADD_FAILURE_AT(where.file, where.line) << "could not start " << commandLine << " in \"" << workDir
                                           << "\": error " << error;
    return;
  }
  CloseHandle(started.hThread);
  process_.Reset(started.hProcess);
  processId_ = started.dwProcessId;
}

AppUnderTest::AppUnderTest(const std::string& name, HANDLE process, DWORD processId)
    : name_(name), process_(process), processId_(processId), timeoutMs_(DefaultTimeoutMs()), gaveUp_(!process) {}

std::string AppUnderTest::ProgramPath() const {
  // Newer than the system version the build targets: looked up at run time.
  using QueryName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  auto query = reinterpret_cast<QueryName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  return process_.Valid() && query && query(process_.Get(), 0, path, &size) ? std::string(path, size) : "";
}

DWORD AppUnderTest::ExitCode() const {
  DWORD code = kEndedByDriver;
  return process_.Valid() && GetExitCodeProcess(process_.Get(), &code) ? code : kEndedByDriver;
}

void AppUnderTest::End() {
  if (!Running()) return;
  TerminateProcess(process_.Get(), kEndedByDriver);
  WaitForSingleObject(process_.Get(), kEndWaitMs);
}

bool AppUnderTest::Fail(CallSite where, const std::string& message) {
  if (gaveUp_) return false;
  gaveUp_ = true;
  std::string windows = DescribeWindows(ProcessWindows(processId_));
  End();
  ADD_FAILURE_AT(where.file, where.line) << name_ << ": " << message << "\nWindows of the program then:\n"
                                         << windows;
  return false;
}

bool AppUnderTest::Await(const std::string& what, const std::function<bool()>& ready, DWORD timeoutMs,
                         CallSite where) {
  DWORD limit = timeoutMs != 0 ? timeoutMs : timeoutMs_;
  for (Deadline deadline(limit); !gaveUp_; WaitForSingleObject(process_.Get(), kPollIntervalMs)) {
    // The pause above wakes at once when the program ends.
    if (ready()) return true;
    if (!Running())
      return Fail(where, "ended with exit code " + std::to_string(ExitCode()) + " while the test waited for " + what);
    if (deadline.Passed()) return Fail(where, "waited " + std::to_string(limit) + " ms in vain for " + what);
  }
  return false;
}

UiWindow AppUnderTest::WaitFor(const std::string& what, const std::function<bool(const WindowInfo&)>& matches,
                               DWORD timeoutMs, CallSite where) {
  HWND found = nullptr;
  Await(what, [&] {
    for (const WindowInfo& window : VisibleWindows())
      if (found == nullptr && matches(window)) found = window.hwnd;
    return found != nullptr;
  }, timeoutMs, where);
  return UiWindow(this, found);
}

UiWindow AppUnderTest::WaitWindow(const WindowQuery& query, DWORD timeoutMs, CallSite where) {
  return WaitFor("a visible window titled \"" + query.caption + "\"",
                 [&](const WindowInfo& window) { return window.caption == query.caption; }, timeoutMs, where);
}

UiWindow AppUnderTest::WaitMessageBox(const std::string& part, DWORD timeoutMs, CallSite where) {
  std::string what = part.empty() ? "a message box" : "a message box saying \"" + part + "\"";
  return WaitFor(what, [&](const WindowInfo& window) {
    // The static keeps its text in the window manager: no message to a program that may be busy.
    std::string message = StoredText(FindControl(window.hwnd, kMessageTextId));
    return IsMessageBox(window.hwnd) && message.find(part) != std::string::npos;
  }, timeoutMs, where);
}

std::string AppUnderTest::AnswerMessageBox(int buttonId, const std::string& part, CallSite where) {
  UiWindow box = WaitMessageBox(part, 0, where);
  std::string message = box.MessageText(where);
  if (box.Press(buttonId, where)) box.WaitClosed(where);
  return message;
}

DWORD AppUnderTest::WaitExit(DWORD timeoutMs, CallSite where) {
  Await("the program to end", [&] { return !Running(); }, timeoutMs, where);
  return ExitCode();
}

bool AppUnderTest::ShowedWindowUntilExit(DWORD timeoutMs, CallSite where) {
  bool shown = false;
  Await("the program to end", [&] {
    shown = shown || !VisibleWindows().empty();
    return !Running();
  }, timeoutMs, where);
  return shown;
}

std::unique_ptr<AppUnderTest> AppUnderTest::WaitStartedProgram(const std::string& fileName, DWORD timeoutMs,
                                                               CallSite where) {
  // Not Await: this program may end before or after the start.
  DWORD limit = timeoutMs != 0 ? timeoutMs : timeoutMs_;
  HANDLE process = nullptr;
  DWORD id = 0;
  Deadline deadline(limit);
  while (process == nullptr && !deadline.Passed()) {
    id = FindStartedProcess(processId_, fileName);
    if (id != 0) process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (process == nullptr) Sleep(kPollIntervalMs);
  }
  if (process == nullptr)
    ADD_FAILURE_AT(where.file, where.line) << name_ << " started no " << fileName << " within " << limit << " ms";
  // Not the constructor that starts a program: a private one, hence no make_unique.
  return std::unique_ptr<AppUnderTest>(new AppUnderTest(fileName, process, process ? id : 0));
}

}  // namespace uidriver
