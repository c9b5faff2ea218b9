// The diagnostic hot keys: F5 opens the trace log, F6 opens it with write-through, F7 on a console,
// F8 closes it; a short tune tells which, since nothing else is shown.
#include "diag/hotkeys.h"

#include <commctrl.h>

#include <initializer_list>

#include "diag/logit.h"

static void BeepSequence(std::initializer_list<int> tones) {
  // Pairs of frequency and duration; a frequency of 0 is a pause of that duration.
  const int* tone = tones.begin();
  for (size_t i = 0; i + 1 < tones.size(); i += 2) {
    if (tone[i] == 0) {
      Sleep(static_cast<DWORD>(tone[i + 1]));
      continue;
    }
    if (i > 0 && tone[i - 2] != 0) Sleep(10);
    Beep(static_cast<DWORD>(tone[i]), static_cast<DWORD>(tone[i + 1]));
  }
}

void DiagProcessHotKeys(UINT message, WPARAM wparam, LPARAM lparam) {
  WPARAM key = 0;
  if (message == WM_KEYDOWN) {
    key = wparam;
  } else if (message == WM_NOTIFY && lparam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
    if (static_cast<int>(header->code) == -155) key = reinterpret_cast<const NMLVKEYDOWN*>(lparam)->wVKey;
  }
  if (!key) return;
  bool held = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_MENU) >= 0;
  if (!held) return;
  switch (key) {
    case VK_F5:
      LogitOption("/LOGIT");
      BeepSequence({440, 200, 660, 100, 880, 100});
      break;
    case VK_F6:
      LogitOption("/LOGITHARD");
      BeepSequence({440, 200, 660, 100, 880, 100, 0, 100, 880, 100});
      break;
    case VK_F7:
      LogitOption("/LOGIT:CONSOLE");
      BeepSequence({440, 200, 660, 100, 880, 100, 0, 100, 880, 100, 0, 100, 880, 100});
      break;
    case VK_F8:
      LogitOption("/LOGITCLOSE");
      BeepSequence({880, 100, 660, 100, 440, 100});
      break;
    default:
      break;
  }
}
