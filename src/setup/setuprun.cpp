// The installation run in its order: the step table, answer files, setup.cfg, the prerequisite, the
// product hook and the start events, the proposed folder, the wizard, and the closing steps (recorded
// answers, DeleteAfterExtract, the closing message, the program group, event 13).
#include "setup/setuprun.h"

#include <shellapi.h>

#include "base/filename.h"
#include "base/osys.h"
#include "diag/diagcontext.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/runrules.h"
#include "setup/setupdialog.h"
#include "ui/winnorba.h"

INSTALLRUN& InstallRun() {
  static INSTALLRUN run;
  return run;
}

namespace {

constexpr int kStepRecords = 15;

// The fifteen records: seven pages, seven free records for product pages, the closing record.
void BuildSteps(SETUPSTEP (&steps)[kStepRecords], const INSTALLACTIONS& actions) {
  const SETUPSTEP pages[] = {
      {STEPWELCOME, IDS_WELCOME_TITLE, IDS_WELCOME_SUBTITLE, IDD_WELCOME_PAGE, nullptr, WelcomePage, 0},
      {STEPLICENSE, IDS_AGREEMENT_TITLE, IDS_AGREEMENT_SUBTITLE, IDD_AGREEMENT_PAGE, nullptr, AgreementPage, 0},
      {STEPDIRECTORY, IDS_FOLDER_TITLE, IDS_FOLDER_SUBTITLE, IDD_FOLDER_PAGE, nullptr, FolderPage, 0},
      {STEPCOPY, IDS_COPY_TITLE, IDS_COPY_SUBTITLE, IDD_COPY_PAGE, nullptr, actions.CopyPage, 0},
      {STEPSHORTCUTS, IDS_SHORTCUTS_TITLE, IDS_SHORTCUTS_SUBTITLE, IDD_SHORTCUTS_PAGE, nullptr, actions.ShortcutsPage, 0},
      {STEPADV, IDS_ADVERTISE_TITLE, IDS_ADVERTISE_SUBTITLE, IDD_ADVERTISE_PAGE, nullptr, AdvertisePage, 0},
      {STEPFINISH, IDS_FINISH_TITLE, IDS_FINISH_SUBTITLE, IDD_FINISH_PAGE, nullptr, FinishPage, 0},
  };
  for (SETUPSTEP& step : steps) step = SETUPSTEP{STEPFREE, 0, 0, 0, nullptr, nullptr, 0};
  for (size_t i = 0; i < sizeof(pages) / sizeof(pages[0]); i++) steps[i] = pages[i];
  steps[kStepRecords - 1].idstep = STEPCLOSE;
}

// A message of the run before or after the wizard: shown, or only traced while nobody is watching.
void RunError(int textid) {
  WINNORBA::ErrorMsgBox(nullptr, OSYS::GetStringFromResource(IDS_SETUP_TITLE), OSYS::GetStringFromResource(textid));
}

void StartEvents(const INSTALLACTIONS& actions, SETUPSTEP* steps, HASH& config) {
  NORBA_SETUPHOOKPROC setuphook = actions.SetupHook ? actions.SetupHook() : nullptr;
  if (setuphook) setuphook(1, 0);
  NORBA_NEWSETUPHOOKPROC hook = actions.NewSetupHook ? actions.NewSetupHook() : nullptr;
  if (!hook) return;
  hook(0, 0, nullptr, nullptr, nullptr, reinterpret_cast<INT_PTR>(steps));
  hook(1, gLocale, nullptr, nullptr, nullptr, reinterpret_cast<INT_PTR>(&config));
}

// The closing message, the new program group of other products, and event 13.
void Finished(INSTALLRUN& run, NORBA_NEWSETUPHOOKPROC hook) {
  HASH& config = run.Tables.Config;
  STRING appname = ConfigText(config, KEY_APPNAME);
  if (!run.Unattended && !ConfigFlag(config, KEY_NOFINALPOPUP)) {
    STRING text = OSYS::GetStringFromResource(IDS_CLOSING_MESSAGE);
    TEXTVARIABLES variables;
    STRING program = appname.InCodePage(text.GetCodePage());
    variables.Program = PATHTEXT(program).c_str();
    STRING title = OSYS::GetStringFromResource(IDS_SETUP_TITLE) + " " + appname;
    WINNORBA::InfoMsgBox(nullptr, title, ReplaceTextVariables(text, variables));
  }
  bool kiv = appname == "KIV";  // letter case aside
  if (!kiv && !run.Hidden && run.StartMenuFolder.IsNotEmpty() && FILENAME(run.StartMenuFolder).IsDirectory()) {
    HINSTANCE rc = ShellExecuteA(nullptr, "open", run.StartMenuFolder.c_str(), nullptr, run.StartMenuFolder.c_str(),
                                 SW_SHOWNORMAL);
    logit("RunInstallation opened %s: %d\n", run.StartMenuFolder.c_str(), static_cast<int>(reinterpret_cast<INT_PTR>(rc)));
  }
  if (hook) hook(13, 1, nullptr, nullptr, nullptr, 0);
}

// The exit code of a run whose wizard ended with `result`.
int Outcome(const INSTALLRUN& run, int result) {
  if (run.Failed || run.CopyCancelled) return INSTALL_FAILED;
  return result == 1 ? INSTALL_DONE : INSTALL_CANCELLED;
}

}  // namespace

int RunInstallation(const INSTALLACTIONS& actions) {
  logit("[>>]RunInstallation\n");
  INSTALLRUN& run = InstallRun();
  SETUPSTEP steps[kStepRecords];
  BuildSteps(steps, actions);
  run.Unattended = run.Tables.LoadUnattended();
  run.Hidden = run.Unattended && actions.HideRequested;
  // Nobody can answer a box of a hidden run: each is traced instead.
  WINNORBA::SetNobodyWatching(run.Hidden);
  HASH& config = run.Tables.Config;
  if (!run.Tables.LoadConfig()) {
    RunError(IDS_CONFIG_MISSING);
    logit("[<<]RunInstallation setup.cfg missing\n");
    return INSTALL_FAILED;
  }
  STRING checkdll = ConfigText(config, KEY_CHECKDLL);
  if (checkdll.IsNotEmpty() && actions.CheckPrerequisite && !actions.CheckPrerequisite(checkdll.c_str())) {
    RunError(IDS_PREREQUISITE_MISSING);
    logit("[<<]RunInstallation prerequisite %s missing\n", checkdll.c_str());
    return INSTALL_FAILED;
  }
  if (actions.ChooseProductHook) actions.ChooseProductHook(config);
  StartEvents(actions, steps, config);
  LocalizeKeys(config, LanguageSuffix().c_str());
  run.ProductTitle = ConfigText(config, KEY_APPNAME) + " " + ConfigText(config, KEY_APPVERSION);
  ConfigText(config, KEY_ADVERTISE);
  run.InstallFolder = ProposedFolder(config);
  logit("RunInstallation proposes %s for %s\n", run.InstallFolder.c_str(), run.ProductTitle.c_str());

  int result = 0;
  {
    SETUPDIALOGBOX wizard(OSYS::GetStringFromResource(IDS_SETUP_TITLE), OSYS::GetStringFromResource(IDS_CANCEL_QUESTION),
                          ConfigNumber(config, KEY_IDBMP), -1);
    STRING caption = wizard.GetText();
    caption.Replace("Norba", ConfigText(config, KEY_APPNAME).c_str(), 1);
    wizard.SetText(caption);
    NORBA_NEWSETUPHOOKPROC hook = actions.NewSetupHook ? actions.NewSetupHook() : nullptr;
    wizard.PageHook = hook;
    if (run.Unattended) wizard.SetUnattended(&run.Tables.Unattended, run.Hidden);
    result = wizard.Run(steps, STEPFINISH, run.Tables.Recorded);

    NORBA_SETUPHOOKPROC setuphook = actions.SetupHook ? actions.SetupHook() : nullptr;
    if (setuphook && result == 1) setuphook(2, reinterpret_cast<INT_PTR>(run.InstallFolder.c_str()));
    if (hook) hook(2, result, nullptr, nullptr, nullptr, 0);
    if (!run.Unattended) run.Tables.SaveRecorded();
    DeleteAfterExtract(config, run.InstallFolder);
    wizard.Show(false);
    if (result == 1) Finished(run, hook);
  }
  int code = Outcome(run, result);
  logit("[<<]RunInstallation result %d, exit code %d\n", result, code);
  return code;
}
