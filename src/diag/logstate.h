// The trace log's process-wide state, shared by the writer (logit.cpp) and the option handler
// (logitoptions.cpp) only; everything else uses logit, logitlevel and LogitOption.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "base/critsec.h"
#include "base/strings.h"

struct LOGSTATE {
  HANDLE Handle = nullptr;
  STRING Name;
  bool FileActive = false;
  bool DebugOutput = false;
  bool TracingOn = false;
  bool Hard = false;
  bool Append = false;
  bool Temp = false;
  bool ConsoleAllocated = false;
  unsigned Level = 0;
  bool NoAssert = false;
  double BaseTime = 0;
  DWORD MainThread = 0;
  int Depth = 0;
  DWORD DepthOwner = 0;
  char LastMark = 0;
  bool AtLineStart = true;
};

LOGSTATE& Log();
CRITICALSECTION& LogLock();

// Writes one trace text to the open targets: a format with its arguments, or with `args` null a plain
// text. The writer behind logit and logitlevel.
void WriteTrace(const char* format, va_list* args);
