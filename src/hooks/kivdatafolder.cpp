// The data folder page: the folder types with their captions, the custom folder with browse, the
// configuration presets, and on leaving the page the uninstall key's "%KIVFILES%", admin.ini, the folder
// itself, the initial data or the migration question, and "SetupForceWorkdir".
#include "hooks/kivdatafolder.h"

#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "base/registry.h"
#include "diag/logit.h"
#include "hooks/kivmigration.h"
#include "hooks/kivproductevents.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"
#include "setup/setupconfig.h"
#include "setup/setupdialog.h"
#include "ui/winnorba.h"

namespace {

constexpr int kGerman = 7;
constexpr int kTypeRadios[] = {IDC_DATAFOLDER_PROFILE, IDC_DATAFOLDER_PROGRAM, IDC_DATAFOLDER_ALLUSERS,
                               IDC_DATAFOLDER_CUSTOM, IDC_DATAFOLDER_APPDATA};
constexpr int kQuestionLimit = 400;
const char* const kInitialArchives[] = {"kivfiles.zip", "kivfiles.kcfg"};

STRING Folder(const char* text) { return FILENAME(text); }

void WriteForceWorkdir(DWORD value) {
  REGISTRY settings(KivState().Profile->Key, kNorbaSettingsKey, 1);
  settings.WriteDWORD("SetupForceWorkdir", value);
}

bool SaveAdminIni(const STRING& text) {
  bool saved = text.Save(KivAdminIniPath().c_str());
  logit("SETUP::KivDataFolder admin.ini written: %d\n", saved);
  return saved;
}

// The custom folder may be edited or browsed only while option 404 is chosen.
void EnableCustomFolder(HWND page, bool custom) {
  CONTROL(page, IDC_DATAFOLDER_EDIT).Enable(custom);
  CONTROL(page, IDC_DATAFOLDER_BROWSE).Enable(custom);
}

INT_PTR FollowCustomOption(HWND page, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    int control = LOWORD(wparam);
    if (control >= IDC_DATAFOLDER_PROFILE && control <= IDC_DATAFOLDER_APPDATA)
      EnableCustomFolder(page, control == IDC_DATAFOLDER_CUSTOM);
  }
  return 0;
}

void PreparePage(DATADIALOG* page, KIVSTATE& state, const STRING& program, STRING* browse) {
  const KIVPROFILE& profile = *state.Profile;
  HWND window = page->GetHandle();
  STRING name = KivDataFolderName(profile, state.Language);
  CONTROL first(window, IDC_DATAFOLDER_PROFILE);
  STRING caption = first.GetText();
  caption.Replace("$(PATH)", name.c_str(), 1);
  first.SetText(caption);
  CONTROL inside(window, IDC_DATAFOLDER_PROGRAM);
  inside.SetText(inside.GetText() + " (" + FILENAME(program.c_str(), KivProgramSubfolder(state.Language).c_str()) + ")");
  CONTROL(window, IDC_DATAFOLDER_ALLUSERS).Enable(InstallRun().AllUsers);
  for (int i = 0; i < 5; i++) page->AddItem(new RADIOITEM(kTypeRadios[i], &state.FolderType, i + 1));
  page->AddItem(new TEXTITEM(IDC_DATAFOLDER_EDIT, &state.CustomFolder));
  page->AddItem(new BROWSEITEM(IDC_DATAFOLDER_BROWSE, browse, IDC_DATAFOLDER_EDIT));
  SendDlgItemMessageW(window, IDC_DATAFOLDER_EDIT, EM_LIMITTEXT, 64, 0);
  EnableCustomFolder(window, state.FolderType == "4");
  page->Hook = FollowCustomOption;
}

// The choices before the page: the default custom folder, an earlier choice of this generation, presets.
void PresetChoices(KIVSTATE& state, HASH& config) {
  STRING standard = KivDataFolderFor(*state.Profile, state.Language, "1", STRING(), STRING());
  state.FolderType = "1";
  state.CustomFolder = standard;
  STRING earlier = KivSettingsDataFolder();
  if (earlier.IsNotEmpty()) earlier = Folder(earlier.c_str());
  if (earlier.IsNotEmpty() && earlier != standard) {
    state.CustomFolder = earlier;
    state.FolderType = "4";
  }
  STRING type = ConfigText(config, KEY_INSTALLKIVDATAFOLDERTYPE);
  if (type.IsNotEmpty()) state.FolderType = type;
  STRING custom = ConfigText(config, KEY_INSTALLKIVCUSTOMDIRECTORY);
  if (custom.IsNotEmpty()) state.CustomFolder = custom;
}

// An update keeps the data where it is; only a missing admin.ini is written for the default folder.
void PrepareUpdate(KIVSTATE& state) {
  if (FILENAME(KivAdminIniPath().c_str()).Exists()) return;
  SaveAdminIni(KivAdminIniForUpdate(KivDataFolderFor(*state.Profile, state.Language, "1", STRING(), STRING())));
  WriteForceWorkdir(1);
}

// A fresh installation starts from a fresh admin.ini: one left behind is kept as admin.ini.bak.
void BackUpAdminIni() {
  FILENAME admin(KivAdminIniPath().c_str());
  if (InstallRun().CustomAdmin || !admin.Exists()) return;
  if (admin.CopyTo(KivAdminIniPath() + ".bak", true)) admin.Delete();
}

bool AskMigration(SETUPDIALOGBOX* wizard, KIVSTATE& state) {
  INSTALLRUN& run = InstallRun();
  bool offer = FILENAME(state.EarlierProgram.c_str()).IsDirectory() && strcmp(state.EarlierProgram.c_str(), run.InstallFolder.c_str()) != 0 &&
               FILENAME(state.EarlierData.c_str(), "Options").IsDirectory() &&
               state.Tag.IsNotEmpty();
  if (!offer) return false;
  TEXTVARIABLES variables;
  variables.Vxx = state.Tag.c_str();
  STRING text = ReplaceTextVariables(OSYS::GetStringFromResource(IDS_MIGRATION_QUESTION), variables);
  STRING shown;
  shown.Format(text.c_str(), state.EarlierData.c_str());
  return WINNORBA::YesNoMsgBox(wizard->GetHandle(), OSYS::GetStringFromResource(IDS_SETUP_TITLE), shown.Left(kQuestionLimit));
}

// The initial data, or the earlier generation's data when the user takes it over.
void FillDataFolder(SETUPDIALOGBOX* wizard, KIVSTATE& state) {
  INSTALLRUN& run = InstallRun();
  int answer = 0;
  bool unpacked = false;
  for (const char* archive : kInitialArchives) {
    FILENAME file(OSYS::GetCurrentDirectory().c_str(), archive);
    if (!file.IsFile()) continue;
    unpacked = KivUnpackInitialData(file, state.DataFolder);
    break;
  }
  STRING key = AnswerKey(IDD_WIZARD_FRAME, "dco");
  if (!unpacked && state.EarlierProgram.IsNotEmpty() && !FILENAME(state.DataFolder.c_str(), ".Kivfiles").Exists()) {
    if (run.Unattended)
      answer = LookupNumber(run.Tables.Unattended, key.c_str(), "0") != 0;
    else
      answer = AskMigration(wizard, state);
    run.Tables.Recorded[key.c_str()] = STRING().Format("%d", answer);
  }
  KivMigrate(answer != 0, state.Tag, state.EarlierData, state.DataFolder, state.Profile->RenameOptions);
  WriteForceWorkdir(answer ? 1 : 2);
}

// After the page: the folder recorded, admin.ini, the folder made and filled.
void PrepareDataFolder(SETUPDIALOGBOX* wizard, KIVSTATE& state) {
  INSTALLRUN& run = InstallRun();
  state.DataFolder = KivDataFolderFor(*state.Profile, state.Language, state.FolderType, run.InstallFolder, state.CustomFolder);
  // The data are unpacked and copied into the folder: a custom folder never is a root or a shell folder,
  // nor holds one (the program folder itself may hold the data).
  if (state.FolderType == "4" && !KivDataFolderAcceptable(state.DataFolder, KivKeptFolders(STRING()))) {
    logit("SETUP::KivDataFolderPage %s cannot hold the data: the default folder instead\n", state.DataFolder.c_str());
    state.FolderType = "1";
    state.DataFolder = KivDataFolderFor(*state.Profile, state.Language, state.FolderType, run.InstallFolder, state.CustomFolder);
  }
  logit("SETUP::KivDataFolderPage type %s folder %s\n", state.FolderType.c_str(), state.DataFolder.c_str());
  if (state.FolderType != "5") {
    REGISTRY uninstall(state.Profile->Key, kUninstallKey, 0);
    uninstall.WriteString("%KIVFILES%", state.DataFolder.c_str());
  }
  if (!FILENAME(KivAdminIniPath().c_str()).Exists()) {
    bool script = FILENAME(run.InstallFolder.c_str(), "Script").IsDirectory();
    SaveAdminIni(KivAdminIniForPage(state.DataFolder, run.InstallFolder, script));
  }
  if (state.PendingUsage.IsNotEmpty()) KivAppendAdminIni(state.PendingUsage);
  state.PendingUsage = STRING();
  FILETREE::CreateDirectoryPath(state.DataFolder);
  STRING inikey = ConfigText(run.Tables.Config, KEY_INIKEY);
  REGISTRY product(HKEY_CURRENT_USER, kNorbaSettingsKey, inikey.c_str(), REGISTRY_WRITE);
  if (product.IsOpen()) product.DeleteValue("UserConfigFolder");
  FillDataFolder(wizard, state);
}

}  // namespace

STRING KivDataFolderName(const KIVPROFILE& profile, int language) {
  return STRING(profile.Key) + (language == kGerman ? " Dateien" : " Files");
}

STRING KivProgramSubfolder(int language) { return language == kGerman ? "Benutzerdateien" : "Userfiles"; }

STRING KivDataFolderFor(const KIVPROFILE& profile, int language, const STRING& type, const STRING& program,
                        const STRING& custom) {
  switch (type.atoi()) {
    case 2:
      return FILENAME(program.c_str(), KivProgramSubfolder(language).c_str());
    case 3:
      return Folder((STRING("%ALLUSERPROFILE%\\") + profile.Key).c_str());
    case 4:
      return Folder(custom.c_str());
    case 5:
      return Folder((STRING("%APPDATA%\\") + profile.Key).c_str());
    default:
      return Folder(("%USERPROFILE%\\" + KivDataFolderName(profile, language)).c_str());
  }
}

STRING KivAdminIniForPage(const STRING& folder, const STRING& program, bool script) {
  STRING text;
  text.Format("ConfigDataFolder=\"%s\"\n", folder.c_str());
  if (script && folder == program) text.AppendFormat("DefaultScriptFolder=\"%s\"\n", FILENAME(program.c_str(), "Script").c_str());
  return text.Append("SetupCreatedConfig=yes\n");
}

STRING KivAdminIniForUpdate(const STRING& folder) {
  STRING text;
  text.Format("ConfigDataFolder=\"%s\"\n", folder.c_str());
  return text.Append("InstallerConfig=yes\n");
}

void KivAppendAdminIni(const STRING& lines) {
  if (InstallRun().CustomAdmin) return;
  STRING text;
  text.Load(KivAdminIniPath().c_str());
  text.Append(lines);
  text.Save(KivAdminIniPath().c_str());
}

STRING KivAdminIniPath() { return FILENAME(InstallRun().InstallFolder.c_str(), "admin.ini"); }

int KivDataFolderPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  KIVSTATE& state = KivState();
  if (!state.Profile) return PAGE_SKIP;
  if (run.InstallType != "0") {
    PrepareUpdate(state);
    return PAGE_SKIP;
  }
  BackUpAdminIni();
  PresetChoices(state, run.Tables.Config);
  STRING browse = OSYS::GetStringFromResource(IDS_DATAFOLDER_TITLE) + "|*";
  PreparePage(page, state, run.InstallFolder, &browse);
  int result = ConfigFlag(run.Tables.Config, KEY_INSTALLSKIPKIVDATAFOLDER) ? PAGE_NEXT : wizard->RunPage(page);
  logit("SETUP::KivDataFolderPage ends with %d\n", result);
  if (result != PAGE_CANCEL) PrepareDataFolder(wizard, state);
  return result;
}
