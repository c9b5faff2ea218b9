// Takes the pixels of a window as the screen shows them, for the page pictures of pageshot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct WINDOWPICTURE {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // top row first, three bytes a pixel
};

// The window's client area copied from the screen (the frame and caption belong to the window manager,
// which a bare X display lacks); false when the window is gone or the copy fails.
bool CaptureWindow(HWND window, WINDOWPICTURE* picture);
