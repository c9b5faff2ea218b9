// The search for a file along the system folder, the Windows folder and PATH through SearchPath, which
// looks at the file system only.
#include "install/searchorder.h"

#include <windows.h>

#include "diag/logit.h"

namespace {

STRING SystemFolder(UINT(WINAPI* query)(LPSTR, UINT)) {
  char folder[MAX_PATH + 1] = {};
  UINT length = query(folder, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? STRING(folder, 1252) : STRING();
}

STRING PathVariable() {
  DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return STRING();
  STRING path;
  if (!path.Make(static_cast<int>(size))) return STRING();
  DWORD length = GetEnvironmentVariableA("PATH", path.GetBuffer(), size);
  path.SetLength(length < size ? static_cast<int>(length) : 0);
  return path;
}

}  // namespace

STRING FindOnSearchPath(const STRING& name) {
  if (name.IsEmpty()) return STRING();
  STRING folders = SystemFolder(GetSystemDirectoryA) + ";" + SystemFolder(GetWindowsDirectoryA) + ";" + PathVariable();
  char found[MAX_PATH + 1] = {};
  DWORD length = SearchPathA(folders.c_str(), name.c_str(), ".dll", MAX_PATH, found, nullptr);
  STRING result = length > 0 && length <= MAX_PATH ? STRING(found, 1252) : STRING();
  logit("FindOnSearchPath %s: '%s'\n", name.c_str(), result.GetBuffer() ? result.c_str() : "");
  return result;
}
