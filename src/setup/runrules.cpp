// The installation folder proposed before the wizard and the files DeleteAfterExtract removes after it.
#include "setup/runrules.h"

#include "base/filename.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"

namespace {


// Whether one of the path's parts is "..": a name such as "notes..txt" is an ordinary file.
bool HasParentPart(const STRING& path) {
  for (int i = 0; i < path.CountFields("\\/"); i++)
    if (path.GetToken(i, "\\/", 0) == "..") return true;
  return false;
}

}  // namespace

// An earlier installation's folder from its uninstall record, else InstallPath ("*" for a folder of its
// own, else below the program-files folder).
STRING ProposedFolder(HASH& config) {
  STRING inikey = ConfigText(config, KEY_INIKEY);
  REGISTRY record(HKEY_LOCAL_MACHINE, kUninstallKey, PATHTEXT(inikey).c_str(), MachineKeyMode(REGISTRY_READ));
  STRING earlier;
  if (inikey.IsNotEmpty() && record.Read("UninstallPath", earlier) && earlier.Length() <= 512 &&
      FILENAME(earlier).IsDirectory())
    return earlier;
  STRING path = ConfigText(config, KEY_INSTALLPATH);
  if (path.Length() > 0 && path[0] == '*') return path.Mid(1);
  STRING programs = OSYS::GetSystemPath(2);
  programs.Trim('R', "\\");
  return programs + path;
}

// Deletes the listed files of the installation folder; names that would reach outside it are skipped.
void DeleteAfterExtract(HASH& config, const STRING& folder) {
  STRING list = ConfigText(config, KEY_DELETEAFTEREXTRACT);
  for (int i = 0; i < list.CountFields("|"); i++) {
    STRING field = list.GetToken(i, "|", 0);
    if (field.IsEmpty()) continue;
    FILENAME name(field);
    bool inside = !name.IsAbsolute() && !HasParentPart(field) && field.Pos(":") < 0;
    if (!inside) {
      logit("RunInstallation DeleteAfterExtract skips '%s': not a file of the installation folder\n", field.c_str());
      continue;
    }
    FILENAME target = FILENAME::Join(folder, field);
    bool deleted = target.Delete();
    logit("RunInstallation DeleteAfterExtract %s deleted= %d\n", target.c_str(), deleted ? 1 : 0);
  }
}
