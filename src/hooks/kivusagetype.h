// The usage type page of the built-in Kiv hooks: how the product will be used, preselected from the
// terminal program used so far, and its lines in admin.ini.
#pragma once

#include "base/strings.h"
#include "setup/steptable.h"

// The usage type shown at a list position (order 1, 0, 2, 3, 4), and the position of a type.
int KivUsageTypeAt(int position);
int KivUsagePositionOf(int type);
// The usage type that a terminal program's name suggests; -1 when it suggests none.
int KivUsageForTerminal(const STRING& terminal);
// The lines the page appends to admin.ini: "SetupTerminalType", "SetupSubsystems" (codes "120" for
// serial lines, type 3, else "111") and three empty lines.
STRING KivUsageLines(int type, const STRING& terminal);

// The page function (step 16).
int KivUsageTypePage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
