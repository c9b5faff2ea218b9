// Finding a program or library that a link names by bare file name, the way the system would look for
// it, without loading it: no code of the file runs in the (elevated) setup.
#pragma once

#include "base/strings.h"

// The full path of `name` in the system folder, the Windows folder or a folder of PATH, in that order
// (".dll" is assumed without an extension, as for a library); empty when it is in none of them. The
// program's own folder and the current folder are not searched: there lie the setup's media, which
// anybody may have put a file beside.
STRING FindOnSearchPath(const STRING& name);
