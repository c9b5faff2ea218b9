// OSYS: the operating-system services the program uses everywhere: shell folders, program start, threads,
// user and machine identity, the Windows version, error texts, dates and times, resource texts, clocks and
// the autostart entry. Each service is a static function; the Windows calls stay behind this class.
#pragma once

#include <windows.h>

#include "base/strings.h"

// Stands for the language library as the module of a resource lookup.
#define OSYS_LANGUAGE_MODULE (reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(-1)))

// Flags of StartProgram. A program name beginning with '*' starts minimised, one beginning with '#' hidden.
#define OSYS_START_SYNC 0x01       // wait for the program's end
#define OSYS_START_HIDDEN 0x02     // window hidden
#define OSYS_START_MINIMIZED 0x04  // window minimised (unless hidden)
#define OSYS_START_MAXIMIZED 0x08  // window maximised (unless hidden or minimised)
#define OSYS_START_PUMP 0x10       // with OSYS_START_SYNC: keep the window messages flowing while waiting

// StartProgram's exit code when none could be read.
#define OSYS_NO_EXITCODE (-8)
// GetLastErrorString's stand-in for the calling thread's last error code.
#define OSYS_LAST_ERROR (-4711)
// SetAutostart's command for "this program, quoted".
#define OSYS_AUTOSTART_SELF (reinterpret_cast<const char*>(1))
// Marker in the first word of a CreateThreadWithParm block.
#define OSYS_THREADPARM_MARKER 0xFFEEDDCCu

// Thread functions in the form the C run-time's thread start expects.
typedef unsigned(__stdcall* OSYSTHREADPROC)(void* parm);

// The argument block of CreateThreadWithParm; the thread takes it over with OSYS::TakeThreadParm.
struct OSYSTHREADPARM {
  UINT_PTR Marker;
  void* Parm1;
  void* Parm2;
};

// The directory services (CreateDirectoryPath, ListFiles, DeleteTree, CopyTree) are FILETREE's.
class OSYS {
 public:
  // The folder of shell-folder type `type` (0 programs menu, 1 startup, 2 program files, 5 application
  // data, 6/14/18/19 documents, 7 pictures, 8 desktop, 9 send-to, 10 and 11 the common programs menu and
  // startup, 12 common documents, 13 common application data, 22 local application data), always ending
  // with a backslash; empty (after an assertion report) when it cannot be found.
  static STRING GetSystemPath(int type);

  // Starts `program` with `args` (either may carry quotes already). True when the process was created.
  // `exitcode` (synchronous starts) is OSYS_NO_EXITCODE unless the exit code was read; `procinfo`, when
  // given, receives the open process and thread handles, which the caller then closes.
  static bool StartProgram(const char* program, const char* args, const char* workdir, const char* title, int flags,
                           PROCESS_INFORMATION* procinfo, int* exitcode);

  // Threads, started through the C run-time with a 32768-byte stack. The handle belongs to the caller
  // (WaitThread or CloseHandle); null on failure.
  static HANDLE CreateThread(OSYSTHREADPROC func, void* parm);
  // The same with an OSYSTHREADPARM block holding p1 and p2 as the argument.
  static HANDLE CreateThreadWithParm(OSYSTHREADPROC func, void* p1, void* p2);
  // Inside the thread: reads p1 and p2 from its argument block and frees the block; false when `parm`
  // is not such a block.
  static bool TakeThreadParm(void* parm, void** p1, void** p2);
  // Waits up to `timeout` ms (-1: no limit); on success closes the handle and returns true.
  static bool WaitThread(HANDLE hthread, int timeout);
  static bool CloseHandle(HANDLE h);
  static void Sleep(int ms);

  // Lets the shell open `file` with the current folder as working folder; true on success.
  static bool ShellOpen(const char* file, HWND window);

  // The system's text for `code` (OSYS_LAST_ERROR: the calling thread's last error), at most 256
  // characters without the line end; "<no error>" when the system has no text.
  static STRING GetLastErrorString(int code);
  static STRING GetDateString();
  static STRING GetTimeString();
  // The account name, empty on failure; the computer name, "<N/A>" on failure.
  static STRING GetUserName();
  static STRING GetComputerName();
  // The current folder (empty on failure) and changing it; both take paths of any length.
  static STRING GetCurrentDirectory();
  static bool SetCurrentDirectory(const char* dir);
  // The full path of the running program; empty when it cannot be read whole.
  static STRING GetOwnFileName();

  // 0 not NT; 1 NT before 5; 2 Windows 2000; 3 XP; 4 5.2 (Server 2003, XP 64-bit); 5 Vista; 6 Windows 7;
  // 7 Windows 8; 8 Windows 8.1; 9 Windows 10 and later.
  static int GetWindowsVersion();
  // The code for a platform id and version number (the rule behind GetWindowsVersion).
  static int WindowsVersionCode(DWORD platform, DWORD major, DWORD minor);

  // The performance counter and its frequency; either may be null. True when one was read.
  static bool GetHighResCounter(LONGLONG* count, LONGLONG* frequency);

  // The text with that id from the module's string table (at most 1023 characters), converted to the
  // 8-bit code page of the table's language and tagged with it (1250 for Hungarian, 1252 for English,
  // German and French); "<STRING-ERROR>" when the id is missing.
  static STRING GetStringFromResource(int id, HINSTANCE module = OSYS_LANGUAGE_MODULE);
  // The module that OSYS_LANGUAGE_MODULE stands for: the language library, set by the frame when it loads
  // or frees one (null: the program itself).
  static void SetLanguageModule(HINSTANCE module);
  static HINSTANCE GetLanguageModule();

  // Writes the current user's autostart value `valuename`: `command` as given, or this program quoted for
  // OSYS_AUTOSTART_SELF, "<ownfile>", "<self>" or the program's own path; a null `command` deletes the
  // value. True when the registry call succeeded.
  static bool SetAutostart(const char* valuename, const char* command);

  // Millisecond clock: started once by the frame, read as milliseconds since then.
  static void StartMilliClock();
  static unsigned GetMilliClock();
};
