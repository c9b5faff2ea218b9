// The trace log's options: the /LOG family chooses and opens the target (a file, the desktop, a
// console, standard error), /LOGITCLOSE closes it, /LOG: and /D: raise the verbosity.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/logit.h"
#include "diag/logstate.h"
#include "diag/norbaassert.h"
#include "base/filename.h"
#include "base/osys.h"

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

// "Norba_" + the program's name with ".exe"/".app" made "_", upper case, + "logit.log".
STRING BaseLogName() {
  STRING self = OSYS::GetOwnFileName();
  self.Trim('R', "/.");
  STRING name = FILENAME(self.c_str()).GetName();
  name.Replace(".exe", "_", 0);
  name.Replace(".app", "_", 0);
  name.ToUpper();
  return STRING("Norba_", 1252) + name + "logit.log";
}

bool FileThere(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

STRING DefaultTarget(const STRING& base) {
  if (FileThere("..\\kiv.cpp")) return STRING("..\\logit.log", 1252);
  if (FileThere("main.cpp") || FileThere("kiv.pdb")) return STRING("logit.log", 1252);
  int folder = OSYS::GetUserName() == "SYSTEM" ? 18 : 12;
  return FILENAME(OSYS::GetSystemPath(folder).c_str(), base.c_str());
}

STRING UniqueName(const STRING& base) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  STRING stamp;
  stamp.Format("%04d-%02d-%02d  %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
               now.wSecond);
  stamp.Replace("  ", "_", 1);
  stamp.Replace(":", "-", 1);
  LARGE_INTEGER count, frequency;
  long long millis = 0;
  if (QueryPerformanceCounter(&count) && QueryPerformanceFrequency(&frequency) && frequency.QuadPart)
    millis = count.QuadPart * 1000 / frequency.QuadPart;
  STRING unique;
  unique.Format("Logit_%s-%d_%X.log", stamp.c_str(), static_cast<int>(millis % 1000),
                static_cast<unsigned>(GetCurrentProcessId()));
  STRING name = base;
  name.Replace("logit.log", unique.c_str(), 1);
  return name;
}

STRING ResolveTarget(const char* target) {
  STRING base = BaseLogName();
  if (!target || !*target) return DefaultTarget(base);
  STRING name(target, 1252);
  if (name == "UNIQUE") name = UniqueName(base);
  if (OSYS::GetWindowsVersion() < 5) return name;
  if (name == "DESKTOP") return FILENAME(OSYS::GetSystemPath(8).c_str(), base.c_str());
  if (name == "CONSOLE" || name == "STDERR") return name;
  return FILENAME(OSYS::GetSystemPath(18).c_str(), name.c_str());
}

void TraceOpening() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  logit("Logging starts at %04d-%02d-%02d %02d:%02d:%02d\n", now.wYear, now.wMonth, now.wDay, now.wHour,
        now.wMinute, now.wSecond);
  STRING self = OSYS::GetOwnFileName();
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  SYSTEMTIME modified = {};
  if (GetFileAttributesExA(self.c_str(), GetFileExInfoStandard, &data)) {
    FILETIME local;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &modified);
  }
  char when[32];
  snprintf(when, sizeof(when), "%04d-%02d-%02d  %02d:%02d:%02d", modified.wYear, modified.wMonth, modified.wDay,
           modified.wHour, modified.wMinute, modified.wSecond);
  logit("Running as %s (%lu bytes, %s)\n", self.c_str(), static_cast<unsigned long>(data.nFileSizeLow), when);
}

void RecomputeTracingOn() { Log().TracingOn = Log().FileActive || Log().DebugOutput; }

void CloseLog() {
  LOGSTATE& log = Log();
  CRITICALSECTIONLOCK lock(LogLock());
  bool isfile = log.Handle && !(log.Name == "STDERR") && !(log.Name == "CONSOLE");
  if (isfile) CloseHandle(log.Handle);
  log.Handle = nullptr;
  if (log.ConsoleAllocated) FreeConsole();
  log.ConsoleAllocated = false;
  if (log.Temp && isfile) DeleteFileA(log.Name.c_str());
  log.FileActive = false;
  RecomputeTracingOn();
}

HANDLE OpenTarget(const STRING& name) {
  LOGSTATE& log = Log();
  if (name == "STDERR") return GetStdHandle(STD_ERROR_HANDLE);
  if (name == "CONSOLE") {
    log.ConsoleAllocated = AllocConsole() != 0;
    return GetStdHandle(STD_OUTPUT_HANDLE);
  }
  DWORD flags = FILE_ATTRIBUTE_NORMAL | (log.Hard ? FILE_FLAG_WRITE_THROUGH : 0);
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            log.Append ? OPEN_ALWAYS : CREATE_ALWAYS, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (log.Append) SetFilePointer(file, 0, nullptr, FILE_END);
  return file;
}

// Opens the log at `target` with the flags of the option's prefix.
void OpenLog(const char* target, bool hard, bool append, bool temp) {
  LOGSTATE& log = Log();
  if (log.FileActive) CloseLog();
  STRING name = ResolveTarget(target);
  CRITICALSECTIONLOCK lock(LogLock());
  log.Name = name;
  log.Hard = hard;
  log.Append = append;
  log.Temp = temp;
  HANDLE handle = OpenTarget(name);
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
