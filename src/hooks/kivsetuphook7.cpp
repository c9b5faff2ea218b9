// The built-in product hook of Kiv generation 7: the dispatcher of its events. At event 0 it inserts
// its two product pages before STEPADV; the generation's other events (earlier-generation detection, page
// texts, clean-up, product start) join the switch with their handlers.
#include "hooks/kivgeneration.h"

static const char kAssertUnit[] = "kivsetuphook7";

// The data folder page, then the usage type page.
static const SETUPSTEP kProductPages[2] = {
    {STEPDATAFOLDER, 2920, 2921, 2010, nullptr, KivPendingPage, 0},
    {STEPUSAGETYPE, 2922, 2923, 2017, nullptr, KivPendingPage, 0},
};

INT_PTR WINAPI NewSetupHookKiv7(INT_PTR event, INT_PTR a, HWND, HWND, void*, INT_PTR value) {
  TraceKivHookCall(event, a, value);
  switch (event) {
    case NORBA_NSH_STEPS:
      InsertKivPages(value, kProductPages, kAssertUnit);
      break;
    default:
      break;
  }
  return 1;
}
