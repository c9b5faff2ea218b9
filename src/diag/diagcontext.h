// What the trace log and the reports know of the program, and the few system services they need, on
// Win32 and the C run-time alone: every other layer traces and asserts through them, so they use none.
// Texts go into the caller's buffer, always terminated and cut to its size.
#pragma once

#include <windows.h>

#include <cstddef>

// The user-interface language of the process, a primary language id (9 English, 7 German, 12 French,
// 14 Hungarian), chosen by the frame at start-up; reports speak German when it is 7.
extern int gLocale;

// The program's name and version for report titles and dump names. The frame sets them during start-up;
// until then they read as empty.
void DiagSetProgram(const char* name, const char* version);
const char* DiagProgramName();
const char* DiagProgramVersion();
bool DiagGerman();

// Turns a file name given to the diagnostics (a log target) into the path to open below `folder`. The
// frame installs the program's file-name rules; until then an absolute name stays as it is and any other
// is put into `folder`. False when the result does not fit.
typedef bool (*DIAGPATHRESOLVER)(const char* folder, const char* name, char* out, size_t size);
void DiagSetPathResolver(DIAGPATHRESOLVER resolver);
bool DiagResolvePath(const char* folder, const char* name, char* out, size_t size);

// `folder` and `name` joined by one backslash; false when the result does not fit.
bool DiagJoin(const char* folder, const char* name, char* out, size_t size);
// The program's own full file name; false (empty) when the system gives none.
bool DiagOwnFileName(char* out, size_t size);
// A shell folder by its CSIDL, made when missing, with a final backslash; false (empty) when there is none.
bool DiagShellFolder(int csidl, char* out, size_t size);
// The signed-in user's name; false (empty) when the system gives none.
bool DiagUserName(char* out, size_t size);
// The system's text of an error code, without its line end; "<no error>" when there is none.
void DiagErrorText(DWORD error, char* out, size_t size);
// The local time in the user's format.
void DiagTimeText(char* out, size_t size);
// The version of Windows as it really is (RtlGetVersion, which no compatibility shim changes, else
// GetVersionEx); false when neither answers.
bool DiagWindowsVersion(DWORD* platform, DWORD* major, DWORD* minor);
// The function `name` of a system library the process has loaded (kernel32, ntdll); null when missing.
FARPROC DiagSystemProc(const char* library, const char* name);
