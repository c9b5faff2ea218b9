// Trace facility, first stage: the calls exist and answer as if tracing were off.
// The log targets, line headers and depth marks come with the trace log itself.
#include "app/logit.h"

#include <cstring>

int logit(const char* format, ...) {
  (void)format;
  return 0;
}

int logitlevel(int level, const char* format, ...) {
  (void)level;
  (void)format;
  return 0;
}

bool LogitOption(const char* arg) {
  if (!arg) return false;
  if (arg[0] != '/' && arg[0] != '-') return false;
  const char* name = arg + 1;
  static const char* const kOptions[] = {"LOG", "D:", "NOASSERT", "CRASHDUMP"};
  for (const char* option : kOptions)
    if (_strnicmp(name, option, strlen(option)) == 0) return true;
  return false;
}

bool LogitIsOn() { return false; }
