// The setup hook interface: the two process-wide entry points through which a product hook (the
// SETUPHOOK library or a built-in generation) takes part in installation, removal and admin commands.
// Events, their arguments and the calling convention are published in norba/setuphook_api.h.
#pragma once

#include <windows.h>

#ifndef NORBA_SETUPHOOK_HOST
#define NORBA_SETUPHOOK_HOST  // this program holds pointers named like the entry points
#endif
#include <norba/setuphook_api.h>

#include "base/dllinterface.h"
#include "base/strings.h"

// SetupHook(event, value): the answer counts for the admin command only (non-zero: done).
typedef NORBA_SETUPHOOKPROC SETUPHOOKPROC;
// NewSetupHook(event, a, window, page window, page function, value); the answer is not used.
typedef NORBA_NEWSETUPHOOKPROC NEWSETUPHOOKPROC;

// Null while no hook is set: SetupHook after the hook library was freed or when it lacks the entry,
// NewSetupHook when the hook library lacks it. The wizard keeps its own copy of NewSetupHook.
extern SETUPHOOKPROC SetupHook;
extern NEWSETUPHOOKPROC NewSetupHook;

// The built-in defaults: they do nothing (NewSetupHookDummy traces its call) and answer 1.
INT_PTR WINAPI SetupHookDummy(INT_PTR event, INT_PTR value);
INT_PTR WINAPI NewSetupHookDummy(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                 INT_PTR value);

// A text, a table or another object handed to a hook as its pointer-sized argument.
inline INT_PTR HookArg(const void* p) { return reinterpret_cast<INT_PTR>(p); }

// Send an event to the hook when one is set; the answer, or 0 when none is set.
INT_PTR CallSetupHook(int event, INT_PTR value);
INT_PTR CallNewSetupHook(int event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction, INT_PTR value);

// The hook library lies beside the program: SETUPHOOK.dll. It is loaded only from the program's own
// folder or the system folders, never from the current folder or the search path.
class HOOKLIBRARY {
 public:
  HOOKLIBRARY() = default;
  ~HOOKLIBRARY() { Free(); }
  HOOKLIBRARY(const HOOKLIBRARY&) = delete;
  HOOKLIBRARY& operator=(const HOOKLIBRARY&) = delete;

  // Loads the library and takes its entry points; false when there is none.
  bool Load();
  // SETUPHOOK.dll beside `programfile`; empty unless `programfile` is a full path (FILENAME::IsBelowRoot),
  // so that the library is never looked for relative to the current folder.
  static STRING PathBeside(const STRING& programfile);
  // Takes over a loaded library and its entry points: SetupHook (its absence is the assertion
  // "fpSetupHook" and leaves the pointer null) and NewSetupHook (null when absent). False for null.
  bool Attach(HMODULE module);
  // Frees the library, sets SetupHook to null and NewSetupHook back to its default.
  void Free();

 private:
  DLLINTERFACE Library;
};
