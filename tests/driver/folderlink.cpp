// Linked folders and drive letters in test folders under Wine, where the tests run: the Unix "ln" and "rm"
// (started like Windows programs) make and remove them, because Wine's RemoveDirectory follows a link and
// Wine's files do not see DefineDosDevice.
#include "folderlink.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "ownedhandle.h"
#include "timeouts.h"

namespace uidriver {

namespace {

bool IsGone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

struct HeapFreer {
  void operator()(char* text) const { HeapFree(GetProcessHeap(), 0, text); }
};

// The Unix path of a Windows path, in quotes for a command line; "" outside Wine.
std::string QuotedUnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  FARPROC function = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(function));
  std::vector<WCHAR> wide(path.size() + 1);
  int chars = static_cast<int>(wide.size());
  if (toUnix == nullptr || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), chars)) return "";
  std::unique_ptr<char, HeapFreer> unixPath(toUnix(wide.data()));
  return unixPath ? "\"" + std::string(unixPath.get()) + "\"" : "";
}

// Runs "ln -s" or "rm -f" and waits until `path` shows or is gone (Wine runs the tool detached from the
// process it returns: neither its end nor its exit code come through).
bool RunUnixTool(const char* tool, const std::string& arguments, const std::string& path, bool shows) {
  std::string line = std::string("\"") + tool + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(tool, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return false;
  KernelHandle process(started.hProcess), thread(started.hThread);
  return PollUntil(10000, [&] { return IsGone(path) != shows; });
}

}  // namespace

bool IsLinkedFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolderLink(const std::string& target, const std::string& link) {
  std::string unixTarget = QuotedUnixPath(target), unixLink = QuotedUnixPath(link);
  return !unixTarget.empty() && !unixLink.empty() &&
         RunUnixTool("Z:\\bin\\ln", "-s " + unixTarget + " " + unixLink, link, true) && IsLinkedFolder(link);
}

bool RemoveFolderLink(const std::string& link) {
  std::string unixLink = QuotedUnixPath(link);
  // "rm" without -r removes a symbolic link and never what it points to.
  return !unixLink.empty() && RunUnixTool("Z:\\bin\\rm", "-f " + unixLink, link, false);
}

FolderDrive::FolderDrive(const std::string& folder) {
  for (char letter = 'Q'; letter <= 'Y' && drive_.empty(); letter++)
    if (IsGone(std::string(1, letter) + ":\\")) drive_ = std::string(1, letter) + ":";
  char prefix[1024] = {};
  DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
  if (drive_.empty() || n == 0 || n >= sizeof(prefix) || QuotedUnixPath(folder).empty()) return;
  // Kept even when the drive does not show in time, so that the link goes again with the object.
  unixLink_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(drive_[0] - 'A' + 'a') + ":";
  std::string arguments = "-s " + QuotedUnixPath(folder) + " \"" + unixLink_ + "\"";
  mapped_ = RunUnixTool("Z:\\bin\\ln", arguments, drive_ + "\\", true);
}

FolderDrive::~FolderDrive() {
  if (!unixLink_.empty()) RunUnixTool("Z:\\bin\\rm", "-f \"" + unixLink_ + "\"", drive_ + "\\", false);
}

}  // namespace uidriver
