// The removal wizard: the confirmation page with the removal mode and the warning before a complete
// removal, and the progress page that runs the removal on a worker thread.
#pragma once

#include "base/strings.h"
#include "uninstall/uninstall.h"

// The product being removed, process-wide while the wizard runs.
struct REMOVALSTATE {
  STRING KeyName;
  STRING InstallFolder;
  STRING AppName;
  STRING BoxTitle;  // text 2901 with "Norba" made the application name
};

// Runs the two pages (hidden and walked by itself when nobody is watching); 1 when the removal page was
// closed after the removal, 0 when the wizard was cancelled.
int RunRemovalWizard(const REMOVALSTATE& state, const UNINSTALLACTIONS& actions);
