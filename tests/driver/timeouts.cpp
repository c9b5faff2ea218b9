// Time-outs of the test driver: the default time-out (overridable from the environment) and the
// deadline that polling loops check; tick arithmetic is unsigned, so the 49-day wrap does no harm.
#include "timeouts.h"

#include <cstdlib>

namespace uidriver {

DWORD DefaultTimeoutMs() {
  char value[32] = {};
  DWORD length = GetEnvironmentVariableA("NORBA_E2E_TIMEOUT_MS", value, sizeof value);
  if (length == 0 || length >= sizeof value) return kDefaultTimeoutMs;
  char* end = nullptr;
  unsigned long ms = std::strtoul(value, &end, 10);
  if (end == value || *end != '\0' || ms == 0 || ms > 3600000UL) return kDefaultTimeoutMs;
  return static_cast<DWORD>(ms);
}

Deadline::Deadline(DWORD timeoutMs) : start_(GetTickCount()), timeoutMs_(timeoutMs) {}

bool Deadline::Passed() const { return GetTickCount() - start_ >= timeoutMs_; }

DWORD Deadline::RemainingMs() const {
  DWORD elapsed = GetTickCount() - start_;
  return elapsed >= timeoutMs_ ? 0 : timeoutMs_ - elapsed;
}

}  // namespace uidriver
