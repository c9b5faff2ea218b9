// Crash reports: when crash dumps are on, an unhandled fault writes a minidump of the process, offers
// to compress it and to open the upload page, and ends the process with exit code 42.
#include <windows.h>

#include <dbghelp.h>
#include <zlib.h>

#include <cstdio>

#include "diag/logit.h"
#include "app/norba_win32.h"
#include "diag/norbaassert.h"
#include "base/dllinterface.h"
#include "base/filename.h"
#include "base/osys.h"

// Where crash reports are uploaded: the one place that names the host.
static const char kCrashReportPage[] = "http://www.norba.example/common/crashreport.php";

namespace {

typedef BOOL(WINAPI* MINIDUMPWRITEDUMP)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

struct DUMPKIND {
  const char* Name;
  DWORD Type;
};
const DUMPKIND kDumpKinds[] = {
    {"TINY", 0x000}, {"MINI", 0x150}, {"NORBA", 0x155}, {"MIDI", 0x325}, {"MAXI", 0x126}};

struct CRASHSTATE {
  int Level = 0;
  int Available = -1;  // -1 not checked yet
  DLLINTERFACE DbgHelp;
  MINIDUMPWRITEDUMP WriteDump = nullptr;
  STRING UserPart;
  STRING DumpFolder;
  void* Reserve = nullptr;
  bool Prepared = false;
};

CRASHSTATE& Crash() {
  static CRASHSTATE state;
  return state;
}

bool CheckAvailable() {
  typedef BOOL(WINAPI * ISDEBUGGERPRESENT)();
  auto debugger = LookupSystemProc<ISDEBUGGERPRESENT>("kernel32.dll", "IsDebuggerPresent");
  if (debugger && debugger()) {
    logitlevel(14, "Not setting crash logger ExceptionHandler when debugging\n");
    return false;
  }
  DLLINTERFACE probe;
  return probe.Load("dbghelp.dll", "MiniDumpWriteDump");
}

STRING ProgramPart() {
  STRING part = NORBAAPP::GetAppName() + NORBAAPP::GetAppVersion();
  part.ToUpper();
  part.RemoveChars(".");
  return part.Left(127);
}

bool Exists(const STRING& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// "<folder>\Norba.CrashInfo.<program>.<user>.<kind>[_n].dmp", the first try whose dump and .gz are free.
STRING DumpFileName(const STRING& folder, const char* kind) {
  STRING name;
  for (int attempt = 1; attempt <= 99; attempt++) {
    name.Format("%s\\Norba.CrashInfo.%s.%s.%s", folder.c_str(), ProgramPart().c_str(), Crash().UserPart.c_str(), kind);
    if (attempt > 1) name.AppendFormat("_%d", attempt);
    name.Append(".dmp");
    if (!Exists(name) && !Exists(name + ".gz")) break;
  }
  return name;
}

bool WriteMiniDump(const STRING& name, DWORD type, EXCEPTION_POINTERS* exception) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), exception, FALSE};
  Crash().WriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, static_cast<MINIDUMP_TYPE>(type),
                    exception ? &info : nullptr, nullptr, nullptr);
  CloseHandle(file);
  return true;
}

// Compresses the dump into "<dump>.gz" in 4096-byte pieces; true when a non-empty dump was written whole.
bool CompressDump(const STRING& name) {
  FILE* in = fopen(name.c_str(), "rb");
  if (!in) return false;
  gzFile out = gzopen((name + ".gz").c_str(), "wb");
  bool ok = out != nullptr;
  long total = 0;
  char piece[4096];
  size_t got;
  while (ok && (got = fread(piece, 1, sizeof(piece), in)) > 0) {
    ok = gzwrite(out, piece, static_cast<unsigned>(got)) == static_cast<int>(got);
    total += static_cast<long>(got);
  }
  if (out) ok = gzclose(out) == Z_OK && ok;
  fclose(in);
  return ok && total > 0;
}

bool AskToSend(const STRING& program, const STRING& name, const STRING& folder) {
  const char* format =
      NORBAAPP::IsGerman()
          ? "Das Programm %s hat einen Fehler verursacht und muss beendet werden.\n\nSie k\xf6nnen eine Datei mit "
            "Crash-Informationen per Web-Upload oder Email an Norba senden. Dies kann helfen, das Problem in "
            "zuk\xfcnftigen Versionen zu beheben (speziell dann, wenn der Fehler h\xe4ufiger auftritt).\n\n "
            "Filename: %s\n (im Ordner '%s')\n\nWollen Sie die Crash-Informationen erzeugen und an Norba senden? "
            "(Wenn Sie mit 'Ja' antworten, \xf6" "ffnet sich ein Web-Formular zum Upload der Crash-Datei, "
            "andernfalls wird das Programm direkt beendet)?"
          : "The program %s has encountered an error and will be terminated.\n\nYou can now choose to create a file "
            "with crash-debugging information \nfor upload to Norba (a developer at Norba will then look at the "
            "file and such files often helps us fix the problem in future versions).\n\n Filename: %s\n (in folder "
            "'%s')\n\nPlease consider to send the file, especially if you encounter the problem multiple "
            "times.\n\nDo you now want to create and send the crash-information?  (If you coosse 'Yes', a web "
            "browser will open with an upload form to send the file, otherwise the program will simply terminate)?";
  // Room for the whole question whatever the names' lengths: a cut text would lose the question itself.
  char text[4096];
  snprintf(text, sizeof(text), format, program.c_str(), name.c_str(), folder.c_str());
  STRING caption = NORBAAPP::GetAppName() + " Crash";
  return MessageBoxA(nullptr, text, caption.c_str(), MB_YESNO | MB_ICONERROR) == IDYES;
}

LONG WINAPI WriteDumpToFileHandler(EXCEPTION_POINTERS* exception) {
  CRASHSTATE& crash = Crash();
  logit("NORBAAPP::WriteDumpToFileHandler entered\n");
  const DUMPKIND& kind = kDumpKinds[crash.Level % 5];
  if (!crash.WriteDump) {
    logit("NORBAAPP::WriteDumpToFileHandler failed to load dll or proc address (%p/%p)\n",
          static_cast<void*>(crash.DbgHelp.Handle()), reinterpret_cast<void*>(crash.WriteDump));
  } else {
    free(crash.Reserve);
    crash.Reserve = nullptr;
    bool offerupload = crash.DumpFolder.IsNotEmpty();
    STRING folder = offerupload ? crash.DumpFolder : FILENAME(OSYS::GetOwnFileName().c_str()).GetPath();
    STRING name = DumpFileName(folder, kind.Name);
    if (WriteMiniDump(name, kind.Type, exception) &&
        (LogitIsOn() || AskToSend(ProgramPart(), FILENAME(name.c_str()).GetName(), folder))) {
      // The page names the file there is to upload: the compressed one once the dump is packed.
      STRING upload = name;
      if (CompressDump(name)) {
        DeleteFileA(name.c_str());
        logit("NORBAAPP::WriteDumpToFileHandler dump file written (%s)\n", name.c_str());
        upload = name + ".gz";
      }
      if (offerupload) {
        STRING page;
        page.Format("%s?filename=%s%s", kCrashReportPage, FILENAME(upload.c_str()).GetName().c_str(),
                    NORBAAPP::IsGerman() ? "&html=htm" : "");
        OSYS::ShellOpen(page.c_str(), nullptr);
      }
    }
  }
  logit("NORBAAPP::WriteDumpToFileHandler finished\n");
  LogitOption("/LOGITCLOSE");
  TerminateProcess(GetCurrentProcess(), 42);
  return EXCEPTION_EXECUTE_HANDLER;
}

void PrepareFolders() {
  CRASHSTATE& crash = Crash();
  if (crash.Prepared) return;
  crash.Prepared = true;
  crash.UserPart = OSYS::GetUserName();
  crash.UserPart.Replace(" ", "_", 1);
  crash.UserPart = crash.UserPart.Left(96);
  STRING desktop = OSYS::GetSystemPath(8);
  desktop.Trim('R', "\\");
  crash.DumpFolder = desktop;
}

}  // namespace

void EnableCrashDump(int level) {
  CRASHSTATE& crash = Crash();
  if (crash.Available < 0) crash.Available = CheckAvailable() ? 1 : 0;
  if (level > crash.Level) crash.Level = level;
  if (crash.Level == 0 || !crash.Available) return;
  if (!crash.WriteDump) {
    crash.DbgHelp.Load("dbghelp.dll", "MiniDumpWriteDump");
    crash.WriteDump = crash.DbgHelp.GetFunction<MINIDUMPWRITEDUMP>(nullptr);
  }
  PrepareFolders();
  if (!crash.Reserve) crash.Reserve = malloc(4 * 1024 * 1024);
  SetUnhandledExceptionFilter(WriteDumpToFileHandler);
}

int CrashDumpLevel() { return Crash().Level; }

void EndAfterAssert() {
  if (Crash().Level > 0 && Crash().Available) WriteDumpToFileHandler(nullptr);
  ExitProcess(1);
}
