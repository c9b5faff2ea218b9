// SETUP::ActualCopy: the work of the wizard's copy step, run on a worker thread while the wizard keeps
// pumping messages: service stop, the setup archives, CopyToDest, the accepted agreement, registration,
// the uninstall record, the hook events around it, the service restart and the end of the page.
#pragma once

#include <windows.h>

#include "base/hash.h"
#include "base/strings.h"

// The accepted agreement in the installation folder.
constexpr char kLicenseAgreedFile[] = "LicenseAgreed.txt";

// The run-wide values of the installation that the copy step reads and sets. The wizard's thread leaves
// them alone while the step runs (its buttons are disabled).
struct COPYRUN {
  HASH* Config = nullptr;      // the setup configuration; readers store their defaults back
  STRING InstallFolder;        // the chosen installation folder
  STRING InstallType;          // "0" new, "1" the same version again, "2" an update
  STRING LicenseText;          // the agreement the user accepted, one paragraph per line; empty: none shown
  bool Hidden = false;         // a hidden unattended run: nobody sees or answers a question
  int* CustomAdmin = nullptr;  // the run-wide custom-admin flag, set to 1 when a custom archive brings admin.ini
  bool Cancelled = false;      // set by the step when it took its cancel path
};

// The thread argument. It belongs to the copy page and lives until the thread has ended.
struct COPYTHREADARG {
  HWND Wizard = nullptr;    // the wizard; hosts Back (148), Next (149) and Cancel (2)
  HWND Progress = nullptr;  // the copy page's progress bar, positions 0 to 100
  HWND Page = nullptr;      // the copy page; its control 201 shows the status text
  COPYRUN* Run = nullptr;
};

namespace SETUP {

// The thread function (for OSYS::CreateThread) with a COPYTHREADARG as its argument. The page has
// disabled the wizard's buttons; the step enables them again: Next and Cancel when it is done, Back and
// Cancel when the user declined to retry an entry that could not be written. With NoCopyComplete or
// InstallSkipCopyComplete set it posts the wizard a click of Next. Always returns 0.
unsigned __stdcall ActualCopy(void* arg);

}  // namespace SETUP
