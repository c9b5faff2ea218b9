// Where a test called the driver: every driver operation takes one as its last, defaulted argument,
// so that a failure it reports points at the test's line rather than at the driver's.
#pragma once

namespace uidriver {

struct CallSite {
  const char* file;
  int line;

  // Used as a default argument, this records the caller's file and line (a GCC built-in).
  static CallSite Here(const char* file = __builtin_FILE(), int line = __builtin_LINE()) { return {file, line}; }
};

}  // namespace uidriver
