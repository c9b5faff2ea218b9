// CRITICALSECTION: a Win32 critical section owned by an object, with Enter/Leave and a scoped lock.
// Used for short, process-local exclusions such as the string block pool; it is recursive per thread.
#pragma once

#include <windows.h>

class CRITICALSECTION {
 public:
  CRITICALSECTION() { InitializeCriticalSection(&Section); }
  ~CRITICALSECTION() { DeleteCriticalSection(&Section); }
  CRITICALSECTION(const CRITICALSECTION&) = delete;
  CRITICALSECTION& operator=(const CRITICALSECTION&) = delete;

  void Enter() { EnterCriticalSection(&Section); }
  void Leave() { LeaveCriticalSection(&Section); }

 private:
  CRITICAL_SECTION Section;
};

// Holds a CRITICALSECTION from construction to the end of the enclosing scope.
class CRITICALSECTIONLOCK {
 public:
  explicit CRITICALSECTIONLOCK(CRITICALSECTION& section) : Section(section) { Section.Enter(); }
  ~CRITICALSECTIONLOCK() { Section.Leave(); }
  CRITICALSECTIONLOCK(const CRITICALSECTIONLOCK&) = delete;
  CRITICALSECTIONLOCK& operator=(const CRITICALSECTIONLOCK&) = delete;

 private:
  CRITICALSECTION& Section;
};
