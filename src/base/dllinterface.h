// DLLINTERFACE: a library loaded by this program and freed with the object, with run-time lookup of its
// functions; and the plain lookups for system functions newer than the oldest supported Windows.
// Functions are taken by name and typed once at the call site.
#pragma once

#include <windows.h>

// The function `name` of `module` as a pointer of type PROC_T, or null when the module or name is missing.
template <typename PROC_T>
PROC_T LookupProc(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<PROC_T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The same for a system library that the process has loaded already (kernel32, user32, ntdll).
template <typename PROC_T>
PROC_T LookupSystemProc(const char* library, const char* name) {
  return LookupProc<PROC_T>(GetModuleHandleA(library), name);
}

class DLLINTERFACE {
 public:
  DLLINTERFACE();
  // Load(dllname, function).
  explicit DLLINTERFACE(const char* dllname, const char* function = nullptr);
  ~DLLINTERFACE();
  DLLINTERFACE(const DLLINTERFACE&) = delete;
  DLLINTERFACE& operator=(const DLLINTERFACE&) = delete;

  // Unloads any library first, then loads `dllname` and, when `function` is given, looks it up and
  // remembers it. True when the library is loaded and the function (if asked for) was found.
  bool Load(const char* dllname, const char* function = nullptr);
  // Takes over a library that was loaded elsewhere (with search rules of its own); false when null.
  bool Attach(HMODULE module, const char* dllname);
  // The address of `name`, remembered as the last function; a null `name` answers the remembered one.
  FARPROC GetFunction(const char* name);
  template <typename PROC_T>
  PROC_T GetFunction(const char* name) {
    return reinterpret_cast<PROC_T>(reinterpret_cast<void*>(GetFunction(name)));
  }
  // Frees the library and forgets the function.
  void Unload();

  bool IsLoaded() const { return Module != nullptr; }
  HMODULE Handle() const { return Module; }
  const char* GetName() const { return DllName; }
  // A quiet interface writes no traces (for lookups made very often or before tracing is safe).
  void SetQuiet(bool quiet) { Quiet = quiet; }

 private:
  HMODULE Module;
  bool Quiet;
  FARPROC Function;
  // The names serve the traces only: a longer name is shortened here, never where it is used.
  char FunctionName[128];
  char DllName[128];
};
