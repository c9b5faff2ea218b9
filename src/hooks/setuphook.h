// The setup hook interface: the two process-wide entry points through which a product hook (the
// SETUPHOOK library or a built-in generation) takes part in installation, removal and admin commands.
#pragma once

#include <windows.h>

#include "base/dllinterface.h"

// SetupHook(event, value): answers non-zero when the event was handled.
typedef INT_PTR(WINAPI* SETUPHOOKPROC)(INT_PTR event, INT_PTR value);
// NewSetupHook(event, a, window, page window, page function, value).
typedef INT_PTR(WINAPI* NEWSETUPHOOKPROC)(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                          INT_PTR value);

extern SETUPHOOKPROC SetupHook;
extern NEWSETUPHOOKPROC NewSetupHook;

INT_PTR WINAPI SetupHookDummy(INT_PTR event, INT_PTR value);
INT_PTR WINAPI NewSetupHookDummy(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                 INT_PTR value);

// The hook library lies beside the program: SETUPHOOK.dll. It is loaded only from the program's own
// folder or the system folders, never from the current folder or the search path.
class HOOKLIBRARY {
 public:
  HOOKLIBRARY() = default;
  ~HOOKLIBRARY() { Free(); }

  // Loads the library and takes its entry points; false when there is none.
  bool Load(const char* programdirectory);
  // Frees the library and sets SetupHook to null.
  void Free();

 private:
  DLLINTERFACE Library;
};
