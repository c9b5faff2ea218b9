// The shortcuts page of the installation wizard: where the program group goes and whether a desktop icon
// is made; on Next the links, their record and the firewall exceptions.
#pragma once

#include "setup/steptable.h"

int ShortcutsPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
