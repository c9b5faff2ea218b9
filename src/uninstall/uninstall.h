// The uninstaller: finds the installation through its uninstall record, asks once, runs from a copy of
// itself in a folder of its own below TEMP (so that the installed program can go), and shows the removal
// wizard whose progress page runs the removal.
#pragma once

#include "uninstall/removal.h"

// What the uninstaller takes from the layers above it.
struct UNINSTALLACTIONS {
  STRING KeyName;             // the value of REMOVE
  bool Final = false;         // FINAL: this is the copy that removes
  bool Hide = false;          // HIDE: nobody is watching; the first instance waits for the copy
  // The built-in product hook named by the key ("KIV6", "KIV7", "KIV8") replaces any other.
  void (*ChooseProductHook)(const char* keyname) = nullptr;
  REMOVALSERVICES Services;
};

// Exit codes of a removal with HIDE (an interactive removal ends with 0).
constexpr int REMOVE_DONE = 0;
constexpr int REMOVE_NOT_INSTALLED = 1605;
constexpr int REMOVE_FAILED = 1603;

// `programpath`: the running program's full path. Answers the process exit code.
int RunUninstall(const char* programpath, const UNINSTALLACTIONS& actions);
