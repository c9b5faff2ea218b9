// The installation folder page: the folder field with its browse button, the folder of a new installation
// from InstallDirectory, and the folder made and tested for writing before the wizard goes on.
#include <windows.h>

#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"
#include "ui/winnorba.h"

namespace {

// A folder ends without "\"; a bare drive ("C:", "C:\") gets the product's name below it.
void TidyFolder(STRING& folder, const STRING& appname) {
  if (folder.Length() > 0 && folder[folder.Length() - 1] == '\\') folder = folder.Left(folder.Length() - 1);
  if (folder.Length() < 5) folder = folder + "\\" + appname;
}

// Makes the folder and writes and removes a test file in it; true when that worked.
bool MayWriteTo(const STRING& folder) {
  FILENAME path(folder);
  if (!path.IsDirectory()) FILETREE::CreateDirectoryPath(path);
  FILENAME probe = FILENAME::Join(path, "testaccess.tmp");
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return probe.Delete();
}

void ReportNotWritable(const STRING& folder) {
  STRING text = OSYS::GetStringFromResource(IDS_FOLDER_NOT_WRITABLE);
  STRING shown = folder.InCodePage(text.GetCodePage());
  TEXTVARIABLES variables;
  variables.Dir = PATHTEXT(shown).c_str();
  WINNORBA::ErrorMsgBox(nullptr, OSYS::GetStringFromResource(IDS_SETUP_TITLE), ReplaceTextVariables(text, variables));
}

}  // namespace

int FolderPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HASH& config = run.Tables.Config;
  STRING appname = ConfigText(config, KEY_APPNAME);
  STRING browse = OSYS::GetStringFromResource(IDS_FOLDER_TITLE) + "|*";
  page->AddItem(new TEXTITEM(IDC_FOLDER_EDIT, &run.InstallFolder));
  page->AddItem(new BROWSEITEM(IDC_FOLDER_BROWSE, &browse, IDC_FOLDER_EDIT));
  if (run.InstallType.atoi() <= 0) {
    STRING chosen = ConfigText(config, KEY_INSTALLDIRECTORY);
    if (chosen.IsNotEmpty()) run.InstallFolder = chosen;
  } else {
    page->AddDisabledControl(IDC_FOLDER_EDIT);
    page->AddDisabledControl(IDC_FOLDER_BROWSE);
  }
  bool skip = ConfigFlag(config, KEY_INSTALLSKIPINSTALLDIR);
  // A page that an answer file ends would end the same way again: nobody chooses another folder there.
  int recorded = 0;
  bool byitself = skip || (run.Unattended && AnswerResult(run.Tables.Unattended, IDD_FOLDER_PAGE, &recorded));
  int result;
  for (;;) {
    result = skip ? PAGE_NEXT : wizard->RunPage(page);
    TidyFolder(run.InstallFolder, appname);
    if (result != PAGE_NEXT || MayWriteTo(run.InstallFolder)) break;
    logit("FolderPage cannot write to %s\n", run.InstallFolder.c_str());
    ReportNotWritable(run.InstallFolder);
    if (byitself) {
      // The page would only repeat itself: the run ends here.
      run.Failed = true;
      wizard->EndWizard();
      result = PAGE_CANCEL;
      break;
    }
  }
  CONTROL(page->GetHandle(), IDC_FOLDER_EDIT).SetText(run.InstallFolder);
  return result;
}
