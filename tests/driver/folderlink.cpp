// Linked folders in test folders: CreateSymbolicLinkA and RemoveDirectoryA on Windows; under Wine the
// Unix "ln" and "rm" (started like Windows programs), because Wine's RemoveDirectory follows the link.
// Drive letters for folders the same way.
#include "folderlink.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "ownedhandle.h"
#include "timeouts.h"

namespace uidriver {

namespace {

constexpr DWORD kUnixToolWaitMs = 10000;

template <class Function>
Function SystemFunction(const char* module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

bool IsWine() { return SystemFunction<void*>("ntdll.dll", "wine_get_version") != nullptr; }

struct HeapFreer {
  void operator()(char* text) const { HeapFree(GetProcessHeap(), 0, text); }
};

// The Unix path of a Windows path under Wine; "" elsewhere.
std::string UnixPath(const std::string& path) {
  auto toUnix = SystemFunction<char*(CDECL*)(const WCHAR*)>("kernel32.dll", "wine_get_unix_file_name");
  int chars = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (toUnix == nullptr || chars <= 0) return "";
  std::vector<WCHAR> wide(static_cast<size_t>(chars));
  if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), chars)) return "";
  std::unique_ptr<char, HeapFreer> unixPath(toUnix(wide.data()));
  return unixPath ? std::string(unixPath.get()) : std::string();
}

// Runs a Unix tool under Wine and waits until `done` reports its effect (Wine runs the tool detached from
// the process it returns: neither its end nor its exit code come through); false when that does not come.
bool RunUnixTool(const std::string& tool, const std::string& arguments, bool (*done)(const std::string&),
                 const std::string& path) {
  std::string line = "\"" + tool + "\" " + arguments;
  std::vector<char> mutableLine(line.begin(), line.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(tool.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return false;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  for (Deadline deadline(kUnixToolWaitMs); !done(path); Sleep(kPollIntervalMs)) {
    if (deadline.Passed()) return false;
  }
  return true;
}

bool IsGone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

bool IsLinkedFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolderLink(const std::string& target, const std::string& link) {
  if (IsWine()) {
    std::string unixTarget = UnixPath(target);
    std::string unixLink = UnixPath(link);
    return !unixTarget.empty() && !unixLink.empty() &&
           RunUnixTool("Z:\\bin\\ln", "-s " + Quoted(unixTarget) + " " + Quoted(unixLink), IsLinkedFolder, link);
  }
  using MakeLink = BOOLEAN(WINAPI*)(const char*, const char*, DWORD);
  auto makeLink = SystemFunction<MakeLink>("kernel32.dll", "CreateSymbolicLinkA");
  const DWORD kFolderLink = 1;  // SYMBOLIC_LINK_FLAG_DIRECTORY
  return makeLink != nullptr && makeLink(link.c_str(), target.c_str(), kFolderLink) && IsLinkedFolder(link);
}

bool RemoveFolderLink(const std::string& link) {
  if (!IsWine()) return RemoveDirectoryA(link.c_str()) != FALSE;
  std::string unixLink = UnixPath(link);
  // "rm" without -r removes a symbolic link and never what it points to.
  return !unixLink.empty() && RunUnixTool("Z:\\bin\\rm", "-f " + Quoted(unixLink), IsGone, link);
}

FolderDrive::FolderDrive(const std::string& folder) : folder_(folder) {
  for (char letter = 'Q'; letter <= 'Y' && drive_.empty(); letter++)
    if (IsGone(std::string(1, letter) + ":\\")) drive_ = std::string(1, letter) + ":";
  char prefix[1024] = {};
  DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
  if (drive_.empty() || !IsWine()) {
    mapped_ = !drive_.empty() && DefineDosDeviceA(0, drive_.c_str(), folder.c_str());
  } else if (n > 0 && n < sizeof(prefix) && !UnixPath(folder).empty()) {
    // Kept even when the drive does not show in time, so that the link goes again with the object.
    unixLink_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(drive_[0] - 'A' + 'a') + ":";
    auto shown = [](const std::string& root) { return !IsGone(root); };
    mapped_ = RunUnixTool("Z:\\bin\\ln", "-s " + Quoted(UnixPath(folder)) + " " + Quoted(unixLink_), shown,
                          drive_ + "\\");
  }
}

FolderDrive::~FolderDrive() {
  if (!unixLink_.empty())
    RunUnixTool("Z:\\bin\\rm", "-f " + Quoted(unixLink_), IsGone, drive_ + "\\");
  else if (mapped_)
    DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive_.c_str(), folder_.c_str());
}

}  // namespace uidriver
