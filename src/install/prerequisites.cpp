// IsWow64 through the run-time lookup of IsWow64Process, and the DAO 3.6 search of CheckDll. A candidate
// library is mapped as data to see that it is one: an elevated setup runs no code from a path that a
// registry value names.
#include "install/prerequisites.h"

#include <windows.h>

#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"

namespace {

const char kSharedTools[] = "Software\\Microsoft\\Shared Tools";

// A value of a key below HKEY_LOCAL_MACHINE, read without creating anything; empty when missing.
STRING MachineValue(const STRING& key, const char* value) {
  REGISTRY registry(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, MachineKeyMode(REGISTRY_READ));
  STRING data;
  if (!registry.IsOpen() || !registry.Read(value, data)) return STRING();
  return data;
}

bool IsLibrary(const STRING& path) {
  if (path.IsEmpty()) return false;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  logit("CheckRequiredLibraries %s is a library: %d\n", path.c_str(), module ? 1 : 0);
  if (!module) return false;
  FreeLibrary(module);
  return true;
}

}  // namespace

bool IsWow64() {
  typedef BOOL(WINAPI * ISWOW64PROCESS)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto check = kernel ? reinterpret_cast<ISWOW64PROCESS>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                      : nullptr;
  BOOL wow64 = FALSE;
  return check && check(GetCurrentProcess(), &wow64) && wow64;
}

STRING FindDao360(const char* sharedtools) {
  STRING base(sharedtools, 1252);
  STRING shared = MachineValue(base, "SharedFilesDir");
  if (shared.IsNotEmpty()) {
    if (shared[shared.Length() - 1] != '\\') shared.Append("\\");
    STRING candidate = shared + "DAO\\dao360.dll";
    if (IsLibrary(candidate)) return candidate;
  }
  STRING candidate = MachineValue(base + "\\dao360.dll", "Path");
  if (candidate.IsEmpty()) {
    STRING dao350 = MachineValue(base + "\\dao350.dll", "Path");
    if (dao350.IsEmpty()) dao350 = MachineValue(base + "\\dao350.dll\\DAO350", "Path");
    dao350.Replace("350.dll", "360.dll", 1);
    candidate = dao350;
  }
  return IsLibrary(candidate) ? candidate : STRING();
}

bool CheckRequiredLibraries(const char* checkdll, int windowsversion) {
  STRING list(checkdll, 1252);
  for (int i = 0;; i++) {
    STRING item = list.GetToken(i, "|", 0);
    item.Trim('B', " \t");
    if (item.IsEmpty()) return true;
    if (!(item == "dao360") || windowsversion >= 4) continue;
    if (FindDao360(kSharedTools).IsEmpty()) {
      logit("CheckRequiredLibraries %s is missing\n", item.c_str());
      return false;
    }
  }
}
