// The trace log's options: the /LOG family chooses and opens the target (a file, the desktop, a
// console, standard error), /LOGITCLOSE closes it, /LOG: and /D: raise the verbosity.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/diagcontext.h"
#include "diag/logit.h"
#include "diag/logstate.h"
#include "diag/norbaassert.h"

namespace {

// The argument's option name after "/" or "-" when it is `name` alone or `name` followed by ":";
// `target` receives the text after the colon.
bool IsOption(const char* arg, const char* name, const char** target) {
  size_t n = strlen(name);
  if (_strnicmp(arg + 1, name, n) != 0) return false;
  const char* rest = arg + 1 + n;
  if (*rest == '\0') {
    *target = rest;
    return true;
  }
  if (*rest != ':') return false;
  *target = rest + 1;
  return true;
}

// A log file name: at most a path.
struct LOGNAME {
  char Text[MAX_PATH + 1] = {};
};

bool SameText(const char* a, const char* b) { return _stricmp(a, b) == 0; }

// Replaces every `from` in `name` by `to`, within the name's room; `nocase` ignores letter case.
void Replace(LOGNAME& name, const char* from, const char* to, bool nocase) {
  LOGNAME result;
  size_t fromlen = strlen(from), tolen = strlen(to), used = 0;
  for (const char* p = name.Text; *p && used < sizeof(result.Text) - 1;) {
    bool match = (nocase ? _strnicmp(p, from, fromlen) : strncmp(p, from, fromlen)) == 0;
    const char* piece = match ? to : p;
    size_t n = match ? tolen : 1;
    if (n > sizeof(result.Text) - 1 - used) n = sizeof(result.Text) - 1 - used;
    memcpy(result.Text + used, piece, n);
    used += n;
    p += match ? fromlen : 1;
  }
  result.Text[used] = '\0';
  name = result;
}

// "Norba_" + the program's name with ".exe"/".app" made "_", upper case, + "logit.log".
LOGNAME BaseLogName() {
  char self[MAX_PATH + 1];
  DiagOwnFileName(self, sizeof(self));
  size_t len = strlen(self);
  while (len > 0 && (self[len - 1] == '/' || self[len - 1] == '.')) self[--len] = '\0';
  const char* file = self;
  for (const char* p = self; *p; p++)
    if (*p == '\\' || *p == '/' || *p == ':') file = p + 1;
  LOGNAME name;
  snprintf(name.Text, sizeof(name.Text), "%s", file);
  Replace(name, ".exe", "_", true);
  Replace(name, ".app", "_", true);
  CharUpperA(name.Text);
  LOGNAME base;
  snprintf(base.Text, sizeof(base.Text), "Norba_%slogit.log", name.Text);
  return base;
}

bool FileThere(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

// `name` in the shell folder `csidl`.
LOGNAME InShellFolder(int csidl, const char* name) {
  char folder[MAX_PATH + 1];
  DiagShellFolder(csidl, folder, sizeof(folder));
  LOGNAME result;
  DiagResolvePath(folder, name, result.Text, sizeof(result.Text));
  return result;
}

LOGNAME Named(const char* text) {
  LOGNAME name;
  snprintf(name.Text, sizeof(name.Text), "%s", text);
  return name;
}

LOGNAME DefaultTarget(const LOGNAME& base) {
  if (FileThere("..\\kiv.cpp")) return Named("..\\logit.log");
  if (FileThere("main.cpp") || FileThere("kiv.pdb")) return Named("logit.log");
  char user[257];
  DiagUserName(user, sizeof(user));
  return InShellFolder(SameText(user, "SYSTEM") ? CSIDL_PERSONAL : CSIDL_COMMON_DOCUMENTS, base.Text);
}

LOGNAME UniqueName(const LOGNAME& base) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LARGE_INTEGER count, frequency;
  long long millis = 0;
  if (QueryPerformanceCounter(&count) && QueryPerformanceFrequency(&frequency) && frequency.QuadPart)
    millis = count.QuadPart * 1000 / frequency.QuadPart;
  char unique[96];
  snprintf(unique, sizeof(unique), "Logit_%04d-%02d-%02d_%02d-%02d-%02d-%d_%X.log", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, static_cast<int>(millis % 1000),
           static_cast<unsigned>(GetCurrentProcessId()));
  LOGNAME name = base;
  Replace(name, "logit.log", unique, false);
  return name;
}

bool VistaOrLater() {
  DWORD platform = 0, major = 0, minor = 0;
  return DiagWindowsVersion(&platform, &major, &minor) && platform == VER_PLATFORM_WIN32_NT && major >= 6;
}

LOGNAME ResolveTarget(const char* target) {
  LOGNAME base = BaseLogName();
  if (!target || !*target) return DefaultTarget(base);
  LOGNAME name = SameText(target, "UNIQUE") ? UniqueName(base) : Named(target);
  if (!VistaOrLater()) return name;
  if (SameText(name.Text, "DESKTOP")) return InShellFolder(CSIDL_DESKTOPDIRECTORY, base.Text);
  if (SameText(name.Text, "CONSOLE") || SameText(name.Text, "STDERR")) return name;
  return InShellFolder(CSIDL_PERSONAL, name.Text);
}

void TraceOpening() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  logit("Logging starts at %04d-%02d-%02d %02d:%02d:%02d\n", now.wYear, now.wMonth, now.wDay, now.wHour,
        now.wMinute, now.wSecond);
  char self[MAX_PATH + 1];
  DiagOwnFileName(self, sizeof(self));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  SYSTEMTIME modified = {};
  if (GetFileAttributesExA(self, GetFileExInfoStandard, &data)) {
    FILETIME local;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &modified);
  }
  char when[32];
  snprintf(when, sizeof(when), "%04d-%02d-%02d  %02d:%02d:%02d", modified.wYear, modified.wMonth, modified.wDay,
           modified.wHour, modified.wMinute, modified.wSecond);
  logit("Running as %s (%lu bytes, %s)\n", self, static_cast<unsigned long>(data.nFileSizeLow), when);
}

void RecomputeTracingOn() { Log().TracingOn = Log().FileActive || Log().DebugOutput; }

void CloseLog() {
  LOGSTATE& log = Log();
  LOGLOCK lock;
  bool isfile = log.Handle && !SameText(log.Name, "STDERR") && !SameText(log.Name, "CONSOLE");
  if (isfile) CloseHandle(log.Handle);
  log.Handle = nullptr;
  if (log.ConsoleAllocated) FreeConsole();
  log.ConsoleAllocated = false;
  if (log.Temp && isfile) DeleteFileA(log.Name);
  log.FileActive = false;
  RecomputeTracingOn();
}

HANDLE OpenTarget(const char* name) {
  LOGSTATE& log = Log();
  if (SameText(name, "STDERR")) return GetStdHandle(STD_ERROR_HANDLE);
  if (SameText(name, "CONSOLE")) {
    log.ConsoleAllocated = AllocConsole() != 0;
    return GetStdHandle(STD_OUTPUT_HANDLE);
  }
  DWORD flags = FILE_ATTRIBUTE_NORMAL | (log.Hard ? FILE_FLAG_WRITE_THROUGH : 0);
  HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            log.Append ? OPEN_ALWAYS : CREATE_ALWAYS, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (log.Append) SetFilePointer(file, 0, nullptr, FILE_END);
  return file;
}

// Opens the log at `target` with the flags of the option's prefix.
void OpenLog(const char* target, bool hard, bool append, bool temp) {
  LOGSTATE& log = Log();
  if (log.FileActive) CloseLog();
  LOGNAME name = ResolveTarget(target);
  LOGLOCK lock;
  memcpy(log.Name, name.Text, sizeof(log.Name));
  log.Hard = hard;
  log.Append = append;
  log.Temp = temp;
  HANDLE handle = OpenTarget(log.Name);
  if (!handle || handle == INVALID_HANDLE_VALUE) {
    RecomputeTracingOn();
    return;
  }
  log.Handle = handle;
  log.FileActive = true;
  RecomputeTracingOn();
  if (append) logit("\n");
  TraceOpening();
}

unsigned DecimalValue(const char* text) { return static_cast<unsigned>(strtoul(text, nullptr, 10)); }

void RaiseLevel(unsigned bits) {
  Log().Level |= bits;
  logit("LogitLevel %08x\n", Log().Level);
}

}  // namespace

bool LogitOption(const char* arg) {
  if (!arg || (arg[0] != '/' && arg[0] != '-')) return false;
  const char* value = nullptr;
  if (IsOption(arg, "LOGITCLOSE", &value) && !*value) {
    CloseLog();
  } else if (IsOption(arg, "LOGITHARD", &value)) {
    OpenLog(value, true, false, false);
    // Crash dumps are wanted whether or not the log could be opened.
    EnableCrashDump(2);
  } else if (IsOption(arg, "LOGITAPPEND", &value)) {
    OpenLog(value, false, true, false);
  } else if (IsOption(arg, "LOGITTEMP", &value)) {
    OpenLog(value, false, false, true);
  } else if (IsOption(arg, "LOGIT", &value)) {
    OpenLog(value, false, false, false);
  } else if ((IsOption(arg, "LOGDEBUG", &value) || IsOption(arg, "LOGDBG", &value)) && !*value) {
    Log().DebugOutput = true;
    RecomputeTracingOn();
  } else if (IsOption(arg, "LOG", &value) && *value) {
    if (!Log().FileActive) OpenLog("", false, false, false);
    RaiseLevel(DecimalValue(value));
  } else if (IsOption(arg, "D", &value) && *value) {
    RaiseLevel(DecimalValue(value));
  } else if (IsOption(arg, "NOASSERT", &value) && !*value) {
    Log().NoAssert = !Log().NoAssert;
  } else if (IsOption(arg, "CRASHDUMP", &value)) {
    EnableCrashDump(*value ? static_cast<int>(DecimalValue(value)) : 2);
  } else {
    return false;
  }
  return true;
}
