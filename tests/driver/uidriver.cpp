// The UI driver: programs started through CreateProcessA, their windows found through EnumWindows and
// EnumChildWindows, texts and queries sent with a time-out (a hung program cannot hang the test), clicks
// posted like the user's, and the one failure path that reports the windows and ends the program.
#include "uidriver.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <vector>

// Newer than the system version the build targets, hence not declared.
extern "C" BOOL WINAPI QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR path, PDWORD size);

namespace uidriver {

namespace {

// Control id of a message box's text.
constexpr int kMessageTextId = 0xFFFF;

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Top-level windows of the process (parent nullptr), or the descendants of a window.
std::vector<HWND> Windows(HWND parent, DWORD processId = 0, bool visibleOnly = false) {
  std::vector<HWND> all, windows;
  LPARAM list = reinterpret_cast<LPARAM>(&all);
  parent ? EnumChildWindows(parent, AddWindow, list) : EnumWindows(AddWindow, list);
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((parent || owner == processId) && (!visibleOnly || IsWindowVisible(window))) windows.push_back(window);
  }
  return windows;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The text the window manager keeps, read without a message to a program that may be busy.
std::string StoredText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// One line per visible window of the process, followed by its controls' ids, classes and texts.
std::string DescribeWindows(DWORD processId) {
  std::string lines;
  for (HWND window : Windows(nullptr, processId, true)) {
    lines += "  \"" + StoredText(window) + "\"\n";
    for (HWND child : Windows(window))
      lines += "    " + std::to_string(GetDlgCtrlID(child)) + " " + ClassName(child) + " " + StoredText(child) + "\n";
  }
  return lines.empty() ? "  (none)\n" : lines;
}

// A system message box: a dialog of statics and IDOK..IDCONTINUE buttons, its message in kMessageTextId.
bool IsMessageBox(HWND window) {
  bool hasText = false;
  for (HWND control : Windows(window)) {
    std::string name = ClassName(control);
    int id = GetDlgCtrlID(control);
    if (lstrcmpiA(name.c_str(), "Static") == 0)
      hasText = hasText || id == kMessageTextId;
    else if (lstrcmpiA(name.c_str(), "Button") != 0 || id < IDOK || id > IDCONTINUE)
      return false;
  }
  return hasText && ClassName(window) == "#32770";
}

// The descendant with the control id, visible ones preferred; nullptr when there is none.
HWND FindControl(HWND window, int id) {
  HWND hidden = nullptr;
  for (HWND child : Windows(window)) {
    if (GetDlgCtrlID(child) != id) continue;
    if (IsWindowVisible(child)) return child;
    if (hidden == nullptr) hidden = child;
  }
  return hidden;
}

// WM_GETTEXT through the ANSI or (for letters outside the ANSI code page) the wide message function.
template <typename Char>
bool ReadText(HWND window, DWORD timeoutMs, std::basic_string<Char>* text) {
  auto send = sizeof(Char) == 1 ? SendMessageTimeoutA : SendMessageTimeoutW;
  DWORD_PTR length = 0, copied = 0;
  if (!send(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return false;
  // WM_GETTEXTLENGTH may overstate the length: the text ends at its NUL.
  std::vector<Char> buffer(static_cast<size_t>(length) + 2, Char());
  LPARAM target = reinterpret_cast<LPARAM>(buffer.data());
  if (!send(window, WM_GETTEXT, buffer.size(), target, SMTO_NORMAL, timeoutMs, &copied)) return false;
  text->assign(buffer.data());
  return true;
}

}  // namespace

AppUnderTest::AppUnderTest(const std::string& program, const std::string& arguments, const std::string& workDir,
                           CallSite where)
    : name_(program.substr(program.find_last_of("\\/") + 1)) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // Wine under load now and then fails a start with ERROR_INTERNAL_ERROR; the next attempt works.
  DWORD error = ERROR_INTERNAL_ERROR;
  for (int attempt = 0; attempt < 3 && error == ERROR_INTERNAL_ERROR; attempt++) {
    if (attempt > 0) Sleep(500);
    std::string line = commandLine;
    error = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                           workDir.empty() ? nullptr : workDir.c_str(), &startup, &started)
                ? ERROR_SUCCESS
                : GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    Fail(where, "could not start " + commandLine + " in \"" + workDir + "\": error " + std::to_string(error));
    return;
  }
  CloseHandle(started.hThread);
  process_.Reset(started.hProcess);
  processId_ = started.dwProcessId;
}

AppUnderTest::AppUnderTest(const std::string& name, HANDLE process, DWORD processId)
    : name_(name), process_(process), processId_(processId), gaveUp_(!process) {}

std::string AppUnderTest::ProgramPath() const {
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  return process_.Valid() && QueryFullProcessImageNameA(process_.Get(), 0, path, &size) ? std::string(path, size) : "";
}

DWORD AppUnderTest::ExitCode() const {
  DWORD code = kEndedByDriver;
  return process_.Valid() && GetExitCodeProcess(process_.Get(), &code) ? code : kEndedByDriver;
}

void AppUnderTest::End() {
  if (!Running()) return;
  TerminateProcess(process_.Get(), kEndedByDriver);
  WaitForSingleObject(process_.Get(), 5000);
}

bool AppUnderTest::Fail(CallSite where, const std::string& message) {
  if (gaveUp_) return false;
  gaveUp_ = true;
  std::string windows = DescribeWindows(processId_);
  End();
  ADD_FAILURE_AT(where.file, where.line) << name_ << ": " << message << "\nWindows of the program then:\n"
                                         << windows;
  return false;
}

bool AppUnderTest::Await(const std::string& what, const std::function<bool()>& ready, DWORD timeoutMs,
                         CallSite where) {
  DWORD limit = timeoutMs != 0 ? timeoutMs : timeoutMs_;
  bool done = false;
  bool ended = !gaveUp_ && PollUntil(limit, [&] { return (done = ready()) || !Running(); });
  // The program may end between the two checks: what it left behind is looked at once more.
  if (ended && !done) done = ready();
  if (done || gaveUp_) return done;
  return Fail(where, ended ? "ended with exit code " + std::to_string(ExitCode()) + " while the test waited for " + what
                           : "waited " + std::to_string(limit) + " ms in vain for " + what);
}

UiWindow AppUnderTest::WaitFor(const std::string& what, const std::function<bool(HWND)>& matches, DWORD timeoutMs,
                               CallSite where) {
  HWND found = nullptr;
  Await(what, [&] {
    for (HWND window : Windows(nullptr, processId_, true))
      if (found == nullptr && matches(window)) found = window;
    return found != nullptr;
  }, timeoutMs, where);
  return UiWindow(this, found);
}

UiWindow AppUnderTest::WaitWindow(const WindowQuery& query, DWORD timeoutMs, CallSite where) {
  return WaitFor("a visible window titled \"" + query.caption + "\"",
                 [&](HWND window) { return StoredText(window) == query.caption; }, timeoutMs, where);
}

UiWindow AppUnderTest::WaitMessageBox(const std::string& part, DWORD timeoutMs, CallSite where) {
  return WaitFor(part.empty() ? "a message box" : "a message box saying \"" + part + "\"", [&](HWND window) {
    return IsMessageBox(window) && StoredText(FindControl(window, kMessageTextId)).find(part) != std::string::npos;
  }, timeoutMs, where);
}

std::string AppUnderTest::AnswerMessageBox(int buttonId, const std::string& part, CallSite where) {
  UiWindow box = WaitMessageBox(part, 0, where);
  std::string message = box.MessageText(where);
  HWND handle = box.Handle();
  if (box.Press(buttonId, where))
    Await("the message box to close", [&] { return !IsWindow(handle) || !IsWindowVisible(handle); }, 0, where);
  return message;
}

DWORD AppUnderTest::WaitExit(DWORD timeoutMs, CallSite where) {
  Await("the program to end", [&] { return !Running(); }, timeoutMs, where);
  return ExitCode();
}

bool AppUnderTest::ShowedWindowUntilExit(DWORD timeoutMs, CallSite where) {
  bool shown = false;
  Await("the program to end", [&] {
    shown = shown || !Windows(nullptr, processId_, true).empty();
    return !Running();
  }, timeoutMs, where);
  return shown;
}

std::unique_ptr<AppUnderTest> AppUnderTest::WaitStartedProgram(const std::string& fileName, DWORD timeoutMs,
                                                               CallSite where) {
  // Not Await: this program may end before or after the start.
  HANDLE process = nullptr;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  PollUntil(timeoutMs != 0 ? timeoutMs : timeoutMs_, [&] {
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    for (BOOL more = snapshot.Valid() && Process32First(snapshot.Get(), &entry); more && !process;
         more = Process32Next(snapshot.Get(), &entry))
      if (entry.th32ParentProcessID == processId_ && lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
        process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
    return process != nullptr;
  });
  if (process == nullptr) Fail(where, "started no " + fileName);
  // A private constructor, hence no make_unique.
  return std::unique_ptr<AppUnderTest>(new AppUnderTest(fileName, process, process ? entry.th32ProcessID : 0));
}

std::string UiWindow::Caption() const { return window_ != nullptr ? StoredText(window_) : std::string(); }

std::string UiWindow::Name(int id) const { return "control " + std::to_string(id) + " of \"" + Caption() + "\""; }

HWND UiWindow::Control(int id, bool forAction, CallSite where) const {
  HWND control = nullptr;
  std::string what = Name(id) + (forAction ? " to be visible and enabled" : "");
  bool found = window_ != nullptr && app_->Await(what, [&] {
    control = IsWindow(window_) ? FindControl(window_, id) : nullptr;
    return control != nullptr && (!forAction || (IsWindowVisible(control) && IsWindowEnabled(control)));
  }, 0, where);
  return found ? control : nullptr;
}

bool UiWindow::Send(int id, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result, bool forAction,
                    CallSite where) const {
  HWND control = Control(id, forAction, where);
  // Not SMTO_ABORTIFHUNG: a program whose first window took seconds to come up counts as hung for it.
  return control != nullptr &&
         (SendMessageTimeoutA(control, message, wParam, lParam, SMTO_NORMAL, app_->TimeoutMs(), result) ||
          app_->Fail(where, "no answer to message " + std::to_string(message) + " from " + Name(id)));
}

bool UiWindow::Notify(int id, WORD code, bool post, CallSite where) {
  HWND control = Control(id, true, where);
  auto notify = post ? PostMessageA : SendNotifyMessageA;
  WPARAM command = MAKEWPARAM(static_cast<WORD>(id), code);
  return control != nullptr && (notify(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control)) ||
                                app_->Fail(where, "could not notify " + Name(id)));
}

template <typename Text>
Text UiWindow::Read(int id, CallSite where) const {
  HWND control = Control(id, false, where);
  Text text;
  if (control != nullptr && !ReadText(control, app_->TimeoutMs(), &text))
    app_->Fail(where, "no answer to WM_GETTEXT from " + Name(id));
  return text;
}

std::string UiWindow::ControlText(int id, CallSite where) const { return Read<std::string>(id, where); }

std::string UiWindow::MessageText(CallSite where) const { return Read<std::string>(kMessageTextId, where); }

std::wstring UiWindow::MessageTextW(CallSite where) const { return Read<std::wstring>(kMessageTextId, where); }

bool UiWindow::WaitControlText(int id, const std::string& part, CallSite where) const {
  return app_ != nullptr && app_->Await(Name(id) + " to contain \"" + part + "\"", [&] {
    return ControlText(id, where).find(part) != std::string::npos;
  }, 0, where);
}

bool UiWindow::IsChecked(int id, CallSite where) const {
  DWORD_PTR state = BST_UNCHECKED;
  return Send(id, BM_GETCHECK, 0, 0, &state, false, where) && state == BST_CHECKED;
}

bool UiWindow::IsEnabled(int id, CallSite where) const {
  HWND control = Control(id, false, where);
  return control != nullptr && IsWindowEnabled(control);
}

bool UiWindow::SetText(int id, const std::string& text, CallSite where) {
  DWORD_PTR done = FALSE;
  return Send(id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done, true, where) &&
         (done == TRUE || app_->Fail(where, Name(id) + " refused the text \"" + text + "\""));
}

bool UiWindow::SetChecked(int id, bool checked, CallSite where) {
  HWND control = Control(id, true, where);
  if (control == nullptr || IsChecked(id, where) == checked) return control != nullptr;
  // Posted like Press. A radio button cannot be cleared by a click: that wait fails.
  return (PostMessageA(control, BM_CLICK, 0, 0) || app_->Fail(where, "could not click " + Name(id))) &&
         app_->Await(Name(id) + (checked ? " to be checked" : " to be cleared"),
                     [&] { return IsChecked(id, where) == checked; }, 0, where);
}

bool UiWindow::SelectComboIndex(int id, int index, CallSite where) {
  DWORD_PTR selected = 0;
  if (!Send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected, true, where)) return false;
  if (selected != static_cast<DWORD_PTR>(index))
    return app_->Fail(where, Name(id) + " has no item " + std::to_string(index));
  // Sent without waiting for the handler, yet ahead of the test's later queries (sent messages keep
  // their order), so a text the handler sets can be read right after.
  return Notify(id, CBN_SELCHANGE, false, where);
}

bool UiWindow::Press(int id, CallSite where) {
  // Posted like the user's click: a modal loop that is still winding down (a message box just answered)
  // ends before the click arrives, instead of handling it inside.
  return Notify(id, BN_CLICKED, true, where);
}

}  // namespace uidriver
