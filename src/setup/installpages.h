// The page functions of the installation wizard that belong to the setup itself: welcome, agreement,
// installation folder, advertise and finish. The copy and shortcuts pages come from the installation
// actions; product pages from the hooks.
#pragma once

#include "setup/steptable.h"

int WelcomePage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
int AgreementPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
int FolderPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
int AdvertisePage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
int FinishPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
