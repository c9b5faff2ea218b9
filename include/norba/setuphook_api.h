/* The setup hook interface of Norba setup.exe, for product teams that write a hook library.
 * Plain C: the two entry points, their events with the arguments each one carries, the wizard's
 * step record, and how to build the library so that setup.exe finds its entry points. */
#ifndef NORBA_SETUPHOOK_API_H
#define NORBA_SETUPHOOK_API_H

#include <windows.h>

/* ------------------------------------------------------------------------------------------------
 * The library
 *
 * setup.exe loads "SETUPHOOK.dll" from its own folder (never from the current folder or the search
 * path) once at start and frees it at the end of the run. setup.exe is a 32-bit program, so the
 * shipped hook library is a 32-bit DLL.
 *
 * It exports, under these exact undecorated names:
 *   SetupHook     required: without it setup.exe reports an assertion and calls no SetupHook event;
 *   NewSetupHook  optional: when it is exported it receives every event below.
 *
 * Once a hook library is loaded, setup.exe no longer chooses a built-in product hook at
 * installation: it chooses one only while NewSetupHook is still its own built-in default, that is
 * when no hook library was loaded. This holds also for a library that does not export NewSetupHook:
 * such a library leaves the installation with no NewSetupHook at all, so no NewSetupHook event
 * reaches anyone and the product's built-in pages are not shown. At removal of "KIV6", "KIV7" or
 * "KIV8" the built-in hook of that generation receives the NewSetupHook events in every case, in
 * place of the library's.
 *
 * Both use the calling convention NORBA_HOOKAPI (__stdcall), whose 32-bit symbol names carry a
 * decoration ("_SetupHook@8", "_NewSetupHook@24"). Export them undecorated with a module-definition
 * file:
 *
 *     LIBRARY SETUPHOOK
 *     EXPORTS
 *       SetupHook
 *       NewSetupHook
 *
 *   MSVC:      link with /DEF:setuphook.def (the linker maps the plain names to the decorated ones).
 *   mingw-w64: put the .def file on the link line and add -Wl,--enable-stdcall-fixup (the same
 *              mapping without a warning per name); -Wl,--kill-at with __declspec(dllexport) works
 *              as well. Check the result with "objdump -p SETUPHOOK.dll".
 *
 * Arguments and results are pointer-sized integers (32 bits in the shipped program). Texts are
 * pointers to zero-terminated single-byte strings in the Windows code page 1252, valid only during
 * the call; copy what you keep.
 *
 * Threads: events 7, 8 (NewSetupHook), 11, 12 and 14 arrive on a worker thread of setup.exe while
 * its main thread runs the wizard; all other events arrive on the main thread. On a worker thread
 * talk to the wizard only through PostMessage or modal message boxes.
 * ---------------------------------------------------------------------------------------------- */

#define NORBA_HOOKAPI __stdcall

#ifdef __cplusplus
extern "C" {
#endif

/* SetupHook(event, value): the answer counts only for NORBA_SH_ADMIN (non-zero: the command was
 * done); answer 1 to everything else. */
typedef INT_PTR(NORBA_HOOKAPI* NORBA_SETUPHOOKPROC)(INT_PTR event, INT_PTR value);

/* NewSetupHook(event, a, window, pagewindow, pagefunction, value): arguments that an event does not
 * use are 0. The answer is not used; answer 1. */
typedef INT_PTR(NORBA_HOOKAPI* NORBA_NEWSETUPHOOKPROC)(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow,
                                                       void* pagefunction, INT_PTR value);

/* Events of SetupHook, with the meaning of value. */
enum NORBA_SETUPHOOK_EVENT {
  NORBA_SH_INSTALL_BEGIN = 1,   /* installation, just before NewSetupHook event 0; value 0 */
  NORBA_SH_INSTALL_END = 2,     /* installation, the wizard finished (not cancelled); value: target folder (text) */
  NORBA_SH_REMOVE_BEGIN = 3,    /* removal, the uninstall record was read; value: install folder (text) */
  NORBA_SH_REMOVE_END = 4,      /* removal finished; value 0 */
  NORBA_SH_RECORD_WRITTEN = 8,  /* installation, the uninstall record was written; value: target folder (text) */
  NORBA_SH_ADMIN = 256          /* admin command /ADMIN:word; value: the word (text); answer non-zero when done */
};

/* Events of NewSetupHook. "a", "window", "page window", "page function" and "value" name the
 * arguments each event fills; the others are 0. */
enum NORBA_NEWSETUPHOOK_EVENT {
  /* Installation, before the wizard is built. value: the step table (NORBA_SETUPSTEP*); the hook may
   * insert its own pages before the step NORBA_STEP_ADV (see the step table below). */
  NORBA_NSH_STEPS = 0,
  /* Installation, after event 0. a: primary language id of the user interface (7 = German);
   * value: the setup configuration (setup.cfg), an object of setup.exe: keep it opaque. */
  NORBA_NSH_CONFIG = 1,
  /* Installation, after the wizard closed. a: wizard result (1 finished, 0 cancelled). */
  NORBA_NSH_WIZARD_CLOSED = 2,
  /* Removal, before the removal wizard runs. window: the removal wizard; value: uninstall key name (text). */
  NORBA_NSH_REMOVE_WIZARD = 3,
  /* Removal, after the removal wizard closed. */
  NORBA_NSH_REMOVE_WIZARD_CLOSED = 4,
  /* Every wizard page, before it runs. a: step id; window: wizard; page window: the page;
   * page function: the page's function (opaque); value: user value of the step record. */
  NORBA_NSH_PAGE_BEFORE = 5,
  /* Every wizard page, after it ran. a: step id; window, page window, page function as event 5;
   * value: page result (NORBA_PAGE_NEXT, NORBA_PAGE_BACK, NORBA_PAGE_CANCEL, ...). */
  NORBA_NSH_PAGE_AFTER = 6,
  /* Installation copy starts (worker thread). window: wizard; page window: the progress bar;
   * value: installation type (0 new, 1 same version again, 2 update). */
  NORBA_NSH_COPY_BEGIN = 7,
  /* Installation, the uninstall record was written (worker thread). window: wizard; page window:
   * the progress bar. */
  NORBA_NSH_RECORD_WRITTEN = 8,
  /* Installation, shortcuts. value: the start-menu folder as a NORBA_HOOKSTRING*. */
  NORBA_NSH_SHORTCUTS = 9,
  /* Installation, the desktop links were recorded in the uninstall record. value: the product's
   * uninstall key name (setup.cfg value IniKey, text). */
  NORBA_NSH_LINKS_RECORDED = 10,
  /* Removal starts (worker thread). window: wizard; page window: the progress bar; value: removal
   * mode (1 = complete removal, with the user's data). */
  NORBA_NSH_REMOVAL_BEGIN = 11,
  /* Removal finished (worker thread). window: wizard; page window: the progress bar; value 0. */
  NORBA_NSH_REMOVAL_END = 12,
  /* Installation end, after the closing message. a: wizard result (1 finished). */
  NORBA_NSH_INSTALL_END = 13,
  /* Removal, the uninstall record was read (worker thread). window: wizard; page window: the
   * progress bar; value: install folder (text). */
  NORBA_NSH_REMOVAL_RECORD = 14
};

/* A text object of setup.exe (event 9). Only its first field is published: the zero-terminated
 * text, or NULL while the text is empty. Read it; never write or free it. */
typedef struct NORBA_HOOKSTRING {
  const char* text;
} NORBA_HOOKSTRING;

/* ------------------------------------------------------------------------------------------------
 * The step table (event 0)
 *
 * An array of step records. The table's steps end at the first record whose idstep is 0; free
 * records (all fields 0) follow, and the table ends with a closing record (NORBA_STEP_CLOSE) that
 * marks the end of its storage: never write at or beyond it. The wizard walks the steps up to
 * NORBA_STEP_FINISH, the last one.
 *
 * To add pages, move the records from NORBA_STEP_ADV up to the last step towards the end by the
 * number of pages, and fill the records that became free; keep at least one free record before
 * the closing record. Page functions belong to setup.exe: a hook library reuses the ones it finds
 * in a table and cannot supply its own.
 * ---------------------------------------------------------------------------------------------- */

typedef struct NORBA_SETUPSTEP {
  INT32 idstep;       /* step id; 0 marks a free record */
  INT32 idtitle;      /* user-interface text id of the header title */
  INT32 idsubtitle;   /* user-interface text id of the header subtitle */
  INT32 idlayout;     /* dialog layout id of the page (also the page id of recorded answers) */
  HMODULE module;     /* module holding the layout; NULL: setup.exe's language library */
  void* pagefunction; /* the page's function in setup.exe (opaque) */
  INT_PTR uservalue;  /* handed to NewSetupHook event 5 as value */
} NORBA_SETUPSTEP;

/* Step ids. */
enum NORBA_STEP_ID {
  NORBA_STEP_FREE = 0,
  NORBA_STEP_WELCOME = 1,
  NORBA_STEP_LICENSE = 2,
  NORBA_STEP_DIRECTORY = 3,
  NORBA_STEP_COPY = 4,
  NORBA_STEP_SHORTCUTS = 5,
  NORBA_STEP_ADV = 6,             /* product pages go before this step */
  NORBA_STEP_FINISH = 7,          /* the last step of a table */
  NORBA_STEP_CLOSE = 9,           /* the closing record: the end of the table's storage */
  NORBA_STEP_REMOVE_CONFIRM = 12, /* removal wizard: confirmation page */
  NORBA_STEP_DATAFOLDER = 15,     /* product page: the user's data folder */
  NORBA_STEP_USAGETYPE = 16       /* product page: usage type */
};

/* Page results (event 6 value): the button that ended the page. */
enum NORBA_PAGE_RESULT {
  NORBA_PAGE_SKIP = -1,  /* the page was passed over in the direction of the previous page */
  NORBA_PAGE_CANCEL = 0, /* Cancel, or the closing button of the last page */
  NORBA_PAGE_BACK = 148,
  NORBA_PAGE_NEXT = 149
};

/* The entry points a hook library defines. (setup.exe itself holds pointers of these names and
 * defines NORBA_SETUPHOOK_HOST before including this header.) */
#ifndef NORBA_SETUPHOOK_HOST
INT_PTR NORBA_HOOKAPI SetupHook(INT_PTR event, INT_PTR value);
INT_PTR NORBA_HOOKAPI NewSetupHook(INT_PTR event, INT_PTR a, HWND window, HWND pagewindow, void* pagefunction,
                                   INT_PTR value);
#endif

#ifdef __cplusplus
}
#endif

#endif /* NORBA_SETUPHOOK_API_H */
