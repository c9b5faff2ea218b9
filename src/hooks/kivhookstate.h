// What the built-in Kiv hooks of one generation know about themselves (its settings key and the earlier
// generations it looks for) and what they learn during an installation: the language, the setup
// configuration, the earlier generation found at start and the choices of the product pages.
#pragma once

#include "base/hash.h"
#include "base/strings.h"
#include "setup/installrun.h"

// HKEY_CURRENT_USER: the product's settings, one key per generation below it.
constexpr char kNorbaSettingsKey[] = "Software\\Norba";

struct KIVPROFILE {
  int Generation;                  // 6, 7 or 8
  const char* Key;                 // "KIV8": settings key, uninstall key, folder of types 3 and 5
  const char* Unit;                // the unit named in assertion reports
  const char* EarlierKeys[4];      // settings keys of earlier generations, searched in order; null ends
  const char* EarlierUninstall[4]; // uninstall keys of earlier generations cleaned up at event 10; null ends
  // What the generation renames in the "Options" folder of data taken over from an earlier generation.
  void (*RenameOptions)(const STRING& options);
};

// The profiles, each in its generation's unit.
const KIVPROFILE& KivProfile6();
const KIVPROFILE& KivProfile7();
const KIVPROFILE& KivProfile8();

struct KIVSTATE {
  const KIVPROFILE* Profile = nullptr;
  int Language = 0;          // primary language id of the language library; 7 is German
  HASH* Config = nullptr;    // the setup configuration
  STRING EarlierProgram;     // "%KIV%" of the earlier generation; empty when none was found
  STRING EarlierData;        // its "%KIVFILES%"
  STRING Tag;                // "V7", "V6", "V5"; empty when none
  STRING FolderType = "1";   // data folder type "1" to "5"
  STRING CustomFolder;
  STRING DataFolder;         // the data folder chosen on the page, placeholders expanded
  int UsageType = 1;
  STRING Terminal;           // the chosen terminal program's text
  STRING PendingUsage;       // usage lines chosen before the data folder page wrote admin.ini (generation 6)
  bool EarlierInProgram = false;  // the chosen program folder holds an earlier generation's data (generation 6)
};

// The hook state of this process.
KIVSTATE& KivState();

// Event 1: takes the language and the configuration, then looks for the newest earlier generation whose
// settings key names a program folder and an existing data folder.
void KivRememberSetup(const KIVPROFILE& profile, int language, HASH* config);
// Event 5: the note about the earlier generation on the welcome page (step 1) and the folder page (step 3).
void KivAdjustPageText(int step, HWND page);
// Generation 6, event 6 after the folder page left with Next: a new installation keeps an admin.ini found
// in the chosen folder as admin.ini.bak, and notes whether that folder holds an earlier generation's data.
void KivExamineChosenFolder(HWND page);

// The generation's settings key below HKEY_CURRENT_USER, and its "%KIVFILES%" (empty when missing).
STRING KivSettingsKey();
STRING KivSettingsDataFolder();
// A value of the uninstall record `key` (below HKEY_LOCAL_MACHINE, in the program's view); empty when missing.
STRING KivUninstallValue(const char* key, const char* value);
