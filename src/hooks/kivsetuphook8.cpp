// The built-in product hook of Kiv generation 8: its profile (settings key "KIV8", the earlier generations
// 7, 6 or 5 it takes data over from and whose uninstall keys it replaces) and its two product pages, the data
// folder page and then the usage type page, before STEPADV.
#include "hooks/kivdatafolder.h"
#include "hooks/kivdispatch.h"
#include "hooks/kivgeneration.h"
#include "hooks/kivmigration.h"
#include "hooks/kivusagetype.h"

static const KIVPROFILE kProfile = {8, "KIV8", "kivsetuphook8", {"KIV7", "KIV6", "KIV5", nullptr},
                                   {"KIV5", "KIV6", "KIV7", nullptr}, KivRenameOptions8};

static const SETUPSTEP kProductPages[2] = {
    {STEPDATAFOLDER, 2920, 2921, 2010, nullptr, KivDataFolderPage, 0},
    {STEPUSAGETYPE, 2922, 2923, 2017, nullptr, KivUsageTypePage, 0},
};

const KIVPROFILE& KivProfile8() { return kProfile; }

INT_PTR WINAPI NewSetupHookKiv8(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void*, INT_PTR value) {
  return KivDispatch(kProfile, kProductPages, event, a, window, pagewindow, value);
}
