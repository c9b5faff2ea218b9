// File streams: opening with sharing by mode, closing with the owner, file size and error text.
#include "base/stream.h"

#include <windows.h>

#include <climits>

#include "base/filename.h"

STREAM::STREAM(const char* filename, const char* mode) : File(FILENAME::fsopen(filename, mode)) {}

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
  FILENAME file;
  file = filename;
  long long size = file.Size();
  return size > INT_MAX ? -1 : static_cast<int>(size);
}
