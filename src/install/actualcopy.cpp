// SETUP::ActualCopy: the copy step in its order, from the status text to the end of the page, and the way
// out when the user cancels at a retry question (nothing is rolled back, nothing registered).
#include "install/actualcopy.h"

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/filename.h"
#include "base/osys.h"
#include "hooks/setuphook.h"
#include "ids.h"
#include "install/copytodest.h"
#include "install/copywindows.h"
#include "install/installedfiles.h"
#include "install/registration.h"
#include "install/servicecontrol.h"
#include "install/setuparchives.h"
#include "install/uninstallrecord.h"
#include "setup/configkeys.h"

static const char kAssertUnit[] = "install";

// Pause before the page shows that the copy is complete.
static const int kCompletionPauseMs = 500;

namespace {

class COPYSTEP {
 public:
  COPYSTEP(const COPYTHREADARG& arg, COPYRUN& run, int& customadmin)
      : Windows(arg.Wizard, arg.Progress, arg.Page),
        Run(run),
        Config(*run.Config),
        CustomAdmin(customadmin),
        Service(*run.Config, run.InstallFolder),
        ServiceStopped(false) {}

  void Execute();

 private:
  void Begin();
  bool CopyFiles();
  void StoreAgreement();
  void Register();
  void End();
  void Finish();
  void FinishCancelled();
  void EnableCancelAndAdvance(bool advance);

  COPYWINDOWS Windows;
  COPYRUN& Run;
  HASH& Config;
  int& CustomAdmin;
  SERVICECONTROL Service;
  bool ServiceStopped;
  INSTALLEDFILES Files;
  STRING RootClasses;
};

void COPYSTEP::Execute() {
  logit("[>>]SETUP::ActualCopy to %s, type %s\n", Run.InstallFolder.c_str(), PATHTEXT(Run.InstallType).c_str());
  Begin();
  if (!CopyFiles()) {
    Run.Cancelled = true;
    FinishCancelled();
    logit("[<<]SETUP::ActualCopy cancelled\n");
    return;
  }
  Register();
  End();
  Finish();
  logit("[<<]SETUP::ActualCopy done\n");
}

void COPYSTEP::Begin() {
  Windows.ShowStatus(IDS_COPY_STATUS);
  CallNewSetupHook(NORBA_NSH_COPY_BEGIN, 0, Windows.GetWizard(), Windows.GetProgress(), nullptr, Run.InstallType.atoi());
  ServiceStopped = Service.Stop();
  if (ServiceStopped) logit("SETUP::ActualCopy Application Service was stopped\n");
}

bool COPYSTEP::CopyFiles() {
  SETUPARCHIVES archives(Config, Run.InstallFolder, Run.Hidden, Windows, Files, CustomAdmin);
  if (!archives.ExtractAll()) return false;
  CopyLooseFiles(Config, Run.InstallFolder, Files);
  StoreAgreement();
  return true;
}

// An installation that showed no agreement (the same version again) keeps the record it has.
void COPYSTEP::StoreAgreement() {
  FILENAME record = FILENAME::Join(Run.InstallFolder, kLicenseAgreedFile);
  if (Run.LicenseText.IsNotEmpty()) {
    bool saved = Run.LicenseText.Save(record.c_str(), "w");
    logit("SETUP::ActualCopy %s saved= %d\n", record.c_str(), saved ? 1 : 0);
  }
  if (record.IsFile()) Files.AddFile(kLicenseAgreedFile, record);
}

void COPYSTEP::Register() {
  RegisterFileTypes(Config, Run.InstallFolder.c_str(), RootClasses);
  RegisterUrlTypes(Config, Run.InstallFolder.c_str(), RootClasses);
  Windows.SetProgress(100);
  UNINSTALLRECORDINPUT record;
  record.InstallFolder = Run.InstallFolder;
  record.InstalledFiles = Files.Text();
  record.InstalledBytes = Files.TotalBytes();
  record.RootClasses = RootClasses;
  record.ServiceProgram = Service.GetProgram();
  WriteUninstallRecord(Config, record);
}

void COPYSTEP::End() {
  CallSetupHook(NORBA_SH_RECORD_WRITTEN, HookArg(Run.InstallFolder.c_str()));
  CallNewSetupHook(NORBA_NSH_RECORD_WRITTEN, 0, Windows.GetWizard(), Windows.GetProgress(), nullptr, 0);
  if (ServiceStopped && Service.Start()) logit("SETUP::ActualCopy Application Service was restarted\n");
}

void COPYSTEP::Finish() {
  bool nocopycomplete = ConfigFlag(Config, KEY_NOCOPYCOMPLETE);
  // The pause lets the user see the full bar; a hidden run has nobody to see it.
  if (!Run.Hidden) OSYS::Sleep(kCompletionPauseMs);
  Windows.EnableButton(IDC_WIZARD_NEXT);
  if (!nocopycomplete) {
    Windows.ShowStatus(IDS_COPY_COMPLETE);
    Windows.MakeNextDefault();
  }
  EnableCancelAndAdvance(nocopycomplete);
}

// Back lets the user leave the page; the files extracted so far stay.
void COPYSTEP::FinishCancelled() {
  Windows.EnableButton(IDC_WIZARD_BACK);
  EnableCancelAndAdvance(false);
}

void COPYSTEP::EnableCancelAndAdvance(bool advance) {
  Windows.EnableButton(IDC_WIZARD_CANCEL);
  if (advance || ConfigFlag(Config, KEY_INSTALLSKIPCOPYCOMPLETE)) Windows.PostNext();
}

}  // namespace

unsigned __stdcall SETUP::ActualCopy(void* arg) {
  COPYTHREADARG* thread = static_cast<COPYTHREADARG*>(arg);
  if (!NORBA_ASSERT(thread && thread->Run && thread->Run->Config)) return 0;
  // The flag is the run's own; a run without one still gets a place to set it.
  int ownflag = 0;
  int& customadmin = thread->Run->CustomAdmin ? *thread->Run->CustomAdmin : ownflag;
  COPYSTEP step(*thread, *thread->Run, customadmin);
  step.Execute();
  return 0;
}
