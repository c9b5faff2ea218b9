// The copy page: the progress bar in place of its placeholder, the wizard's buttons disabled while the
// copy step works on its worker thread, and an unattended run's recorded result taken without waiting
// for a button.
#include "install/copypage.h"

#include <commctrl.h>

#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "install/actualcopy.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"

namespace {

STRING AcceptedAgreement() {
  STRING text;
  return text.Load("LicenseAgreed.txt", "r") ? text : STRING();
}

// The thread handle, closed with the object.
class WORKER {
 public:
  explicit WORKER(HANDLE thread) : Thread(thread) {}
  ~WORKER() {
    if (Thread) OSYS::CloseHandle(Thread);
  }
  WORKER(const WORKER&) = delete;
  WORKER& operator=(const WORKER&) = delete;
  HANDLE Get() const { return Thread; }

 private:
  HANDLE Thread;
};

}  // namespace

int CopyPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HWND frame = wizard->GetHandle(), window = page->GetHandle();
  COPYRUN copy;
  copy.Config = &run.Tables.Config;
  copy.InstallFolder = run.InstallFolder;
  copy.InstallType = run.InstallType;
  copy.LicenseText = AcceptedAgreement();
  copy.Hidden = run.Hidden;
  copy.CustomAdmin = &run.CustomAdmin;
  COPYTHREADARG arg;
  arg.Wizard = frame;
  arg.Progress = MakeProgressBar(window, IDC_COPY_PROGRESS);
  arg.Page = window;
  arg.Run = &copy;

  HWND focus = GetFocus();
  SetFocus(GetDlgItem(frame, IDC_WIZARD_CANCEL));
  for (int button : {IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_CANCEL}) EnableWindow(GetDlgItem(frame, button), FALSE);
  WORKER worker(OSYS::CreateThread(SETUP::ActualCopy, &arg));
  if (!worker.Get()) {
    logit("CopyPage could not start the copy\n");
    run.Failed = true;
    wizard->EndWizard();
    return PAGE_CANCEL;
  }
  int result = PAGE_SKIP;
  bool recorded = run.Unattended && AnswerResult(run.Tables.Unattended, IDD_COPY_PAGE, &result);
  if (!recorded) result = wizard->RunPage(page);
  WinWaitForSingleObject(worker.Get(), INFINITE);
  WinProcessMessages(1000);
  if (copy.Cancelled) run.CopyCancelled = true;
  if (focus && IsWindow(focus)) SetFocus(focus);
  logit("CopyPage ends with %d, copy cancelled= %d\n", result, copy.Cancelled ? 1 : 0);
  return result;
}
