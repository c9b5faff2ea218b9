// Assertion reports: a condition that a correct program keeps turned out false. The report goes to the
// trace log and to an assertion log file, and the user is asked whether to go on; the caller then
// continues with its fallback.
#include "diag/norbaassert.h"

#include <windows.h>

#include <cstdio>

#include "diag/logit.h"
#include "app/norba_win32.h"
#include "base/filename.h"
#include "base/osys.h"

static ASSERTOBSERVER gAssertObserver = nullptr;

void AssertSetObserver(ASSERTOBSERVER observer) { gAssertObserver = observer; }

namespace {

// Name and version are set during start-up (the version with the language library); until then they
// read as empty rather than as "<NULL>".
const char* TextOrEmpty(const STRING& text) { return text.IsNotEmpty() ? text.c_str() : ""; }

STRING ReportTitle() {
  STRING title;
  title.Format("Norba %s (%s)", TextOrEmpty(NORBAAPP::GetAppName()), TextOrEmpty(NORBAAPP::GetAppVersion()));
  return title;
}

const char* PlaceOf(const char* sourcefile) {
  const char* place = sourcefile;
  for (const char* p = sourcefile; *p; p++)
    if (*p == ':' || *p == '/' || *p == '\\') place = p + 1;
  return place;
}

STRING FormatReport(const char* condition, const char* sourcefile, int line, const char* info, DWORD error) {
  STRING errortext = error ? OSYS::GetLastErrorString(static_cast<int>(error)) : STRING("", 1252);
  const char* format = NORBAAPP::IsGerman()
                           ? "    Bedingung: %s\n    Datei: %s Zeile %d\n    Code : %dL (%s)\n    Info : %s\n"
                           : "    Condition: %s\n    Location : %s line %d\n    Last Err.: %dL (%s)\n    Add. Info: %s\n";
  char report[2048];
  snprintf(report, sizeof(report), format, condition, PlaceOf(sourcefile), line, static_cast<int>(error),
           errortext.c_str(), info ? info : "<null>");
  return STRING(report, 1252);
}

// "Norba_" + the upper-cased program name + "_Assert.log" in the documents folder.
STRING FallbackAssertLog() {
  STRING program = NORBAAPP::GetAppName();
  program.ToUpper();
  return FILENAME(OSYS::GetSystemPath(14).c_str(), (STRING("Norba_", 1252) + program + "_Assert.log").c_str());
}

// Appends the entry to the file `name`; false when it cannot be opened for appending.
bool AppendEntry(const STRING& name, const STRING& title, const STRING& report) {
  FILE* file = fopen(name.c_str(), "a");
  if (!file) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  fprintf(file, "--- %s --- %04d-%02d-%02d %02d:%02d:%02d ---\n\n", title.c_str(), now.wYear, now.wMonth, now.wDay,
          now.wHour, now.wMinute, now.wSecond);
  fprintf(file, "%s\n\n", report.c_str());
  fclose(file);
  return true;
}

// Appends the entry to assert.log in the current folder, else to the documents folder (looked up only
// then); returns the name of the file written, empty when neither opened.
STRING AppendToAssertLog(const STRING& title, const STRING& report) {
  STRING name("assert.log", 1252);
  if (AppendEntry(name, title, report)) return name;
  name = FallbackAssertLog();
  if (name.IsNotEmpty() && AppendEntry(name, title, report)) return name;
  return STRING("", 1252);
}

bool AskToContinue(const STRING& title, const STRING& logname, const STRING& report) {
  const char* format =
      NORBAAPP::IsGerman()
          ? "Es ist eine unerwartete Situation aufgetreten.\n\nBitte melden Sie die Umstaende des Fehlers und die "
            "folgenden\nInformationen an uns (Datei %s):\n\n%s\nWollen Sie jetzt versuchen mit dem Programm "
            "fortzufahren?"
          : "An unexpected condition has been encountered.\n\nPlease contact us via our web site and provide the "
            "following information (logged in the %s file):\n\n%s\nDo you want to try to continue with the "
            "program?";
  char text[2500];
  snprintf(text, sizeof(text), format, logname.c_str(), report.c_str());
  STRING caption = title + " / " + OSYS::GetTimeString();
  return MessageBoxA(nullptr, text, caption.c_str(), MB_YESNO | MB_ICONERROR) != IDNO;
}

}  // namespace

// Set while the thread writes a report: a report never raises a report. A condition that fails meanwhile
// (a shell folder that cannot be looked up, an over-long trace line) is only traced.
static thread_local bool tReporting = false;

class REPORTING {
 public:
  REPORTING() { tReporting = true; }
  ~REPORTING() { tReporting = false; }
  REPORTING(const REPORTING&) = delete;
  REPORTING& operator=(const REPORTING&) = delete;
};

int Assert(int ok, const char* condition, const char* sourcefile, int line, const char* info, int quiet) {
  if (ok) return 1;
  // The caller's last error, taken before any call of ours can change it.
  DWORD error = GetLastError();
  if (!condition) condition = "<null>";
  if (!sourcefile) sourcefile = "<null>";
  if (tReporting) {
    logit("*** ASSERTION FAILED during a report: %s (%s line %d)\n", condition, PlaceOf(sourcefile), line);
    return 1;
  }
  REPORTING reporting;
  STRING title = ReportTitle();
  STRING report = FormatReport(condition, sourcefile, line, info, error);
  logit("*** ASSERTION FAILED: \n%s\n", report.c_str());
  // Unit tests watch the reports themselves: no log file, no box.
  if (gAssertObserver) {
    gAssertObserver(condition, sourcefile, line, info);
    return 1;
  }
  STRING logname = AppendToAssertLog(title, report);
  if (LogitNoAssert() || quiet) return 1;
  if (AskToContinue(title, logname, report)) return 1;
  EndAfterAssert();
  return 0;
}
