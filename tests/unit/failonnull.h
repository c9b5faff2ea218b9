// The null guard's debug mode for one scope: tests that pass null texts, or unallocated strings, through
// code that must not crash when the guard lets null through.
#pragma once

#include <windows.h>

#include "base/strings.h"

// Sets NORBAFAILONNULL for one scope; afterwards the guard is back in its default mode and the variable
// has its former value (or none).
class FAILONNULL {
 public:
  explicit FAILONNULL(const char* mode) {
    Had = GetEnvironmentVariableA("NORBAFAILONNULL", Old, sizeof(Old)) > 0;
    SetEnvironmentVariableA("NORBAFAILONNULL", mode);
  }
  ~FAILONNULL() {
    SetEnvironmentVariableA("NORBAFAILONNULL", "0");
    NullGuard(nullptr, "reset");
    SetEnvironmentVariableA("NORBAFAILONNULL", Had ? Old : nullptr);
  }
  FAILONNULL(const FAILONNULL&) = delete;
  FAILONNULL& operator=(const FAILONNULL&) = delete;

 private:
  char Old[32] = {};
  bool Had;
};
