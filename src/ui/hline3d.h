// HLINE3D: the wizard's 3-D separator line, a child window two pixels high that paints its top row in
// the button-shadow colour and its second row in the button-highlight colour.
#pragma once

#include <windows.h>

#include "ui/windows_win32.h"

class HLINE3D : public WINDOW {
 public:
  static constexpr const char* kClassName = "NorbaWinClassHline3D";

  // Made 100 by 2 pixels, hidden, as child `id` of `parent`; owned by the object.
  HLINE3D(HWND parent, int id);

  // Places the line at (x, y) with `width`, two pixels high, and shows it.
  void Place(int x, int y, int width);
};
