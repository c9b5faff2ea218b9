// File streams: opening with sharing by mode, closing with the owner, file size and error text.
#include "base/stream.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <share.h>

STREAM::STREAM(const char* filename, const char* mode)
    : File(filename && mode ? _fsopen(filename, mode, strpbrk(mode, "wa+") ? _SH_DENYRW : _SH_DENYWR) : nullptr) {}

bool STREAM::Close() {
  bool ok = !File || fclose(File) == 0;
  File = nullptr;
  return ok;
}

STRING LastErrorText() {
  char text[257];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
                           text, sizeof(text), nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n')) n--;
  return n > 0 ? STRING(text, static_cast<int>(n), 0) : STRING("<no error>", 1252);
}

int FileSize(const char* filename) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!filename || !GetFileAttributesExA(filename, GetFileExInfoStandard, &data)) return -1;
  if (data.nFileSizeHigh != 0 || data.nFileSizeLow > static_cast<DWORD>(INT_MAX)) return -1;
  return static_cast<int>(data.nFileSizeLow);
}
