// OSYS services on Win32: shell folders, program start, threads, identity, version, error texts, dates,
// resource texts, clocks and the autostart entry. Texts the system hands back are read whole: every
// buffer grows to the size the system asks for, so no path is ever cut short.
#include "base/osys.h"

#include <process.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <new>

#include "diag/diagcontext.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/dllinterface.h"
#include "base/registry.h"
#include "base/unicode.h"

static const char kAssertUnit[] = "osys_win32";

// The longest text a growing read accepts (the longest path Windows knows, with room to spare).
static const DWORD kLongestText = 65536;
static const unsigned kThreadStackSize = 32768;

namespace {

// Both handles of a started process, closed with the object unless handed over.
class PROCESSHANDLES {
 public:
  explicit PROCESSHANDLES(const PROCESS_INFORMATION& info) : Info(info) {}
  ~PROCESSHANDLES() {
    if (Info.hProcess) ::CloseHandle(Info.hProcess);
    if (Info.hThread) ::CloseHandle(Info.hThread);
  }
  PROCESSHANDLES(const PROCESSHANDLES&) = delete;
  PROCESSHANDLES& operator=(const PROCESSHANDLES&) = delete;
  HANDLE Process() const { return Info.hProcess; }
  PROCESS_INFORMATION Release() {
    PROCESS_INFORMATION info = Info;
    Info = PROCESS_INFORMATION();
    return info;
  }

 private:
  PROCESS_INFORMATION Info;
};

// One row of the shell-folder table: the registry value (under Key, or the "Shell Folders" key of the
// hive), and the shell's folder id for the fall-back.
struct SHELLFOLDERSOURCE {
  int Type;
  const char* Value;
  bool Machine;
  int FolderId;
  const char* Key;
};

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const SHELLFOLDERSOURCE kShellFolderSources[] = {
    {0, "Programs", false, CSIDL_PROGRAMS, nullptr},
    {1, "Startup", false, CSIDL_STARTUP, nullptr},
    {2, "ProgramFilesDir", true, CSIDL_PROGRAM_FILES, "Software\\Microsoft\\Windows\\CurrentVersion"},
    {5, "AppData", false, CSIDL_APPDATA, nullptr},
    {6, "Personal", false, CSIDL_PERSONAL, nullptr},
    {14, "Personal", false, CSIDL_PERSONAL, nullptr},
    {18, "Personal", false, CSIDL_PERSONAL, nullptr},
    {19, "Personal", false, CSIDL_PERSONAL, nullptr},
    {7, "My Pictures", false, CSIDL_MYPICTURES, nullptr},
    {8, "Desktop", false, CSIDL_DESKTOPDIRECTORY, nullptr},
    {9, "SendTo", false, CSIDL_SENDTO, nullptr},
    {10, "Common Programs", true, CSIDL_COMMON_PROGRAMS, nullptr},
    {11, "Common Startup", true, CSIDL_COMMON_STARTUP, nullptr},
    {12, "Common Documents", true, CSIDL_COMMON_DOCUMENTS, nullptr},
    {13, "Common AppData", true, CSIDL_COMMON_APPDATA, nullptr},
    {22, "Local AppData", false, CSIDL_LOCAL_APPDATA, nullptr},
};

}  // namespace

// Reads a text whose size the system decides. `call(buffer, size)` fills a buffer of `size` bytes and
// answers the text's length when it fit (below `size`), the size it needs when it did not (at least
// `size`), or 0 on failure.
template <typename CALL>
static bool ReadGrowing(DWORD size, CALL call, STRING& text) {
  STRING buffer;
  for (int attempt = 0; attempt < 8 && size > 0 && size <= kLongestText; attempt++) {
    if (!buffer.Make(static_cast<int>(size))) return false;
    DWORD n = call(buffer.GetBuffer(), size);
    if (n == 0) return false;
    if (n < size) {
      buffer.SetLength(static_cast<int>(n));
      text = buffer;
      return true;
    }
    size = n > size ? n : size * 2;
  }
  return false;
}

// The same for the calls that answer the characters written with their terminator, 0 with
// ERROR_INSUFFICIENT_BUFFER when the buffer is too small, and the size needed for a null buffer.
template <typename CALL>
static bool ReadLocaleText(CALL call, STRING& text) {
  return ReadGrowing(
      64,
      [&](char* buffer, DWORD size) -> DWORD {
        int n = call(buffer, static_cast<int>(size));
        if (n > 0) return static_cast<DWORD>(n - 1);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
        n = call(nullptr, 0);
        return n > 0 ? static_cast<DWORD>(n) : 0;
      },
      text);
}

static bool EndsWithBackslash(const STRING& text) { return text.Length() > 0 && text[text.Length() - 1] == '\\'; }

// ----------------------------------------------------------------------------------------------
// Shell folders
// ----------------------------------------------------------------------------------------------

static const SHELLFOLDERSOURCE* FindShellFolder(int type) {
  // Windows 9x has no common documents folder: the common application data stands in.
  if (type == 12 && OSYS::GetWindowsVersion() < 1) type = 13;
  for (const SHELLFOLDERSOURCE& folder : kShellFolderSources)
    if (folder.Type == type) return &folder;
  return nullptr;
}

static bool ExpandEnvironment(const STRING& text, STRING& expanded) {
  return ReadGrowing(
      1024,
      [&](char* buffer, DWORD size) -> DWORD {
        DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer, size);
        if (n == 0) return 0;
        return n <= size ? n - 1 : n;
      },
      expanded);
}

// The folder as the registry records it, read whole; false when missing or not a text.
static bool ShellFolderFromRegistry(const SHELLFOLDERSOURCE& folder, STRING& path, LONG& rc) {
  REGISTRY key(folder.Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, folder.Key ? folder.Key : kShellFoldersKey,
               nullptr, REGISTRY_READ);
  DWORD type = REG_NONE;
  bool ok = key.Read(folder.Value, path, &type);
  rc = ok ? ERROR_SUCCESS : key.GetError();
  if (ok && type != REG_SZ && type != REG_EXPAND_SZ) {
    ok = false;
    rc = ERROR_DATATYPE_MISMATCH;
  }
  if (!ok) path = STRING("", 1252);
  logitlevel(1, "OSYS::GetSystemPath after RegQueryValueExA rc=%d, temp=%s, templen=%ld\n", static_cast<int>(rc),
             path.c_str(), static_cast<long>(path.Length()));
  return ok;
}

static bool ShellFolderFromShell(int folderid, STRING& path) {
  char buffer[MAX_PATH + 1] = {};
  HRESULT hr = SHGetFolderPathA(nullptr, folderid | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer);
  bool ok = SUCCEEDED(hr) && buffer[0] != 0;
  path = STRING(ok ? buffer : "", 1252);
  logitlevel(1, "OSYS::GetSystemPath before ExpandEnvironmentStrings: rc=%d, temp=%s\n", ok ? 1 : 0, path.c_str());
  return ok;
}

static STRING ShellFolderPath(const SHELLFOLDERSOURCE& folder, int type) {
  STRING path;
  LONG rc = ERROR_SUCCESS;
  bool ok = ShellFolderFromRegistry(folder, path, rc) && path.Length() >= 3;
  if (!ok) {
    logitlevel(1, "OSYS::GetSystemPath before trying SHGetFolderPathA (RegQueryValueExA returned %s)\n",
               OSYS::GetLastErrorString(static_cast<int>(rc)).c_str());
    ok = ShellFolderFromShell(folder.FolderId, path);
  }
  STRING expanded;
  if (!ok || !ExpandEnvironment(path, expanded)) {
    STRING info;
    info.Format("GetSystemPath %d", type);
    Assert(0, "rc==ERROR_SUCCESS", kAssertUnit, __LINE__, info.c_str(), 1);
    return STRING();
  }
  logitlevel(1, "OSYS::GetSystemPath after ExpandEnvironmentStrings: result=%s\n", expanded.c_str());
  if (!EndsWithBackslash(expanded)) expanded.Append("\\");
  return expanded;
}

STRING OSYS::GetSystemPath(int type) {
  logitlevel(1, "[>>]OSYS::GetSystemPath %d\n", type);
  STRING result;
  const SHELLFOLDERSOURCE* folder = FindShellFolder(type);
  if (folder) {
    result = ShellFolderPath(*folder, type);
  } else {
    STRING info;
    info.Format("unknown shell folder type %d", type);
    Assert(0, "FALSE", kAssertUnit, __LINE__, info.c_str());
  }
  logitlevel(1, "OSYS::GetSystemPath type %d -> '%s'\n", type, result.c_str());
  logitlevel(1, "[<<]OSYS::GetSystemPath done\n");
  return result;
}

// ----------------------------------------------------------------------------------------------
// Programs
// ----------------------------------------------------------------------------------------------

// The window state the flags ask for; SW_SHOWNORMAL leaves the choice to the program.
static WORD ShowStateOfFlags(int flags) {
  if (flags & OSYS_START_HIDDEN) return SW_HIDE;
  if (flags & OSYS_START_MINIMIZED) return SW_SHOWMINIMIZED;
  if (flags & OSYS_START_MAXIMIZED) return SW_SHOWMAXIMIZED;
  return SW_SHOWNORMAL;
}

// The program is quoted when arguments follow, and also when it holds a blank: an unquoted
// "C:\Program Files\x.exe" would let Windows start "C:\Program.exe" instead.
static STRING CommandLineOf(const char* program, const char* args) {
  bool hasargs = args && *args;
  bool quote = program[0] != '"' && (hasargs || strpbrk(program, " \t"));
  STRING line("", 1252);
  if (quote) line.Append("\"");
  line.Append(program);
  if (quote) line.Append("\"");
  if (hasargs) line.Append(" ").Append(args);
  return line;
}

// Dispatches up to `most` waiting messages; false when the thread was asked to quit (the request is
// put back for the thread's own message loop).
static bool DispatchWaitingMessages(int most) {
  MSG msg;
  for (int i = 0; i < most && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

static void WaitForProcess(HANDLE process, bool pump) {
  if (pump) {
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT)
      if (!DispatchWaitingMessages(42)) break;
  }
  WaitForSingleObject(process, INFINITE);
}

static void ReadExitCode(HANDLE process, int* exitcode) {
  DWORD code = 0;
  if (GetExitCodeProcess(process, &code)) {
    *exitcode = static_cast<int>(code);
    return;
  }
  DWORD error = GetLastError();
  logit("OSYS::StartProgram GetExitCodeProcess returned %d/%s\n", static_cast<int>(error),
        OSYS::GetLastErrorString(static_cast<int>(error)).c_str());
}

bool OSYS::StartProgram(const char* program, const char* args, const char* workdir, const char* title, int flags,
                        PROCESS_INFORMATION* procinfo, int* exitcode) {
  const char* name = NullGuard(program, "StartProgram program");
  if (!name) name = "";
  WORD show = ShowStateOfFlags(flags);
  if (name[0] == '*' || name[0] == '#') show = *name++ == '*' ? SW_SHOWMINIMIZED : SW_HIDE;
  bool sync = (flags & OSYS_START_SYNC) != 0;
  if (exitcode) *exitcode = OSYS_NO_EXITCODE;
  logit("OSYS::StartProgram %s %s (sync= %d)\n", name, args ? args : "", sync ? 1 : 0);

  STRING commandline = CommandLineOf(name, args);
  STRING titletext(title, 1252);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  if (title && *title) startup.lpTitle = titletext.GetBuffer();
  if (show != SW_SHOWNORMAL) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
  }
  PROCESS_INFORMATION info = {};
  BOOL created = CreateProcessA(nullptr, commandline.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr,
                                workdir && *workdir ? workdir : nullptr, &startup, &info);
  logit("OSYS::StartProgram rc= %d\n", created ? 1 : 0);
  if (!created) {
    logit("OSYS::StartProgram getlasterrorstring returned %s\n", GetLastErrorString(OSYS_LAST_ERROR).c_str());
  } else {
    PROCESSHANDLES handles(info);
    if (sync) WaitForProcess(handles.Process(), (flags & OSYS_START_PUMP) != 0);
    if (sync && exitcode) ReadExitCode(handles.Process(), exitcode);
    if (procinfo) *procinfo = handles.Release();
  }
  logit("StartProgram done ok= %d\n", created ? 1 : 0);
  return created != FALSE;
}

bool OSYS::ShellOpen(const char* file, HWND window) {
  STRING directory = GetCurrentDirectory();
  HINSTANCE rc =
      ShellExecuteA(window, "open", file, nullptr, directory.IsEmpty() ? nullptr : directory.c_str(), SW_SHOWNORMAL);
  INT_PTR code = reinterpret_cast<INT_PTR>(rc);
  logit("OSYS::ShellOpen %s returned %d\n", NullGuard(file, "ShellOpen file"), static_cast<int>(code));
  return code > 32;
}

// ----------------------------------------------------------------------------------------------
// Threads
// ----------------------------------------------------------------------------------------------

static HANDLE BeginThread(OSYSTHREADPROC func, void* parm, unsigned& tid) {
  tid = 0;
  return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, kThreadStackSize, func, parm, 0, &tid));
}

HANDLE OSYS::CreateThread(OSYSTHREADPROC func, void* parm) {
  unsigned tid = 0;
  HANDLE thread = BeginThread(func, parm, tid);
  logit("OSYS::CreateThread returned hthread= %p, tid= %04x\n", static_cast<void*>(thread), tid);
  return thread;
}

HANDLE OSYS::CreateThreadWithParm(OSYSTHREADPROC func, void* p1, void* p2) {
  std::unique_ptr<OSYSTHREADPARM> block(new (std::nothrow) OSYSTHREADPARM{OSYS_THREADPARM_MARKER, p1, p2});
  if (!block) {
    Assert(0, "pparm", kAssertUnit, __LINE__);
    return nullptr;
  }
  unsigned tid = 0;
  HANDLE thread = BeginThread(func, block.get(), tid);
  // From here on the new thread owns the block.
  if (thread) block.release();
  logit("OSYS::CreateThreadWithParm returned %p, tid= %04x\n", static_cast<void*>(thread), tid);
  return thread;
}

bool OSYS::TakeThreadParm(void* parm, void** p1, void** p2) {
  std::unique_ptr<OSYSTHREADPARM> block(static_cast<OSYSTHREADPARM*>(parm));
  if (!block || block->Marker != OSYS_THREADPARM_MARKER) {
    // Not a block of ours: it is none of our business to free it.
    block.release();
    Assert(0, "pparm->Marker==0xFFEEDDCC", kAssertUnit, __LINE__);
    return false;
  }
  if (p1) *p1 = block->Parm1;
  if (p2) *p2 = block->Parm2;
  return true;
}

bool OSYS::WaitThread(HANDLE hthread, int timeout) {
  if (!hthread) {
    Assert(0, "hthread!=NULL", kAssertUnit, __LINE__);
    return false;
  }
  DWORD rc = WaitForSingleObject(hthread, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout));
  if (rc == WAIT_OBJECT_0) {
    ::CloseHandle(hthread);
    return true;
  }
  logit("OSYS::WaitThread hthread=%p timeout=%d failed %s\n", static_cast<void*>(hthread), timeout,
        rc == WAIT_TIMEOUT ? "(time-out)" : GetLastErrorString(OSYS_LAST_ERROR).c_str());
  return false;
}

bool OSYS::CloseHandle(HANDLE h) { return ::CloseHandle(h) != FALSE; }

void OSYS::Sleep(int ms) { ::Sleep(ms < 0 ? INFINITE : static_cast<DWORD>(ms)); }

// ----------------------------------------------------------------------------------------------
// Texts of the system: errors, dates, names, folders
// ----------------------------------------------------------------------------------------------

STRING OSYS::GetLastErrorString(int code) {
  DWORD error = code == OSYS_LAST_ERROR ? GetLastError() : static_cast<DWORD>(code);
  char text[257];
  DiagErrorText(error, text, sizeof(text));
  return STRING(text, 1252);
}

STRING OSYS::GetDateString() {
  STRING date;
  ReadLocaleText(
      [](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, size);
      },
      date);
  return date;
}

STRING OSYS::GetTimeString() {
  STRING format;
  ReadLocaleText(
      [](char* buffer, int size) { return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, buffer, size); },
      format);
  if (format.IsEmpty()) format = STRING("HH:mm:ss", 1252);
  STRING time;
  ReadLocaleText(
      [&](char* buffer, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, format.c_str(), buffer, size);
      },
      time);
  return time;
}

STRING OSYS::GetUserName() {
  STRING name;
  bool ok = ReadGrowing(
      257,
      [](char* buffer, DWORD size) -> DWORD {
        DWORD n = size;
        if (::GetUserNameA(buffer, &n)) return n > 0 ? n - 1 : 0;
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER && n > size ? n : 0;
      },
      name);
  return ok ? name : STRING("", 1252);
}

STRING OSYS::GetComputerName() {
  STRING name;
  bool ok = ReadGrowing(
      MAX_COMPUTERNAME_LENGTH + 1,
      [](char* buffer, DWORD size) -> DWORD {
        DWORD n = size;
        if (::GetComputerNameA(buffer, &n)) return n;
        return GetLastError() == ERROR_BUFFER_OVERFLOW && n > size ? n : 0;
      },
      name);
  return ok && name.IsNotEmpty() ? name : STRING("<N/A>", 1252);
}

STRING OSYS::GetCurrentDirectory() {
  STRING directory;
  bool ok = ReadGrowing(
      MAX_PATH, [](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); }, directory);
  return ok ? directory : STRING("", 1252);
}

bool OSYS::SetCurrentDirectory(const char* dir) {
  bool ok = dir && ::SetCurrentDirectoryA(dir);
  logit("OSYS::SetCurrentDirectory %s returned %d\n", NullGuard(dir, "SetCurrentDirectory dir"), ok ? 1 : 0);
  return ok;
}

STRING OSYS::GetOwnFileName() {
  STRING path;
  bool ok = ReadGrowing(
      MAX_PATH,
      [](char* buffer, DWORD size) -> DWORD {
        DWORD n = GetModuleFileNameA(nullptr, buffer, size);
        // A name that fills the buffer may have been cut: ask again with a bigger one.
        return n < size ? n : size * 2;
      },
      path);
  return ok ? path : STRING("", 1252);
}

// ----------------------------------------------------------------------------------------------
// Version, counters, resources, autostart
// ----------------------------------------------------------------------------------------------

int OSYS::WindowsVersionCode(DWORD platform, DWORD major, DWORD minor) {
  if (platform != VER_PLATFORM_WIN32_NT) return 0;
  if (major < 5) return 1;
  if (major == 5) return minor == 0 ? 2 : minor == 1 ? 3 : 4;
  if (major == 6) return minor == 0 ? 5 : minor == 1 ? 6 : minor == 2 ? 7 : 8;
  return 9;
}

static int ReadWindowsVersion() {
  DWORD platform = 0, major = 0, minor = 0;
  return DiagWindowsVersion(&platform, &major, &minor) ? OSYS::WindowsVersionCode(platform, major, minor) : 0;
}

int OSYS::GetWindowsVersion() {
  static const int code = ReadWindowsVersion();
  return code;
}

bool OSYS::GetHighResCounter(LONGLONG* count, LONGLONG* frequency) {
  LARGE_INTEGER value;
  bool read = false;
  if (count && QueryPerformanceCounter(&value)) {
    *count = value.QuadPart;
    read = true;
  }
  if (frequency && QueryPerformanceFrequency(&value)) {
    *frequency = value.QuadPart;
    read = true;
  }
  return read;
}

static BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;
}

// The 8-bit code page of a string-table text: the Windows code page of the language the table block
// holding `id` is written in (1250 for Hungarian), when the converter has a table for it; else 1252.
static int StringTableCodePage(HINSTANCE module, int id) {
  WORD language = LANG_NEUTRAL;
  EnumResourceLanguagesA(module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), TakeFirstLanguage,
                         reinterpret_cast<LONG_PTR>(&language));
  DWORD codepage = 0;
  if (PRIMARYLANGID(language) == LANG_NEUTRAL ||
      !GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&codepage), sizeof(codepage) / sizeof(WCHAR)))
    return 1252;
  const UNICODETABLE* table = UNICODE::Get().TableInfo(static_cast<int>(codepage));
  return table && !table->MultiByte ? static_cast<int>(codepage) : 1252;
}

static HINSTANCE gLanguageModule = nullptr;

void OSYS::SetLanguageModule(HINSTANCE module) { gLanguageModule = module; }

HINSTANCE OSYS::GetLanguageModule() { return gLanguageModule ? gLanguageModule : GetModuleHandleA(nullptr); }

STRING OSYS::GetStringFromResource(int id, HINSTANCE module) {
  if (module == OSYS_LANGUAGE_MODULE) module = GetLanguageModule();
  // The table holds UTF-16; the text keeps the letters of its language in that language's code page.
  WCHAR wide[1024];
  int len = LoadStringW(module, static_cast<UINT>(id), wide, 1024);
  STRING text = len > 0 ? STRING(wide, len, StringTableCodePage(module, id)) : STRING("<STRING-ERROR>", 1252);
  logitlevel(12, "OSYS::GetStringFromResource %d returns %s\n", id, text.c_str());
  return text;
}

// Whether an autostart command stands for this program itself.
static bool IsOwnProgram(const char* command, const STRING& self) {
  if (command == OSYS_AUTOSTART_SELF) return true;
  return self == command || STRING::stricmp(command, "<ownfile>", 1) == 0 || STRING::stricmp(command, "<self>", 1) == 0;
}

bool OSYS::SetAutostart(const char* valuename, const char* command) {
  REGISTRY run(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", nullptr, REGISTRY_CREATE);
  STRING self = GetOwnFileName();
  bool ok = false;
  if (!command)
    ok = run.DeleteValue(valuename);
  else if (IsOwnProgram(command, self))
    ok = self.IsNotEmpty() && run.WriteString(valuename, ("\"" + self + "\"").c_str());
  else
    ok = run.WriteString(valuename, command);
  logit("OSYS::SetAutostart %s returns %d\n", NullGuard(valuename, "SetAutostart valuename"), ok ? 1 : 0);
  return ok;
}

static DWORD gMilliClockStart = 0;

void OSYS::StartMilliClock() { gMilliClockStart = GetTickCount(); }

unsigned OSYS::GetMilliClock() { return GetTickCount() - gMilliClockStart; }
