// DLLINTERFACE: loading and freeing a library, looking up its functions by name, with a trace of
// each step unless the interface is quiet.
#include "base/dllinterface.h"

#include <cstdio>

#include "diag/logit.h"

// Copies a name for the traces, shortened to the field; null reads as an empty name.
template <size_t N>
static void KeepName(char (&field)[N], const char* name) {
  snprintf(field, N, "%s", name ? name : "");
}

DLLINTERFACE::DLLINTERFACE() : Module(nullptr), Quiet(false), Function(nullptr), FunctionName(), DllName() {}

DLLINTERFACE::DLLINTERFACE(const char* dllname, const char* function) : DLLINTERFACE() {
  logit("[>>]DLLINTERFACE::DLLINTERFACE dllname= %s\n", dllname ? dllname : "<NULL>");
  Load(dllname, function);
  logit("[<<]DLLINTERFACE::DLLINTERFACE done, hdll= %p\n", static_cast<void*>(Module));
}

DLLINTERFACE::~DLLINTERFACE() {
  if (!Quiet) logit("[>>]DLLINTERFACE::~DLLINTERFACE this->DllName= %s\n", DllName);
  Unload();
  if (!Quiet) logit("[<<]DLLINTERFACE::~DLLINTERFACE\n");
}

bool DLLINTERFACE::Load(const char* dllname, const char* function) {
  Unload();
  if (!Quiet) logit("DLLINTERFACE::Load %s %s\n", dllname ? dllname : "<NULL>", function ? function : "<NULL>");
  KeepName(DllName, dllname);
  Module = dllname ? LoadLibraryA(dllname) : nullptr;
  bool ok = Module != nullptr && (!function || GetFunction(function) != nullptr);
  if (!Quiet) logit("DLLINTERFACE::Load returns %d\n", ok ? 1 : 0);
  return ok;
}

bool DLLINTERFACE::Attach(HMODULE module, const char* dllname) {
  Unload();
  Module = module;
  KeepName(DllName, dllname);
  if (!Quiet) logit("DLLINTERFACE::Attach %s %p\n", DllName, static_cast<void*>(module));
  return Module != nullptr;
}

FARPROC DLLINTERFACE::GetFunction(const char* name) {
  if (!name) return Function;
  if (!Quiet) logit("DLLINTERFACE::GetFunction %s from %s\n", name, DllName);
  KeepName(FunctionName, name);
  Function = Module ? GetProcAddress(Module, name) : nullptr;
  if (!Quiet)
    logit("DLLINTERFACE::GetFunction %s for %p returns %p\n", name, static_cast<void*>(Module),
          reinterpret_cast<void*>(Function));
  return Function;
}

void DLLINTERFACE::Unload() {
  if (!Module && !Function) return;
  if (!Quiet) logit("DLLINTERFACE::Unload this->DllName= %s\n", DllName);
  if (Module) {
    if (!Quiet) logit("DLLINTERFACE::Unload free library %p (%s)\n", static_cast<void*>(Module), DllName);
    FreeLibrary(Module);
  }
  Module = nullptr;
  Function = nullptr;
  FunctionName[0] = 0;
  if (!Quiet) logit("DLLINTERFACE::Unload done\n");
}
