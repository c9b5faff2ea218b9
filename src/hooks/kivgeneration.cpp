// Choice of the built-in Kiv hook by product version or uninstall key, and the steps that the three
// generations' dispatchers share.
#include "hooks/kivgeneration.h"

#include "diag/logit.h"
#include "base/strings.h"
#include "setup/configkeys.h"

int KivGenerationForVersion(double version) {
  if (version >= 6.0 && version < 6.8) return 6;
  if (version >= 7.0 && version < 7.9) return 7;
  return 8;
}

int KivGenerationForKey(const char* keyname) {
  STRING key(keyname, 1252);
  if (key == "KIV6") return 6;
  if (key == "KIV7") return 7;
  if (key == "KIV8") return 8;
  return 0;
}

NEWSETUPHOOKPROC KivHookOf(int generation) {
  switch (generation) {
    case 6:
      return NewSetupHookKiv6;
    case 7:
      return NewSetupHookKiv7;
    case 8:
      return NewSetupHookKiv8;
    default:
      return nullptr;
  }
}

int ChooseKivHookForInstallation(HASH& config) {
  STRING appname = ConfigText(config, KEY_APPNAME);
  if (appname != "KIV" || NewSetupHook != NewSetupHookDummy) {
    logit("SETUP::ChooseKivHookForInstallation %s: no built-in hook\n", appname.c_str());
    return 0;
  }
  double version = ConfigDecimal(config, KEY_APPVERSION);
  int generation = KivGenerationForVersion(version);
  logit("SETUP::ChooseKivHookForInstallation version %.2f: generation %d\n", version, generation);
  NewSetupHook = KivHookOf(generation);
  return generation;
}

int ChooseKivHookForRemoval(const char* keyname) {
  int generation = KivGenerationForKey(keyname);
  logit("SETUP::ChooseKivHookForRemoval %s: generation %d\n", NullGuard(keyname, "keyname"), generation);
  if (generation) NewSetupHook = KivHookOf(generation);
  return generation;
}

void TraceKivHookCall(INT_PTR event, INT_PTR a, INT_PTR value) {
  logit("SETUP::NewSetupHookKiv %d %d %p\n", static_cast<int>(event), static_cast<int>(a),
        reinterpret_cast<void*>(value));
}

void InsertKivPages(INT_PTR value, const SETUPSTEP (&pages)[2], const char* unit) {
  InsertStepsBeforeAdv(reinterpret_cast<SETUPSTEP*>(value), pages, unit);
}
