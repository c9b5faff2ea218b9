// NORBAAPP on Win32: the start-up sequence, acquiring the arguments, the program-root rule, DPI
// awareness, the diagnostic hot keys and the sign-off. The language library lives in language.cpp.
#include "app/norba_win32.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/frame_state.h"
#include "diag/logit.h"
#include "diag/hotkeys.h"
#include "diag/norbaassert.h"
#include "base/dllinterface.h"
#include "base/filename.h"
#include "base/osys.h"
#include "base/unicode.h"

static const char kAssertUnit[] = "norba_win32";

DWORD gMainThreadId = 0;

FRAMESTATE& Frame() {
  static FRAMESTATE state;
  return state;
}

const STRING& NORBAAPP::GetStartDirectory() { return Frame().StartDirectory; }
void NORBAAPP::SetStartDirectory(const STRING& directory) { Frame().StartDirectory = directory; }
const STRING& NORBAAPP::GetProgramDirectory() { return Frame().ProgramDirectory; }
const STRING& NORBAAPP::GetAppName() { return Frame().AppName; }
const STRING& NORBAAPP::GetAppVersion() { return Frame().AppVersion; }
const STRING& NORBAAPP::GetWholeCommandLine() { return Frame().CommandLine; }
HINSTANCE NORBAAPP::GetInstance() { return Frame().Instance; }
HINSTANCE NORBAAPP::GetResourceModule() {
  return OSYS::GetLanguageModule();
}

STRING FolderOfFile(const STRING& path) {
  FILENAME file;
  file = path;
  return file.GetPath();
}

STRING DirectoryOf(const STRING& path) {
  int cut = path.Length();
  while (cut > 0 && path[cut - 1] != '\\' && path[cut - 1] != '/') cut--;
  if (cut > 0) cut--;
  return path.Left(cut);
}


static bool EndsWithNoCase(const STRING& text, const char* tail) {
  int n = static_cast<int>(strlen(tail));
  return text.Length() >= n && text.Right(n) == tail;
}

STRING NORBAAPP::GetAppRoot(const STRING& directory) {
  bool insource =
      FILENAME::Join(directory, "..\\main.cpp").IsFile() || FILENAME::Join(directory, "..\\approot.cpp").IsFile();
  if (!insource) return directory;
  // The folder above: "D:\" for "D:\Release".
  bool release = EndsWithNoCase(directory, "\\Release") || EndsWithNoCase(directory, "\\Release2");
  return release ? FolderOfFile(directory) : directory;
}

// A library planted beside the program must never stand in for a system library.
static void RestrictLibrarySearch() {
  typedef BOOL(WINAPI * SETDEFAULTDLLDIRECTORIES)(DWORD);
  auto setdirs = LookupSystemProc<SETDEFAULTDLLDIRECTORIES>("kernel32.dll", "SetDefaultDllDirectories");
  if (setdirs) setdirs(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

static void RequestLowFragmentationHeap() {
  if (IsDebuggerPresent()) {
    logit("Not using LowFragmentation Heap in debugger\n");
    return;
  }
  ULONG lfh = 2;
  HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lfh, sizeof(lfh));
}

static void InitDpiAwareness() {
  if (OSYS::GetWindowsVersion() >= 8) {
    typedef HRESULT(WINAPI * SETPROCESSDPIAWARENESS)(int);
    typedef HRESULT(WINAPI * GETPROCESSDPIAWARENESS)(HANDLE, int*);
    DLLINTERFACE shcore("Shcore.dll");
    auto setawareness = shcore.GetFunction<SETPROCESSDPIAWARENESS>("SetProcessDpiAwareness");
    auto getawareness = shcore.GetFunction<GETPROCESSDPIAWARENESS>("GetProcessDpiAwareness");
    if (setawareness) {
      HRESULT rc = setawareness(1);
      logit("NORBAAPP::InitDpiAwareness SetProcessDPIAwareness(Process_Per_Monitor_DPI_Aware) returned %08x\n",
            static_cast<unsigned>(rc));
    }
    int level = -1;
    if (getawareness) {
      HRESULT rc = getawareness(GetCurrentProcess(), &level);
      logit("NORBAAPP::InitDpiAwareness GetProcessDPIAwareness returned %08x/%d\n", static_cast<unsigned>(rc),
            level);
    }
    if (level == 1) return;
  }
  typedef BOOL(WINAPI * SETPROCESSDPIAWARE)();
  auto setaware = LookupSystemProc<SETPROCESSDPIAWARE>("user32.dll", "SetProcessDPIAware");
  if (setaware) logit("NORBAAPP::InitDpiAwareness SetProcessDPIAware() returned %d\n", setaware());
}


// The commandline.ini files that exist, each once, in the order of their precedence. The folders are
// normalised (FILENAME), so that one folder as program and start folder ("D:\\") gives its files once.
static STRINGARRAY ArgumentFiles(const STRING& selfpath, const STRING& programdir, const STRING& startdir) {
  STRING trimmed = selfpath;
  trimmed.Trim('R', "/.");
  bool withbase = EndsWithNoCase(trimmed, ".exe") || EndsWithNoCase(trimmed, ".app");
  STRING filename = FILENAME(selfpath).GetName();
  STRING basename = filename.Left(filename.Length() - 4);
  STRINGARRAY candidates;
  for (const STRING* dir : {&programdir, &startdir}) {
    candidates.Add(FILENAME::Join(*dir, "commandline.ini"));
    if (withbase) candidates.Add(FILENAME::Join(*dir, basename + "_commandline.ini"));
  }
  STRINGARRAY files;
  for (int i = 0; i < candidates.Count(); i++) {
    bool listed = false;
    for (int j = 0; j < files.Count() && !listed; j++) listed = files[j] == candidates[i];
    if (!listed && FILENAME(candidates[i]).IsFile()) files.Add(candidates[i]);
  }
  return files;
}

static void AppendArgumentFile(const STRING& file, bool isservice) {
  STRINGARRAY lines;
  lines.Load(file.c_str(), false);
  for (int i = 0; i < lines.Count(); i++) {
    STRING line = lines[i];
    if (line.Length() == 0) continue;
    line.Trim('B', " \t\r");
    if (!isservice) LogitOption(line.c_str());
    ProgramArguments().Add(line);
  }
  logit("NORBAAPP processing of %s done\n", file.c_str());
}

void NORBAAPP::AcquireArguments(const STRINGARRAY& raw, int fallbacklanguage) {
  FRAMESTATE& state = Frame();
  srand(GetCurrentProcessId());
  gMainThreadId = GetCurrentThreadId();
  FILENAME start;
  start = OSYS::GetCurrentDirectory();
  state.StartDirectory = start;
  STRING selfpath = raw.Count() > 0 ? raw[0] : OSYS::GetOwnFileName();
  state.ProgramDirectory = GetAppRoot(FolderOfFile(selfpath));
  OSYS::SetCurrentDirectory(state.ProgramDirectory.c_str());

  STRING filename = FILENAME(selfpath).GetName();
  bool isservice = filename == "service.exe";
  int dot = filename.Pos(".");
  state.AppName = dot >= 0 ? filename.Left(dot) : filename;
  DiagSetProgram(state.AppName.GetBuffer(), state.AppVersion.GetBuffer());

  STRINGARRAY files = ArgumentFiles(selfpath, state.ProgramDirectory, state.StartDirectory);
  ProgramArguments().Clear();
  for (int i = 0; i < raw.Count(); i++) {
    LogitOption(raw[i].c_str());
    ProgramArguments().Add(raw[i]);
  }
  SetCommandLineArgumentCount(raw.Count());
  for (int i = 0; i < files.Count(); i++) AppendArgumentFile(files[i], isservice);

  logit("NORBAAPP arguments acquired\n");
  for (int i = 0; i < ProgramArguments().Count(); i++)
    logit("NORBAAPP program argument %d= '%s'\n", i, ProgramArguments()[i].c_str());

  if (TestArgValue("STARTUPDELAY", 0)) {
    logit("NORBAAPP sleeping for startupdelay\n");
    int seconds = GetArgValue("STARTUPDELAY", 0).atoi();
    if (seconds > 0) Sleep(static_cast<DWORD>(seconds) * 1000);
  }
  gLocale = ChooseLanguage(GetArgValue("LANG", 0), fallbacklanguage);
  LCID threadlocale = GetThreadLocale();
  logit("NORBAAPP gLocale= %d, locale= %x/%x/%x, primarylang= %x\n", gLocale, static_cast<unsigned>(threadlocale),
        static_cast<unsigned>(GetUserDefaultLCID()), static_cast<unsigned>(GetSystemDefaultLCID()),
        static_cast<unsigned>(threadlocale & 0x3ff));
}

void NORBAAPP::ProcessHotKeys(UINT message, WPARAM wparam, LPARAM lparam) { DiagProcessHotKeys(message, wparam, lparam); }

void NORBAAPP::SignOff(int exitcode) {
  logit("\n");
  logit("Welcome back %s, you have safely returned to NORBAAPP with exit code %d\n", Frame().AppName.c_str(),
        exitcode);
  logit("Taxi to your hangar and have a pleasant stay.\n");
  logit("Over and out.\n");
  LogitOption("/LOGITCLOSE");
  StringPoolRelease();
  UNICODE::Shutdown();
}

// Calls the main function with a fresh, null-terminated array pointing into the argument list.
static int RunAppMain(APPMAINPROC appmain) {
  STRINGARRAY& args = ProgramArguments();
  std::vector<char*> argv;
  for (int i = 0; i < args.Count(); i++) argv.push_back(const_cast<char*>(args[i].c_str()));
  argv.push_back(nullptr);
  return appmain(args.Count(), argv.data(), _environ);
}

// Log targets follow the file-name rules like every other path (placeholders, pseudo names).
static bool ResolveDiagnosticsPath(const char* folder, const char* name, char* out, size_t size) {
  FILENAME path(folder, name);
  int n = snprintf(out, size, "%s", path.c_str());
  return n >= 0 && static_cast<size_t>(n) < size;
}

int NORBAAPP::Start(HINSTANCE instance, APPMAINPROC appmain) {
  RestrictLibrarySearch();
  DiagSetPathResolver(ResolveDiagnosticsPath);
  FRAMESTATE& state = Frame();
  state.Instance = instance;
  OSYS::SetLanguageModule(instance);
  if (!appmain) {
    Assert(0, "pfnAppMain", kAssertUnit, 146);
    return 0;
  }
  STRINGARRAY raw;
  SplitCommandLine(GetCommandLineA(), OSYS::GetOwnFileName().c_str(), raw, state.CommandLine);

  RequestLowFragmentationHeap();
  EnableCrashDump(0);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 2047};
  InitCommonControlsEx(&controls);
  InitDpiAwareness();
  SetEnvironmentVariableA("TZ", nullptr);
  _putenv("TZ=");
  OSYS::StartMilliClock();
  logit("NORBAAPP instance= %p gMainThreadId= %08x\n", static_cast<void*>(instance),
        static_cast<unsigned>(GetCurrentThreadId()));
  AcquireArguments(raw, GetUserDefaultUILanguage() & 0x3ff);

  int result = RunAppMain(appmain);

  SignOff(result);
  FreeLanguageLibrary();
  return result;
}
