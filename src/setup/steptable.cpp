// The step table's walk and the insertion of product pages before STEPADV. Hooks hand the table on as a
// plain pointer: the closing record is what bounds every walk over it.
#include "setup/steptable.h"

#include <cstddef>
#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"

// Hook libraries see the record through the published structure: the two must never drift apart.
static_assert(sizeof(SETUPSTEP) == sizeof(NORBA_SETUPSTEP), "step record size");
static_assert(offsetof(SETUPSTEP, idstep) == offsetof(NORBA_SETUPSTEP, idstep), "step id");
static_assert(offsetof(SETUPSTEP, idtitle) == offsetof(NORBA_SETUPSTEP, idtitle), "title");
static_assert(offsetof(SETUPSTEP, idsubtitle) == offsetof(NORBA_SETUPSTEP, idsubtitle), "subtitle");
static_assert(offsetof(SETUPSTEP, idlayout) == offsetof(NORBA_SETUPSTEP, idlayout), "layout");
static_assert(offsetof(SETUPSTEP, module) == offsetof(NORBA_SETUPSTEP, module), "module");
static_assert(offsetof(SETUPSTEP, pagefunc) == offsetof(NORBA_SETUPSTEP, pagefunction), "page function");
static_assert(offsetof(SETUPSTEP, uservalue) == offsetof(NORBA_SETUPSTEP, uservalue), "user value");
static_assert(sizeof(void*) != 4 || sizeof(SETUPSTEP) == 7 * 4, "seven 32-bit fields in the 32-bit program");

int StepTableEnd(const SETUPSTEP* steps) {
  int i = 0;
  while (steps[i].idstep != STEPFREE && steps[i].idstep != STEPCLOSE) i++;
  return i;
}

// Whether `count` free records follow one another from `from` on; the walk stops at the first record that
// is not free (the closing record at the latest), so it never reads beyond the table.
static bool FreeRecordsFrom(const SETUPSTEP* steps, int from, int count) {
  for (int i = from; i < from + count; i++)
    if (steps[i].idstep != STEPFREE) return false;
  return true;
}

// Index of the last STEPADV record before `idend`, or -1.
static int LastAdvBefore(const SETUPSTEP* steps, int idend) {
  int idadv = -1;
  for (int i = 0; i < idend; i++)
    if (steps[i].idstep == STEPADV) idadv = i;
  return idadv;
}

// The checks before a table is changed; the first failure is reported under the caller's unit.
static bool TableTakesTwoPages(const SETUPSTEP* steps, int idend, int idadv, const char* unit) {
  if (!AssertCheck(idadv >= 0, "steps[idadv].idstep==STEPADV", unit, __LINE__)) return false;
  // idend > idadv >= 0 from here on.
  if (!AssertCheck(steps[idend - 1].idstep == STEPFINISH, "steps[idend+1].idstep==STEPFINISH", unit, __LINE__))
    return false;
  return AssertCheck(FreeRecordsFrom(steps, idend, STEPINSERTROOM), "nfree>=STEPINSERTROOM", unit, __LINE__);
}

bool InsertStepsBeforeAdv(SETUPSTEP* steps, const SETUPSTEP (&pages)[2], const char* unit) {
  if (!AssertCheck(steps != nullptr, "steps", unit, __LINE__)) return false;
  int idend = StepTableEnd(steps);
  int idadv = LastAdvBefore(steps, idend);
  logit("STEPTABLE::InsertStepsBeforeAdv(%d, %d) end %d, STEPADV at %d\n", pages[0].idstep, pages[1].idstep,
        idend, idadv);
  if (!TableTakesTwoPages(steps, idend, idadv, unit)) return false;
  memmove(&steps[idadv + 2], &steps[idadv], sizeof(SETUPSTEP) * static_cast<size_t>(idend - idadv));
  steps[idadv] = pages[0];
  steps[idadv + 1] = pages[1];
  return true;
}
