// The services of FILENAME on one file or directory: existence and type tests, size and attributes,
// delete, copy and rename, and opening a C stream with a sharing mode (the one way the program opens one).
#include <io.h>
#include <share.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "diag/logit.h"
#include "base/filename.h"
#include "base/stream.h"

static const size_t kCopyPiece = 4096;

bool FILENAME::Exists() const {
  if (IsEmpty()) {
    logit("FILENAME::Exists without name returns FALSE\n");
    return false;
  }
  if (_access(c_str(), 0) == 0) return true;
  logit("FILENAME::Exists '%s' returns %s\n", c_str(), strerror(errno));
  return false;
}

unsigned long FILENAME::GetAttributes() const {
  return IsEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(c_str());
}

bool FILENAME::IsDirectory() const {
  DWORD attributes = GetAttributes();
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FILENAME::IsFile() const { return Exists() && !IsDirectory(); }

bool FILENAME::IsWritable() const {
  if (Exists()) {
    STREAM file(c_str(), "rb+");
    return file.File != nullptr;
  }
  return _access(GetPath().c_str(), 2) == 0;
}

long long FILENAME::Size() const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (IsEmpty() || !GetFileAttributesExA(c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool FILENAME::SetAttributes(unsigned long attributes) const {
  return IsNotEmpty() && SetFileAttributesA(c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

bool FILENAME::SetReadOnly(bool readonly) const {
  DWORD attributes = GetAttributes();
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return SetAttributes(readonly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool FILENAME::Delete() const {
  bool ok = IsNotEmpty() && DeleteFileA(c_str());
  logit("FILENAME::Delete %s returns %d\n", c_str(), ok);
  return ok;
}

bool FILENAME::MakeDir() const {
  bool ok = IsNotEmpty() && CreateDirectoryA(c_str(), nullptr);
  logit("FILENAME::MakeDir %s returns %d\n", c_str(), ok);
  return ok;
}

bool FILENAME::RemoveDir() const {
  bool ok = IsNotEmpty() && RemoveDirectoryA(c_str());
  logit("FILENAME::RemoveDir %s returns %d\n", c_str(), ok);
  return ok;
}

// Copies the rest of `from` to `to`; true when every piece was read and written whole.
static bool CopyStream(FILE* from, FILE* to) {
  char piece[kCopyPiece];
  size_t got;
  while ((got = fread(piece, 1, sizeof(piece), from)) > 0)
    if (fwrite(piece, 1, got, to) != got) return false;
  return !ferror(from);
}

// The target is opened only after the source: the source's sharing mode keeps a target that is the
// same file under another spelling from being emptied. A target that was opened but not filled whole
// is deleted again, so that no cut-off copy stands for the file.
bool FILENAME::CopyTo(PATHTEXT dest, bool overwrite) const {
  FILENAME target;
  target = dest.c_str();
  bool ok = false;
  if (IsFile() && target.IsNotEmpty() && (overwrite || !target.Exists())) {
    STREAM from(c_str(), "rb");
    STREAM to(from.File ? target.c_str() : nullptr, "wb");
    if (to.File) {
      ok = CopyStream(from.File, to.File);
      ok = to.Close() && ok;
      if (!ok) DeleteFileA(target.c_str());
    }
  }
  logit("FILENAME::CopyTo %s -> %s (overwrite= %d) returns %d\n", c_str(), target.c_str(), overwrite, ok);
  return ok;
}

// Replacing moves over the old file in one step, so that a failed rename never loses it, and a rename
// that only changes the letter case of the name does not delete the file itself.
bool FILENAME::Rename(PATHTEXT newname, bool replace) const {
  FILENAME given;
  given = newname.c_str();
  FILENAME target = Join(GetPath(), given.GetName());
  bool ok = false;
  if (IsNotEmpty() && given.GetName().IsNotEmpty()) {
    ok = replace && !IsDirectory() ? MoveFileExA(c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)
                                   : MoveFileA(c_str(), target.c_str());
  }
  logit("FILENAME::Rename %s -> %s (replace= %d) returns %d\n", c_str(), target.c_str(), replace, ok);
  return ok;
}

// Writers, appenders and "r+" deny reading and writing to others; plain readers deny writing.
static int ShareByMode(const char* mode) {
  if (strpbrk(mode, "wa")) return _SH_DENYRW;
  if (strchr(mode, 'r')) return strchr(mode, '+') ? _SH_DENYRW : _SH_DENYWR;
  return _SH_DENYNO;
}

FILE* FILENAME::fsopen(PATHTEXT name, const char* mode, int share) {
  mode = mode ? mode : "";
  if (share == FILENAME_SHARE_BYMODE) share = ShareByMode(mode);
  logitlevel(2, "FILENAME::fsopen(%s, %s, %d)\n", name.c_str(), mode, share);
  FILE* file = name.IsEmpty() || !*mode ? nullptr : _fsopen(name.c_str(), mode, share);
  if (file && strchr(mode, 'a')) fseek(file, 0, SEEK_END);
  logit("FILENAME::fsopen(%s, %s, %d) returns f= %p, fd= %d\n", name.c_str(), mode, share,
        static_cast<void*>(file), file ? _fileno(file) : -1);
  return file;
}
