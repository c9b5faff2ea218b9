// The benchmark programs' stopwatch: milliseconds on the system's performance counter since it was
// started, read through OSYS like every other clock of the program.
#pragma once

#include "base/osys.h"

class BENCHCLOCK {
 public:
  BENCHCLOCK() { Start(); }
  void Start() { OSYS::GetHighResCounter(&Begin, nullptr); }
  double Milliseconds() const {
    LONGLONG now = 0;
    LONGLONG frequency = 1;
    OSYS::GetHighResCounter(&now, &frequency);
    return static_cast<double>(now - Begin) * 1000.0 / static_cast<double>(frequency);
  }

 private:
  LONGLONG Begin = 0;
};
