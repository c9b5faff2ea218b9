// The hook entry points with their built-in defaults, the calls that send events to them, and the
// loading of the SETUPHOOK library.
#include "hooks/setuphook.h"

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/filename.h"
#include "base/osys.h"

static const char kAssertUnit[] = "main";
static const char kHookLibraryName[] = "SETUPHOOK.dll";

INT_PTR WINAPI SetupHookDummy(INT_PTR, INT_PTR) { return 1; }

INT_PTR WINAPI NewSetupHookDummy(INT_PTR event, INT_PTR a, HWND, HWND, void*, INT_PTR value) {
  logit("SETUP::NewSetupHookDummy %d %d %p\n", static_cast<int>(event), static_cast<int>(a),
        reinterpret_cast<void*>(value));
  return 1;
}

SETUPHOOKPROC SetupHook = SetupHookDummy;
NEWSETUPHOOKPROC NewSetupHook = NewSetupHookDummy;

INT_PTR CallSetupHook(int event, INT_PTR value) {
  SETUPHOOKPROC hook = SetupHook;
  return hook ? hook(event, value) : 0;
}

INT_PTR CallNewSetupHook(int event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction, INT_PTR value) {
  NEWSETUPHOOKPROC hook = NewSetupHook;
  return hook ? hook(event, a, window, pagewindow, pagefunction, value) : 0;
}

#ifndef LOAD_LIBRARY_SEARCH_APPLICATION_DIR
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

STRING HOOKLIBRARY::PathBeside(const STRING& programfile) {
  FILENAME program;
  program = programfile;
  if (!program.IsBelowRoot()) return STRING();
  return FILENAME::Join(program.GetPath(), kHookLibraryName);
}

static HMODULE LoadHookModule() {
  HMODULE module =
      LoadLibraryExA(kHookLibraryName, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Windows without the restricted search flags: name the library by its full path beside the program,
  // whose file name the system gives (the current folder may have changed since the start).
  STRING path = HOOKLIBRARY::PathBeside(OSYS::GetOwnFileName());
  if (path.IsEmpty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool HOOKLIBRARY::Load() { return Attach(LoadHookModule()); }

bool HOOKLIBRARY::Attach(HMODULE module) {
  Free();
  if (!Library.Attach(module, kHookLibraryName)) return false;
  SetupHook = Library.GetFunction<SETUPHOOKPROC>("SetupHook");
  Assert(SetupHook != nullptr, "fpSetupHook", kAssertUnit, 69);
  NewSetupHook = Library.GetFunction<NEWSETUPHOOKPROC>("NewSetupHook");
  return true;
}

void HOOKLIBRARY::Free() {
  if (!Library.IsLoaded()) return;
  Library.Unload();
  SetupHook = nullptr;
  // Nothing may call into the freed library any more.
  NewSetupHook = NewSetupHookDummy;
}
