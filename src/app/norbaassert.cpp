// Assertion reports, first stage: the report goes to the debugger output and the program goes on.
// The assertion log file and the question box are added together with the trace log.
#include "app/norbaassert.h"

#include <windows.h>

#include <cstdio>

#include "app/logit.h"

static ASSERTOBSERVER gAssertObserver = nullptr;

void AssertSetObserver(ASSERTOBSERVER observer) { gAssertObserver = observer; }

int Assert(int ok, const char* condition, const char* sourcefile, int line, const char* info, int quiet) {
  (void)quiet;
  if (ok) return 1;
  if (!condition) condition = "<null>";
  if (!sourcefile) sourcefile = "<null>";
  char report[1024];
  snprintf(report, sizeof(report), "Assertion failed: %s in %s, line %d (%s)\n", condition, sourcefile, line,
           info ? info : "<null>");
  OutputDebugStringA(report);
  logit("%s", report);
  if (gAssertObserver) gAssertObserver(condition, sourcefile, line, info);
  return 1;
}

static int gCrashLevel = 0;

void EnableCrashDump(int level) {
  if (level > gCrashLevel) gCrashLevel = level;
}
