// The hook state of the built-in Kiv hooks: the generation profiles, the detection of an earlier
// generation at start and the notes about it on the welcome and installation folder pages.
#include "hooks/kivhookstate.h"

#include "base/filename.h"
#include "base/osys.h"
#include "base/registry.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"
#include "setup/setupconfig.h"
#include "ui/windows_win32.h"

namespace {

constexpr int kNoteControl = IDC_WELCOME_NOTE;  // the same id on the folder page

STRING ReadValue(HKEY root, const char* base, const char* key, const char* value) {
  STRING data;
  REGISTRY registry(root, base, key, REGISTRY_READ);
  if (!registry.IsOpen() || !registry.Read(value, data)) return STRING();
  return data;
}

// The earlier generation `key` when its settings name a program folder and an existing data folder.
bool FindEarlier(const char* key, KIVSTATE& state) {
  REGISTRY registry(HKEY_CURRENT_USER, kNorbaSettingsKey, key, REGISTRY_READ);
  STRING program, data;
  if (registry.IsOpen() && registry.Read("%KIV%", program) && registry.Read("%KIVFILES%", data) &&
      data.IsNotEmpty() && FILENAME(data.c_str()).IsDirectory()) {
    state.EarlierProgram = program;
    state.EarlierData = data;
    state.Tag = STRING("V") + STRING(key).Right(1);
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

void KivRememberSetup(const KIVPROFILE& profile, int language, HASH* config) {
  KIVSTATE& state = KivState();
  state.Profile = &profile;
  state.Language = language;
  state.Config = config;
  state.EarlierProgram = state.EarlierData = state.Tag = STRING();
  for (const char* const* key = profile.EarlierKeys; *key; key++)
    if (FindEarlier(*key, state)) break;
  logit("SETUP::KivRememberSetup language %d earlier %s (%s) %s\n", language, state.EarlierProgram.c_str(),
        state.Tag.c_str(), state.EarlierData.c_str());
}

void KivAdjustPageText(int step, HWND page) {
  KIVSTATE& state = KivState();
  if (!state.Profile || !state.Config || state.EarlierProgram.IsEmpty() || KivSettingsDataFolder().IsNotEmpty()) return;
  STRING now = STRING("V") + STRING(state.Profile->Key).Right(1);
  if (step == 1) {
    STRING inikey = ConfigText(*state.Config, KEY_INIKEY);
    if (ReadValue(HKEY_LOCAL_MACHINE, kUninstallBaseKey, inikey.c_str(), "UninstallPath").IsNotEmpty()) return;
    CONTROL(page, kNoteControl).SetText(NoteText(IDS_WELCOME_MIGRATION_NOTE, state.Tag.c_str(), now.c_str()));
  } else if (step == 3 && InstallRun().InstallType == "0") {
    // Without a tag the note names the newest earlier generation.
    STRING tag = state.Tag.IsEmpty() ? STRING("V") + STRING(state.Profile->EarlierKeys[0]).Right(1) : state.Tag;
    CONTROL(page, kNoteControl).SetText(NoteText(IDS_FOLDER_MIGRATION_NOTE, tag.c_str(), now.c_str()));
  }
}
