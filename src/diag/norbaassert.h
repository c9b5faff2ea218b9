// Assertion reports: a condition that a correct program keeps turned out false.
// The report is traced, appended to assert.log and shown as a Yes/No box; the caller goes on with its
// fallback. NORBA_ASSERT names the condition by its own text.
#pragma once

int Assert(int ok, const char* condition, const char* sourcefile, int line, const char* info = nullptr,
           int quiet = 0);

// Raises the report `condition` when `ok` is false and answers `ok`: for code that reports a broken
// condition and goes on with its fallback.
inline bool AssertCheck(bool ok, const char* condition, const char* sourcefile, int line, const char* info = nullptr) {
  if (!ok) Assert(0, condition, sourcefile, line, info);
  return ok;
}

// Each source file defines `static const char kAssertUnit[]` with its unit name ("strings", "main", ...).
#define NORBA_ASSERT(cond) Assert((cond) ? 1 : 0, #cond, kAssertUnit, __LINE__)
#define NORBA_ASSERT_INFO(cond, info) Assert((cond) ? 1 : 0, #cond, kAssertUnit, __LINE__, (info))

// Unit tests watch the reports through an observer; nullptr removes it.
typedef void (*ASSERTOBSERVER)(const char* condition, const char* sourcefile, int line, const char* info);
void AssertSetObserver(ASSERTOBSERVER observer);

// Crash dumps: level 0 keeps them off; a higher level only ever raises it and installs the crash
// handler, which writes a minidump, offers its upload and ends the process with exit code 42.
void EnableCrashDump(int level);
int CrashDumpLevel();
// Ends the program after the user answered No to an assertion box: through the crash handler when
// crash dumps are on (a dump is written), else directly.
[[noreturn]] void EndAfterAssert();
