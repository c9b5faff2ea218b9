// Taking over the user data of an earlier Kiv generation into the new data folder (copies only: the
// earlier data stays as it was), and filling a new data folder from the initial data archive.
#pragma once

#include "base/strings.h"

// Files that are never taken over: logs, backups and caches (".log", ".fee", ".kph", ".gid", ".hlp", ".bak").
bool KivMigrationSkips(const STRING& file);
// Whether `folder` is `earlier` itself or lies inside it (ignoring case): such a copy would run into itself.
bool KivFolderWithin(const STRING& folder, const STRING& earlier);
// The renames in the "Options" folder of the new data folder, never replacing a file. Generation 8: the
// colour table to "Standard.kpal" and the host list to "hostdirectory.kivini"; generations 6 and 7: the
// table "colortable.ini" to "ColorTable.kivini".
void KivRenameOptions8(const STRING& options);
void KivRenameColorTable(const STRING& options);
// "devssh_global.ini" of `options`: every mention of the earlier data folder names the new one.
void KivRewriteSshSettings(const STRING& options, const STRING& earlier, const STRING& folder);
// With `yes` and a known earlier tag: the earlier data folder's files (without the skipped ones) copied
// into the backup folder "KIV Files <tag> Backup" of the new folder and into the new folder, then the
// generation's `renames` and the rewrite. Always: the REXX interpreter's GlobalSCBs option set to 0.
void KivMigrate(bool yes, const STRING& tag, const STRING& earlier, const STRING& folder,
                void (*renames)(const STRING& options));

// Generation 6 over generation 4 or older ("V4", "V3"): the earlier folder's "Options", "Script" and
// "SSH" copied into the backup folder "Previous Version Files (Backup)" and into the new folder; there the
// colour table "Colortable.cfg" becomes "Colortable.kivini" (the copy's old name kept as ".old"), the host
// list "KIVHOSTS.INI" or else "PHONEBK" is copied along, and "Options\standard.cfg" names "%KIVFILES%"
// where its Path and script lines named the earlier folder. The earlier folder is only read.
void KivMigrateLegacy(const STRING& earlier, const STRING& folder);

// Unpacks `archive` into `folder` in archive order; entries named "...dummy.tmp" only make their folder and
// are deleted again. False when the archive cannot be opened.
bool KivUnpackInitialData(const STRING& archive, const STRING& folder);
