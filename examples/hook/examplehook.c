/* An example hook library for Norba setup.exe: it reports every event with its arguments through
 * OutputDebugString (watch them with a debug-output viewer) and answers the printer admin commands.
 * Build it as SETUPHOOK.dll and place it beside setup.exe. */
#include <stdarg.h>
#include <stdio.h>
#include <windows.h>

#include <norba/setuphook_api.h>

static void Report(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof(line), format, args); /* cuts long lines, always terminates */
  va_end(args);
  line[sizeof(line) - 1] = '\0';
  OutputDebugStringA(line);
}

static const char* TextOf(INT_PTR value) { return value ? (const char*)value : ""; }

/* Event 0: where the product pages of a hook would go. */
static void ReportStepTable(const NORBA_SETUPSTEP* steps) {
  int i;
  if (!steps) return;
  for (i = 0; steps[i].idstep != NORBA_STEP_FREE && steps[i].idstep != NORBA_STEP_CLOSE; i++)
    Report("examplehook: step %d id %d layout %d\n", i, (int)steps[i].idstep, (int)steps[i].idlayout);
}

static INT_PTR AdminCommand(const char* word) {
  if (lstrcmpiA(word, "ADDPRINTER") == 0 || lstrcmpiA(word, "REMOVEPRINTER") == 0) {
    Report("examplehook: printer command %s done\n", word);
    return 1; /* setup.exe shows its confirmation */
  }
  Report("examplehook: admin command %s not known\n", word);
  return 0;
}

INT_PTR NORBA_HOOKAPI SetupHook(INT_PTR event, INT_PTR value) {
  switch (event) {
    case NORBA_SH_INSTALL_END:
    case NORBA_SH_RECORD_WRITTEN:
      Report("examplehook: SetupHook %d target folder %s\n", (int)event, TextOf(value));
      return 1;
    case NORBA_SH_REMOVE_BEGIN:
      Report("examplehook: SetupHook %d install folder %s\n", (int)event, TextOf(value));
      return 1;
    case NORBA_SH_ADMIN:
      return AdminCommand(TextOf(value));
    default:
      Report("examplehook: SetupHook %d\n", (int)event);
      return 1;
  }
}

INT_PTR NORBA_HOOKAPI NewSetupHook(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                   INT_PTR value) {
  (void)pagefunction;
  switch (event) {
    case NORBA_NSH_STEPS:
      ReportStepTable((const NORBA_SETUPSTEP*)value);
      break;
    case NORBA_NSH_PAGE_BEFORE:
    case NORBA_NSH_PAGE_AFTER:
      Report("examplehook: page event %d step %d wizard %p page %p value %d\n", (int)event, (int)a, (void*)window,
             (void*)pagewindow, (int)value);
      break;
    case NORBA_NSH_SHORTCUTS: {
      const NORBA_HOOKSTRING* folder = (const NORBA_HOOKSTRING*)value;
      Report("examplehook: start-menu folder %s\n", folder && folder->text ? folder->text : "");
      break;
    }
    case NORBA_NSH_REMOVE_WIZARD:
    case NORBA_NSH_LINKS_RECORDED:
    case NORBA_NSH_REMOVAL_RECORD:
      Report("examplehook: NewSetupHook %d text %s\n", (int)event, TextOf(value));
      break;
    default:
      Report("examplehook: NewSetupHook %d a %d value %d\n", (int)event, (int)a, (int)value);
      break;
  }
  return 1;
}
