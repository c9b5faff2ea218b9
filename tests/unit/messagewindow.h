// A message-only window for tests that counts the WM_APP messages it gets (and answers them with 42): it
// shows whether a call that waits keeps the window messages of its thread flowing.
#pragma once

#include <windows.h>

#include "ownedwin32.h"

class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA windowclass = {};
    windowclass.lpfnWndProc = Procedure;
    windowclass.hInstance = GetModuleHandleA(nullptr);
    windowclass.lpszClassName = "NorbaTestCountingWindow";
    RegisterClassA(&windowclass);  // fails harmlessly when an earlier window registered it
    window_.reset(CreateWindowA(windowclass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowclass.hInstance, nullptr));
    if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
  }
  CountingWindow(CountingWindow&&) = delete;  // the window keeps the counter's address

  HWND Get() const { return window_.get(); }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_APP) return DefWindowProcA(window, message, wparam, lparam);
    ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return 42;
  }

  int count_ = 0;
  Window window_;
};
