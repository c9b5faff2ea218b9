// The removal: what the uninstall record lists is undone in a fixed order (service, files, links, on
// request the user's data and settings, registrations, firewall exceptions, the record, the autostart
// value), on the worker thread of the removal wizard's progress page.
#pragma once

#include <windows.h>

#include <norba/setuphook_api.h>

#include "base/stringarray.h"
#include "base/strings.h"

// What the removal takes from the layers above it.
struct REMOVALSERVICES {
  NORBA_SETUPHOOKPROC (*SetupHook)() = nullptr;
  NORBA_NEWSETUPHOOKPROC (*NewSetupHook)() = nullptr;
  // Removes the firewall exceptions of the programs at these full paths; null: none are removed.
  void (*RemoveFirewallExceptions)(const STRINGARRAY& programs) = nullptr;
};

// The worker's record: the wizard, the page and its progress bar, the product and the removal mode.
struct REMOVALARG {
  HWND Wizard = nullptr;
  HWND Page = nullptr;
  HWND Progress = nullptr;
  STRING KeyName;
  bool Complete = false;  // removal mode "1": the user's data and settings go too
  bool Hidden = false;    // nobody watches: the progress bar fills without its pauses
  const REMOVALSERVICES* Services = nullptr;
};

// The thread function (OSYS::CreateThread) with a REMOVALARG; always 0.
unsigned __stdcall RemoveProduct(void* arg);

// The elements of a '|' list up to its first empty one.
STRINGARRAY ListElements(const STRING& list);

// Deletes the listed files below `folder` (a protected bare file name stays) and the folders they
// emptied, bottom-up; elements that would reach outside `folder` are skipped. The count of files deleted.
int RemoveListedFiles(const STRING& folder, const STRINGARRAY& files, const STRINGARRAY& protect);

// Whether `folder` is a folder that whole-tree removal must never empty: a drive root, the Windows, system
// or program-files folder, a profile, a shell folder, or a folder that holds one of them.
bool IsSystemFolder(const STRING& folder);

// The owner name of the product's folders and settings keys, chosen from the uninstall key name.
STRING FolderOwner(const STRING& keyname);
