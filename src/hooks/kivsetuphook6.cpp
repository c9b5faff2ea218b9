// The built-in product hook of Kiv generation 6: its profile (settings key "KIV6", the earlier generation 5
// and, older still, generation 4 and its predecessor; the uninstall keys of generations 4 to 6 it
// replaces) and its two product pages, the usage type page first, then the data folder page.
#include "hooks/kivdatafolder.h"
#include "hooks/kivdispatch.h"
#include "hooks/kivgeneration.h"
#include "hooks/kivmigration.h"
#include "hooks/kivusagetype.h"

static const KIVPROFILE kProfile = {6, "KIV6", "kivsetuphook6", {"KIV5", nullptr},
                                   {"KIV4", "KIV5", "KIV6", nullptr}, KivRenameColorTable};

static const SETUPSTEP kProductPages[2] = {
    {STEPUSAGETYPE, 2922, 2923, 2011, nullptr, KivUsageTypePage, 0},
    {STEPDATAFOLDER, 2920, 2921, 2010, nullptr, KivDataFolderPage, 0},
};

const KIVPROFILE& KivProfile6() { return kProfile; }

INT_PTR WINAPI NewSetupHookKiv6(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void*, INT_PTR value) {
  return KivDispatch(kProfile, kProductPages, event, a, window, pagewindow, value);
}
