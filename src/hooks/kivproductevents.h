// The events of the built-in Kiv hooks around the pages: the earlier generations' uninstall keys in the
// same program folder (event 10), the offer to delete the data folder at removal (event 11) and the
// product's first start after the installation (event 13).
#pragma once

#include <windows.h>

#include "base/stringarray.h"
#include "base/strings.h"

// Whether `folder` may hold the product's data: a full path below a root that neither is nor holds any of
// the `kept` folders (profiles, shell folders, the program folder).
bool KivDataFolderAcceptable(const STRING& folder, const STRINGARRAY& kept);
// Whether `folder` may be offered for deletion: acceptable, and its own name contains "KIV".
bool KivDataFolderRemovable(const STRING& folder, const STRINGARRAY& kept);
// The folders a data folder must never be nor hold: the user's and the machine's shell folders, and the
// program folder when one is given.
STRINGARRAY KivKeptFolders(const STRING& program);

void KivRemoveEarlierUninstallKeys(const char* const* keys, const STRING& program);
void KivOfferDataFolderRemoval(HWND wizard, int mode);
void KivStartProduct();
