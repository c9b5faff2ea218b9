// Events 10, 11 and 13 of the built-in Kiv hooks: earlier uninstall keys of the same program folder go,
// the data folder is offered for deletion only when it is the product's own, and the installed kiv.exe
// starts with its first-launch argument.
#include "hooks/kivproductevents.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "hooks/kivhookstate.h"
#include "hooks/kivmigration.h"
#include "ids.h"
#include "setup/installrun.h"
#include "setup/setupconfig.h"
#include "ui/winnorba.h"

namespace {

const int kShellFolders[] = {CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA,
                             CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS, CSIDL_WINDOWS,
                             CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
                             CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY};

}  // namespace

STRINGARRAY KivKeptFolders(const STRING& program) {
  STRINGARRAY kept;
  for (int csidl : kShellFolders) {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0]) kept.Add(path);
  }
  kept.Add(FILENAME("%ALLUSERPROFILE%").c_str());
  if (program.IsNotEmpty()) kept.Add(FILENAME(program.c_str()).c_str());
  return kept;
}

namespace {

void Open(const STRING& file, const char* argument, const STRING& folder) {
  HINSTANCE rc = ShellExecuteA(nullptr, "open", file.c_str(), argument, folder.c_str(), SW_SHOWNORMAL);
  logit("SETUP::KivStartProduct open %s %s: %d\n", file.c_str(), argument ? argument : "",
        static_cast<int>(reinterpret_cast<INT_PTR>(rc)));
}

}  // namespace

bool KivDataFolderAcceptable(const STRING& folder, const STRINGARRAY& kept) {
  FILENAME path(folder.c_str());
  if (!path.IsBelowRoot()) return false;
  for (int i = 0; i < kept.Count(); i++)
    if (KivFolderWithin(kept[i], path)) return false;
  return true;
}

bool KivDataFolderRemovable(const STRING& folder, const STRINGARRAY& kept) {
  return KivDataFolderAcceptable(folder, kept) && FILENAME(folder.c_str()).GetName().iFind("KIV");
}

void KivRemoveEarlierUninstallKeys(const char* const* keys, const STRING& program) {
  for (; *keys; keys++) {
    STRING path = KivUninstallValue(*keys, "UninstallPath");
    bool same = path.IsNotEmpty() && KivFolderWithin(path, program) && KivFolderWithin(program, path);
    if (!same) continue;
    logit("SETUP::KivRemoveEarlierUninstallKeys %s in %s\n", *keys, path.c_str());
    REGISTRY uninstall(HKEY_LOCAL_MACHINE, kUninstallKey, nullptr, MachineKeyMode(REGISTRY_WRITE));
    if (uninstall.IsOpen()) uninstall.DeleteKey(*keys, true);
  }
}

void KivOfferDataFolderRemoval(HWND wizard, int mode) {
  if (mode != 1 || !KivState().Profile) return;
  const char* key = KivState().Profile->Key;
  STRING folder = KivSettingsDataFolder();
  logit("SETUP::KivOfferDataFolderRemoval %s (uninstall key: %s)\n", folder.c_str(), KivUninstallValue(key, "%KIVFILES%").c_str());
  if (folder.IsEmpty() || !FILENAME(folder.c_str()).IsDirectory()) return;
  if (!KivDataFolderRemovable(folder, KivKeptFolders(KivUninstallValue(key, "UninstallPath")))) {
    logit("SETUP::KivOfferDataFolderRemoval %s is not the product's own folder: kept\n", folder.c_str());
    return;
  }
  TEXTVARIABLES variables;
  variables.Program = "KIV";
  STRING shown = FILENAME(folder.c_str());
  variables.Dir = shown.c_str();
  STRING text = ReplaceTextVariables(
      OSYS::GetStringFromResource(IDS_DATAFOLDER_DELETE_1) + OSYS::GetStringFromResource(IDS_DATAFOLDER_DELETE_2), variables);
  if (WINNORBA::YesNoMsgBox(wizard, OSYS::GetStringFromResource(IDS_REMOVE_BOX_TITLE), text))
    FILETREE::DeleteTree(shown, "*", true);
}

void KivStartProduct() {
  INSTALLRUN& run = InstallRun();
  FILENAME product(run.InstallFolder.c_str(), "kiv.exe");
  if (product.IsFile())
    Open(product, run.InstallType == "0" ? "/FIRSTLAUNCHFROMSETUPINSTALL" : "/FIRSTLAUNCHFROMSETUPUPDATE", run.InstallFolder);
  if (!run.Unattended && run.StartMenuFolder.IsNotEmpty() && FILENAME(run.StartMenuFolder.c_str()).IsDirectory())
    Open(run.StartMenuFolder, nullptr, run.StartMenuFolder);
}
