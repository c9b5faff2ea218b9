// OSYS: the operating-system services the program uses everywhere (resource texts, clocks, ...).
// Each service is a static function; the Windows calls stay behind this class.
#pragma once

#include <windows.h>

#include "base/strings.h"

// Stands for the language library as the module of a resource lookup.
#define OSYS_LANGUAGE_MODULE (reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(-1)))

class OSYS {
 public:
  // The text with that id from the module's string table (at most 1023 characters), converted to the
  // 8-bit code page 1252; "<STRING-ERROR>" when the id is missing.
  static STRING GetStringFromResource(int id, HINSTANCE module = OSYS_LANGUAGE_MODULE);

  // Millisecond clock: started once by the frame, read as milliseconds since then.
  static void StartMilliClock();
  static unsigned GetMilliClock();
};
