// REGISTRY: one open registry key, owned by the object and closed with it, with typed writes, reads of
// any size, value and key deletion, and the 64-bit view for a 32-bit program on 64-bit Windows.
// Every call traces what it did; reads and writes are true exactly when Windows reports success.
#pragma once

#include <windows.h>

#include "base/strings.h"

// Open modes of REGISTRY(root, basekey, app, mode).
#define REGISTRY_READ 256     // open for reading
#define REGISTRY_WRITE 257    // open for reading and writing
#define REGISTRY_CREATE 258   // open for reading and writing, created when missing
#define REGISTRY_READ64 512   // REGISTRY_READ in the 64-bit view
#define REGISTRY_WRITE64 513  // REGISTRY_WRITE in the 64-bit view
// The same numbers ask KeyExists for read (256, 512) or write access only (257, 513).

class REGISTRY {
 public:
  // Opens, creating when missing, basekey\app under HKEY_LOCAL_MACHINE (user 0), HKEY_CURRENT_USER
  // (user 1) or the hive handle given as `user` (a predefined key such as HKEY_CLASSES_ROOT).
  REGISTRY(const char* app, const char* basekey, int user);
  REGISTRY(const char* app, const char* basekey, HKEY hive);
  // Opens basekey\app under `root` with one of the open modes.
  REGISTRY(HKEY root, const char* basekey, const char* app, int mode);
  ~REGISTRY() { Close(); }
  REGISTRY(const REGISTRY&) = delete;
  REGISTRY& operator=(const REGISTRY&) = delete;

  // Whether basekey\app under `root` can be opened with the access of `mode`.
  static bool KeyExists(HKEY root, const char* basekey, const char* app, int mode);
  // Joins two key paths with one backslash; leading backslashes of the second part and trailing
  // backslashes of the result are dropped. Either part may be null or empty.
  static STRING JoinPath(const char* first, const char* second);

  bool IsOpen() const { return Key != nullptr; }
  // The Windows error code of the last open, read, write or delete (ERROR_SUCCESS after success).
  LONG GetError() const { return Error; }
  HKEY GetKey() const { return Key; }
  const STRING& GetPath() const { return Path; }

  // REG_SZ, stored with its terminator as Windows requires.
  bool WriteString(const char* value, const char* data);
  bool WriteBinary(const char* value, const void* data, int len);
  bool WriteDWORD(const char* value, DWORD n);
  // The value's bytes as stored, whatever its size; string values lose their trailing zero bytes.
  // `type`, when given, receives the value's type.
  bool Read(const char* value, STRING& data, DWORD* type = nullptr);
  // Into the caller's buffer: `len` in: its size, out: the bytes read (on ERROR_MORE_DATA: the size
  // needed). A shorter result is terminated with a zero byte; a string value that fills the buffer
  // without its terminator is refused, so the caller never gets an unterminated text.
  bool Read(const char* value, void* buffer, DWORD* len);
  // A REG_DWORD value; false for a missing value or any other type.
  bool ReadDWORD(const char* value, DWORD& n);
  bool DeleteValue(const char* value);
  // Deletes `subkey` of this key, in the view this key was opened in: with `recursive` the whole
  // subtree, otherwise only an empty key.
  bool DeleteKey(const char* subkey, bool recursive);
  // Deletes `subkey` of `parent` with everything below it, in the registry view `view` (0: the program's
  // own, KEY_WOW64_64KEY, KEY_WOW64_32KEY): a namesake in the other view stays. The Windows error code.
  static LONG DeleteKeyTree(HKEY parent, const char* subkey, REGSAM view);
  void Close();

 private:
  void OpenOrCreate(HKEY hive, const char* app, const char* basekey);
  bool Write(const char* value, DWORD type, const void* data, DWORD len, LONG& error);
  LONG Query(const char* value, DWORD* type, void* buffer, DWORD* len);

  HKEY Key;
  HKEY Root;
  STRING Path;
  bool WideView;
  LONG Error;
};
