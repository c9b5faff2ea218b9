// The rules for the names stored in a ZIP archive: which names may be written below a destination folder
// at all, and the bare file name of an entry. A name that could reach out of the destination is refused
// before anything is created for it.
#pragma once

#include "base/strings.h"

// True when `name` (every stored byte, '/' or '\' as separators) stays inside the folder it is extracted
// to. Refused: empty names, a NUL or control byte, a leading separator ("/x", "\x", "\\server\share"),
// any ':' (drives "C:x", "C:\x", alternate data streams), a component that is empty or only dots and
// blanks ("..", "...", "a//b"), and the device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without
// an extension). A trailing separator marks a directory entry and is allowed.
bool ZipEntryNameIsSafe(const STRING& name);

// The part after the last '/' or '\'; empty for a directory entry.
const char* ZipEntryBareName(const char* name);
