// The hook state of the built-in Kiv hooks: the generation profiles, the detection of an earlier
// generation at start and the notes about it on the welcome and installation folder pages.
#include "hooks/kivhookstate.h"

#include "base/filename.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"
#include "setup/setupconfig.h"
#include "ui/windows_win32.h"

namespace {

constexpr int kNoteControl = IDC_WELCOME_NOTE;  // the same id on the folder page

// The tag of the generation whose settings key is `key`: "V" and the key's last digit ("KIV7" -> "V7").
STRING GenerationTag(const char* key) { return STRING("V") + STRING(key).Right(1); }

STRING ReadValue(HKEY root, const char* base, const char* key, const char* value) {
  STRING data;
  REGISTRY registry(root, base, key, root == HKEY_LOCAL_MACHINE ? MachineKeyMode(REGISTRY_READ) : REGISTRY_READ);
  if (!registry.IsOpen() || !registry.Read(value, data)) return STRING();
  return data;
}

// The earlier generation under `base`\`key` when its values name a program folder and an existing data folder.
bool FindEarlier(const char* base, const char* key, const char* programvalue, const char* datavalue, const STRING& tag,
                 KIVSTATE& state) {
  REGISTRY registry(HKEY_CURRENT_USER, base, key, REGISTRY_READ);
  STRING program, data;
  if (registry.IsOpen() && registry.Read(programvalue, program) && registry.Read(datavalue, data) &&
      data.IsNotEmpty() && FILENAME(data.c_str()).IsDirectory()) {
    state.EarlierProgram = program;
    state.EarlierData = data;
    state.Tag = tag;
    return true;
  }
  return false;
}

STRING NoteText(int text, const char* tag, const char* now) {
  TEXTVARIABLES variables;
  variables.Vxx = tag;
  variables.Vnew = now;
  return ReplaceTextVariables(OSYS::GetStringFromResource(text), variables);
}

}  // namespace

KIVSTATE& KivState() {
  static KIVSTATE state;
  return state;
}

STRING KivSettingsKey() { return REGISTRY::JoinPath(kNorbaSettingsKey, KivState().Profile->Key); }

STRING KivSettingsDataFolder() {
  return ReadValue(HKEY_CURRENT_USER, kNorbaSettingsKey, KivState().Profile->Key, "%KIVFILES%");
}

STRING KivUninstallValue(const char* key, const char* value) {
  return ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, key, value);
}

void KivRememberSetup(const KIVPROFILE& profile, int language, HASH* config) {
  KIVSTATE& state = KivState();
  state.Profile = &profile;
  state.Language = language;
  state.Config = config;
  state.EarlierProgram = state.EarlierData = state.Tag = STRING();
  bool found = false;
  for (const char* const* key = profile.EarlierKeys; *key && !found; key++)
    found = FindEarlier(kNorbaSettingsKey, *key, "%KIV%", "%KIVFILES%", GenerationTag(*key), state);
  // Generation 6 also knows generation 4 and its predecessor, which kept their folders under other names.
  if (!found && profile.Generation == 6)
    found = FindEarlier(kNorbaSettingsKey, "KIV4", "HomePath", "WorkPath", "V4", state) ||
            FindEarlier("Software", "Dex-A-Lon ", "HomePath", "WorkPath", "V3", state);
  logit("SETUP::KivRememberSetup language %d earlier %s (%s) %s\n", language, state.EarlierProgram.c_str(),
        state.Tag.c_str(), state.EarlierData.c_str());
}

void KivExamineChosenFolder(HWND page) {
  KIVSTATE& state = KivState();
  STRING folder = CONTROL(page, IDC_FOLDER_EDIT).GetText();
  if (folder.IsEmpty()) return;
  FILENAME admin(folder.c_str(), "admin.ini");
  if (InstallRun().InstallType == "0" && admin.IsFile() && admin.CopyTo(admin + ".bak", true)) admin.Delete();
  state.EarlierInProgram = false;
  for (const char* earlier : {"phonebk", "admin.ini", "options\\standard.cfg", "options\\standard.kfg", "options\\standard.kiv"})
    state.EarlierInProgram = state.EarlierInProgram || FILENAME(folder.c_str(), earlier).Exists();
  logit("SETUP::KivExamineChosenFolder %s: earlier data %d\n", folder.c_str(), state.EarlierInProgram);
}

void KivAdjustPageText(int step, HWND page) {
  KIVSTATE& state = KivState();
  if (!state.Profile || !state.Config || state.EarlierProgram.IsEmpty() || KivSettingsDataFolder().IsNotEmpty()) return;
  STRING now = GenerationTag(state.Profile->Key);
  if (step == 1) {
    STRING inikey = ConfigText(*state.Config, KEY_INIKEY);
    if (KivUninstallValue(inikey.c_str(), "UninstallPath").IsNotEmpty()) return;
    CONTROL(page, kNoteControl).SetText(NoteText(IDS_WELCOME_MIGRATION_NOTE, state.Tag.c_str(), now.c_str()));
  } else if (step == 3 && InstallRun().InstallType == "0") {
    // Without a tag the note names the newest earlier generation.
    STRING tag = state.Tag.IsEmpty() ? GenerationTag(state.Profile->EarlierKeys[0]) : state.Tag;
    CONTROL(page, kNoteControl).SetText(NoteText(IDS_FOLDER_MIGRATION_NOTE, tag.c_str(), now.c_str()));
  }
}
