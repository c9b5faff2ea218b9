// A message-only window for tests that counts the WM_APP messages it gets (and answers them with 42): it
// shows whether a call that waits keeps the window messages of its thread flowing.
#pragma once

#include <windows.h>

class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA windowclass = {};
    windowclass.lpfnWndProc = Procedure;
    windowclass.hInstance = GetModuleHandleA(nullptr);
    windowclass.lpszClassName = "NorbaTestCountingWindow";
    RegisterClassA(&windowclass);  // fails harmlessly when an earlier window registered it
    window_ = CreateWindowA(windowclass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowclass.hInstance, nullptr);
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
  }
  ~CountingWindow() {
    if (window_) DestroyWindow(window_);
  }
  CountingWindow(const CountingWindow&) = delete;
  CountingWindow& operator=(const CountingWindow&) = delete;

  HWND Get() const { return window_; }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_APP) return DefWindowProcA(window, message, wparam, lparam);
    ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return 42;
  }

  HWND window_ = nullptr;
  int count_ = 0;
};
