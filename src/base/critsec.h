// CRITICALSECTION: a Win32 critical section owned by an object, with Enter/Leave and a scoped lock.
// Used for short, process-local exclusions such as the string block pool; it is recursive per thread.
#pragma once

#include <windows.h>

class CRITICALSECTION {
 public:
  // A failed allocation of the section raises "this->pCritSect"; Enter and Leave then do nothing.
  CRITICALSECTION();
  ~CRITICALSECTION();
  CRITICALSECTION(const CRITICALSECTION&) = delete;
  CRITICALSECTION& operator=(const CRITICALSECTION&) = delete;

  void Enter();
  void Leave();

 private:
  CRITICAL_SECTION* pCritSect;
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
