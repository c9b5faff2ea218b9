// File streams: opening with sharing by mode, closing with the owner, file size and error text.
#include "base/stream.h"

#include <climits>

#include "base/filename.h"
#include "base/osys.h"

STREAM::STREAM(const char* filename, const char* mode) : File(FILENAME::fsopen(filename, mode)) {}

bool STREAM::Close() {
  bool ok = !File || fclose(File) == 0;
  File = nullptr;
  return ok;
}

STRING LastErrorText() { return OSYS::GetLastErrorString(OSYS_LAST_ERROR); }

int FileSize(const char* filename) {
  FILENAME file;
  file = filename;
  long long size = file.Size();
  return size > INT_MAX ? -1 : static_cast<int>(size);
}
