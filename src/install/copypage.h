// The copy page and, until the shortcuts are built, the page that stands for them.
#pragma once

#include "setup/steptable.h"

// Starts the copy step on a worker thread with the progress bar in place of control 901 and waits for it.
int CopyPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
// Passes itself over in the direction of travel.
int ShortcutsPassOver(SETUPDIALOGBOX* wizard, DATADIALOG* page);
