// Time-outs of the test driver: the default every wait uses unless told otherwise, and a deadline that
// polling loops check. No wait of the driver is without one, so a test never hangs.
#pragma once

#include <windows.h>

namespace uidriver {

// Default time-out of one wait; Wine starts a program in about a second, a first window can take longer.
constexpr DWORD kDefaultTimeoutMs = 20000;
// Pause between two looks at the program under test.
constexpr DWORD kPollIntervalMs = 25;

// kDefaultTimeoutMs, or the milliseconds in the environment variable NORBA_E2E_TIMEOUT_MS when it holds
// a positive number (for slow machines).
DWORD DefaultTimeoutMs();

// A point in time a given number of milliseconds from its construction.
class Deadline {
 public:
  explicit Deadline(DWORD timeoutMs);
  bool Passed() const;
  DWORD RemainingMs() const;

 private:
  DWORD start_;
  DWORD timeoutMs_;
};

}  // namespace uidriver
