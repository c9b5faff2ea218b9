// Link files through the shell's own objects: shell links (".LNK") and internet shortcuts (".URL").
// The caller initialises COM around them (COMSCOPE).
#pragma once

#include "base/strings.h"

struct SHELLLINK {
  STRING Path;           // full path of the target
  STRING Arguments;
  STRING WorkingFolder;
  STRING IconPath;       // empty: no icon of its own
  int IconIndex = 0;
};

// Saves `link` as the file `linkfile`; true when the save was attempted, false when the link object
// could not be made (reported).
bool SaveShellLink(const SHELLLINK& link, const STRING& linkfile);
// Saves an internet shortcut to `url` as the file `linkfile`; true when the save was attempted.
bool SaveInternetShortcut(const STRING& url, const STRING& linkfile);
