// Time-outs of the test driver: the default of every wait and the deadline that polling loops check. No
// wait of the driver is without one, so a test never hangs. Tick arithmetic is unsigned: the wrap does no harm.
#pragma once

#include <windows.h>

namespace uidriver {

// Wine starts a program in about a second; a first window can take longer.
inline DWORD DefaultTimeoutMs() { return 20000; }
// Pause between two looks at the program under test.
constexpr DWORD kPollIntervalMs = 25;

class Deadline {
 public:
  explicit Deadline(DWORD timeoutMs) : start_(GetTickCount()), timeoutMs_(timeoutMs) {}
  bool Passed() const { return GetTickCount() - start_ >= timeoutMs_; }

 private:
  DWORD start_;
  DWORD timeoutMs_;
};

}  // namespace uidriver
