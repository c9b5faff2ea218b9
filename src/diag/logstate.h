// The trace log's process-wide state, shared by the writer (logit.cpp) and the option handler
// (logitoptions.cpp) only; everything else uses logit, logitlevel and LogitOption.
#pragma once

#include <windows.h>

#include <cstdarg>

struct LOGSTATE {
  HANDLE Handle = nullptr;
  char Name[MAX_PATH + 1] = {};  // the resolved target: a path, "CONSOLE" or "STDERR"
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

// The log's recursive lock, held from construction to the end of the enclosing scope.
class LOGLOCK {
 public:
  LOGLOCK();
  ~LOGLOCK();
  LOGLOCK(const LOGLOCK&) = delete;
  LOGLOCK& operator=(const LOGLOCK&) = delete;
};

LOGSTATE& Log();

// Writes one trace text to the open targets: a format with its arguments, or with `args` null a plain
// text. The writer behind logit and logitlevel.
void WriteTrace(const char* format, va_list* args);
