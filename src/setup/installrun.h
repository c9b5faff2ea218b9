// The run-wide values of an installation, shared by the run, its pages and the installation actions,
// and the exit codes that tell its outcome.
#pragma once

#include <windows.h>

#include "base/strings.h"
#include "setup/setupconfig.h"

// HKEY_LOCAL_MACHINE: the uninstall records, one key per product (its IniKey) below it.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct INSTALLRUN {
  bool Unattended = false;  // an answer file was loaded
  bool Hidden = false;      // unattended and HIDE: no window is shown, nobody answers
  SETUPTABLES Tables;       // setup.cfg, the answers replayed and the answers recorded
  STRING InstallFolder;
  STRING ProductTitle;      // AppName + " " + AppVersion
  STRING InstallType;       // "0" new, "1" the same version again, "2" an update; empty until set
  STRING StartMenuFolder;   // set by the shortcuts page
  int CustomAdmin = 0;      // set by the copy when a custom archive brings admin.ini
  bool AllUsers = false;    // set by the shortcuts page
  bool CopyCancelled = false;  // the copy took its cancel path (a failed entry answered or handled as No)
  bool Failed = false;      // the run ended by an error (nothing to do, or a hidden run that could not go on)
};

// The one installation of the process.
INSTALLRUN& InstallRun();

// Exit codes of an installation.
constexpr int INSTALL_DONE = 0;
constexpr int INSTALL_CANCELLED = 1602;
constexpr int INSTALL_FAILED = 1603;
