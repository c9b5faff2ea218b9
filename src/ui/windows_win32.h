// The window classes of the dialog toolkit: BASEWINDOW and WINDOW around a window handle, CONTROL for one
// control of a dialog, DIALOG made from a layout of the language library with its modal loop, and the
// routines that keep messages flowing while the program waits.
#pragma once

#include <windows.h>

#include "base/strings.h"

// Ends a toolkit dialog: posted with the result as first parameter; the loop that dispatches it ends.
#define WM_NORBA_ENDDIALOG (WM_USER + 241)
// Posted from WM_INITDIALOG: the object initialises once the window is complete.
#define WM_NORBA_INITDIALOG (WM_USER + 257)

class BASEWINDOW {
 public:
  explicit BASEWINDOW(HWND window = nullptr, int id = 0) : Handle(window), Id(id) {}
  virtual ~BASEWINDOW() = default;
  BASEWINDOW(const BASEWINDOW&) = delete;
  BASEWINDOW& operator=(const BASEWINDOW&) = delete;

  HWND GetHandle() const { return Handle; }
  // The control id, or the layout id of a dialog.
  int GetId() const { return Id; }
  bool IsValid() const { return Handle != nullptr && IsWindow(Handle); }

 protected:
  HWND Handle;
  int Id;
};

class WINDOW : public BASEWINDOW {
 public:
  // `owns`: the window is destroyed with the object.
  explicit WINDOW(HWND window = nullptr, int id = 0, bool owns = false) : BASEWINDOW(window, id), Owns(owns) {}
  ~WINDOW() override;

  // The text through UTF-16: read in the system code page, written from the text's own code page.
  STRING GetText() const;
  void SetText(const STRING& text);
  // Showing restores a minimised or maximised window to its previous state.
  void Show(bool show);
  void Enable(bool enable);
  void SetFocus();
  void Invalidate();
  RECT GetWindowRect() const;
  void AddStyle(LONG bits);
  void RemoveStyle(LONG bits);
  int GetCheck() const;
  void SetCheck(int state);
  // The selected entry of a drop-down list; -1 for none.
  int GetSelection() const;
  // Selects an entry and tells the parent as if the user had chosen it (CBN_SELCHANGE).
  void SetSelection(int index);
  // Whether the window is of class `name` and, for a button, has one of the admitted styles (0: any).
  bool IsClass(const char* name, LONG style1 = -1, LONG style2 = -1, LONG style3 = -1) const;

 protected:
  bool Owns;
};

// One control of a dialog, not owned: made from the dialog and the control id, or from a window (id -1).
class CONTROL : public WINDOW {
 public:
  CONTROL(HWND parent, int id) : WINDOW(parent ? GetDlgItem(parent, id) : nullptr, id) {}
  explicit CONTROL(HWND window) : WINDOW(window, -1) {}
};

// Called with every message of a dialog before its object sees it; a non-zero result ends the handling.
typedef INT_PTR (*DIALOGHOOK)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

class DIALOG : public WINDOW {
 public:
  // Creates the dialog from `layoutid` of `module` (null: the language library) below `parent`.
  // A top-level dialog is centred over its visible parent (or the desktop) and kept on the desktop.
  DIALOG(int layoutid, HWND parent, HINSTANCE module = nullptr);
  ~DIALOG() override;

  // Ends the dialog's loop with `result` (posts WM_NORBA_ENDDIALOG).
  void EndDialog(INT_PTR result);
  // Runs the dialog's own modal loop until it is ended; returns the result.
  INT_PTR RunModal();

  DIALOGHOOK Hook = nullptr;

 protected:
  // The object's share of the messages; FALSE leaves a message to the system's dialog handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Runs once the window is complete (after WM_INITDIALOG has returned).
  virtual void OnInitialize() {}
  // A message before the modal loop looks at it; true when the object took it.
  virtual bool PreTranslate(MSG& message);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void PlaceOnDesktop(HWND parent);
};

// A font of `points` at the window's resolution: bold or normal, fixed-pitch or proportional. The caller
// deletes it (a GDIOBJECT does).
HFONT CreatePointFont(HWND window, const char* face, int points, bool bold, bool fixed);

// A GDI object (font, bitmap, brush) that the holder owns and deletes; null when it could not be made.
template <typename OBJECT>
class GDIOBJECT {
 public:
  explicit GDIOBJECT(OBJECT object) : Object(object) {}
  ~GDIOBJECT() {
    if (Object) DeleteObject(Object);
  }
  GDIOBJECT(const GDIOBJECT&) = delete;
  GDIOBJECT& operator=(const GDIOBJECT&) = delete;
  OBJECT Get() const { return Object; }

 private:
  OBJECT Object;
};

// A progress bar (0 to 100) made in the place of the dialog's placeholder control, whose id it takes; the
// placeholder is hidden.
HWND MakeProgressBar(HWND dialog, int placeholder);

// Processes at most `count` pending messages of the thread without waiting.
void WinProcessMessages(int count);
// Waits `ms` milliseconds in slices of 100 while processing up to 42 messages after each.
void WinSleep(DWORD ms);
// Waits for `handle` (at most `timeout` milliseconds) while dispatching the messages that arrive; the
// WaitForSingleObject result.
DWORD WinWaitForSingleObject(HANDLE handle, DWORD timeout);
