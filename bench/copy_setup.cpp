// The benchmark's run of the whole copy step: SETUP::ActualCopy on a worker thread with hidden stand-ins for
// the wizard and its copy page, from the status text to the uninstall record, the way an installation runs it.
// Prints the milliseconds until the record is written (hook event 8) and until the step has ended; the
// registry entries the step made are removed again. Usage: copy_setup <folder\setup.fil> <installation folder>,
// with the setup configuration "setup.cfg" beside the archive.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>

#include "benchclock.h"
#include "benchphases.h"
#include "base/filename.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "hooks/setuphook.h"
#include "install/actualcopy.h"
#include "install/copywindows.h"
#include "install/registration.h"
#include "install/uninstallrecord.h"
#include "setup/setupconfig.h"
#include "ui/windows_win32.h"

namespace {

// Started when the copy begins.
BENCHCLOCK gClock;
double gRecordWrittenMs = -1;

// The product hook of the benchmark: it notes when the step reports the uninstall record written.
INT_PTR WINAPI BenchHook(INT_PTR event, INT_PTR, HWND, HWND, void*, INT_PTR) {
  if (event == NORBA_NSH_RECORD_WRITTEN) gRecordWrittenMs = gClock.Milliseconds();
  return 1;
}

// The wizard and its copy page, never shown: the page's status control and progress bar receive what the
// step sends them.
struct BENCHWINDOWS {
  HWND Wizard = nullptr;
  HWND Page = nullptr;
  HWND Progress = nullptr;

  bool Create() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Wizard = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr, instance, nullptr);
    if (!Wizard) return false;
    Page = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 400, 200, Wizard, nullptr, instance, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 400, 20, Page,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_COPY_STATUS)), instance, nullptr);
    Progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 40, 400, 20, Page, nullptr, instance, nullptr);
    return Page && Progress;
  }
  ~BENCHWINDOWS() {
    if (Wizard) DestroyWindow(Wizard);
  }
};

// Runs the step and keeps the messages flowing until it has ended.
bool RunCopy(COPYRUN& run) {
  BENCHWINDOWS windows;
  if (!windows.Create()) return false;
  COPYTHREADARG arg;
  arg.Wizard = windows.Wizard;
  arg.Progress = windows.Progress;
  arg.Page = windows.Page;
  arg.Run = &run;
  HANDLE thread = OSYS::CreateThread(SETUP::ActualCopy, &arg);
  if (!thread) return false;
  WinWaitForSingleObject(thread, INFINITE);
  OSYS::CloseHandle(thread);
  return true;
}

// Removes what the registration and the record made, by the record itself; false when there was no record.
bool RemoveRegistration(const char* inikey) {
  UNINSTALLRECORD record;
  if (!ReadUninstallRecord(inikey, record)) return false;
  for (int i = 0; record.RootClasses.GetToken(i, "|").IsNotEmpty(); i++)
    SHDeleteKeyA(HKEY_CLASSES_ROOT, record.RootClasses.GetToken(i, "|").c_str());
  REGISTRY norba(HKEY_LOCAL_MACHINE, kNorbaSoftwareKey, nullptr, MachineKeyMode(REGISTRY_WRITE));
  norba.DeleteKey(inikey, true);
  REGISTRY registered(HKEY_LOCAL_MACHINE, "Software\\RegisteredApplications", nullptr, MachineKeyMode(REGISTRY_WRITE));
  registered.DeleteValue(inikey);
  REGISTRY uninstall(HKEY_LOCAL_MACHINE, kUninstallKey, nullptr, MachineKeyMode(REGISTRY_WRITE));
  return uninstall.DeleteKey(inikey, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy_setup <folder\\setup.fil> <installation folder>\n");
    return 2;
  }
  FILENAME archive(argv[1]);
  if (!SetCurrentDirectoryA(archive.GetPath().c_str())) {
    std::fprintf(stderr, "copy_setup: cannot enter the folder of %s\n", argv[1]);
    return 2;
  }
  SETUPTABLES tables;
  if (!tables.LoadConfig()) {
    std::fprintf(stderr, "copy_setup: no setup.cfg beside %s\n", argv[1]);
    return 2;
  }
  int customadmin = 0;
  COPYRUN run;
  run.Config = &tables.Config;
  run.InstallFolder = argv[2];
  run.InstallType = "0";
  run.Hidden = true;
  run.CustomAdmin = &customadmin;
  NewSetupHook = BenchHook;

  BenchPhasesInstall();
  gClock.Start();
  bool ran = RunCopy(run);
  double totalms = gClock.Milliseconds();
  STRING inikey = tables.Config.Get("IniKey");
  bool recorded = RemoveRegistration(inikey.c_str());
  // The last "ms=" is the figure the benchmark compares: the copy up to the written record.
  std::printf("recorded=%d step_ms=%.1f ms=%.1f\n", recorded ? 1 : 0, totalms, gRecordWrittenMs);
  BenchPhasesPrint(stdout, totalms);
  return ran && recorded && gRecordWrittenMs >= 0 ? 0 : 1;
}
