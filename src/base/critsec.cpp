// CRITICALSECTION: the OS critical section lives on the heap, owned by the object from construction
// to destruction; a missing section is reported once and turns Enter/Leave into no-ops.
#include "base/critsec.h"

#include <new>

#include "diag/norbaassert.h"

static const char kAssertUnit[] = "osys_win32";

CRITICALSECTION::CRITICALSECTION() : pCritSect(new (std::nothrow) CRITICAL_SECTION) {
  NORBA_ASSERT(this->pCritSect);
  if (pCritSect) InitializeCriticalSection(pCritSect);
}

CRITICALSECTION::~CRITICALSECTION() {
  if (!pCritSect) return;
  DeleteCriticalSection(pCritSect);
  delete pCritSect;
}

void CRITICALSECTION::Enter() {
  if (pCritSect) EnterCriticalSection(pCritSect);
}

void CRITICALSECTION::Leave() {
  if (pCritSect) LeaveCriticalSection(pCritSect);
}
