// The links of an installation in the order the product hooks and the uninstaller rely on. Every link
// file stays in its folder; a program or icon named by bare name is found on the search path without
// being loaded; nothing is rolled back and each failure is only traced.
#include "install/shortcuts.h"

#include <vector>

#include "base/comobject.h"
#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "hooks/setuphook.h"
#include "ids.h"
#include "install/firewallexceptions.h"
#include "install/linkitems.h"
#include "install/prerequisites.h"
#include "install/searchorder.h"
#include "install/shelllinks.h"
#include "install/uninstallrecord.h"
#include "setup/configkeys.h"

namespace {

constexpr int kDesktopFolder = 8;

STRING WithoutTrailingBackslash(STRING folder) {
  folder.Trim('R', "\\");
  return folder;
}

STRING LinkFile(const STRING& folder, const STRING& name, const char* extension) {
  STRING file;
  file.Format("%s\\%s.%s", PATHTEXT(folder).c_str(), PATHTEXT(name).c_str(), extension);
  return file;
}

class SHORTCUTS {
 public:
  SHORTCUTS(INSTALLRUN& run, const SHORTCUTCHOICE& choice)
      : Run(run), Config(run.Tables.Config), Choice(choice), Folder(run.InstallFolder) {}
  void Execute();

 private:
  void RenameEarlierGroup();
  std::vector<STRING> Items();
  void MakeLink(const STRING& item);
  void MakeWebLink(const LINKITEM& link);
  bool ResolveTarget(STRING& target);
  STRING IconPath(const LINKITEM& link);
  void MakeShellLink(const LINKITEM& link, const STRING& target, bool desktop);

  INSTALLRUN& Run;
  HASH& Config;
  const SHORTCUTCHOICE& Choice;
  STRING Folder;  // the installation folder
  STRING GroupList;
  STRING DesktopList;
  bool Group = false;  // a program group is made
};

void SHORTCUTS::Execute() {
  // Without a name there is no group of the product's own: the programs menu itself is nobody's to fill.
  STRING name = ConfigText(Config, KEY_STARTMENUNAME);
  Group = Choice.Group && name.IsNotEmpty();
  STRING base = Group && Choice.AllUsers ? Choice.CommonPrograms : Choice.UserPrograms;
  Run.AllUsers = Group && Choice.AllUsers;
  Run.StartMenuFolder = name.IsNotEmpty() ? STRING(FILENAME(base, name)) : STRING();
  logit("[>>]SETUP::Shortcuts group=%d allusers=%d desktop=%d folder=%s\n", Group ? 1 : 0, Run.AllUsers ? 1 : 0,
        Choice.Desktop ? 1 : 0, Run.StartMenuFolder.c_str());
  RenameEarlierGroup();
  CallNewSetupHook(NORBA_NSH_SHORTCUTS, 0, nullptr, nullptr, nullptr, HookArg(&Run.StartMenuFolder));
  if (Group) FILENAME(Run.StartMenuFolder).MakeDir();
  {
    COMSCOPE com;
    for (const STRING& item : Items()) MakeLink(item);
  }
  LINKRECORD record;
  record.StartmenuFolder = Run.StartMenuFolder;
  record.StartmenuFiles = GroupList;
  record.DesktopFiles = DesktopList;
  record.GroupMade = Group || (name.IsNotEmpty() && Run.InstallType == "0");
  WriteLinkValues(Config, record);
  STRING inikey = ConfigText(Config, KEY_INIKEY);
  CallNewSetupHook(NORBA_NSH_LINKS_RECORDED, 0, nullptr, nullptr, nullptr, HookArg(PATHTEXT(inikey).c_str()));
  AddFirewallExceptions(Config, Folder);
  logit("[<<]SETUP::Shortcuts group '%s' desktop '%s'\n", PATHTEXT(GroupList).c_str(), PATHTEXT(DesktopList).c_str());
}

// An earlier installation's program group takes the new folder's name. When that fails both folders stay
// and the new one is filled all the same.
void SHORTCUTS::RenameEarlierGroup() {
  UNINSTALLRECORD earlier;
  STRING inikey = ConfigText(Config, KEY_INIKEY);
  if (!ReadUninstallRecord(PATHTEXT(inikey).c_str(), earlier)) return;
  if (earlier.Startmenu.IsEmpty() || earlier.Startmenu == Run.StartMenuFolder) return;
  FILENAME old;
  old = earlier.Startmenu;
  bool renamed = old.Rename(PATHTEXT(Run.StartMenuFolder), false);
  logit("SETUP::Shortcuts renamed %s to %s: %d\n", old.c_str(), Run.StartMenuFolder.c_str(), renamed ? 1 : 0);
}

// StartmenuOpts and the uninstall item in the program group, then the desktop item.
std::vector<STRING> SHORTCUTS::Items() {
  STRING startmenuopts = ConfigText(Config, KEY_STARTMENUOPTS);
  std::vector<STRING> items;
  if (Group) {
    items = LinkItemList(startmenuopts);
    if (ConfigFlag(Config, KEY_STARTMENUUNINSTALL)) {
      STRING name = OSYS::GetStringFromResource(IDS_UNINSTALL_LINK_NAME);
      name.Replace("$PROGRAM", ConfigText(Config, KEY_APPNAME).InCodePage(name.GetCodePage()).c_str(), 1);
      items.push_back(UninstallItem(name.InCodePage(1252), ConfigText(Config, KEY_INIKEY)));
    }
  }
  STRING desktop = DesktopItem(startmenuopts);
  if (Choice.Desktop && desktop.IsNotEmpty()) items.push_back(desktop);
  return items;
}

void SHORTCUTS::MakeLink(const STRING& item) {
  LINKITEM link = ParseLinkItem(item);
  if (!IsBareFileName(link.Name)) {
    logit("SETUP::Shortcuts skips '%s': the link name is not a plain file name\n", item.c_str());
    return;
  }
  if (IsWebTarget(link.Target)) {
    MakeWebLink(link);
    return;
  }
  bool desktop = link.Target.Length() > 0 && link.Target[0] == kDesktopMark;
  if (!desktop && !Group) return;
  STRING target = UnmarkedTarget(link.Target);
  if (!ResolveTarget(target)) return;
  FILENAME relative;
  relative = target;
  if (!relative.IsAbsolute() && !StaysInsideFolder(target)) {
    logit("SETUP::Shortcuts skips '%s': the target lies outside the installation folder\n", item.c_str());
    return;
  }
  MakeShellLink(link, target, desktop);
}

// Web addresses go to the program group only.
void SHORTCUTS::MakeWebLink(const LINKITEM& link) {
  if (!Group) return;
  if (SaveInternetShortcut(link.Target, LinkFile(Run.StartMenuFolder, link.Name, "URL")))
    GroupList.Append(link.Name).Append("|");
}

// A "%PATH%\" target becomes the full path of the file the search path holds; false (traced) when the
// name is not a bare file name or nothing is found.
bool SHORTCUTS::ResolveTarget(STRING& target) {
  STRING name = SearchPathName(target);
  if (name.IsEmpty()) return true;
  STRING found = IsBareFileName(name) ? FindOnSearchPath(name) : STRING();
  if (found.IsEmpty()) {
    logit("SETUP::Shortcuts skips '%s': not found on the search path\n", target.c_str());
    return false;
  }
  target = Wow64SystemTarget(found, IsWow64());
  return true;
}

// The icon file in the installation folder, else a library of that name on the search path.
STRING SHORTCUTS::IconPath(const LINKITEM& link) {
  if (link.IconFile.IsEmpty()) return STRING();
  FILENAME icon(Folder, link.IconFile);
  if (icon.Exists() || !IsBareFileName(link.IconFile)) return icon;
  STRING found = FindOnSearchPath(link.IconFile);
  return found.IsNotEmpty() ? found : STRING(icon);
}

void SHORTCUTS::MakeShellLink(const LINKITEM& link, const STRING& target, bool desktop) {
  SHELLLINK shelllink;
  shelllink.Path = FILENAME(Folder, target);
  shelllink.Arguments = link.Arguments;
  shelllink.WorkingFolder = Folder;
  shelllink.IconPath = IconPath(link);
  shelllink.IconIndex = link.IconIndex;
  STRING folder = desktop ? WithoutTrailingBackslash(OSYS::GetSystemPath(kDesktopFolder)) : Run.StartMenuFolder;
  if (!FILENAME(folder).IsDirectory()) FILETREE::CreateDirectoryPath(folder);
  if (!SaveShellLink(shelllink, LinkFile(folder, link.Name, "LNK"))) return;
  (desktop ? DesktopList : GroupList).Append(link.Name).Append("|");
}

}  // namespace

void CreateShortcuts(INSTALLRUN& run, const SHORTCUTCHOICE& choice) { SHORTCUTS(run, choice).Execute(); }
