// An environment variable of the test process for one scope: programs started meanwhile (and their
// children) inherit it; its earlier value (or its absence) comes back when the object goes.
#pragma once

#include <windows.h>

#include <string>

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    char earlier[32768];
    DWORD n = GetEnvironmentVariableA(name, earlier, sizeof(earlier));
    had_ = n > 0 && n < sizeof(earlier);
    if (had_) earlier_.assign(earlier, n);
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_, had_ ? earlier_.c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::string earlier_;
  bool had_ = false;
};
