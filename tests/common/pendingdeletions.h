// The system's deletions at the next restart as tests see them (the value PendingFileRenameOperations
// under the Session Manager key): reading them, and taking a test's own entries out again.
#pragma once

#include <shlwapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "testtext.h"

namespace pendingdeletions {

constexpr char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char kValue[] = "PendingFileRenameOperations";

// The entries in pairs: the path ("\??\" before it), then the target, empty for a deletion.
inline std::vector<std::string> Entries() {
  std::vector<std::string> entries;
  std::vector<char> data(1 << 20);
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kValue, RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &size) !=
      ERROR_SUCCESS)
    return entries;
  for (size_t start = 0; start + 1 < size; start += entries.back().size() + 1) {
    entries.emplace_back(&data[start]);
    if (entries.back().empty() && entries.size() % 2 == 1) break;  // the list's end
  }
  return entries;
}

// The paths to delete, lower case, one per line.
inline std::string Deletions() {
  std::vector<std::string> entries = Entries();
  std::string text;
  for (size_t i = 0; i + 1 < entries.size(); i += 2)
    if (entries[i + 1].empty()) text += testtext::Lower(entries[i]) + "\n";
  return text;
}

// Takes the entries of paths below `folder` (any case) out of the list.
inline void Forget(const std::string& folder) {
  std::vector<std::string> entries = Entries();
  std::string kept;
  for (size_t i = 0; i + 1 < entries.size(); i += 2)
    if (!testtext::Contains(testtext::Lower(entries[i]), testtext::Lower(folder))) kept += entries[i] + '\0' + entries[i + 1] + '\0';
  if (kept.empty())
    SHDeleteValueA(HKEY_LOCAL_MACHINE, kSessionManager, kValue);
  else
    SHSetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kValue, REG_MULTI_SZ, kept.data(), DWORD(kept.size() + 1));
}

}  // namespace pendingdeletions
