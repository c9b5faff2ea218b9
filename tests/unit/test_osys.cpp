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

#include "assertreports.h"
#include "base/dllinterface.h"
#include "base/osys.h"
#include "messagewindow.h"
#include "ownedhandle.h"
#include "scratchdir.h"

namespace {

using uidriver::KernelHandle;
using uidriver::ScratchDir;
using Lines = std::vector<std::string>;

class OsysTest : public AssertReportsTest {};

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
  return text;
}

std::string FixtureDir() {
  std::string path = NORBA_TEST_FIXTURE_DIR;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
std::string ExitCodeProgram() { return FixtureDir() + "\\exitcode.exe"; }
std::string CurrentFolder() { return Lower(Text(OSYS::GetCurrentDirectory())); }

std::string Environment(const char* name) {
  char value[4096] = {};
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n > 0 && n < sizeof(value) ? std::string(value, n) : "";
}

// --- Shell folders ---

TEST_F(OsysTest, EveryShellFolderTypeIsAnExistingFolderEndingInABackslash) {
  for (int type : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 22}) {
    std::string path = Text(OSYS::GetSystemPath(type));
    ASSERT_GT(path.size(), 3u) << type;
    EXPECT_EQ(path.back(), '\\') << type;
    EXPECT_NE(path.substr(path.size() - 2), "\\\\") << type;
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << path;
  }
  std::string documents = Text(OSYS::GetSystemPath(6));
  for (int type : {14, 18, 19}) EXPECT_EQ(Text(OSYS::GetSystemPath(type)), documents) << type;
  EXPECT_NE(Text(OSYS::GetSystemPath(0)), Text(OSYS::GetSystemPath(10)));
  EXPECT_TRUE(TakeReports().empty());

  for (int type : {-1, 3, 4, 15, 23, 4711}) {
    EXPECT_EQ(Text(OSYS::GetSystemPath(type)), "") << type;
    EXPECT_EQ(TakeReports(), Lines({"osys_win32: FALSE"})) << type;
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
    Set(had_ ? type_ : REG_NONE, data_);
    RegCloseKey(key_);
  }
  DesktopValue(const DesktopValue&) = delete;
  DesktopValue& operator=(const DesktopValue&) = delete;

  // REG_NONE removes the value.
  bool Set(DWORD type, const std::string& data) {
    if (type == REG_NONE) {
      RegDeleteValueA(key_, "Desktop");
      return true;
    }
    return RegSetValueExA(key_, "Desktop", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }

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
  return text.empty() || text.back() == '\\' ? text : text + '\\';
}

TEST_F(OsysTest, ShellFolderComesExpandedAndWholeFromTheRegistryElseFromTheShell) {
  const std::string shell = Lower(ShellDesktop());
  ASSERT_FALSE(shell.empty());
  const std::string root = Environment("SystemRoot");
  const std::string longpath = "C:\\" + std::string(1500, 'd');
  const std::string longexpanded = "\\" + std::string(1500, 'e');
  const struct {
    DWORD type;
    std::string data, expected;
  } cases[] = {
      {REG_NONE, "", shell},                                   // missing value
      {REG_SZ, std::string("C:\0", 3), shell},                 // shorter than three characters
      {REG_DWORD, std::string("\x01\x00\x00\x00", 4), shell},  // no text
      {REG_SZ, std::string("C:\\norba-desktop\0", 17), "c:\\norba-desktop\\"},
      {REG_SZ, std::string("C:\\norba-desktop\\\0", 18), "c:\\norba-desktop\\"},
      {REG_SZ, std::string("%SystemRoot%\\norba\0", 19), Lower(root) + "\\norba\\"},
      // A long folder is returned whole, never cut into a shorter folder that might exist.
      {REG_SZ, longpath + '\0', Lower(longpath) + "\\"},
      {REG_SZ, "%SystemRoot%" + longexpanded + '\0', Lower(root + longexpanded) + "\\"},
  };
  DesktopValue desktop;
  for (const auto& c : cases) {
    ASSERT_TRUE(desktop.Set(c.type, c.data));
    EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), c.expected) << c.data.substr(0, 40);
  }
  EXPECT_TRUE(TakeReports().empty());
}

// --- Program start ---

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

  // Waits until the report is there (for starts that do not wait themselves), reads and removes it.
  std::map<std::string, std::string> Take(DWORD timeoutms = 0) const {
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
    DeleteFileA(path_.c_str());
    return fields;
  }

 private:
  std::string path_;
};

bool Start(const std::string& program, const char* args, int flags, int* exitcode, const char* workdir = nullptr,
           const char* title = nullptr) {
  return OSYS::StartProgram(program.c_str(), args, workdir, title, flags, nullptr, exitcode);
}

TEST_F(OsysTest, ExitCodeIsTheProgramsOrMinusEightWhenItCannotBeRead) {
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

TEST_F(OsysTest, CommandLineWorkingFolderAndTitleArePassed) {
  ScratchDir scratch;
  StartReport report(scratch);
  std::string program = ExitCodeProgram();
  int exitcode = 0;

  ASSERT_TRUE(Start(program, "3", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Take()["cmdline"], "\"" + program + "\" 3");
  ASSERT_TRUE(Start("\"" + program + "\"", "4 0", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Take()["cmdline"], "\"" + program + "\" 4 0");
  ASSERT_TRUE(Start(program, "", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Take()["cmdline"], program);

  // "#name" without arguments: the bare name, found in the current folder, started hidden.
  std::string cwd = Text(OSYS::GetCurrentDirectory());
  ASSERT_TRUE(OSYS::SetCurrentDirectory(FixtureDir().c_str()));
  bool started = Start("#exitcode.exe", nullptr, OSYS_START_SYNC, &exitcode);
  OSYS::SetCurrentDirectory(cwd.c_str());
  ASSERT_TRUE(started);
  auto fields = report.Take();
  EXPECT_EQ(fields["cmdline"], "exitcode.exe");
  EXPECT_EQ(fields["show"], std::to_string(SW_HIDE));

  // A program path with a blank is quoted even without arguments: "my.exe" beside "my tools" must not run.
  ASSERT_TRUE(scratch.CopyFileTo(program, "my tools\\exitcode.exe"));
  ASSERT_TRUE(scratch.CopyFileTo(program, "my.exe"));
  ASSERT_TRUE(Start(scratch.Path("my tools\\exitcode.exe"), nullptr, OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(report.Take()["cmdline"], "\"" + scratch.Path("my tools\\exitcode.exe") + "\"");

  ASSERT_TRUE(scratch.MakeFolder("work"));
  ASSERT_TRUE(Start(program, "0", OSYS_START_SYNC, &exitcode, scratch.Path("work").c_str(), "Norba test window"));
  fields = report.Take();
  EXPECT_EQ(Lower(fields["cwd"]), Lower(scratch.Path("work")));
  EXPECT_EQ(fields["title"], "Norba test window");
  ASSERT_TRUE(Start(program, "0", OSYS_START_SYNC, &exitcode, "", ""));
  EXPECT_EQ(Lower(report.Take()["cwd"]), CurrentFolder());

  // ShellOpen starts in the current folder too.
  EXPECT_FALSE(OSYS::ShellOpen(scratch.Path("missing.txt").c_str(), nullptr));
  EXPECT_TRUE(OSYS::ShellOpen(program.c_str(), nullptr));
  EXPECT_EQ(Lower(report.Take(10000)["cwd"]), CurrentFolder());
}

TEST_F(OsysTest, WindowStateFollowsFlagsAndPrefixes) {
  ScratchDir scratch;
  StartReport report(scratch);
  std::string program = ExitCodeProgram();
  const struct {
    std::string program;
    int flags;
    int show;  // -1: the program chooses
  } cases[] = {
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
  for (const auto& c : cases) {
    int exitcode = 0;
    ASSERT_TRUE(Start(c.program, "5", OSYS_START_SYNC | c.flags, &exitcode)) << c.program << " " << c.flags;
    EXPECT_EQ(exitcode, 5);
    auto fields = report.Take();
    EXPECT_EQ(fields["show"], std::to_string(c.show)) << c.program << " " << c.flags;
    EXPECT_EQ(fields["cmdline"], "\"" + program + "\" 5") << "the prefix is no part of the program name";
  }
}

TEST_F(OsysTest, WaitingKeepsWindowMessagesFlowingOnlyWhenAsked) {
  CountingWindow window;
  ASSERT_NE(window.Get(), nullptr);
  int exitcode = 0;
  PostMessageA(window.Get(), WM_APP, 0, 0);
  ASSERT_TRUE(Start(ExitCodeProgram(), "0 200", OSYS_START_SYNC, &exitcode));
  EXPECT_EQ(window.Count(), 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(window.Count(), 1);

  PostMessageA(window.Get(), WM_APP, 0, 0);
  ASSERT_TRUE(Start(ExitCodeProgram(), "6 200", OSYS_START_SYNC | OSYS_START_PUMP, &exitcode));
  EXPECT_EQ(window.Count(), 2) << "dispatched while waiting";
  EXPECT_EQ(exitcode, 6);
}

// --- Threads ---

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
  int a = 1;
  int b = 2;
  gPair = PairResult();
  HANDLE thread = OSYS::CreateThreadWithParm(TakePair, &a, &b);
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
  EXPECT_TRUE(TakeReports().empty());

  EXPECT_FALSE(OSYS::WaitThread(nullptr, 0));
  int notablock[3] = {};
  EXPECT_FALSE(OSYS::TakeThreadParm(notablock, nullptr, nullptr));
  Lines reports = TakeReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "osys_win32: hthread!=NULL");
}

// --- Texts, identity, folders, version, counters ---

TEST_F(OsysTest, TextsIdentityFoldersClockAndCounter) {
  std::string success = Text(OSYS::GetLastErrorString(0));
  std::string notfound = Text(OSYS::GetLastErrorString(ERROR_FILE_NOT_FOUND));
  for (const std::string& text : {success, notfound}) {
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text, "<no error>");
    EXPECT_LE(text.size(), 256u);
    EXPECT_TRUE(text.back() != '\n' && text.back() != '\r') << "no line end";
  }
  EXPECT_NE(success, notfound);

  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Text(OSYS::GetLastErrorString(OSYS_LAST_ERROR)), notfound);
  SetLastError(0);
  EXPECT_EQ(Text(OSYS::GetLastErrorString(OSYS_LAST_ERROR)), success);
  // A customer error code (bit 29) has no system text.
  EXPECT_EQ(Text(OSYS::GetLastErrorString(0x20004711)), "<no error>");
  EXPECT_EQ(Text(OSYS::GetStringFromResource(4711, GetModuleHandleA(nullptr))), "<STRING-ERROR>");

  // Identity, date and time.
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

  ScratchDir scratch;
  const std::string before = Text(OSYS::GetCurrentDirectory());
  EXPECT_TRUE(OSYS::SetCurrentDirectory(scratch.Root().c_str()));
  EXPECT_EQ(CurrentFolder(), Lower(scratch.Root()));
  EXPECT_FALSE(OSYS::SetCurrentDirectory(scratch.Path("missing").c_str()));
  EXPECT_FALSE(OSYS::SetCurrentDirectory(nullptr));
  EXPECT_EQ(CurrentFolder(), Lower(scratch.Root()));
  SetCurrentDirectoryA(before.c_str());  // before the scratch folder goes

  // The counter reads what is asked for.
  EXPECT_FALSE(OSYS::GetHighResCounter(nullptr, nullptr));
  LONGLONG first = 0, second = 0, frequency = 0;
  EXPECT_TRUE(OSYS::GetHighResCounter(&first, nullptr));
  EXPECT_TRUE(OSYS::GetHighResCounter(nullptr, &frequency));
  Sleep(20);
  EXPECT_TRUE(OSYS::GetHighResCounter(&second, &frequency));
  EXPECT_GT(frequency, 0);
  EXPECT_GE(second - first, frequency / 100) << "20 ms passed";
}

TEST_F(OsysTest, WindowsVersionCodes) {
  // Wine reports Windows 7 unless the prefix says otherwise.
  EXPECT_EQ(OSYS::GetWindowsVersion(), 6);

  const struct {
    DWORD platform, major, minor;
    int code;
  } cases[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0}, {VER_PLATFORM_WIN32_NT, 4, 0, 1},  {VER_PLATFORM_WIN32_NT, 5, 0, 2},
      {VER_PLATFORM_WIN32_NT, 5, 1, 3},       {VER_PLATFORM_WIN32_NT, 5, 2, 4},  {VER_PLATFORM_WIN32_NT, 6, 0, 5},
      {VER_PLATFORM_WIN32_NT, 6, 1, 6},       {VER_PLATFORM_WIN32_NT, 6, 2, 7},  {VER_PLATFORM_WIN32_NT, 6, 3, 8},
      {VER_PLATFORM_WIN32_NT, 6, 4, 8},       {VER_PLATFORM_WIN32_NT, 10, 0, 9}, {VER_PLATFORM_WIN32_NT, 11, 0, 9},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OSYS::WindowsVersionCode(c.platform, c.major, c.minor), c.code) << c.major << "." << c.minor;
}

// --- Autostart ---

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
  // The stored bytes, or "<missing>"; a value that is not REG_SZ reads as "<not text>".
  std::string Read() const {
    char data[4096] = {};
    DWORD size = sizeof(data);
    DWORD type = REG_NONE;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    LONG rc = RegQueryValueExA(key, name_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<missing>";
    return type == REG_SZ ? std::string(data, size) : "<not text>";
  }

 private:
  std::string name_;
};

TEST_F(OsysTest, AutostartIsWrittenAndDeleted) {
  AutostartValue value;
  std::string self = Text(OSYS::GetOwnFileName());
  std::string upper = self;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(toupper(c)); });

  for (const char* command : {"<self>", "<ownfile>", "<SELF>", upper.c_str(), OSYS_AUTOSTART_SELF}) {
    value.Remove();
    EXPECT_TRUE(OSYS::SetAutostart(value.Name(), command));
    EXPECT_EQ(value.Read(), "\"" + self + "\"" + '\0') << "stored quoted, with its terminator";
  }
  EXPECT_TRUE(OSYS::SetAutostart(value.Name(), "C:\\Tools\\tray.exe /quiet"));
  EXPECT_EQ(value.Read(), std::string("C:\\Tools\\tray.exe /quiet") + '\0');

  EXPECT_TRUE(OSYS::SetAutostart(value.Name(), nullptr));
  EXPECT_EQ(value.Read(), "<missing>");
  EXPECT_FALSE(OSYS::SetAutostart(value.Name(), nullptr)) << "nothing left to delete";
}

// --- DLLINTERFACE ---

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
