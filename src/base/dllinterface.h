// Run-time lookup of library functions: system functions newer than the oldest supported Windows and
// the entry points of hook libraries are taken by name, typed once at the call site.
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

// A library loaded by this program and freed with the object.
class DLLINTERFACE {
 public:
  DLLINTERFACE() = default;
  explicit DLLINTERFACE(HMODULE module) : Module(module) {}
  ~DLLINTERFACE() { Free(); }
  DLLINTERFACE(const DLLINTERFACE&) = delete;
  DLLINTERFACE& operator=(const DLLINTERFACE&) = delete;

  // Takes ownership of `module` (freeing the one held before); false when it is null.
  bool Attach(HMODULE module) {
    Free();
    Module = module;
    return Module != nullptr;
  }
  void Free() {
    if (Module) FreeLibrary(Module);
    Module = nullptr;
  }
  bool IsLoaded() const { return Module != nullptr; }
  HMODULE Handle() const { return Module; }
  template <typename PROC_T>
  PROC_T Get(const char* name) const {
    return LookupProc<PROC_T>(Module, name);
  }

 private:
  HMODULE Module = nullptr;
};
