// The shortcut step's work once the user has chosen: the start-menu folder, the renamed earlier program
// group, the links of StartmenuOpts with the generated uninstall and desktop items, their record in the
// uninstall record, the hook events 9 and 10, and the firewall exceptions.
#pragma once

#include "base/strings.h"
#include "setup/installrun.h"

struct SHORTCUTCHOICE {
  bool Group = false;     // a program group is wanted
  bool AllUsers = false;  // in the all-users start menu
  bool Desktop = false;   // the desktop icon is wanted
  STRING UserPrograms;    // the start-menu base folders, without a trailing '\'
  STRING CommonPrograms;
};

// Sets run.StartMenuFolder and run.AllUsers and makes what `choice` asks for.
void CreateShortcuts(INSTALLRUN& run, const SHORTCUTCHOICE& choice);
