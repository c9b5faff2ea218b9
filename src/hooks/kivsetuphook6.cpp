// The built-in product hook of Kiv generation 6: the dispatcher of its events. At event 0 it inserts
// its two product pages before STEPADV; the generation's other events (earlier-generation detection, page
// texts, clean-up, product start) join the switch with their handlers.
#include "hooks/kivgeneration.h"

static const char kAssertUnit[] = "kivsetuphook6";

// The usage type page of this generation comes first, then the data folder page.
static const SETUPSTEP kProductPages[2] = {
    {STEPUSAGETYPE, 2922, 2923, 2011, nullptr, KivPendingPage, 0},
    {STEPDATAFOLDER, 2920, 2921, 2010, nullptr, KivPendingPage, 0},
};

INT_PTR WINAPI NewSetupHookKiv6(INT_PTR event, INT_PTR a, HWND, HWND, void*, INT_PTR value) {
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
