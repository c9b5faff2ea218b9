// The removal wizard's step table and its two pages, hook events 3 and 4 around it.
#include "uninstall/removalwizard.h"

#include <commctrl.h>

#include "base/hash.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/setupconfig.h"
#include "setup/setupdialog.h"
#include "ui/winnorba.h"

namespace {

const REMOVALSTATE* gState = nullptr;
const UNINSTALLACTIONS* gActions = nullptr;
STRING gRemovalMode;

STRING CompleteRemovalWarning() {
  STRING text = OSYS::GetStringFromResource(IDS_COMPLETE_REMOVAL_WARNING_1);
  text.Append(OSYS::GetStringFromResource(IDS_COMPLETE_REMOVAL_WARNING_2));
  STRING program = gState->AppName.InCodePage(text.GetCodePage());
  STRING dir = gState->InstallFolder.InCodePage(text.GetCodePage());
  TEXTVARIABLES variables;
  variables.Program = program.c_str();
  variables.Dir = dir.c_str();
  return ReplaceTextVariables(text, variables);
}

int ConfirmationPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  gRemovalMode = STRING("0", 1252);
  page->AddItem(new RADIOITEM(IDC_REMOVE_PROGRAM, &gRemovalMode, 0));
  page->AddItem(new RADIOITEM(IDC_REMOVE_COMPLETE, &gRemovalMode, 1));
  for (;;) {
    int result = wizard->RunPage(page);
    if (result == PAGE_CANCEL || gRemovalMode.atoi() == 0) return result;
    if (WINNORBA::YesNoMsgBox(wizard->GetHandle(), gState->BoxTitle, CompleteRemovalWarning())) return result;
  }
}

int ProgressPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  HWND frame = wizard->GetHandle();
  REMOVALARG arg;
  arg.Wizard = frame;
  arg.Page = page->GetHandle();
  arg.Progress = MakeProgressBar(arg.Page, IDC_REMOVE_PROGRESS);
  arg.KeyName = gState->KeyName;
  arg.Complete = gRemovalMode.atoi() == 1;
  arg.Hidden = gActions->Hide;
  arg.Services = &gActions->Services;
  SetFocus(GetDlgItem(frame, IDC_WIZARD_CANCEL));
  for (int button : {IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_CANCEL}) EnableWindow(GetDlgItem(frame, button), FALSE);
  HANDLE worker = OSYS::CreateThread(RemoveProduct, &arg);
  if (!worker) {
    logit("UNINSTALL the removal could not start\n");
    wizard->EndWizard();
    return PAGE_CANCEL;
  }
  int result = wizard->RunPage(page);
  WinWaitForSingleObject(worker, INFINITE);
  OSYS::CloseHandle(worker);
  WinProcessMessages(1000);
  return result;
}

}  // namespace

int RunRemovalWizard(const REMOVALSTATE& state, const UNINSTALLACTIONS& actions) {
  gState = &state;
  gActions = &actions;
  SETUPSTEP steps[] = {
      {STEPREMOVECONFIRM, IDS_REMOVE_CONFIRM_TITLE, IDS_REMOVE_CONFIRM_SUBTITLE, IDD_REMOVE_CONFIRM_PAGE, nullptr,
       ConfirmationPage, 0},
      {STEPFINISH, IDS_REMOVE_PROGRESS_TITLE, IDS_REMOVE_PROGRESS_SUBTITLE, IDD_REMOVE_PROGRESS_PAGE, nullptr,
       ProgressPage, 0},
      {STEPFREE, 0, 0, 0, nullptr, nullptr, 0},
      {STEPFREE, 0, 0, 0, nullptr, nullptr, 0},
      {STEPFREE, 0, 0, 0, nullptr, nullptr, 0},
      {STEPCLOSE, 0, 0, 0, nullptr, nullptr, 0},
  };
  NORBA_NEWSETUPHOOKPROC hook = actions.Services.NewSetupHook ? actions.Services.NewSetupHook() : nullptr;
  int result = 0;
  {
    SETUPDIALOGBOX wizard(OSYS::GetStringFromResource(IDS_REMOVE_WIZARD_TITLE), OSYS::GetStringFromResource(IDS_CANCEL_QUESTION),
                          0, -1);
    if (hook) hook(3, 0, wizard.GetHandle(), nullptr, nullptr, reinterpret_cast<INT_PTR>(state.KeyName.c_str()));
    wizard.PageHook = hook;
    // Nobody is watching: the removal of the program alone, the pages walked by themselves.
    HASH walk;
    RecordResult(walk, IDD_REMOVE_CONFIRM_PAGE, PAGE_NEXT);
    RecordResult(walk, IDD_REMOVE_PROGRESS_PAGE, PAGE_CANCEL);
    if (actions.Hide) wizard.SetUnattended(&walk, true);
    HASH answers;
    result = wizard.Run(steps, STEPFINISH, answers);
    wizard.Show(false);
  }
  if (hook) hook(4, 0, nullptr, nullptr, nullptr, 0);
  gState = nullptr;
  gActions = nullptr;
  return result;
}
