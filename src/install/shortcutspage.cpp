// The shortcuts page: the program-group choice between the user's and the all-users start menu or none,
// the desktop icon offered by a StartmenuOpts item, the preset choices of the setup configuration, and
// the shortcut step on Next.
#include "install/shortcutspage.h"

#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "install/linkitems.h"
#include "install/shortcuts.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"

namespace {

constexpr int kUserProgramsFolder = 0;
constexpr int kCommonProgramsFolder = 10;
constexpr int kGroupRadios[] = {IDC_SHORTCUTS_USER_GROUP, IDC_SHORTCUTS_COMMON_GROUP, IDC_SHORTCUTS_NO_GROUP};

STRING ProgramsFolder(int type) {
  STRING folder = OSYS::GetSystemPath(type);
  folder.Trim('R', "\\");
  return folder;
}

void SelectGroupRadio(HWND page, int selected) {
  for (int radio : kGroupRadios) CONTROL(page, radio).SetCheck(radio == selected ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND page, int control) { return CONTROL(page, control).GetCheck() == BST_CHECKED; }

// The controls as a new installation or a repeated one finds them, then as the configuration presets them.
void PrepareControls(HWND page, INSTALLRUN& run, SHORTCUTCHOICE& choice) {
  HASH& config = run.Tables.Config;
  bool again = run.InstallType == "1";
  int desktopdefault = DesktopItem(ConfigText(config, KEY_STARTMENUOPTS)).IsNotEmpty() ? ConfigNumber(config, KEY_DESKTOPICON) : 0;
  int selected = again ? IDC_SHORTCUTS_NO_GROUP : IDC_SHORTCUTS_COMMON_GROUP;
  SelectGroupRadio(page, selected);
  CONTROL(page, selected).SetFocus();
  CONTROL(page, IDC_SHORTCUTS_DESKTOP).Enable(desktopdefault != 0);
  CONTROL(page, IDC_SHORTCUTS_DESKTOP).SetCheck(desktopdefault > 1 && !again ? BST_CHECKED : BST_UNCHECKED);
  if (choice.CommonPrograms.IsEmpty()) {
    CONTROL(page, IDC_SHORTCUTS_COMMON_GROUP).Enable(false);
    choice.CommonPrograms = choice.UserPrograms;
  }
  STRING group = ConfigText(config, KEY_INSTALLPROGRAMGROUP);
  if (group.IsNotEmpty()) SelectGroupRadio(page, IDC_SHORTCUTS_USER_GROUP - 1 + group.atoi());
  STRING desktop = ConfigText(config, KEY_INSTALLDESKTOPICON);
  if (desktop.IsNotEmpty()) CONTROL(page, IDC_SHORTCUTS_DESKTOP).SetCheck(desktop.atoi() != 0 ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

int ShortcutsPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HWND window = page->GetHandle();
  SHORTCUTCHOICE choice;
  choice.UserPrograms = ProgramsFolder(kUserProgramsFolder);
  choice.CommonPrograms = ProgramsFolder(kCommonProgramsFolder);
  PrepareControls(window, run, choice);
  bool skip = ConfigFlag(run.Tables.Config, KEY_INSTALLSKIPSTARTMENU);
  int result = skip ? PAGE_NEXT : wizard->RunPage(page);
  logit("ShortcutsPage ends with %d\n", result);
  if (result != PAGE_NEXT) return result;
  choice.Group = !IsChecked(window, IDC_SHORTCUTS_NO_GROUP);
  choice.AllUsers = !IsChecked(window, IDC_SHORTCUTS_USER_GROUP) && IsChecked(window, IDC_SHORTCUTS_COMMON_GROUP);
  choice.Desktop = IsChecked(window, IDC_SHORTCUTS_DESKTOP);
  CreateShortcuts(run, choice);
  return result;
}
