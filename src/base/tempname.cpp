// Temporary names: a process-wide 64-bit value, advanced by the time and the process id, spelled in the
// 62 letters and digits; each failed try moves it on by 1234.
#include "base/tempname.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "base/filename.h"

static const char kTempAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
static const int kTempLetters = 6;
static const int kTempTries = 62 * 62;
static const unsigned long long kTempStep = 1234;

static std::atomic<unsigned long long> gTempValue{0};

static unsigned long long TimeAndProcessMix() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  unsigned long long time = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return time ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 16);
}

static bool PathIsFree(const STRING& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

bool FillTempTemplate(STRING& path) {
  int len = path.Length();
  int run = 0;
  while (run < len && path[len - 1 - run] == 'X') run++;
  if (run < kTempLetters) return false;
  unsigned long long mix = TimeAndProcessMix();
  unsigned long long value = gTempValue.fetch_add(mix) + mix;
  STRING candidate = path;
  for (int attempt = 0; attempt < kTempTries; attempt++, value += kTempStep) {
    unsigned long long rest = value;
    for (int i = len - kTempLetters; i < len; i++, rest /= 62) candidate[i] = kTempAlphabet[rest % 62];
    if (PathIsFree(candidate)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

// The value of an environment variable of any length; empty when it is not set.
static STRING EnvironmentValue(const char* name) {
  DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return STRING();
  std::vector<char> buffer(size);
  DWORD n = GetEnvironmentVariableA(name, buffer.data(), size);
  return n > 0 && n < size ? STRING(buffer.data(), static_cast<int>(n), 0) : STRING();
}

static STRING TempFolder() {
  STRING folder = EnvironmentValue("TEMP");
  if (folder.IsEmpty()) folder = EnvironmentValue("TMP");
  if (folder.IsNotEmpty()) return folder;
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof(buffer), buffer);
  return n > 0 && n < sizeof(buffer) ? STRING(buffer, static_cast<int>(n), 0) : STRING();
}

bool MakeTempFileName(STRING& path) {
  STRING folder = TempFolder();
  if (folder.IsEmpty()) return false;
  STRING candidate = FILENAME::Join(folder, "Z-XXXXXX");
  if (!FillTempTemplate(candidate)) return false;
  path = candidate;
  return true;
}
