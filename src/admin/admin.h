// Admin command mode: one administrative command per run, for scripted deployments. The frame hands
// down how the command arguments are read and the SetupHook entry point, which lie in the layers above.
#pragma once

#include <windows.h>

#ifndef NORBA_SETUPHOOK_HOST
#define NORBA_SETUPHOOK_HOST  // this program holds pointers named like the entry points
#endif
#include <norba/setuphook_api.h>

#include "base/strings.h"

// The program's argument lookups as the admin mode uses them. The commands come from the command line
// alone: an elevated setup.exe must not take a file to overwrite or delete from a commandline.ini that
// lies in the folder it was started from.
struct ADMINARGUMENTS {
  int (*TestCommandValue)(const char* name, int index);  // a command argument with a value is present
  STRING (*GetCommandValue)(const char* name, int index);  // its value
  int (*TestSwitch)(const char* name);                     // a plain switch (HIDE) is present
};

// Runs the first command given, in the order ADMIN, WRITEREG, WRITEHEXREG, DELETEREG, COPYFILE,
// DELETEFILE. Returns true when a command argument was present (whatever its outcome); `result` then
// holds the process exit code. `setuphook` (may be null) receives the ADMIN command's word.
bool RunAdminCommand(const ADMINARGUMENTS& arguments, NORBA_SETUPHOOKPROC setuphook, int* result);
