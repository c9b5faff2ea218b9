// NORBAAPP: the application frame. It prepares the process, builds the program argument list from the
// command line and the commandline.ini files, chooses the language, runs the main function and signs off.
#pragma once

#include <windows.h>

#include "base/stringarray.h"
#include "base/strings.h"
#include "diag/diagcontext.h"

typedef int (*APPMAINPROC)(int count, char** arguments, char** environment);

// gLocale, the user-interface language, is kept with the diagnostics (diag/diagcontext.h).
extern DWORD gMainThreadId;

class NORBAAPP {
 public:
  // Runs the whole process: start-up, the main function, sign-off. Returns the exit code.
  static int Start(HINSTANCE instance, APPMAINPROC appmain);

  static DWORD GetMainThreadId() { return gMainThreadId; }
  static bool IsMainThread() { return GetCurrentThreadId() == gMainThreadId; }
  static int GetLocale() { return gLocale; }
  static bool IsGerman() { return gLocale == 7; }
  static const STRING& GetStartDirectory();
  static void SetStartDirectory(const STRING& directory);
  static const STRING& GetProgramDirectory();
  static const STRING& GetAppName();
  static const STRING& GetAppVersion();
  static const STRING& GetWholeCommandLine();
  static HINSTANCE GetInstance();
  static HINSTANCE GetResourceModule();

  // Loads "<program folder>\<appname><language>.dll" for gLocale, falling back to English; without
  // any library a non-optional loader shows "DLL not found" and ends the process with exit code 99.
  static bool LoadLanguageLibrary(const char* programpath, const char* appname, const char* version,
                                  const char* nameoverride, bool optional);
  // Frees the language library; texts come from the program itself again.
  static void FreeLanguageLibrary();

  // The folder a build output folder inside a source tree stands for (see GetAppRoot in the .cpp).
  static STRING GetAppRoot(const STRING& directory);

  // Ctrl+Shift+F5..F8 switch tracing at run time; every window procedure passes its messages here.
  static void ProcessHotKeys(UINT message, WPARAM wparam, LPARAM lparam);

  // Pieces of start-up, public for the tests.
  static void AcquireArguments(const STRINGARRAY& raw, int fallbacklanguage);
  static int ChooseLanguage(const STRING& value, int fallbacklanguage);
  static void SignOff(int exitcode);
};

// The program argument list: the program path, then the command line, then the commandline.ini lines.
STRINGARRAY& ProgramArguments();

// Splits a command line (code page 1252) into `out`: element 0 is `selfpath`, then the arguments.
// `wholeline` receives the command line without leading and trailing blanks.
void SplitCommandLine(const char* commandline, const char* selfpath, STRINGARRAY& out, STRING& wholeline);

// How many leading elements of that list came from the command line, the program path included; the
// commandline.ini lines follow them. The frame sets it when it acquires the arguments.
void SetCommandLineArgumentCount(int count);

// Argument lookup; names match without regard to case and the first match wins.
int TestArg(const char* name);
int TestArgValue(const char* name, int index);
STRING GetArgValue(const char* name, int index);
// The same lookups over the command line alone: for arguments that only whoever started the program may
// give, never a commandline.ini that lies in the folder it was started from (the admin commands).
int TestCommandLineArgValue(const char* name, int index);
STRING GetCommandLineArgValue(const char* name, int index);

// The folder part of a path, without its trailing backslash: C:\a\b.exe gives C:\a, D:\b.exe gives D:.
// For joining names to it; never a folder to make current or to compare (to Windows "D:" alone is the
// current folder of drive D).
STRING DirectoryOf(const STRING& path);
// The folder of a file as a normalised FILENAME: C:\a\b.exe gives C:\a, D:\b.exe gives D:\.
STRING FolderOfFile(const STRING& path);
