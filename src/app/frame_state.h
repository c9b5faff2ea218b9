// The frame's process-wide state, shared by the frame's own source files only.
// Everything else reads it through the NORBAAPP accessors.
#pragma once

#include "app/norba_win32.h"

struct FRAMESTATE {
  STRING CommandLine;
  STRING StartDirectory;
  STRING ProgramDirectory;
  STRING AppName;
  STRING AppVersion;
  HINSTANCE Instance = nullptr;
  HINSTANCE LanguageLibrary = nullptr;  // loaded by the frame, freed with FreeLanguageLibrary
};

FRAMESTATE& Frame();
