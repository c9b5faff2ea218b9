// Assertion reports: a condition that a correct program keeps turned out false. The report goes to the
// trace log and to an assertion log file, and the user is asked whether to go on; the caller then
// continues with its fallback.
#include "diag/norbaassert.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "diag/diagcontext.h"
#include "diag/logit.h"

static ASSERTOBSERVER gAssertObserver = nullptr;

void AssertSetObserver(ASSERTOBSERVER observer) { gAssertObserver = observer; }

namespace {

// "Norba <name> (<version>)"; name and version are empty until the frame sets them.
void ReportTitle(char* out, size_t size) {
  snprintf(out, size, "Norba %s (%s)", DiagProgramName(), DiagProgramVersion());
}

const char* PlaceOf(const char* sourcefile) {
  const char* place = sourcefile;
  for (const char* p = sourcefile; *p; p++)
    if (*p == ':' || *p == '/' || *p == '\\') place = p + 1;
  return place;
}

void FormatReport(const char* condition, const char* sourcefile, int line, const char* info, DWORD error, char* out,
                  size_t size) {
  char errortext[257] = "";
  if (error) DiagErrorText(error, errortext, sizeof(errortext));
  const char* format = DiagGerman()
                           ? "    Bedingung: %s\n    Datei: %s Zeile %d\n    Code : %dL (%s)\n    Info : %s\n"
                           : "    Condition: %s\n    Location : %s line %d\n    Last Err.: %dL (%s)\n    Add. Info: %s\n";
  snprintf(out, size, format, condition, PlaceOf(sourcefile), line, static_cast<int>(error), errortext,
           info ? info : "<null>");
}

// "Norba_" + the upper-cased program name + "_Assert.log" in the documents folder; false when there is none.
bool FallbackAssertLog(char* out, size_t size) {
  char upper[128];
  snprintf(upper, sizeof(upper), "%s", DiagProgramName());
  CharUpperA(upper);
  char program[160];
  snprintf(program, sizeof(program), "Norba_%s_Assert.log", upper);
  char folder[MAX_PATH + 1];
  return DiagShellFolder(CSIDL_PERSONAL, folder, sizeof(folder)) && DiagJoin(folder, program, out, size);
}

// Appends the entry to the file `name`; false when it cannot be opened for appending.
bool AppendEntry(const char* name, const char* title, const char* report) {
  FILE* file = fopen(name, "a");
  if (!file) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  fprintf(file, "--- %s --- %04d-%02d-%02d %02d:%02d:%02d ---\n\n", title, now.wYear, now.wMonth, now.wDay, now.wHour,
          now.wMinute, now.wSecond);
  fprintf(file, "%s\n\n", report);
  fclose(file);
  return true;
}

// Appends the entry to assert.log in the current folder, else to the documents folder (looked up only
// then); `logname` receives the name of the file written, empty when neither opened.
void AppendToAssertLog(const char* title, const char* report, char* logname, size_t size) {
  snprintf(logname, size, "assert.log");
  if (AppendEntry(logname, title, report)) return;
  if (FallbackAssertLog(logname, size) && AppendEntry(logname, title, report)) return;
  snprintf(logname, size, "%s", "");
}

bool AskToContinue(const char* title, const char* logname, const char* report) {
  const char* format =
      DiagGerman()
          ? "Es ist eine unerwartete Situation aufgetreten.\n\nBitte melden Sie die Umstaende des Fehlers und die "
            "folgenden\nInformationen an uns (Datei %s):\n\n%s\nWollen Sie jetzt versuchen mit dem Programm "
            "fortzufahren?"
          : "An unexpected condition has been encountered.\n\nPlease contact us via our web site and provide the "
            "following information (logged in the %s file):\n\n%s\nDo you want to try to continue with the "
            "program?";
  char text[2500];
  snprintf(text, sizeof(text), format, logname, report);
  char time[64];
  DiagTimeText(time, sizeof(time));
  char caption[256];
  snprintf(caption, sizeof(caption), "%s / %s", title, time);
  return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONERROR) != IDNO;
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
  char title[256];
  ReportTitle(title, sizeof(title));
  char report[2048];
  FormatReport(condition, sourcefile, line, info, error, report, sizeof(report));
  logit("*** ASSERTION FAILED: \n%s\n", report);
  // Unit tests watch the reports themselves: no log file, no box.
  if (gAssertObserver) {
    gAssertObserver(condition, sourcefile, line, info);
    return 1;
  }
  char logname[MAX_PATH + 1];
  AppendToAssertLog(title, report, logname, sizeof(logname));
  if (LogitNoAssert() || quiet) return 1;
  if (AskToContinue(title, logname, report)) return 1;
  EndAfterAssert();
  return 0;
}
