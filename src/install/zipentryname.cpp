// The checks on stored entry names that keep every extracted file and folder inside its destination,
// and the bare name of an entry.
#include "install/zipentryname.h"

#include <cstring>

static bool IsNameSeparator(char c) { return c == '/' || c == '\\'; }

// Names that Windows takes for devices in any folder, with or without an extension.
static bool IsDeviceName(const char* component, int length) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  int base = 0;
  while (base < length && component[base] != '.') base++;
  while (base > 0 && component[base - 1] == ' ') base--;
  STRING stem(component, base, 0);
  for (const char* device : kDevices) {
    if (stem == device) return true;
  }
  bool numbered = base == 4 && component[3] >= '1' && component[3] <= '9';
  return numbered && (stem.Left(3) == "COM" || stem.Left(3) == "LPT");
}

// A component that Windows would reduce to nothing or to a step upwards: empty, or dots and blanks only.
static bool IsEmptyOrDots(const char* component, int length) {
  for (int i = 0; i < length; i++) {
    if (component[i] != '.' && component[i] != ' ') return false;
  }
  return true;
}

static bool HasForbiddenByte(const STRING& name) {
  const char* p = name.GetBuffer();
  for (int i = 0; i < name.Length(); i++) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (c < 0x20 || c == ':') return true;
  }
  return false;
}

bool ZipEntryNameIsSafe(const STRING& name) {
  int length = name.Length();
  if (length == 0 || HasForbiddenByte(name)) return false;
  const char* p = name.GetBuffer();
  int start = 0;
  for (int i = 0; i <= length; i++) {
    if (i < length && !IsNameSeparator(p[i])) continue;
    bool directorymark = i == length && start == length && start > 0;
    if (!directorymark && (IsEmptyOrDots(p + start, i - start) || IsDeviceName(p + start, i - start))) return false;
    start = i + 1;
  }
  return true;
}

const char* ZipEntryBareName(const char* name) {
  const char* bare = name;
  for (const char* p = name; *p; p++) {
    if (IsNameSeparator(*p)) bare = p + 1;
  }
  return bare;
}
