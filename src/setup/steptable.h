// The wizard's step table, shared by the wizard, the runs that build their tables and the product hooks:
// the step record, the step ids and page results, and the insertion of product pages before STEPADV.
// The record's layout is the one published to hook libraries in norba/setuphook_api.h.
#pragma once

#ifndef NORBA_SETUPHOOK_HOST
#define NORBA_SETUPHOOK_HOST  // this program holds pointers named like the entry points
#endif
#include <norba/setuphook_api.h>

class SETUPDIALOGBOX;
class DATADIALOG;

// A page function runs its page inside the wizard and returns the page result.
typedef int (*SETUPPAGEFUNC)(SETUPDIALOGBOX* wizard, DATADIALOG* page);

// Seven fields, in this order; pointer-sized where a pointer or a hook value must fit (32 bits each in
// the shipped program).
struct SETUPSTEP {
  INT32 idstep;
  INT32 idtitle;
  INT32 idsubtitle;
  INT32 idlayout;
  HMODULE module;          // null: the language library
  SETUPPAGEFUNC pagefunc;  // null only in free and closing records
  INT_PTR uservalue;       // handed to the page hook before the page runs
};

// Step ids.
constexpr int STEPFREE = NORBA_STEP_FREE;  // a free record: ends the steps of a table
constexpr int STEPWELCOME = NORBA_STEP_WELCOME;
constexpr int STEPLICENSE = NORBA_STEP_LICENSE;
constexpr int STEPDIRECTORY = NORBA_STEP_DIRECTORY;
constexpr int STEPCOPY = NORBA_STEP_COPY;
constexpr int STEPSHORTCUTS = NORBA_STEP_SHORTCUTS;
constexpr int STEPADV = NORBA_STEP_ADV;        // product pages go before it
constexpr int STEPFINISH = NORBA_STEP_FINISH;  // the last step of a table
constexpr int STEPCLOSE = NORBA_STEP_CLOSE;    // the closing record: the end of the table's storage
constexpr int STEPREMOVECONFIRM = NORBA_STEP_REMOVE_CONFIRM;
constexpr int STEPDATAFOLDER = NORBA_STEP_DATAFOLDER;
constexpr int STEPUSAGETYPE = NORBA_STEP_USAGETYPE;

// Page results: the button that ended a page.
constexpr int PAGE_SKIP = NORBA_PAGE_SKIP;  // go on in the direction of the previous page
constexpr int PAGE_CANCEL = NORBA_PAGE_CANCEL;
constexpr int PAGE_BACK = NORBA_PAGE_BACK;
constexpr int PAGE_NEXT = NORBA_PAGE_NEXT;

// Free records a table needs behind its last step for one insertion of two pages: the two records
// that take the pages and one that still ends the steps afterwards.
constexpr int STEPINSERTROOM = 3;

// Inserts two product pages before the last STEPADV record: the records from STEPADV up to the last
// step move two places towards the end, and the pages take the two records that became free.
// The table must end its steps with STEPFINISH and have STEPINSERTROOM free records before its closing
// record. Otherwise the matching assertion is raised under `unit` (the hook that asked) and the table is
// left unchanged; the result is then false.
bool InsertStepsBeforeAdv(SETUPSTEP* steps, const SETUPSTEP (&pages)[2], const char* unit);

// Index of the first free record, or of the closing record when no record is free before it.
int StepTableEnd(const SETUPSTEP* steps);
