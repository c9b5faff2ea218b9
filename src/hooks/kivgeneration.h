// The built-in product hooks of Kiv generations 6, 7 and 8: their entry points, the choice of the
// generation for an installation (by AppVersion) and a removal (by uninstall key name), and the pieces
// every generation's dispatcher shares.
#pragma once

#include <windows.h>

#include "base/hash.h"
#include "hooks/setuphook.h"
#include "setup/steptable.h"

// One entry point per generation, each in its own unit (kivsetuphook6, kivsetuphook7, kivsetuphook8).
INT_PTR WINAPI NewSetupHookKiv6(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                INT_PTR value);
INT_PTR WINAPI NewSetupHookKiv7(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                INT_PTR value);
INT_PTR WINAPI NewSetupHookKiv8(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                INT_PTR value);

// The generation for an AppVersion: 6 from 6.0 to below 6.8, 7 from 7.0 to below 7.9, else 8.
int KivGenerationForVersion(double version);
// The generation an uninstall key names ("KIV6", "KIV7", "KIV8", ignoring case); 0 for any other key.
int KivGenerationForKey(const char* keyname);
// The entry point of generation 6, 7 or 8; null for any other number.
NEWSETUPHOOKPROC KivHookOf(int generation);

// Installation: when AppName is "KIV" (ignoring case) and NewSetupHook is still the built-in default,
// NewSetupHook becomes the generation that AppVersion (default "4.00") selects. A hook library's
// NewSetupHook is never replaced. Answers the generation chosen, 0 when none was.
int ChooseKivHookForInstallation(HASH& config);
// Removal: the generation the uninstall key names replaces any NewSetupHook, also a hook library's.
// Answers that generation, 0 when the key names none (the hook stays as it was).
int ChooseKivHookForRemoval(const char* keyname);

// What every generation's dispatcher does first: trace the call.
void TraceKivHookCall(INT_PTR event, INT_PTR a, INT_PTR value);
// Event 0: the generation's two pages go before STEPADV of the step table handed over as `value`;
// assertions are reported under the generation's unit.
void InsertKivPages(INT_PTR value, const SETUPSTEP (&pages)[2], const char* unit);
