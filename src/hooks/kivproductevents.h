// The events of the built-in Kiv hooks around the pages: the earlier generations' uninstall keys in the
// same program folder (event 10), the offer to delete the data folder at removal (event 11) and the
// product's first start after the installation (event 13).
#pragma once

#include <windows.h>

#include "base/stringarray.h"
#include "base/strings.h"

// Whether `folder` may be offered for deletion: a full path below a root whose own name contains "KIV",
// that neither is nor holds any of the `kept` folders (profiles, shell folders, the program folder).
bool KivDataFolderRemovable(const STRING& folder, const STRINGARRAY& kept);

void KivRemoveEarlierUninstallKeys(const char* const* keys, const STRING& program);
void KivOfferDataFolderRemoval(HWND wizard, int mode);
void KivStartProduct();
