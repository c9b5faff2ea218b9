// OSYS services on a real system: shell folders with the registry-then-shell fall-back, program start
// (exit codes, window states, command lines) with the exitcode fixture, threads, error texts, identity and
// folders, the Windows version, the autostart entry, and DLLINTERFACE loading and lookups.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/norbaassert.h"
#include "base/dllinterface.h"
#include "base/osys.h"
#include "ownedhandle.h"
#include "scratchdir.h"

namespace {

using uidriver::KernelHandle;
using uidriver::ScratchDir;

std::vector<std::string>& Reports() {
  static std::vector<std::string> reports;
  return reports;
}

void Observe(const char* condition, const char* sourcefile, int, const char*) {
  Reports().push_back(std::string(sourcefile) + ":" + condition);
}

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
  return text;
}

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string FixtureDir() { return Backslashed(NORBA_TEST_FIXTURE_DIR); }
std::string ExitCodeProgram() { return FixtureDir() + "\\exitcode.exe"; }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class OsysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reports().clear();
    AssertSetObserver(Observe);
  }
  void TearDown() override { AssertSetObserver(nullptr); }
};

// ----------------------------------------------------------------------------------------------
// Shell folders
// ----------------------------------------------------------------------------------------------

const int kFolderTypes[] = {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 22};

TEST_F(OsysTest, EveryShellFolderTypeIsAnExistingFolderEndingInABackslash) {
  for (int type : kFolderTypes) {
    std::string path = Text(OSYS::GetSystemPath(type));
    ASSERT_GT(path.size(), 3u) << type;
    EXPECT_EQ(path.back(), '\\') << type;
    EXPECT_NE(path.substr(path.size() - 2), "\\\\") << type;
    EXPECT_TRUE(IsFolder(path)) << type << ": " << path;
  }
  std::string documents = Text(OSYS::GetSystemPath(6));
  for (int type : {14, 18, 19}) EXPECT_EQ(Text(OSYS::GetSystemPath(type)), documents) << type;
  EXPECT_NE(Text(OSYS::GetSystemPath(0)), Text(OSYS::GetSystemPath(10)));
  EXPECT_TRUE(Reports().empty());

  for (int type : {-1, 3, 4, 15, 23, 4711}) {
    Reports().clear();
    EXPECT_EQ(Text(OSYS::GetSystemPath(type)), "") << type;
    ASSERT_EQ(Reports().size(), 1u) << type;
    EXPECT_EQ(Reports()[0], "osys_win32:FALSE");
  }
}

// Replaces the user's "Shell Folders" value "Desktop" for one test and puts the original back, whatever
// happens in the test.
class DesktopValue {
 public:
  DesktopValue() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExA(key_, "Desktop", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    data_.assign(size, '\0');
    if (had_ && size > 0) RegQueryValueExA(key_, "Desktop", nullptr, &type_, reinterpret_cast<BYTE*>(&data_[0]), &size);
  }
  ~DesktopValue() {
    if (had_)
      RegSetValueExA(key_, "Desktop", 0, type_, reinterpret_cast<const BYTE*>(data_.data()),
                     static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(key_, "Desktop");
    RegCloseKey(key_);
  }
  DesktopValue(const DesktopValue&) = delete;
  DesktopValue& operator=(const DesktopValue&) = delete;

  void Set(DWORD type, const std::string& data) {
    ASSERT_EQ(RegSetValueExA(key_, "Desktop", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  void SetText(const std::string& text) { Set(REG_SZ, text + '\0'); }
  void Remove() { RegDeleteValueA(key_, "Desktop"); }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_SZ;
  std::string data_;
};

std::string ShellDesktop() {
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
    return "";
  std::string text = path;
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

std::string Environment(const char* name) {
  char value[4096] = {};
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n > 0 && n < sizeof(value) ? std::string(value, n) : "";
}

TEST_F(OsysTest, ShellFolderFallsBackToTheShellWhenTheRegistryValueIsUnusable) {
  std::string shell = ShellDesktop();
  ASSERT_FALSE(shell.empty());
  DesktopValue desktop;

  desktop.Remove();
  EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), Lower(shell)) << "missing value";
  desktop.SetText("C:");
  EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), Lower(shell)) << "value shorter than three characters";
  desktop.Set(REG_DWORD, std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), Lower(shell)) << "value that is no text";
  EXPECT_TRUE(Reports().empty());
}

TEST_F(OsysTest, ShellFolderFromTheRegistryIsExpandedAndReadWhole) {
  DesktopValue desktop;
  desktop.SetText("C:\\norba-desktop");
  EXPECT_EQ(Text(OSYS::GetSystemPath(8)), "C:\\norba-desktop\\");
  desktop.SetText("C:\\norba-desktop\\");
  EXPECT_EQ(Text(OSYS::GetSystemPath(8)), "C:\\norba-desktop\\");
  desktop.SetText("%SystemRoot%\\norba");
  EXPECT_EQ(Text(OSYS::GetSystemPath(8)), Environment("SystemRoot") + "\\norba\\");

  // A long folder is returned whole, never cut into a shorter folder that might exist.
  std::string longpath = "C:\\" + std::string(1500, 'd');
  desktop.SetText(longpath);
  EXPECT_EQ(Text(OSYS::GetSystemPath(8)), longpath + "\\");
  desktop.SetText("%SystemRoot%\\" + std::string(1500, 'e'));
  EXPECT_EQ(Text(OSYS::GetSystemPath(8)), Environment("SystemRoot") + "\\" + std::string(1500, 'e') + "\\");
  EXPECT_TRUE(Reports().empty());
}

// ----------------------------------------------------------------------------------------------
// Program start
// ----------------------------------------------------------------------------------------------

// The exitcode fixture's report of one start: command line, working folder, window state, title.
class StartReport {
 public:
  explicit StartReport(const ScratchDir& scratch) : path_(scratch.Path("report.txt")) {
    SetEnvironmentVariableA("NORBA_EXITCODE_REPORT", path_.c_str());
  }
  ~StartReport() {
    SetEnvironmentVariableA("NORBA_EXITCODE_REPORT", nullptr);
    DeleteFileA(path_.c_str());
  }
  StartReport(const StartReport&) = delete;
  StartReport& operator=(const StartReport&) = delete;

  void Clear() const { DeleteFileA(path_.c_str()); }
  // Waits until the report is there (for starts that do not wait themselves) and reads it.
  std::map<std::string, std::string> Read(DWORD timeoutms = 0) const {
    std::map<std::string, std::string> fields;
    DWORD start = GetTickCount();
    while (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < timeoutms)
      Sleep(20);
    Sleep(timeoutms ? 100 : 0);
    FILE* file = fopen(path_.c_str(), "rb");
    if (!file) return fields;
    char line[8192];
    while (fgets(line, sizeof(line), file)) {
      std::string text = line;
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      size_t equal = text.find('=');
      if (equal != std::string::npos) fields[text.substr(0, equal)] = text.substr(equal + 1);
    }
    fclose(file);
    return fields;
  }

 private:
  std::string path_;
};

bool Start(const std::string& program, const char* args, int flags, int* exitcode, const char* workdir = nullptr,
           const char* title = nullptr) {
  return OSYS::StartProgram(program.c_str(), args, workdir, title, flags, nullptr, exitcode);
}

TEST_F(OsysTest, SynchronousStartReturnsTheProgramsExitCode) {
  for (int code : {0, 7, 255, 1000, -5}) {
    int exitcode = 12345;
    EXPECT_TRUE(Start(ExitCodeProgram(), std::to_string(code).c_str(), OSYS_START_SYNC, &exitcode)) << code;
    EXPECT_EQ(exitcode, code);
  }
  DWORD begin = GetTickCount();
  int exitcode = 0;
  EXPECT_TRUE(Start(ExitCodeProgram(), "3 400", OSYS_START_SYNC, &exitcode));
  EXPECT_GE(GetTickCount() - begin, 350u) << "a synchronous start waits for the end";
  EXPECT_EQ(exitcode, 3);
}

TEST_F(OsysTest, ExitCodeStaysMinusEightWhenItCannotBeRead) {
  int exitcode = 0;
  EXPECT_FALSE(Start(FixtureDir() + "\\no-such-program.exe", "1", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(exitcode, OSYS_NO_EXITCODE);

  // Without waiting there is no exit code yet; the caller gets the handles and waits itself.
  exitcode = 0;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(OSYS::StartProgram(ExitCodeProgram().c_str(), "9 200", nullptr, nullptr, 0, &info, &exitcode));
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  EXPECT_EQ(exitcode, OSYS_NO_EXITCODE);
  EXPECT_NE(info.dwProcessId, 0u);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.Get(), &code));
  EXPECT_EQ(code, 9u);
}

TEST_F(OsysTest, CommandLineQuotesTheProgramWhenNeeded) {
  ScratchDir scratch;
  StartReport report(scratch);
  std::string program = ExitCodeProgram();
  int exitcode = 0;

  ASSERT_TRUE(Start(program, "3", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Read()["cmdline"], "\"" + program + "\" 3");
  EXPECT_EQ(exitcode, 3);
  ASSERT_TRUE(Start("\"" + program + "\"", "4 0", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Read()["cmdline"], "\"" + program + "\" 4 0");
  ASSERT_TRUE(Start(program, "", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Read()["cmdline"], program);
  EXPECT_EQ(exitcode, 0);

  // "#name" without arguments: the bare name, found in the current folder, started hidden.
  std::string cwd = Text(OSYS::GetCurrentDirectory());
  ASSERT_TRUE(OSYS::SetCurrentDirectory(FixtureDir().c_str()));
  bool started = Start("#exitcode.exe", nullptr, OSYS_START_SYNC, &exitcode);
  OSYS::SetCurrentDirectory(cwd.c_str());
  ASSERT_TRUE(started);
  auto fields = report.Read();
  EXPECT_EQ(fields["cmdline"], "exitcode.exe");
  EXPECT_EQ(fields["show"], std::to_string(SW_HIDE));

  // A program path with a blank is quoted even without arguments: "my.exe" beside "my tools" must not run.
  ASSERT_TRUE(scratch.CopyFileTo(program, "my tools\\exitcode.exe"));
  ASSERT_TRUE(scratch.CopyFileTo(program, "my.exe"));
  ASSERT_TRUE(Start(scratch.Path("my tools\\exitcode.exe"), nullptr, OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Read()["cmdline"], "\"" + scratch.Path("my tools\\exitcode.exe") + "\"");
}

TEST_F(OsysTest, WindowStateFollowsFlagsAndPrefixes) {
  ScratchDir scratch;
  StartReport report(scratch);
  std::string program = ExitCodeProgram();
  struct Case {
    std::string program;
    int flags;
    int show;  // -1: the program chooses
  };
  const Case cases[] = {
      {program, 0, -1},
      {program, OSYS_START_HIDDEN, SW_HIDE},
      {program, OSYS_START_MINIMIZED, SW_SHOWMINIMIZED},
      {program, OSYS_START_MAXIMIZED, SW_SHOWMAXIMIZED},
      {program, OSYS_START_HIDDEN | OSYS_START_MINIMIZED | OSYS_START_MAXIMIZED, SW_HIDE},
      {program, OSYS_START_MINIMIZED | OSYS_START_MAXIMIZED, SW_SHOWMINIMIZED},
      {"#" + program, 0, SW_HIDE},
      {"*" + program, 0, SW_SHOWMINIMIZED},
      {"*" + program, OSYS_START_HIDDEN, SW_SHOWMINIMIZED},
  };
  for (const Case& c : cases) {
    report.Clear();
    int exitcode = 0;
    ASSERT_TRUE(Start(c.program, "5", OSYS_START_SYNC | c.flags, &exitcode)) << c.program << " " << c.flags;
    EXPECT_EQ(exitcode, 5);
    auto fields = report.Read();
    EXPECT_EQ(fields["show"], std::to_string(c.show)) << c.program << " " << c.flags;
    EXPECT_EQ(fields["cmdline"], "\"" + program + "\" 5") << "the prefix is no part of the program name";
  }
}

TEST_F(OsysTest, WorkingFolderAndTitleArePassed) {
  ScratchDir scratch;
  StartReport report(scratch);
  int exitcode = 0;
  ASSERT_TRUE(scratch.MakeFolder("work"));
  ASSERT_TRUE(
      Start(ExitCodeProgram(), "0", OSYS_START_SYNC, &exitcode, scratch.Path("work").c_str(), "Norba test window"));
  auto fields = report.Read();
  EXPECT_EQ(Lower(fields["cwd"]), Lower(scratch.Path("work")));
  EXPECT_EQ(fields["title"], "Norba test window");

  ASSERT_TRUE(Start(ExitCodeProgram(), "0", OSYS_START_SYNC, &exitcode, "", ""));
  EXPECT_EQ(Lower(report.Read()["cwd"]), Lower(Text(OSYS::GetCurrentDirectory())));
}

// Counts the messages a window gets while a program start waits.
LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(OsysTest, WaitingKeepsWindowMessagesFlowingOnlyWhenAsked) {
  WNDCLASSA windowclass = {};
  windowclass.lpfnWndProc = CountingWindowProc;
  windowclass.hInstance = GetModuleHandleA(nullptr);
  windowclass.lpszClassName = "NorbaOsysCounting";
  RegisterClassA(&windowclass);
  HWND window =
      CreateWindowA("NorbaOsysCounting", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowclass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  int count = 0;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));

  int exitcode = 0;
  PostMessageA(window, WM_APP, 0, 0);
  ASSERT_TRUE(Start(ExitCodeProgram(), "0 200", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(count, 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(count, 1);

  PostMessageA(window, WM_APP, 0, 0);
  ASSERT_TRUE(Start(ExitCodeProgram(), "6 200", OSYS_START_SYNC | OSYS_START_PUMP, &exitcode));
  EXPECT_EQ(count, 2) << "dispatched while waiting";
  EXPECT_EQ(exitcode, 6);
  DestroyWindow(window);
}

TEST_F(OsysTest, ShellOpenStartsWithTheCurrentFolder) {
  ScratchDir scratch;
  StartReport report(scratch);
  EXPECT_FALSE(OSYS::ShellOpen(scratch.Path("missing.txt").c_str(), nullptr));
  EXPECT_TRUE(OSYS::ShellOpen(ExitCodeProgram().c_str(), nullptr));
  auto fields = report.Read(10000);
  EXPECT_EQ(Lower(fields["cwd"]), Lower(Text(OSYS::GetCurrentDirectory())));
}

// ----------------------------------------------------------------------------------------------
// Threads
// ----------------------------------------------------------------------------------------------

unsigned __stdcall StoreThreadId(void* parm) {
  *static_cast<DWORD*>(parm) = GetCurrentThreadId();
  return 0;
}

struct PairResult {
  void* first = nullptr;
  void* second = nullptr;
  bool taken = false;
};

PairResult gPair;

unsigned __stdcall TakePair(void* parm) {
  gPair.taken = OSYS::TakeThreadParm(parm, &gPair.first, &gPair.second);
  return 0;
}

unsigned __stdcall WaitForEvent(void* parm) {
  WaitForSingleObject(static_cast<HANDLE>(parm), INFINITE);
  return 0;
}

TEST_F(OsysTest, ThreadsRunAndAreWaitedFor) {
  DWORD tid = 0;
  HANDLE thread = OSYS::CreateThread(StoreThreadId, &tid);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(OSYS::WaitThread(thread, -1));
  EXPECT_NE(tid, 0u);
  EXPECT_NE(tid, GetCurrentThreadId());

  int a = 1;
  int b = 2;
  gPair = PairResult();
  thread = OSYS::CreateThreadWithParm(TakePair, &a, &b);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(OSYS::WaitThread(thread, 10000));
  EXPECT_TRUE(gPair.taken);
  EXPECT_EQ(gPair.first, &a);
  EXPECT_EQ(gPair.second, &b);

  // A wait that times out keeps the handle: the thread can be waited for again.
  KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  thread = OSYS::CreateThread(WaitForEvent, event.Get());
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(OSYS::WaitThread(thread, 50));
  SetEvent(event.Get());
  EXPECT_TRUE(OSYS::WaitThread(thread, 10000));
  EXPECT_TRUE(Reports().empty());

  EXPECT_FALSE(OSYS::WaitThread(nullptr, 0));
  int notablock[3] = {};
  EXPECT_FALSE(OSYS::TakeThreadParm(notablock, nullptr, nullptr));
  ASSERT_EQ(Reports().size(), 2u);
  EXPECT_EQ(Reports()[0], "osys_win32:hthread!=NULL");
}

// ----------------------------------------------------------------------------------------------
// Texts, identity, folders, version, counters
// ----------------------------------------------------------------------------------------------

TEST_F(OsysTest, ErrorTextsComeFromTheSystemWithoutLineEnd) {
  std::string success = Text(OSYS::GetLastErrorString(0));
  std::string notfound = Text(OSYS::GetLastErrorString(ERROR_FILE_NOT_FOUND));
  for (const std::string& text : {success, notfound}) {
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text, "<no error>");
    EXPECT_LE(text.size(), 256u);
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
  }
  EXPECT_NE(success, notfound);

  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Text(OSYS::GetLastErrorString(OSYS_LAST_ERROR)), notfound);
  SetLastError(0);
  EXPECT_EQ(Text(OSYS::GetLastErrorString(OSYS_LAST_ERROR)), success);
  // A customer error code (bit 29) has no system text.
  EXPECT_EQ(Text(OSYS::GetLastErrorString(0x20004711)), "<no error>");
}

TEST_F(OsysTest, IdentityDateAndTimeAreRead) {
  std::string user = Text(OSYS::GetUserName());
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(Lower(user), Lower(Environment("USERNAME")));
  std::string computer = Text(OSYS::GetComputerName());
  EXPECT_NE(computer, "<N/A>");
  EXPECT_EQ(Lower(computer), Lower(Environment("COMPUTERNAME")));

  std::string self = Text(OSYS::GetOwnFileName());
  EXPECT_EQ(Lower(self.substr(self.rfind('\\') + 1)), "test_osys.exe");
  EXPECT_NE(GetFileAttributesA(self.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_FALSE(OSYS::GetDateString().IsEmpty());
  std::string time = Text(OSYS::GetTimeString());
  EXPECT_NE(time.find(':'), std::string::npos) << time;
}

// Restores the current folder at the end of a test (declare it after the scratch folders it may use).
class CurrentFolderGuard {
 public:
  CurrentFolderGuard() : folder_(Text(OSYS::GetCurrentDirectory())) {}
  ~CurrentFolderGuard() { SetCurrentDirectoryA(folder_.c_str()); }
  CurrentFolderGuard(const CurrentFolderGuard&) = delete;
  CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

 private:
  std::string folder_;
};

TEST_F(OsysTest, CurrentFolderIsSetAndRead) {
  ScratchDir scratch;
  CurrentFolderGuard guard;
  EXPECT_TRUE(OSYS::SetCurrentDirectory(scratch.Root().c_str()));
  EXPECT_EQ(Lower(Text(OSYS::GetCurrentDirectory())), Lower(scratch.Root()));
  EXPECT_FALSE(OSYS::SetCurrentDirectory(scratch.Path("missing").c_str()));
  EXPECT_FALSE(OSYS::SetCurrentDirectory(nullptr));
  EXPECT_EQ(Lower(Text(OSYS::GetCurrentDirectory())), Lower(scratch.Root()));
}

TEST_F(OsysTest, WindowsVersionCodes) {
  // Wine reports Windows 7 unless the prefix says otherwise.
  EXPECT_EQ(OSYS::GetWindowsVersion(), 6);

  struct Case {
    DWORD platform, major, minor;
    int code;
  };
  const Case cases[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0}, {VER_PLATFORM_WIN32_NT, 4, 0, 1},  {VER_PLATFORM_WIN32_NT, 5, 0, 2},
      {VER_PLATFORM_WIN32_NT, 5, 1, 3},       {VER_PLATFORM_WIN32_NT, 5, 2, 4},  {VER_PLATFORM_WIN32_NT, 6, 0, 5},
      {VER_PLATFORM_WIN32_NT, 6, 1, 6},       {VER_PLATFORM_WIN32_NT, 6, 2, 7},  {VER_PLATFORM_WIN32_NT, 6, 3, 8},
      {VER_PLATFORM_WIN32_NT, 6, 4, 8},       {VER_PLATFORM_WIN32_NT, 10, 0, 9}, {VER_PLATFORM_WIN32_NT, 11, 0, 9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OSYS::WindowsVersionCode(c.platform, c.major, c.minor), c.code) << c.major << "." << c.minor;
}

TEST_F(OsysTest, HighResolutionCounterReadsWhatIsAskedFor) {
  EXPECT_FALSE(OSYS::GetHighResCounter(nullptr, nullptr));
  LONGLONG first = 0;
  LONGLONG second = 0;
  LONGLONG frequency = 0;
  EXPECT_TRUE(OSYS::GetHighResCounter(&first, nullptr));
  EXPECT_TRUE(OSYS::GetHighResCounter(nullptr, &frequency));
  Sleep(20);
  EXPECT_TRUE(OSYS::GetHighResCounter(&second, &frequency));
  EXPECT_GT(frequency, 0);
  EXPECT_GE(second - first, frequency / 100) << "20 ms passed";
}

// ----------------------------------------------------------------------------------------------
// Autostart and resources
// ----------------------------------------------------------------------------------------------

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A unique autostart value name, deleted with the object.
class AutostartValue {
 public:
  AutostartValue()
      : name_("NorbaTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount())) {}
  ~AutostartValue() { Remove(); }
  AutostartValue(const AutostartValue&) = delete;
  AutostartValue& operator=(const AutostartValue&) = delete;

  const char* Name() const { return name_.c_str(); }
  void Remove() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
  }
  // The stored bytes, or "<missing>"; `type` receives the value's type.
  std::string Read(DWORD* type = nullptr) const {
    char data[4096] = {};
    DWORD size = sizeof(data);
    DWORD valuetype = REG_NONE;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    LONG rc = RegQueryValueExA(key, name_.c_str(), nullptr, &valuetype, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (type) *type = valuetype;
    return rc == ERROR_SUCCESS ? std::string(data, size) : "<missing>";
  }

 private:
  std::string name_;
};

TEST_F(OsysTest, AutostartIsWrittenAndDeleted) {
  AutostartValue value;
  std::string self = Text(OSYS::GetOwnFileName());
  std::string quotedself = "\"" + self + "\"" + std::string(1, '\0');
  std::string upper = self;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(toupper(c)); });

  for (const char* command : {"<self>", "<ownfile>", "<SELF>", upper.c_str(), OSYS_AUTOSTART_SELF}) {
    value.Remove();
    EXPECT_TRUE(OSYS::SetAutostart(value.Name(), command));
    DWORD type = REG_NONE;
    EXPECT_EQ(value.Read(&type), quotedself) << "stored with its terminator";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  }
  EXPECT_TRUE(OSYS::SetAutostart(value.Name(), "C:\\Tools\\tray.exe /quiet"));
  EXPECT_EQ(value.Read(), std::string("C:\\Tools\\tray.exe /quiet") + '\0');

  EXPECT_TRUE(OSYS::SetAutostart(value.Name(), nullptr));
  EXPECT_EQ(value.Read(), "<missing>");
  EXPECT_FALSE(OSYS::SetAutostart(value.Name(), nullptr)) << "nothing left to delete";
}

TEST_F(OsysTest, MissingResourceTextReadsAsStringError) {
  EXPECT_EQ(Text(OSYS::GetStringFromResource(4711, GetModuleHandleA(nullptr))), "<STRING-ERROR>");
}

// ----------------------------------------------------------------------------------------------
// DLLINTERFACE
// ----------------------------------------------------------------------------------------------

bool IsModuleLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

TEST_F(OsysTest, LibraryIsLoadedLookedUpAndFreed) {
  typedef DWORD(WINAPI * GETTICKCOUNT)();
  DLLINTERFACE kernel("kernel32.dll", "GetTickCount");
  ASSERT_TRUE(kernel.IsLoaded());
  auto remembered = reinterpret_cast<GETTICKCOUNT>(reinterpret_cast<void*>(kernel.GetFunction(nullptr)));
  ASSERT_NE(remembered, nullptr);
  EXPECT_NE(remembered(), 0u);
  EXPECT_EQ(kernel.GetFunction<GETTICKCOUNT>("GetTickCount"), remembered);
  EXPECT_EQ(kernel.GetFunction<GETTICKCOUNT>("NoSuchFunction"), nullptr);
  EXPECT_EQ(kernel.GetFunction(nullptr), nullptr) << "the failed lookup is the last one";
  EXPECT_FALSE(kernel.Load("kernel32.dll", "NoSuchFunction"));
  EXPECT_TRUE(kernel.IsLoaded()) << "the library loads even when the function is missing";

  DLLINTERFACE missing("norba-no-such-library.dll");
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_EQ(missing.GetFunction("Anything"), nullptr);
  EXPECT_FALSE(missing.Attach(nullptr, "none"));

  // A library of ours, under a path longer than the name field: loaded by its whole path and freed.
  ScratchDir scratch;
  std::string folder = std::string(150, 'l');
  std::string probe = scratch.Path(folder + "\\hookprobe.dll");
  ASSERT_TRUE(scratch.CopyFileTo(FixtureDir() + "\\hookprobe.dll", folder + "\\hookprobe.dll"));
  {
    DLLINTERFACE library(probe.c_str(), "SetupHook");
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_NE(library.GetFunction(nullptr), nullptr);
    EXPECT_TRUE(IsModuleLoaded(probe));
    EXPECT_EQ(strlen(library.GetName()), 127u);
    library.Unload();
    EXPECT_FALSE(IsModuleLoaded(probe));
    EXPECT_EQ(library.GetFunction(nullptr), nullptr);

    EXPECT_TRUE(library.Load(probe.c_str()));
    EXPECT_TRUE(library.Load("kernel32.dll")) << "a new load frees the library held before";
    EXPECT_FALSE(IsModuleLoaded(probe));
    EXPECT_TRUE(library.Attach(LoadLibraryA(probe.c_str()), "hookprobe.dll"));
    EXPECT_TRUE(IsModuleLoaded(probe));
  }
  EXPECT_FALSE(IsModuleLoaded(probe)) << "freed with the object";
}

}  // namespace
