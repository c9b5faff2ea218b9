// Crash reports: when crash dumps are on, an unhandled fault writes a minidump of the process, offers
// to compress it and to open the upload page, and ends the process with exit code 42.
#include <windows.h>

#include <dbghelp.h>
#include <zlib.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "diag/diagcontext.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"

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

// A dump file name: at most a path.
struct DUMPNAME {
  char Text[MAX_PATH + 1] = {};
};

struct CRASHSTATE {
  int Level = 0;
  int Available = -1;  // -1 not checked yet
  HMODULE DbgHelp = nullptr;  // kept for the rest of the process: the handler may run at any time
  MINIDUMPWRITEDUMP WriteDump = nullptr;
  char UserPart[97] = {};
  char DumpFolder[MAX_PATH + 1] = {};  // the desktop; empty when there is none
  void* Reserve = nullptr;
  bool Prepared = false;
};

CRASHSTATE& Crash() {
  static CRASHSTATE state;
  return state;
}

// The debug help library's dump writer; null when it is missing.
MINIDUMPWRITEDUMP LoadDumpWriter(HMODULE* module) {
  *module = LoadLibraryA("dbghelp.dll");
  FARPROC proc = *module ? GetProcAddress(*module, "MiniDumpWriteDump") : nullptr;
  return reinterpret_cast<MINIDUMPWRITEDUMP>(reinterpret_cast<void*>(proc));
}

bool CheckAvailable() {
  typedef BOOL(WINAPI * ISDEBUGGERPRESENT)();
  auto debugger =
      reinterpret_cast<ISDEBUGGERPRESENT>(reinterpret_cast<void*>(DiagSystemProc("kernel32.dll", "IsDebuggerPresent")));
  if (debugger && debugger()) {
    logitlevel(14, "Not setting crash logger ExceptionHandler when debugging\n");
    return false;
  }
  HMODULE probe = nullptr;
  bool available = LoadDumpWriter(&probe) != nullptr;
  if (probe) FreeLibrary(probe);
  return available;
}

// Name and version, upper case, without dots, at most 127 characters.
void ProgramPart(char* out, size_t size) {
  char whole[256];
  snprintf(whole, sizeof(whole), "%s%s", DiagProgramName(), DiagProgramVersion());
  CharUpperA(whole);
  size_t n = 0;
  for (const char* p = whole; *p && n + 1 < size && n < 127; p++)
    if (*p != '.') out[n++] = *p;
  if (size > 0) out[n] = '\0';
}

bool Exists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

// The part of a path after its last backslash.
const char* NameOf(const char* path) {
  const char* name = strrchr(path, '\\');
  return name ? name + 1 : path;
}

// "<folder>\Norba.CrashInfo.<program>.<user>.<kind>[_n].dmp", the first try whose dump and .gz are free.
DUMPNAME DumpFileName(const char* folder, const char* kind) {
  char program[128];
  ProgramPart(program, sizeof(program));
  DUMPNAME name;
  for (int attempt = 1; attempt <= 99; attempt++) {
    char number[8] = "";
    if (attempt > 1) snprintf(number, sizeof(number), "_%d", attempt);
    snprintf(name.Text, sizeof(name.Text), "%s\\Norba.CrashInfo.%s.%s.%s%s.dmp", folder, program, Crash().UserPart,
             kind, number);
    char packed[MAX_PATH + 4];
    snprintf(packed, sizeof(packed), "%s.gz", name.Text);
    if (!Exists(name.Text) && !Exists(packed)) break;
  }
  return name;
}

bool WriteMiniDump(const char* name, DWORD type, EXCEPTION_POINTERS* exception) {
  HANDLE file =
      CreateFileA(name, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), exception, FALSE};
  Crash().WriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, static_cast<MINIDUMP_TYPE>(type),
                    exception ? &info : nullptr, nullptr, nullptr);
  CloseHandle(file);
  return true;
}

// Compresses the dump into `packed` in 4096-byte pieces; true when a non-empty dump was written whole.
bool CompressDump(const char* name, const char* packed) {
  FILE* in = fopen(name, "rb");
  if (!in) return false;
  gzFile out = gzopen(packed, "wb");
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

bool AskToSend(const char* program, const char* name, const char* folder) {
  const char* format =
      DiagGerman()
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
  snprintf(text, sizeof(text), format, program, name, folder);
  char caption[160];
  snprintf(caption, sizeof(caption), "%s Crash", DiagProgramName());
  return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONERROR) == IDYES;
}

// The upload page for the file `upload`, opened in the browser.
void OpenUploadPage(const char* upload) {
  char page[MAX_PATH + 128];
  snprintf(page, sizeof(page), "%s?filename=%s%s", kCrashReportPage, NameOf(upload), DiagGerman() ? "&html=htm" : "");
  char directory[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof(directory), directory);
  HINSTANCE rc = ShellExecuteA(nullptr, "open", page, nullptr, n > 0 && n < sizeof(directory) ? directory : nullptr,
                               SW_SHOWNORMAL);
  logit("OSYS::ShellOpen %s returned %d\n", page, static_cast<int>(reinterpret_cast<INT_PTR>(rc)));
}

// Writes the dump and, when the user agrees (or a trace is running), packs it and offers its upload.
void WriteDump(CRASHSTATE& crash, EXCEPTION_POINTERS* exception) {
  const DUMPKIND& kind = kDumpKinds[crash.Level % 5];
  free(crash.Reserve);
  crash.Reserve = nullptr;
  bool offerupload = crash.DumpFolder[0] != '\0';
  char folder[MAX_PATH + 1];
  if (offerupload) {
    snprintf(folder, sizeof(folder), "%s", crash.DumpFolder);
  } else {
    DiagOwnFileName(folder, sizeof(folder));
    char* cut = strrchr(folder, '\\');
    if (cut) *cut = '\0';
  }
  DUMPNAME name = DumpFileName(folder, kind.Name);
  char program[128];
  ProgramPart(program, sizeof(program));
  if (!WriteMiniDump(name.Text, kind.Type, exception) || !(LogitIsOn() || AskToSend(program, NameOf(name.Text), folder)))
    return;
  // The page names the file there is to upload: the compressed one once the dump is packed.
  DUMPNAME packed;
  snprintf(packed.Text, sizeof(packed.Text), "%s.gz", name.Text);
  const char* upload = name.Text;
  if (CompressDump(name.Text, packed.Text)) {
    DeleteFileA(name.Text);
    logit("NORBAAPP::WriteDumpToFileHandler dump file written (%s)\n", name.Text);
    upload = packed.Text;
  }
  if (offerupload) OpenUploadPage(upload);
}

LONG WINAPI WriteDumpToFileHandler(EXCEPTION_POINTERS* exception) {
  CRASHSTATE& crash = Crash();
  logit("NORBAAPP::WriteDumpToFileHandler entered\n");
  if (!crash.WriteDump) {
    logit("NORBAAPP::WriteDumpToFileHandler failed to load dll or proc address (%p/%p)\n",
          static_cast<void*>(crash.DbgHelp), reinterpret_cast<void*>(crash.WriteDump));
  } else {
    WriteDump(crash, exception);
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
  char user[257];
  DiagUserName(user, sizeof(user));
  for (char* p = user; *p; p++)
    if (*p == ' ') *p = '_';
  snprintf(crash.UserPart, sizeof(crash.UserPart), "%.96s", user);
  char desktop[MAX_PATH + 1];
  if (DiagShellFolder(CSIDL_DESKTOPDIRECTORY, desktop, sizeof(desktop))) {
    size_t len = strlen(desktop);
    while (len > 0 && desktop[len - 1] == '\\') desktop[--len] = '\0';
    snprintf(crash.DumpFolder, sizeof(crash.DumpFolder), "%s", desktop);
  }
}

}  // namespace

void EnableCrashDump(int level) {
  CRASHSTATE& crash = Crash();
  if (crash.Available < 0) crash.Available = CheckAvailable() ? 1 : 0;
  if (level > crash.Level) crash.Level = level;
  if (crash.Level == 0 || !crash.Available) return;
  if (!crash.WriteDump) crash.WriteDump = LoadDumpWriter(&crash.DbgHelp);
  PrepareFolders();
  if (!crash.Reserve) crash.Reserve = malloc(4 * 1024 * 1024);
  SetUnhandledExceptionFilter(WriteDumpToFileHandler);
}

int CrashDumpLevel() { return Crash().Level; }

void EndAfterAssert() {
  if (Crash().Level > 0 && Crash().Available) WriteDumpToFileHandler(nullptr);
  ExitProcess(1);
}
