// The copy page of the installation wizard.
#pragma once

#include "setup/steptable.h"

// Starts the copy step on a worker thread with the progress bar in place of control 901 and waits for it.
int CopyPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
