// The installation run: the mode setup main enters when no admin command, ORDER or REMOVE applies. The
// layers above hand it what it must not know itself: the copy and shortcuts pages, the prerequisite check
// and the hook entry points.
#pragma once

#include <norba/setuphook_api.h>

#include "setup/installrun.h"
#include "setup/steptable.h"

// What the run needs from the layers above it.
struct INSTALLACTIONS {
  bool HideRequested = false;  // HIDE on the command line
  SETUPPAGEFUNC CopyPage = nullptr;
  SETUPPAGEFUNC ShortcutsPage = nullptr;
  // The prerequisite named by CheckDll; true when it is present.
  bool (*CheckPrerequisite)(const char* checkdll) = nullptr;
  // Chooses the built-in product hook for this configuration unless a hook library supplied one.
  void (*ChooseProductHook)(HASH& config) = nullptr;
  // The hook entry points as they are when called (a library's or the built-in ones).
  NORBA_SETUPHOOKPROC (*SetupHook)() = nullptr;
  NORBA_NEWSETUPHOOKPROC (*NewSetupHook)() = nullptr;
};

// Answer files, setup.cfg, prerequisite, hooks, the wizard and the closing steps. Answers the exit code:
// INSTALL_DONE, INSTALL_CANCELLED or INSTALL_FAILED.
int RunInstallation(const INSTALLACTIONS& actions);
