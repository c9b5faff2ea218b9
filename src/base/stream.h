// File streams of the program: a C stream owned by an object, opened with the sharing its mode
// implies, and the facts about a file that the loaders trace (size, last error text).
#pragma once

#include <cstdio>

#include "base/strings.h"

// Opened through FILENAME::fsopen with the sharing its mode implies: writers and "r+" deny everybody,
// readers deny writers. The stream is closed with the object.
class STREAM {
 public:
  STREAM(const char* filename, const char* mode);
  ~STREAM() { Close(); }
  STREAM(const STREAM&) = delete;
  STREAM& operator=(const STREAM&) = delete;
  // True when the stream was open and closed without error, or was never open.
  bool Close();
  FILE* File;
};

// The system's text for the calling thread's last error, without its line end (OSYS::GetLastErrorString).
STRING LastErrorText();

// The size in bytes, or -1 when the file cannot be examined or is too big for a string.
int FileSize(const char* filename);
