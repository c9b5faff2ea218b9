// The built-in product hook of Kiv generation 8: the dispatcher of its events. It inserts the data folder
// and usage type pages, looks for an earlier generation, adds the migration notes to the welcome and
// folder pages, cleans up earlier uninstall keys, offers the data folder at removal and starts the product.
#include "hooks/kivdatafolder.h"
#include "hooks/kivgeneration.h"
#include "hooks/kivhookstate.h"
#include "hooks/kivproductevents.h"
#include "hooks/kivusagetype.h"
#include "setup/installrun.h"

// The data folder page, then the usage type page.
static const SETUPSTEP kProductPages[2] = {
    {STEPDATAFOLDER, 2920, 2921, 2010, nullptr, KivDataFolderPage, 0},
    {STEPUSAGETYPE, 2922, 2923, 2017, nullptr, KivUsageTypePage, 0},
};

INT_PTR WINAPI NewSetupHookKiv8(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void*, INT_PTR value) {
  const KIVPROFILE& profile = KivProfile8();
  TraceKivHookCall(event, a, value);
  if (!KivState().Profile) KivState().Profile = &profile;
  switch (event) {
    case NORBA_NSH_STEPS:
      InsertKivPages(value, kProductPages, profile.Unit);
      break;
    case NORBA_NSH_CONFIG:
      KivRememberSetup(profile, static_cast<int>(a), reinterpret_cast<HASH*>(value));
      break;
    case NORBA_NSH_PAGE_BEFORE:
      KivAdjustPageText(static_cast<int>(a), pagewindow);
      break;
    case NORBA_NSH_LINKS_RECORDED:
      KivRemoveEarlierUninstallKeys(profile.EarlierUninstall, InstallRun().InstallFolder);
      break;
    case NORBA_NSH_REMOVAL_BEGIN:
      KivOfferDataFolderRemoval(window, static_cast<int>(value));
      break;
    case NORBA_NSH_INSTALL_END:
      KivStartProduct();
      break;
    default:
      break;
  }
  return 1;
}
