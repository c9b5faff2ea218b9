// The program's identity for the diagnostics and their system services, on Win32 and the C run-time
// alone. Fixed buffers throughout: a report may be written when memory has run out.
#include "diag/diagcontext.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

int gLocale = 9;

namespace {

char gProgramName[128];
char gProgramVersion[64];
DIAGPATHRESOLVER gResolver = nullptr;

// Copies `text` into `out`, cut to its size; false when it was cut.
bool CopyText(const char* text, char* out, size_t size) {
  if (!out || size == 0) return false;
  int n = snprintf(out, size, "%s", text ? text : "");
  return n >= 0 && static_cast<size_t>(n) < size;
}

// A text the system allocated with LocalAlloc, freed with the object.
class LOCALTEXT {
 public:
  LOCALTEXT() = default;
  ~LOCALTEXT() {
    if (Text) LocalFree(Text);
  }
  LOCALTEXT(const LOCALTEXT&) = delete;
  LOCALTEXT& operator=(const LOCALTEXT&) = delete;
  char* Text = nullptr;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(const char* name) {
  return IsSeparator(name[0]) || (name[0] != '\0' && name[1] == ':');
}

}  // namespace

void DiagSetProgram(const char* name, const char* version) {
  CopyText(name, gProgramName, sizeof(gProgramName));
  CopyText(version, gProgramVersion, sizeof(gProgramVersion));
}

const char* DiagProgramName() { return gProgramName; }
const char* DiagProgramVersion() { return gProgramVersion; }
bool DiagGerman() { return gLocale == 7; }

void DiagSetPathResolver(DIAGPATHRESOLVER resolver) { gResolver = resolver; }

bool DiagResolvePath(const char* folder, const char* name, char* out, size_t size) {
  if (gResolver) return gResolver(folder, name, out, size);
  return IsAbsolute(name) ? CopyText(name, out, size) : DiagJoin(folder, name, out, size);
}

bool DiagJoin(const char* folder, const char* name, char* out, size_t size) {
  size_t len = strlen(folder);
  const char* separator = len > 0 && !IsSeparator(folder[len - 1]) ? "\\" : "";
  while (IsSeparator(*name)) name++;
  int n = snprintf(out, size, "%s%s%s", folder, separator, name);
  return n >= 0 && static_cast<size_t>(n) < size;
}

bool DiagOwnFileName(char* out, size_t size) {
  DWORD n = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(size));
  // A name that fills the buffer may have been cut.
  if (n == 0 || n >= size) {
    CopyText("", out, size);
    return false;
  }
  return true;
}

bool DiagShellFolder(int csidl, char* out, size_t size) {
  char path[MAX_PATH + 1] = {};
  bool ok = SUCCEEDED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)) &&
            path[0] != '\0';
  if (ok && DiagJoin(path, "", out, size)) return true;
  CopyText("", out, size);
  return false;
}

bool DiagUserName(char* out, size_t size) {
  DWORD n = static_cast<DWORD>(size);
  if (GetUserNameA(out, &n)) return true;
  CopyText("", out, size);
  return false;
}

void DiagErrorText(DWORD error, char* out, size_t size) {
  LOCALTEXT text;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<LPSTR>(&text.Text), 0, nullptr);
  while (n > 0 && text.Text && (text.Text[n - 1] == '\r' || text.Text[n - 1] == '\n')) n--;
  if (n == 0 || !text.Text) {
    CopyText("<no error>", out, size);
  } else if (size > 0) {
    size_t keep = n < size ? n : size - 1;
    memcpy(out, text.Text, keep);
    out[keep] = '\0';
  }
}

void DiagTimeText(char* out, size_t size) {
  char format[80];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, sizeof(format)) <= 0 || format[0] == '\0')
    CopyText("HH:mm:ss", format, sizeof(format));
  if (size == 0 || GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, format, out, static_cast<int>(size)) <= 0)
    CopyText("", out, size);
}

bool DiagWindowsVersion(DWORD* platform, DWORD* major, DWORD* minor) {
  typedef LONG(WINAPI * RTLGETVERSION)(OSVERSIONINFOW*);
  auto getversion = reinterpret_cast<RTLGETVERSION>(reinterpret_cast<void*>(DiagSystemProc("ntdll.dll", "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (getversion && getversion(&info) == 0) {
    *platform = info.dwPlatformId;
    *major = info.dwMajorVersion;
    *minor = info.dwMinorVersion;
    return true;
  }
  OSVERSIONINFOA old = {};
  old.dwOSVersionInfoSize = sizeof(old);
  if (!GetVersionExA(&old)) return false;
  *platform = old.dwPlatformId;
  *major = old.dwMajorVersion;
  *minor = old.dwMinorVersion;
  return true;
}

FARPROC DiagSystemProc(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  return module ? GetProcAddress(module, name) : nullptr;
}
