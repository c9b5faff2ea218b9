// EVENTSEM, MUTEXSEM and RAISETHREADPRIORITY over the Win32 event, mutex and thread-priority calls.
// A wait on the window thread pumps messages so that windows stay responsive while it blocks.
#include "base/semaphores.h"

#include <cstdio>

#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "osys_win32";

// Raises `condition` with the message "handle= %p" when `ok` is false; returns `ok`.
static bool CheckHandleCall(bool ok, const char* condition, HANDLE handle, int line) {
  if (ok) return true;
  char info[64];
  snprintf(info, sizeof(info), "handle= %p", static_cast<void*>(handle));
  Assert(0, condition, kAssertUnit, line, info);
  return false;
}

// ---------------------------------------------------------------------------------------------------
// EVENTSEM

EVENTSEM::EVENTSEM(bool initialstate) : hev(CreateEventA(nullptr, TRUE, initialstate ? TRUE : FALSE, nullptr)) {
  NORBA_ASSERT(this->hev);
  logitlevel(11, "EVENTSEM::EVENTSEM created %p\n", static_cast<void*>(hev));
}

EVENTSEM::~EVENTSEM() {
  BOOL ok = hev ? CloseHandle(hev) : FALSE;
  logitlevel(11, "EVENTSEM::~EVENTSEM deleted %p, ok= %d\n", static_cast<void*>(hev), ok);
}

bool EVENTSEM::Set() {
  logitlevel(12, "EVENTSEM::Set %p\n", static_cast<void*>(hev));
  return CheckHandleCall(SetEvent(hev) != FALSE, "ok", hev, __LINE__);
}

bool EVENTSEM::Reset() {
  logitlevel(12, "EVENTSEM::Reset %p\n", static_cast<void*>(hev));
  return CheckHandleCall(ResetEvent(hev) != FALSE, "ok", hev, __LINE__);
}

bool EVENTSEM::Wait(DWORD timeout) {
  DWORD rc = WaitForSingleObject(hev, timeout);
  logitlevel(12, "EVENTSEM::Wait %p rc=%d\n", static_cast<void*>(hev), static_cast<int>(rc));
  NORBA_ASSERT(rc!=WAIT_FAILED);
  return rc == WAIT_OBJECT_0;
}

// ---------------------------------------------------------------------------------------------------
// MUTEXSEM

MUTEXSEM::MUTEXSEM(bool owned, const char* name)
    : hmux(CreateMutexA(nullptr, owned ? TRUE : FALSE, name)), WindowThread(0), Existed(false) {
  Existed = hmux && GetLastError() == ERROR_ALREADY_EXISTS;
  NORBA_ASSERT(this->hmux);
  logitlevel(11, "MUTEXSEM::MUTEXSEM created %p, name= %s\n", static_cast<void*>(hmux), name ? name : "<NULL>");
}

MUTEXSEM::~MUTEXSEM() {
  logitlevel(11, "MUTEXSEM::MUTEXSEM delete %p\n", static_cast<void*>(hmux));
  if (hmux) CloseHandle(hmux);
}

// Dispatches every queued window message; a quit message is kept back and returned as true.
static bool DispatchPending(WPARAM* quitcode) {
  bool quit = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      *quitcode = msg.wParam;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return quit;
}

// Waits for the mutex while dispatching window messages; the result is that of a plain wait.
DWORD MUTEXSEM::WaitDispatching(DWORD timeout) {
  DWORD start = GetTickCount();
  bool quit = false;
  WPARAM quitcode = 0;
  DWORD rc;
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    DWORD left = timeout == INFINITE ? INFINITE : (elapsed >= timeout ? 0 : timeout - elapsed);
    rc = MsgWaitForMultipleObjectsEx(1, &hmux, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (rc != WAIT_OBJECT_0 + 1) break;
    if (DispatchPending(&quitcode)) quit = true;
  }
  // The quit message belongs to the caller's loop: it goes back into the queue.
  if (quit) PostQuitMessage(static_cast<int>(quitcode));
  if (rc == WAIT_ABANDONED_0) rc = WAIT_ABANDONED;
  logitlevel(12, "MUTEXSEM::WinObtain %p rc= %d\n", static_cast<void*>(hmux), static_cast<int>(rc));
  return rc;
}

bool MUTEXSEM::Obtain(DWORD timeout) {
  bool pumping = WindowThread != 0 && GetCurrentThreadId() == WindowThread;
  DWORD rc = pumping ? WaitDispatching(timeout) : WaitForSingleObject(hmux, timeout);
  logitlevel(12, "MUTEXSEM::Obtain %p rc= %d\n", static_cast<void*>(hmux), static_cast<int>(rc));
  NORBA_ASSERT(rc!=WAIT_FAILED);
  return rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

bool MUTEXSEM::Release() {
  BOOL ok = ReleaseMutex(hmux);
  logitlevel(12, "MUTEXSEM::Release %p rc= %d\n", static_cast<void*>(hmux), ok);
  return CheckHandleCall(ok != FALSE, "ok", hmux, __LINE__);
}

// ---------------------------------------------------------------------------------------------------
// RAISETHREADPRIORITY

// A real handle of the calling thread (the pseudo handle would name whichever thread uses it).
static HANDLE OwnThreadHandle() {
  HANDLE handle = nullptr;
  HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetCurrentThread(), process, &handle, 0, FALSE, DUPLICATE_SAME_ACCESS))
    handle = nullptr;
  return handle;
}

RAISETHREADPRIORITY::RAISETHREADPRIORITY(int prio, int restoreprio)
    : hThread(OwnThreadHandle()), RestorePrio(restoreprio), Raised(false) {
  if (RestorePrio == -1) RestorePrio = hThread ? GetThreadPriority(hThread) : THREAD_PRIORITY_NORMAL;
  Raised = hThread && SetThreadPriority(hThread, prio);
  logitlevel(11, "RAISETHREADPRIORITY::RAISETHREADPRIORITY prio= %d, restoreprio= %d, ok= %d\n", prio,
             RestorePrio, Raised ? 1 : 0);
}

RAISETHREADPRIORITY::~RAISETHREADPRIORITY() {
  if (Raised) {
    BOOL ok = SetThreadPriority(hThread, RestorePrio);
    logitlevel(11, "RAISETHREADPRIORITY::~RAISETHREADPRIORITY restored %d, ok= %d\n", RestorePrio, ok);
  }
  if (hThread) CloseHandle(hThread);
}

bool RAISETHREADPRIORITY::SetPriority(int prio) {
  bool ok = hThread && SetThreadPriority(hThread, prio);
  if (ok) Raised = true;
  logitlevel(11, "RAISETHREADPRIORITY::SetPriority prio= %d, ok= %d\n", prio, ok ? 1 : 0);
  return ok;
}
