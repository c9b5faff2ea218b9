// The null guard's debug mode for one scope: tests that pass null texts, or unallocated strings, through
// code that must not crash when the guard lets null through.
#pragma once

#include "base/strings.h"
#include "scopedenvironment.h"

// Sets NORBAFAILONNULL for one scope; afterwards the guard is back in its default mode (it keeps the last
// mode it read, so it reads "0" once) and the variable has its former value (or none).
class FAILONNULL : ScopedEnvironment {
 public:
  explicit FAILONNULL(const char* mode) : ScopedEnvironment("NORBAFAILONNULL", mode) {}
  ~FAILONNULL() {
    SetEnvironmentVariableA("NORBAFAILONNULL", "0");
    NullGuard(nullptr, "reset");
  }
};
