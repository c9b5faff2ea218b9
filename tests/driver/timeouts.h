// Time-outs of the test driver: the default of every wait and the one polling loop that every wait goes
// through, so a test never hangs.
#pragma once

#include <windows.h>

#include <functional>

namespace uidriver {

// Wine starts a program in about a second; a first window can take longer.
inline DWORD DefaultTimeoutMs() { return 20000; }

// Asks `done` every 25 ms until it reports true; false when the time-out passed first. Tick arithmetic is
// unsigned: the wrap does no harm.
inline bool PollUntil(DWORD timeoutMs, const std::function<bool()>& done) {
  for (DWORD start = GetTickCount(); !done(); Sleep(25))
    if (GetTickCount() - start >= timeoutMs) return false;
  return true;
}

}  // namespace uidriver
