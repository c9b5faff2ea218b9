// The toolkit's windows: texts and states of controls, dialogs created from layouts with one dialog
// procedure for all of them, the modal loop, and the waits that keep the windows answering.
#include "ui/windows_win32.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "base/osys.h"
#include "diag/hotkeys.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "ui/dialoglayout.h"

static const char kAssertUnit[] = "windows_win32";
static const int kCreateFailedLine = 2166;

// ---------------------------------------------------------------------------------------------------
// WINDOW

WINDOW::~WINDOW() {
  if (Owns && IsValid()) DestroyWindow(Handle);
}

STRING WINDOW::GetText() const {
  int length = Handle ? GetWindowTextLengthW(Handle) : 0;
  if (length <= 0) return STRING("", 1252);
  std::vector<wchar_t> wide(static_cast<size_t>(length) + 1);
  int got = GetWindowTextW(Handle, wide.data(), length + 1);
  return STRING(wide.data(), got > 0 ? got : 0, static_cast<int>(GetACP()));
}

void WINDOW::SetText(const STRING& text) {
  if (Handle) SetWindowTextW(Handle, WSTRING(text).c_str());
}

void WINDOW::Show(bool show) {
  if (!Handle) return;
  ShowWindow(Handle, !show ? SW_HIDE : IsIconic(Handle) || IsZoomed(Handle) ? SW_RESTORE : SW_SHOW);
}

void WINDOW::Enable(bool enable) {
  if (Handle) EnableWindow(Handle, enable ? TRUE : FALSE);
}

void WINDOW::SetFocus() {
  if (Handle) ::SetFocus(Handle);
}

void WINDOW::Invalidate() {
  if (Handle) InvalidateRect(Handle, nullptr, TRUE);
}

RECT WINDOW::GetWindowRect() const {
  RECT rect = {};
  if (Handle) ::GetWindowRect(Handle, &rect);
  return rect;
}

void WINDOW::AddStyle(LONG bits) {
  if (Handle) SetWindowLongW(Handle, GWL_STYLE, GetWindowLongW(Handle, GWL_STYLE) | bits);
}

void WINDOW::RemoveStyle(LONG bits) {
  if (Handle) SetWindowLongW(Handle, GWL_STYLE, GetWindowLongW(Handle, GWL_STYLE) & ~bits);
}

int WINDOW::GetCheck() const { return Handle ? static_cast<int>(SendMessageW(Handle, BM_GETCHECK, 0, 0)) : 0; }

void WINDOW::SetCheck(int state) {
  if (Handle) SendMessageW(Handle, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int WINDOW::GetSelection() const {
  return Handle ? static_cast<int>(SendMessageW(Handle, CB_GETCURSEL, 0, 0)) : -1;
}

void WINDOW::SetSelection(int index) {
  if (!Handle) return;
  SendMessageW(Handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  HWND parent = GetParent(Handle);
  int id = GetDlgCtrlID(Handle);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Handle));
}

bool WINDOW::IsClass(const char* name, LONG style1, LONG style2, LONG style3) const {
  char actual[64] = {};
  if (!Handle || !GetClassNameA(Handle, actual, sizeof(actual)) || lstrcmpiA(actual, name) != 0) return false;
  if (style1 < 0) return true;
  LONG type = GetWindowLongW(Handle, GWL_STYLE) & BS_TYPEMASK;
  return type == style1 || type == style2 || type == style3;
}

// ---------------------------------------------------------------------------------------------------
// DIALOG

DIALOG::DIALOG(int layoutid, HWND parent, HINSTANCE module) : WINDOW(nullptr, layoutid, true) {
  if (!module) module = OSYS::GetLanguageModule();
  DIALOGLAYOUT layout(module, layoutid);
  HWND made = layout.IsValid() ? CreateDialogIndirectParamW(module, layout.Get(), parent, DialogProc,
                                                              reinterpret_cast<LPARAM>(this))
                               : nullptr;
  if (!made) {
    char info[32];
    snprintf(info, sizeof(info), "%d", layoutid);
    Assert(0, "this->hWnd", kAssertUnit, kCreateFailedLine, info);
    return;
  }
  Handle = made;
  if (!(GetWindowLongW(Handle, GWL_STYLE) & WS_CHILD)) PlaceOnDesktop(parent);
}

DIALOG::~DIALOG() {
  if (!Handle) return;
  // No message of the destruction reaches the object that is going away.
  SetWindowLongPtrW(Handle, GWLP_USERDATA, 0);
  if (IsWindow(Handle)) DestroyWindow(Handle);
  Handle = nullptr;
}

// Centred over the visible parent, else over the desktop, and moved wholly onto the desktop.
void DIALOG::PlaceOnDesktop(HWND parent) {
  if (parent && IsChild(Handle, parent)) {
    Assert(0, "!is_child", kAssertUnit, __LINE__);
    return;
  }
  RECT desktop, over, own;
  ::GetWindowRect(GetDesktopWindow(), &desktop);
  over = desktop;
  if (parent && IsWindowVisible(parent)) ::GetWindowRect(parent, &over);
  ::GetWindowRect(Handle, &own);
  LONG width = own.right - own.left, height = own.bottom - own.top;
  LONG x = over.left + (over.right - over.left - width) / 2;
  LONG y = over.top + (over.bottom - over.top - height) / 2;
  if (x + width > desktop.right) x = desktop.right - width;
  if (y + height > desktop.bottom) y = desktop.bottom - height;
  if (x < desktop.left) x = desktop.left;
  if (y < desktop.top) y = desktop.top;
  SetWindowPos(Handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DIALOG::EndDialog(INT_PTR result) {
  if (Handle) PostMessageW(Handle, WM_NORBA_ENDDIALOG, static_cast<WPARAM>(result), 0);
}

bool DIALOG::PreTranslate(MSG&) { return false; }

INT_PTR DIALOG::RunModal() {
  MSG message;
  while (Handle && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (PreTranslate(message)) continue;
    // Ctrl+Tab belongs to the dialog, whichever control has the focus.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0)
      message.hwnd = Handle;
    bool end = message.message == WM_NORBA_ENDDIALOG && message.hwnd == Handle;
    if (!end && IsDialogMessageW(Handle, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    if (end) return static_cast<INT_PTR>(message.wParam);
  }
  // WM_QUIT belongs to whoever runs the outer loop.
  if (Handle) PostQuitMessage(static_cast<int>(message.wParam));
  return 0;
}

INT_PTR DIALOG::HandleMessage(UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) {
    EndDialog(0);
    return TRUE;
  }
  return message == WM_NORBA_ENDDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK DIALOG::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MEASUREITEM) return FALSE;  // the toolkit's layouts draw no items of their own
  if (message == WM_INITDIALOG && lparam) {
    DIALOG* created = reinterpret_cast<DIALOG*>(lparam);
    created->Handle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
    PostMessageW(window, WM_NORBA_INITDIALOG, 0, 0);
    return TRUE;
  }
  DIALOG* self = reinterpret_cast<DIALOG*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return FALSE;
  if (message == WM_NORBA_INITDIALOG) {
    self->OnInitialize();
    return TRUE;
  }
  INT_PTR hooked = self->Hook ? self->Hook(window, message, wparam, lparam) : 0;
  DiagProcessHotKeys(message, wparam, lparam);
  if (message == WM_DESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->Handle = nullptr;
    return FALSE;
  }
  return hooked ? hooked : self->HandleMessage(message, wparam, lparam);
}

HFONT CreatePointFont(HWND window, const char* face, int points, bool bold, bool fixed) {
  HDC dc = GetDC(window);
  int height = -MulDiv(points, dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96, 72);
  if (dc) ReleaseDC(window, dc);
  return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     fixed ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_SWISS, face);
}

HWND MakeProgressBar(HWND dialog, int placeholder) {
  HWND place = GetDlgItem(dialog, placeholder);
  RECT rect = {};
  ::GetWindowRect(place, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  ShowWindow(place, SW_HIDE);
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(placeholder)), GetModuleHandleA(nullptr),
                             nullptr);
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  return bar;
}

// ---------------------------------------------------------------------------------------------------
// Waiting while the windows answer

void WinProcessMessages(int count) {
  MSG message;
  int done = 0;
  while (done < count && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    logit("WINDOW::WinProcessMessages dispatch msg= %04x\n", message.message);
    TranslateMessage(&message);
    DispatchMessageW(&message);
    done++;
  }
  logit("WINDOW::WinProcessMessages done after n=%d messages\n", done);
}

void WinSleep(DWORD ms) {
  logit("WINDOW::Sleep\n");
  unsigned start = OSYS::GetMilliClock();
  while (OSYS::GetMilliClock() - start < ms) {
    Sleep(100);
    WinProcessMessages(42);
  }
  logit("WINDOW::Sleep done\n");
}

DWORD WinWaitForSingleObject(HANDLE handle, DWORD timeout) {
  unsigned start = OSYS::GetMilliClock();
  DWORD rc = WAIT_TIMEOUT;
  for (;;) {
    DWORD waited = OSYS::GetMilliClock() - start;
    DWORD left = timeout == INFINITE ? INFINITE : waited >= timeout ? 0 : timeout - waited;
    rc = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (rc != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      logit("WINDOW::WinWaitForSingleObject dispatch msg= %04x\n", message.message);
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  logit("WINDOW::WinWaitForSingleObject finished\n");
  return rc;
}
