// CopyToDest: the loose files that the setup configuration names beside the archives, copied from the
// working folder into the installation folder after the archives, read-only attributes cleared.
#pragma once

#include "base/hash.h"
#include "base/strings.h"
#include "install/installedfiles.h"

// The destination of one CopyToDest item: the installation folder and the item's bare file name, so a
// file always lands in the folder itself, whatever folder parts or drive the item names. Empty for an
// item without a usable file name ("", ".", "..", a bare folder or drive).
STRING CopyToDestTarget(const STRING& installfolder, const STRING& item);

// Copies every item of CopyToDest ('|'-separated, blanks and tabs trimmed, up to the first empty item)
// and records its bare file name. An item that names its own destination is recorded but not copied, so
// a file is never emptied onto itself. Copy failures are traced and skipped.
void CopyLooseFiles(HASH& config, const STRING& installfolder, INSTALLEDFILES& files);
