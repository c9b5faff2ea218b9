// The installation run's decisions on files and folders, apart from the run itself so that they can be
// checked alone: the installation folder proposed before the wizard and the files deleted after it.
#pragma once

#include "base/hash.h"
#include "base/strings.h"

// The folder of the earlier installation that the uninstall record of IniKey names, when it still exists;
// else InstallPath: "*" followed by a folder of its own, or a path below the program-files folder.
STRING ProposedFolder(HASH& config);

// Deletes the files that DeleteAfterExtract lists ('|'-separated, empty fields skipped) from `folder`.
// A field that is absolute, names a drive or a share, or climbs out with ".." is traced and skipped.
void DeleteAfterExtract(HASH& config, const STRING& folder);
