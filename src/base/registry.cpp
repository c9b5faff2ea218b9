// REGISTRY on Win32: opening keys by mode (with the 64-bit view), typed writes, reads that grow their
// buffer to the value's size, and value and key deletion.
#include "base/registry.h"

#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/dllinterface.h"

static const char kAssertUnit[] = "osys_win32";

// The first read buffer; larger values are read again with the size Windows reports.
static const DWORD kFirstReadSize = 2048;

static bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

STRING REGISTRY::JoinPath(const char* first, const char* second) {
  STRING path(first, 1252);
  path.EnsureBuffer();
  path.Trim('R', "\\");
  if (second) {
    while (*second == '\\') second++;
    if (*second && path.Length() > 0) path.Append("\\");
    path.Append(second);
  }
  path.Trim('R', "\\");
  return path;
}

// The access rights and view of an open mode; false for a mode that does not exist.
static bool AccessOfMode(int mode, bool existencetest, REGSAM& access, bool& wideview, bool& create) {
  REGSAM writeaccess = existencetest ? KEY_WRITE : (KEY_READ | KEY_WRITE);
  wideview = mode == REGISTRY_READ64 || mode == REGISTRY_WRITE64;
  create = mode == REGISTRY_CREATE && !existencetest;
  switch (mode) {
    case REGISTRY_READ:
    case REGISTRY_READ64:
      access = KEY_READ;
      return true;
    case REGISTRY_WRITE:
    case REGISTRY_WRITE64:
    case REGISTRY_CREATE:
      access = writeaccess;
      return true;
    default:
      Assert(0, "FALSE", kAssertUnit, __LINE__, "unknown registry open mode");
      return false;
  }
}

static HKEY HiveOfUser(int user) {
  if (user == 0) return HKEY_LOCAL_MACHINE;
  if (user == 1) return HKEY_CURRENT_USER;
  // A predefined key passed as a number (its value is a sign-extended 32-bit constant).
  return reinterpret_cast<HKEY>(static_cast<INT_PTR>(user));
}

REGISTRY::REGISTRY(const char* app, const char* basekey, int user)
    : Key(nullptr), Root(nullptr), WideView(false), Error(ERROR_INVALID_HANDLE) {
  OpenOrCreate(HiveOfUser(user), app, basekey);
  if (!Key)
    logit("REGISTRY::Constructor failed for app=%s, basekey=%s, user=%d\n", NullGuard(app, "REGISTRY app"),
          NullGuard(basekey, "REGISTRY basekey"), user);
}

REGISTRY::REGISTRY(const char* app, const char* basekey, HKEY hive)
    : Key(nullptr), Root(nullptr), WideView(false), Error(ERROR_INVALID_HANDLE) {
  OpenOrCreate(hive, app, basekey);
  if (!Key)
    logit("REGISTRY::Constructor failed for app=%s, basekey=%s, user=%d\n", NullGuard(app, "REGISTRY app"),
          NullGuard(basekey, "REGISTRY basekey"), static_cast<int>(reinterpret_cast<INT_PTR>(hive)));
}

void REGISTRY::OpenOrCreate(HKEY hive, const char* app, const char* basekey) {
  Root = hive;
  // An application name in angle brackets is a placeholder nobody expanded: never make a key of it.
  if (app && app[0] == '<') {
    Assert(0, "app[0]!='<'", kAssertUnit, __LINE__);
    return;
  }
  Path = JoinPath(basekey, app);
  HKEY key = nullptr;
  Error = RegCreateKeyExA(hive, Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                          nullptr);
  if (Error == ERROR_SUCCESS) Key = key;
}

REGISTRY::REGISTRY(HKEY root, const char* basekey, const char* app, int mode)
    : Key(nullptr), Root(root), Path(JoinPath(basekey, app)), WideView(false), Error(ERROR_INVALID_PARAMETER) {
  REGSAM access = 0;
  bool create = false;
  if (!AccessOfMode(mode, false, access, WideView, create)) return;
  if (WideView) access |= KEY_WOW64_64KEY;
  HKEY key = nullptr;
  Error = create
              ? RegCreateKeyExA(root, Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr)
              : RegOpenKeyExA(root, Path.c_str(), 0, access, &key);
  logit("REGISTRY::REGISTRY %s mode=%d, error=%d\n", Path.c_str(), mode, static_cast<int>(Error));
  if (Error == ERROR_SUCCESS) Key = key;
}

bool REGISTRY::KeyExists(HKEY root, const char* basekey, const char* app, int mode) {
  REGSAM access = 0;
  bool wideview = false;
  bool create = false;
  if (!AccessOfMode(mode, true, access, wideview, create)) return false;
  if (wideview) access |= KEY_WOW64_64KEY;
  STRING path = JoinPath(basekey, app);
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(root, path.c_str(), 0, access, &key);
  if (rc != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void REGISTRY::Close() {
  if (Key) RegCloseKey(Key);
  Key = nullptr;
}

bool REGISTRY::Write(const char* value, DWORD type, const void* data, DWORD len, LONG& error) {
  error = Key ? RegSetValueExA(Key, value, 0, type, static_cast<const BYTE*>(data), len) : ERROR_INVALID_HANDLE;
  Error = error;
  return error == ERROR_SUCCESS;
}

bool REGISTRY::WriteString(const char* value, const char* data) {
  const char* text = NullGuard(data, "REGISTRY::WriteString data");
  if (!text) text = "";
  LONG error = 0;
  bool ok = Write(value, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1), error);
  logit("REGISTRY::Write String value= %s; data=%s, error=%08x\n", NullGuard(value, "value"), text,
        static_cast<unsigned>(error));
  return ok;
}

bool REGISTRY::WriteBinary(const char* value, const void* data, int len) {
  LONG error = Error = ERROR_INVALID_PARAMETER;
  bool ok = len >= 0 && (data || len == 0) && Write(value, REG_BINARY, data, static_cast<DWORD>(len), error);
  logit("REGISTRY::Write binary value= %s, error=%08x\n", NullGuard(value, "value"), static_cast<unsigned>(error));
  return ok;
}

bool REGISTRY::WriteDWORD(const char* value, DWORD n) {
  LONG error = 0;
  bool ok = Write(value, REG_DWORD, &n, sizeof(n), error);
  logit("REGISTRY::Write DWORD value= %s; data=%ld, error=%08x\n", NullGuard(value, "value"), static_cast<long>(n),
        static_cast<unsigned>(error));
  return ok;
}

LONG REGISTRY::Query(const char* value, DWORD* type, void* buffer, DWORD* len) {
  Error = Key ? RegQueryValueExA(Key, value, nullptr, type, static_cast<BYTE*>(buffer), len) : ERROR_INVALID_HANDLE;
  return Error;
}

bool REGISTRY::Read(const char* value, STRING& data, DWORD* type) {
  DWORD size = kFirstReadSize;
  DWORD valuetype = REG_NONE;
  STRING buffer;
  LONG rc = ERROR_MORE_DATA;
  while (rc == ERROR_MORE_DATA) {
    if (size > STRING_MAX_LENGTH || !buffer.Make(static_cast<int>(size))) {
      rc = Error = ERROR_NOT_ENOUGH_MEMORY;
      break;
    }
    rc = Query(value, &valuetype, buffer.GetBuffer(), &size);
  }
  bool ok = rc == ERROR_SUCCESS;
  if (ok) {
    // Strings are stored with their terminator (and sometimes more zeros): the text ends before them.
    if (IsStringType(valuetype))
      while (size > 0 && buffer.GetBuffer()[size - 1] == 0) size--;
    buffer.SetLength(static_cast<int>(size));
    data = buffer;
    if (type) *type = valuetype;
  }
  logit("REGISTRY::Read key=%s, ok=%d, error=%d\n", NullGuard(value, "value"), ok ? 1 : 0, static_cast<int>(rc));
  return ok;
}

bool REGISTRY::Read(const char* value, void* buffer, DWORD* len) {
  if (!buffer || !len) return false;
  DWORD size = *len;
  DWORD valuetype = REG_NONE;
  LONG rc = Query(value, &valuetype, buffer, len);
  char* bytes = static_cast<char*>(buffer);
  if (rc == ERROR_SUCCESS && *len < size) bytes[*len] = 0;
  bool unterminated =
      rc == ERROR_SUCCESS && IsStringType(valuetype) && *len == size && size > 0 && bytes[size - 1] != 0;
  if (unterminated) rc = Error = ERROR_MORE_DATA;
  if (rc != ERROR_SUCCESS && size > 0) bytes[0] = 0;
  logit("REGISTRY::Read key=%s, ok=%d, error=%d\n", NullGuard(value, "value"), rc == ERROR_SUCCESS ? 1 : 0,
        static_cast<int>(rc));
  return rc == ERROR_SUCCESS;
}

bool REGISTRY::ReadDWORD(const char* value, DWORD& n) {
  DWORD type = REG_NONE;
  DWORD number = 0;
  DWORD len = sizeof(number);
  LONG rc = Query(value, &type, &number, &len);
  bool ok = rc == ERROR_SUCCESS && type == REG_DWORD && len == sizeof(number);
  if (rc == ERROR_SUCCESS && !ok) rc = Error = ERROR_DATATYPE_MISMATCH;
  if (ok) n = number;
  logit("REGISTRY::Read key=%s, ok=%d, error=%d\n", NullGuard(value, "value"), ok ? 1 : 0, static_cast<int>(rc));
  return ok;
}

bool REGISTRY::DeleteValue(const char* value) {
  LONG rc = Error = Key ? RegDeleteValueA(Key, value) : ERROR_INVALID_HANDLE;
  logit("REGISTRY::delete value= %s, error=%d\n", NullGuard(value, "value"), static_cast<int>(rc));
  return rc == ERROR_SUCCESS;
}

typedef LONG(WINAPI* REGDELETEKEYEXA)(HKEY, LPCSTR, REGSAM, DWORD);

// Deletes an empty key in `view`, through RegDeleteKeyExA where Windows has it; a Windows without it
// (32-bit XP) has only one view.
static LONG DeleteEmptyKey(HKEY parent, const char* subkey, REGSAM view) {
  auto deleteex = view ? LookupSystemProc<REGDELETEKEYEXA>("advapi32.dll", "RegDeleteKeyExA") : nullptr;
  if (deleteex) return deleteex(parent, subkey, view, 0);
  return RegDeleteKeyA(parent, subkey);
}

// The key is opened in `view` and its sub-keys are deleted below that handle, so that the walk stays in
// the view's keys; a sub-key that cannot be deleted is passed over and makes the last step fail.
LONG REGISTRY::DeleteKeyTree(HKEY parent, const char* subkey, REGSAM view) {
  // An empty name would mean `parent` itself.
  if (!subkey || !*subkey) return ERROR_INVALID_PARAMETER;
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(parent, subkey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | view, &key);
  if (rc != ERROR_SUCCESS) return rc;
  char name[256];  // key names have at most 255 characters
  DWORD kept = 0;
  for (;;) {
    DWORD len = sizeof(name);
    if (RegEnumKeyExA(key, kept, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (DeleteKeyTree(key, name, view) != ERROR_SUCCESS) kept++;
  }
  RegCloseKey(key);
  return DeleteEmptyKey(parent, subkey, view);
}

bool REGISTRY::DeleteKey(const char* subkey, bool recursive) {
  LONG rc = ERROR_INVALID_HANDLE;
  REGSAM view = WideView ? KEY_WOW64_64KEY : 0;
  // Deleting is only ever asked for below this key.
  if (!subkey || !*subkey)
    rc = ERROR_INVALID_PARAMETER;
  else if (Key)
    rc = recursive ? DeleteKeyTree(Key, subkey, view) : DeleteEmptyKey(Key, subkey, view);
  Error = rc;
  logit("REGISTRY::delete key= %s, error=%d\n", NullGuard(subkey, "subkey"), static_cast<int>(rc));
  return rc == ERROR_SUCCESS;
}
