// SetupMain: loads the language and hook libraries, sets the current folder and dispatches into one
// of the modes: admin command, nothing (ORDER), removal (REMOVE) or installation.
#include "app/main.h"

#include "admin/admin.h"
#include "diag/logit.h"
#include "app/norba_win32.h"
#include "base/filename.h"
#include "base/osys.h"
#include "hooks/kivgeneration.h"
#include "hooks/setuphook.h"
#include "install/copypage.h"
#include "install/firewall.h"
#include "install/prerequisites.h"
#include "install/shortcutspage.h"
#include "setup/setuprun.h"
#include "uninstall/uninstall.h"

// The start folder, WORKDIR in its place, or with AUTODIR the program's own folder becomes current:
// setup.cfg, the answer files and the archives are found relative to it. WORKDIR is a path like any
// other (placeholders; "D:" is the drive's root).
static void SetWorkingDirectory(const char* programpath) {
  STRING workdir = GetArgValue("WORKDIR", 0);
  if (workdir.IsNotEmpty()) NORBAAPP::SetStartDirectory(FILENAME(workdir));
  OSYS::SetCurrentDirectory(NORBAAPP::GetStartDirectory().c_str());
  if (TestArg("AUTODIR")) OSYS::SetCurrentDirectory(FolderOfFile(STRING(programpath, 1252)).c_str());
}

// What the installation run takes from the actions and hooks above it.
static INSTALLACTIONS InstallationActions() {
  INSTALLACTIONS actions;
  actions.HideRequested = TestArg("HIDE") != 0;
  actions.CopyPage = CopyPage;
  actions.ShortcutsPage = ShortcutsPage;
  actions.CheckPrerequisite = [](const char* checkdll) {
    return CheckRequiredLibraries(checkdll, OSYS::GetWindowsVersion());
  };
  actions.ChooseProductHook = [](HASH& config) { ChooseKivHookForInstallation(config); };
  actions.SetupHook = []() { return SetupHook; };
  actions.NewSetupHook = []() { return NewSetupHook; };
  return actions;
}

// What the uninstaller takes from the hooks above it.
static UNINSTALLACTIONS UninstallActions() {
  UNINSTALLACTIONS actions;
  actions.KeyName = GetArgValue("REMOVE", 0);
  actions.Final = TestArg("FINAL") != 0;
  actions.Hide = TestArg("HIDE") != 0;
  actions.ChooseProductHook = [](const char* keyname) { ChooseKivHookForRemoval(keyname); };
  actions.Services.SetupHook = []() { return SetupHook; };
  actions.Services.NewSetupHook = []() { return NewSetupHook; };
  actions.Services.RemoveFirewallExceptions = [](const STRINGARRAY& programs) {
    FIREWALL firewall;
    if (!firewall.IsUpAndRunning()) return;
    for (int i = 0; i < programs.Count(); i++) firewall.RemoveApplication(programs[i].c_str());
  };
  return actions;
}

// Admin commands are read from the command line alone, never from a commandline.ini.
static const ADMINARGUMENTS kAdminArguments = {TestCommandLineArgValue, GetCommandLineArgValue, TestArg};

static void Dispatch(const char* programpath, int* exitcode) {
  if (RunAdminCommand(kAdminArguments, SetupHook, exitcode)) return;
  if (TestArgValue("ORDER", 0)) return;
  if (TestArgValue("REMOVE", 0)) {
    *exitcode = RunUninstall(programpath, UninstallActions());
    return;
  }
  *exitcode = RunInstallation(InstallationActions());
}

int SetupMain(int count, char** arguments, char** environment) {
  (void)environment;
  const char* programpath = count > 0 ? arguments[0] : "";
  NORBAAPP::LoadLanguageLibrary(programpath, "setup", "1.00", nullptr, false);
  SetWorkingDirectory(programpath);

  HOOKLIBRARY hooklibrary;
  hooklibrary.Load();
  int exitcode = 0;
  Dispatch(programpath, &exitcode);
  hooklibrary.Free();
  return exitcode;
}
