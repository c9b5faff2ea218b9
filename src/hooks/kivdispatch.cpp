// The dispatcher behind the generations' entry points: the pages at event 0, the earlier generation at
// event 1, the migration notes at event 5, the earlier uninstall keys at event 10, the data folder at
// removal (event 11) and the product start (event 13); every other event does nothing.
#include "hooks/kivdispatch.h"

#include "hooks/kivgeneration.h"
#include "hooks/kivproductevents.h"
#include "setup/installrun.h"

INT_PTR KivDispatch(const KIVPROFILE& profile, const SETUPSTEP (&pages)[2], INT_PTR event, INT_PTR a, HWND window,
                    HWND pagewindow, INT_PTR value) {
  TraceKivHookCall(event, a, value);
  KivState().Profile = &profile;
  switch (event) {
    case NORBA_NSH_STEPS:
      InsertKivPages(value, pages, profile.Unit);
      break;
    case NORBA_NSH_CONFIG:
      KivRememberSetup(profile, static_cast<int>(a), reinterpret_cast<HASH*>(value));
      break;
    case NORBA_NSH_PAGE_BEFORE:
      if (profile.Generation != 6) KivAdjustPageText(static_cast<int>(a), pagewindow);
      break;
    case NORBA_NSH_PAGE_AFTER:
      if (profile.Generation == 6 && a == STEPDIRECTORY && value == PAGE_NEXT) KivExamineChosenFolder(pagewindow);
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
