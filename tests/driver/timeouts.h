// Time-outs of the test driver: the default of every wait, the deadline and the one polling loop that every
// wait goes through, so a test never hangs. Tick arithmetic is unsigned: the wrap does no harm.
#pragma once

#include <windows.h>

#include <functional>

namespace uidriver {

// Wine starts a program in about a second; a first window can take longer.
inline DWORD DefaultTimeoutMs() { return 20000; }

class Deadline {
 public:
  explicit Deadline(DWORD timeoutMs) : start_(GetTickCount()), timeoutMs_(timeoutMs) {}
  bool Passed() const { return GetTickCount() - start_ >= timeoutMs_; }

 private:
  DWORD start_;
  DWORD timeoutMs_;
};

// Asks `done` every 25 ms until it reports true; false when the time-out passed first.
inline bool PollUntil(DWORD timeoutMs, const std::function<bool()>& done) {
  for (Deadline deadline(timeoutMs); !done(); Sleep(25))
    if (deadline.Passed()) return false;
  return true;
}

}  // namespace uidriver
