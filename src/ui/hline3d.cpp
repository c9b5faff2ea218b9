// The separator line's window class, registered on first use, and its painting.
#include "ui/hline3d.h"

namespace {

LRESULT CALLBACK LineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  RECT shadow = {0, 0, client.right, 1};
  RECT highlight = {0, 1, client.right, 2};
  FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
  FillRect(dc, &highlight, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  EndPaint(window, &paint);
  return 0;
}

void RegisterLineClass() {
  static const bool registered = [] {
    WNDCLASSA lineclass = {};
    lineclass.lpfnWndProc = LineProc;
    lineclass.hInstance = GetModuleHandleA(nullptr);
    lineclass.lpszClassName = HLINE3D::kClassName;
    return RegisterClassA(&lineclass) != 0;
  }();
  (void)registered;
}

}  // namespace

HLINE3D::HLINE3D(HWND parent, int id) : WINDOW(nullptr, id, true) {
  RegisterLineClass();
  Handle = CreateWindowExA(0, kClassName, "", WS_CHILD, 0, 0, 100, 2, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void HLINE3D::Place(int x, int y, int width) {
  if (!Handle) return;
  SetWindowPos(Handle, nullptr, x, y, width, 2, SWP_NOZORDER | SWP_NOACTIVATE);
  Show(true);
}
