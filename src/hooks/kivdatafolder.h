// The data folder page of the built-in Kiv hooks: where the user's data lives (the five folder types),
// the start configuration admin.ini in the program folder, and the preparation of the chosen folder.
#pragma once

#include "base/strings.h"
#include "hooks/kivhookstate.h"
#include "setup/steptable.h"

// "KIV8 Files" ("KIV8 Dateien" for German, language 7) and the program sub-folder "Userfiles"
// ("Benutzerdateien").
STRING KivDataFolderName(const KIVPROFILE& profile, int language);
STRING KivProgramSubfolder(int language);
// The folder of a type ("1" to "5"; any other is "1") with its placeholders expanded: 1 the profile,
// 2 inside the program folder, 3 all users, 4 the custom folder, 5 the application data.
STRING KivDataFolderFor(const KIVPROFILE& profile, int language, const STRING& type, const STRING& program,
                        const STRING& custom);

// admin.ini as the data folder page writes it: the data folder, the program's "Script" folder when the
// data folder is the program folder and `script` exists, and the setup's mark.
STRING KivAdminIniForPage(const STRING& folder, const STRING& program, bool script);
// admin.ini as an update writes it when there is none: the default data folder and the installer's mark.
STRING KivAdminIniForUpdate(const STRING& folder);
// admin.ini of the program folder, and lines appended to it (not when the archives brought their own).
STRING KivAdminIniPath();
void KivAppendAdminIni(const STRING& lines);

// The page function (step 15).
int KivDataFolderPage(SETUPDIALOGBOX* wizard, DATADIALOG* page);
