// ZIPEXTRACTOR: one entry of an open archive into one file below the destination folder, with its
// folders and its stored time. Every path is built from the destination: the current folder is never
// changed, and a refused name creates nothing.
#include "install/zipextract.h"

#include <windows.h>

#include <new>

#include "base/filename.h"
#include "install/zipentryname.h"

namespace {

// The output file of one entry, closed with its owner.
class OUTPUTFILE {
 public:
  OUTPUTFILE() = default;
  ~OUTPUTFILE() { Close(); }
  OUTPUTFILE(const OUTPUTFILE&) = delete;
  OUTPUTFILE& operator=(const OUTPUTFILE&) = delete;

  // Creates the file, or empties an existing one; true when it is open for writing. A read-only file left
  // by an earlier installation is made writable when it refuses: an update replaces it like any other file.
  bool Create(const STRING& path) {
    Close();
    Handle = Open(path);
    if (IsOpen()) {
      // A file that was there keeps no read-only mark either where the system let it be replaced as it was.
      if (GetLastError() == ERROR_ALREADY_EXISTS) ClearReadOnly(path);
    } else if (GetLastError() == ERROR_ACCESS_DENIED && ClearReadOnly(path)) {
      Handle = Open(path);
    }
    return IsOpen();
  }
  bool IsOpen() const { return Handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return Handle; }
  void Close() {
    if (IsOpen()) CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
  }

 private:
  static HANDLE Open(const STRING& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  // True when the file was read-only and is writable now. The path is taken as it stands: no placeholder
  // of the file name rules may turn it into another file's name.
  static bool ClearReadOnly(const STRING& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
    return SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;
  }

  HANDLE Handle = INVALID_HANDLE_VALUE;
};

bool HasFolderPart(const char* name) { return ZipEntryBareName(name) != name; }

// Makes the folders of `name` below `destination`, one level after another: every prefix of `name` that
// ends before a separator. Stops at the first level that can neither be made nor found.
void MakeFoldersBelow(const char* destination, const char* name) {
  STRING prefix(STRINGBLOCK{256});
  for (const char* p = name; *p; p++) {
    if (*p == '/' || *p == '\\') {
      STRING folder = ZIPEXTRACTOR::TargetPath(destination, prefix.c_str());
      if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
    prefix.Append(p, 1);
  }
}

// The stored MS-DOS date (high word) and time (low word) are local time; the file keeps them as its
// creation and last-write time.
void SetEntryTime(HANDLE file, unsigned long dosdate) {
  FILETIME local;
  FILETIME utc;
  if (!DosDateTimeToFileTime(HIWORD(dosdate), LOWORD(dosdate), &local)) return;
  if (!LocalFileTimeToFileTime(&local, &utc)) return;
  SetFileTime(file, &utc, nullptr, &utc);
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

bool ZipExtractFailureIsPermanent(int result) {
  switch (result) {
    case UNZ_OK:
    case ZIPEXTRACT_CANNOTCREATE:
    case UNZ_ERRNO:
    case UNZ_INTERNALERROR:
    case Z_MEM_ERROR:
      return false;
    default:
      return true;
  }
}

ZIPEXTRACTOR::ZIPEXTRACTOR() : Buffer(new (std::nothrow) char[ZIPEXTRACT_BUFFERSIZE]) {}

STRING ZIPEXTRACTOR::TargetPath(const char* destination, const char* name) {
  return FILENAME::Join(destination, name);
}

int ZIPEXTRACTOR::ExtractCurrent(ZIPARCHIVE& archive, const char* destination, const ZIPEXTRACTOPTIONS& options) {
  unz_file_info64 info;
  STRING name;
  int err = archive.ReadCurrentInfo(&info, &name);
  if (err != UNZ_OK) return err;
  return ExtractKnown(archive, destination, info, name, options);
}

int ZIPEXTRACTOR::ExtractKnown(ZIPARCHIVE& archive, const char* destination, const unz_file_info64& info,
                               const STRING& name, const ZIPEXTRACTOPTIONS& options) {
  if (!Buffer) return UNZ_INTERNALERROR;
  if (!ZipEntryNameIsSafe(name)) return ZIPEXTRACT_REFUSED;

  const char* bare = ZipEntryBareName(name.c_str());
  if (!*bare) {
    if (!options.JunkPaths) MakeFoldersBelow(destination, name.c_str());
    return UNZ_OK;
  }
  if ((info.flag & 1) != 0 && !options.Password) return ZIPEXTRACT_NEEDSPASSWORD;
  const char* outname = options.JunkPaths ? bare : name.c_str();
  STRING target = TargetPath(destination, outname);
  // A path the system cannot take whole is refused rather than shortened into another name.
  if (target.Length() >= MAX_PATH) return ZIPEXTRACT_PATHTOOLONG;
  return WriteEntry(archive, target, destination, outname, info, options);
}

int ZIPEXTRACTOR::WriteEntry(ZIPARCHIVE& archive, const STRING& target, const char* destination, const char* name,
                             const unz_file_info64& info, const ZIPEXTRACTOPTIONS& options) {
  // minizip refuses any password when it is built without decryption: only an encrypted entry gets it.
  bool encrypted = (info.flag & 1) != 0;
  int err = unzOpenCurrentFilePassword(archive.Get(), encrypted ? options.Password : nullptr);
  if (err != UNZ_OK) return err;
  OUTPUTFILE file;
  if (!file.Create(target) && !options.JunkPaths && HasFolderPart(name)) {
    MakeFoldersBelow(destination, name);
    file.Create(target);
  }
  if (!file.IsOpen()) {
    unzCloseCurrentFile(archive.Get());
    return ZIPEXTRACT_CANNOTCREATE;
  }
  err = CopyData(archive, file.Get());
  if (err == UNZ_OK) SetEntryTime(file.Get(), info.dosDate);
  file.Close();
  int closed = unzCloseCurrentFile(archive.Get());
  return err != UNZ_OK ? err : closed;
}

int ZIPEXTRACTOR::CopyData(ZIPARCHIVE& archive, void* file) {
  for (;;) {
    int got = unzReadCurrentFile(archive.Get(), Buffer.get(), ZIPEXTRACT_BUFFERSIZE);
    if (got < 0) return got;
    if (got == 0) return UNZ_OK;
    if (!WriteAll(file, Buffer.get(), static_cast<DWORD>(got))) return UNZ_ERRNO;
  }
}
