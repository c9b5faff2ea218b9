// unzip: the program's exported archive entry with a command-line style interface. It opens one ZIP
// archive and lists it, or extracts one named entry or every entry into a folder; it writes no output
// and reports only through its result.
#pragma once

// Results.
#define UNZIP_OK 0          // done (also for a call without arguments)
#define UNZIP_FAILED 1      // no archive named, archive or folder not usable, an entry not extracted
#define UNZIP_NOTFOUND 2    // the named entry is not in the archive

// count/arguments as main() gets them; arguments[0] is ignored. Options are '-' and letters, combinable
// and case-insensitive: l or v list only, e extract without the stored folders, o overwrite (existing
// files are always overwritten), d the folder to extract into (next argument), p the password (next
// argument). The first other argument names the archive (tried with ".zip" appended when it does not
// open as given), the second the one entry to extract, unless a d option came before it. Every path is
// built from the folder: the process's current folder is never changed.
extern "C" int unzip(int count, char** arguments);
