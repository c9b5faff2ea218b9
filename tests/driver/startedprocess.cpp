// Finding a started program through the system's process snapshot, and reading a process's program path.
#include "startedprocess.h"

#include <tlhelp32.h>

#include "ownedhandle.h"

namespace uidriver {

DWORD FindStartedProcess(DWORD parentId, const std::string& fileName) {
  KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID == parentId && lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
      return entry.th32ProcessID;
  }
  return 0;
}

std::string ProcessProgramPath(HANDLE process) {
  // Newer than the system version the build targets: looked up at run time.
  using QUERYNAME = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  auto query = reinterpret_cast<QUERYNAME>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  return query && query(process, 0, path, &size) ? std::string(path, size) : std::string();
}

}  // namespace uidriver
