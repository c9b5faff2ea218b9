// Synchronisation objects of the program: EVENTSEM (a manual-reset event), MUTEXSEM (a recursive OS mutex,
// optionally named) and RAISETHREADPRIORITY (a thread priority held for a scope). Each owns its handle.
// Every operation traces at level 11 (creation, destruction) or 12 (waits, signals).
#pragma once

#include <windows.h>

class EVENTSEM {
 public:
  // An unnamed manual-reset event; a failed creation raises "this->hev".
  explicit EVENTSEM(bool initialstate = false);
  ~EVENTSEM();
  EVENTSEM(const EVENTSEM&) = delete;
  EVENTSEM& operator=(const EVENTSEM&) = delete;

  bool Set();
  bool Reset();
  // True when the event is signalled within `timeout` milliseconds.
  bool Wait(DWORD timeout = INFINITE);
  HANDLE Handle() const { return hev; }

 private:
  HANDLE hev;
};

class MUTEXSEM {
 public:
  // A mutex, owned by the calling thread when `owned`, named when `name` is given (a named mutex that
  // exists already is opened; AlreadyExisted() tells). A failed creation raises "this->hmux".
  explicit MUTEXSEM(bool owned = false, const char* name = nullptr);
  ~MUTEXSEM();
  MUTEXSEM(const MUTEXSEM&) = delete;
  MUTEXSEM& operator=(const MUTEXSEM&) = delete;

  // True when obtained within `timeout` (an abandoned mutex counts as obtained). The owner may obtain it
  // again; each Obtain needs its Release. On the window thread the wait keeps window messages flowing.
  bool Obtain(DWORD timeout = INFINITE);
  bool Release();
  // The thread whose waits dispatch window messages (0: none).
  void SetWindowThread(DWORD threadid) { WindowThread = threadid; }
  bool AlreadyExisted() const { return Existed; }
  HANDLE Handle() const { return hmux; }

 private:
  DWORD WaitDispatching(DWORD timeout);

  HANDLE hmux;
  DWORD WindowThread;
  bool Existed;
};

// Sets the calling thread's priority and puts `restoreprio` back when it goes (-1: the priority the
// thread had before). Restoring works from any thread: the object holds its own handle of the thread.
class RAISETHREADPRIORITY {
 public:
  explicit RAISETHREADPRIORITY(int prio, int restoreprio = -1);
  ~RAISETHREADPRIORITY();
  RAISETHREADPRIORITY(const RAISETHREADPRIORITY&) = delete;
  RAISETHREADPRIORITY& operator=(const RAISETHREADPRIORITY&) = delete;

  bool SetPriority(int prio);
  bool IsRaised() const { return Raised; }

 private:
  HANDLE hThread;
  int RestorePrio;
  bool Raised;
};
