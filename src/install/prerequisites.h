// The installation's two system checks: whether this 32-bit program runs on 64-bit Windows, and
// whether the libraries that CheckDll asks for are there (only DAO 3.6 is known, and only Windows XP
// and older may lack it).
#pragma once

#include "base/strings.h"

bool IsWow64();

// True when every item of `checkdll` ('|'-separated, up to the first empty item) is met on a Windows of
// version code `windowsversion`; items other than "dao360" are not checked.
bool CheckRequiredLibraries(const char* checkdll, int windowsversion);

// Where DAO 3.6 is, as the registry key `sharedtools` (below HKEY_LOCAL_MACHINE) tells: the shared
// files folder's "DAO\dao360.dll", dao360.dll's own path, or DAO 3.5's path with 350 made 360. The first
// candidate that is a library counts; empty when none is. Nothing of it is run.
STRING FindDao360(const char* sharedtools);
