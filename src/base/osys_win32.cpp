// OSYS services on Win32: language-library texts and the millisecond clock.
#include "base/osys.h"

#include "app/logit.h"
#include "app/norba_win32.h"


STRING OSYS::GetStringFromResource(int id, HINSTANCE module) {
  if (module == OSYS_LANGUAGE_MODULE) module = NORBAAPP::GetResourceModule();
  // The table holds UTF-16; the program's texts are code page 1252.
  WCHAR wide[1024];
  int len = LoadStringW(module, static_cast<UINT>(id), wide, 1024);
  STRING text = len > 0 ? STRING(wide, len, 1252) : STRING("<STRING-ERROR>", 1252);
  logitlevel(12, "OSYS::GetStringFromResource %d returns %s\n", id, text.c_str());
  return text;
}

static DWORD gMilliClockStart = 0;

void OSYS::StartMilliClock() { gMilliClockStart = GetTickCount(); }

unsigned OSYS::GetMilliClock() { return GetTickCount() - gMilliClockStart; }
