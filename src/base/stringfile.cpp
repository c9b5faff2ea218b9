// Whole-file input and output of STRING: the buffer is written to or read from one file through the
// program's file streams, and both are traced with the outcome.
#include "base/strings.h"

#include <io.h>

#include <climits>
#include <cstdio>

#include "diag/logit.h"
#include "base/stream.h"

bool STRING::Save(const char* filename, const char* mode) const {
  filename = NullGuard(filename, "BINARY::Save");
  logit("BINARY::Save %s\n", filename ? filename : "<NULL>");
  STREAM stream(filename, mode ? mode : "wb");
  FILE* file = stream.File;
  int written = 0;
  bool ok = false;
  if (file) {
    if (Length() > 0) written = static_cast<int>(fwrite(Buffer, 1, static_cast<size_t>(StrLen), file));
    ok = written == Length() && fflush(file) == 0;
    if (ok) ok = _commit(_fileno(file)) == 0;
    ok = stream.Close() && ok;
  }
  logit("BINARY::Save returns %p, %d bytes, %s\n", static_cast<void*>(file), written,
        ok ? "OK" : LastErrorText().c_str());
  return ok;
}

bool STRING::Load(const char* filename, const char* mode) {
  filename = NullGuard(filename, "BINARY::Load");
  int size = FileSize(filename);
  logit("BINARY::Load %s (%d bytes)\n", filename ? filename : "<NULL>", size);
  STREAM stream(filename, mode ? mode : "rb");
  FILE* file = stream.File;
  bool ok = false;
  if (file) {
    if (size > 0) {
      long long blocksize = (size + 65535LL) / 65536 * 65536;
      if (blocksize <= INT_MAX) BlockSize = static_cast<int>(blocksize);
    }
    ok = Make(0);
    char chunk[32768];
    size_t got = sizeof(chunk);
    while (ok && got == sizeof(chunk)) {
      got = fread(chunk, 1, sizeof(chunk), file);
      int before = Length();
      AppendBytes(chunk, static_cast<long long>(got));
      ok = Length() == before + static_cast<long long>(got);
    }
    ok = ok && !ferror(file);
  }
  logit("BINARY::Load returns %p, %d bytes, %s\n", static_cast<void*>(file), Length(),
        ok ? "OK" : LastErrorText().c_str());
  return ok;
}
