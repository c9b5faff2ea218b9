// The welcome page: the icon of IdIcon, the kind of installation from the earlier installation's version,
// the dated warning of WelcomeWarning, the header texts, and the three installation types.
#include <windows.h>

#include <cstdio>

#include "base/filename.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"
#include "setup/welcomerules.h"
#include "ui/winnorba.h"

namespace {


// The earlier installation's folder and version from its uninstall record; each empty when missing.
void EarlierInstallation(HASH& config, STRING* folder, STRING* version) {
  STRING inikey = ConfigText(config, KEY_INIKEY);
  REGISTRY record(HKEY_LOCAL_MACHINE, kUninstallKey, PATHTEXT(inikey).c_str(), MachineKeyMode(REGISTRY_READ));
  if (!record.Read("UninstallPath", *folder)) *folder = STRING();
  if (!record.Read("DisplayVersion", *version)) *version = STRING();
}

void ShowIcon(HWND frame, const STRING& idicon) {
  if (idicon.IsEmpty()) return;
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(idicon.atoi()));
  if (icon) SendDlgItemMessageW(frame, IDC_FRAME_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void ShowWarning(HWND page, HASH& config) {
  STRING warning = ConfigText(config, KEY_WELCOMEWARNING);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char today[16];
  snprintf(today, sizeof(today), "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
  STRING shown = WelcomeWarningToShow(warning, today);
  if (shown.IsNotEmpty()) WINNORBA::InfoMsgBox(page, ConfigText(config, KEY_APPNAME), shown);
}

void SetHeader(HWND frame, HASH& config, const STRING& producttitle) {
  STRING message = ConfigText(config, KEY_WELCOMEMSG);
  message.Replace("\r", "\n", 1);
  int cut = message.Pos("\n");
  if (cut >= 0) message = message.Left(cut);
  CONTROL(frame, IDC_FRAME_SUBTITLE).SetText(message);
  CONTROL title(frame, IDC_FRAME_TITLE);
  title.SetText(title.GetText() + producttitle);
}

}  // namespace

int WelcomePage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HASH& config = run.Tables.Config;
  HWND frame = wizard->GetHandle();
  ShowIcon(frame, ConfigText(config, KEY_IDICON));

  STRING folder, installed;
  EarlierInstallation(config, &folder, &installed);
  bool same = folder.IsNotEmpty(), update = folder.IsNotEmpty();
  if (folder.IsNotEmpty()) {
    int order = CompareVersions(installed, ConfigText(config, KEY_APPVERSION));
    if (order < 0) {
      run.InstallType = STRING("2", 1252);
      same = false;
    } else if (order == 0) {
      run.InstallType = STRING("1", 1252);
      update = false;
    }
  }
  logit("WelcomePage installed '%s' version '%s', type '%s'\n", folder.c_str(), installed.c_str(),
        run.InstallType.c_str());
  if (!run.Unattended) ShowWarning(page->GetHandle(), config);
  SetHeader(frame, config, run.ProductTitle);

  page->AddItem(new RADIOITEM(IDC_WELCOME_NEW, &run.InstallType, 0));
  page->AddItem(new RADIOITEM(IDC_WELCOME_SAME, &run.InstallType, 1));
  page->AddItem(new RADIOITEM(IDC_WELCOME_UPDATE, &run.InstallType, 2));
  CONTROL(page->GetHandle(), IDC_WELCOME_SAME).Enable(same);
  CONTROL(page->GetHandle(), IDC_WELCOME_UPDATE).Enable(update);
  STRING type = ConfigText(config, KEY_INSTALLTYPE);
  if (type.IsNotEmpty()) run.InstallType = STRING(type.atoi() - 1);
  CONTROL(frame, IDC_WIZARD_NEXT).Enable(true);
  if (ConfigFlag(config, KEY_INSTALLSKIPINSTALLTYPE)) return PAGE_NEXT;
  return wizard->RunPage(page);
}
