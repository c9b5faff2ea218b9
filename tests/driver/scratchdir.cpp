// The scratch folder of one end-to-end test: a unique folder under the temporary folder, file helpers,
// and the tree deletion that removes links as links.
#include "scratchdir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "folderlink.h"
#include "ownedhandle.h"

namespace uidriver {

namespace {

// Attempts to delete a tree that a program that just ended may still hold for a moment.
constexpr int kDeleteAttempts = 20;
constexpr DWORD kDeleteRetryMs = 50;
constexpr int kNameAttempts = 1000;

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return "C:\\";
  return std::string(buffer, length);
}

bool IsDots(const char* name) { return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0; }

bool EmptyAndRemoveFolder(const std::string& folder);

bool DeleteEntry(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != FALSE;
  // A linked folder goes as a link; only a real folder is emptied.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveFolderLink(path);
  return EmptyAndRemoveFolder(path);
}

bool EmptyAndRemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry = {};
  FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &entry));
  if (search.Valid()) {
    do {
      if (!IsDots(entry.cFileName)) DeleteEntry(folder + "\\" + entry.cFileName, entry.dwFileAttributes);
    } while (FindNextFileA(search.Get(), &entry));
  }
  search.Reset();
  return RemoveDirectoryA(folder.c_str()) || GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool DeleteTree(const std::string& folder) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || DeleteEntry(folder, attributes);
}

ScratchDir::ScratchDir(CallSite where) {
  std::string temp = TempFolder();
  for (int attempt = 0; attempt < kNameAttempts && root_.empty(); ++attempt) {
    char name[64] = {};
    std::snprintf(name, sizeof name, "norba-e2e-%lu-%lu-%d", GetCurrentProcessId(), GetTickCount(), attempt);
    if (CreateDirectoryA((temp + name).c_str(), nullptr)) root_ = temp + name;
  }
  if (root_.empty()) ADD_FAILURE_AT(where.file, where.line) << "could not make a scratch folder in " << temp;
}

ScratchDir::~ScratchDir() {
  if (root_.empty()) return;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteTree(root_)) return;
    Sleep(kDeleteRetryMs);
  }
  std::fprintf(stderr, "warning: scratch folder %s is left behind\n", root_.c_str());
}

std::string ScratchDir::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "\\" + relative;
}

bool ScratchDir::MakeParentFolders(const std::string& path) const {
  for (size_t slash = path.find_first_of("\\/", root_.size() + 1); slash != std::string::npos;
       slash = path.find_first_of("\\/", slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}

bool ScratchDir::CopyFrom(const std::string& folder, const std::vector<std::string>& names, CallSite where) {
  bool copied = true;
  for (const std::string& name : names) copied = CopyFileTo(folder + "\\" + name, name, where) && copied;
  return copied;
}

bool ScratchDir::CopyFileTo(const std::string& source, const std::string& relative, CallSite where) {
  std::string target = Path(relative);
  if (MakeParentFolders(target) && CopyFileA(source.c_str(), target.c_str(), FALSE)) return true;
  ADD_FAILURE_AT(where.file, where.line) << "could not copy " << source << " to " << target << ": error "
                                         << GetLastError();
  return false;
}

bool ScratchDir::MakeFolder(const std::string& relative, CallSite where) {
  std::string folder = Path(relative);
  if (MakeParentFolders(folder + "\\")) return true;
  ADD_FAILURE_AT(where.file, where.line) << "could not make the folder " << folder << ": error " << GetLastError();
  return false;
}

bool ScratchDir::WriteText(const std::string& relative, const std::string& text, CallSite where) {
  std::string path = Path(relative);
  KernelHandle file;
  if (MakeParentFolders(path)) {
    file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  DWORD written = 0;
  if (file.Valid() && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size()) {
    return true;
  }
  ADD_FAILURE_AT(where.file, where.line) << "could not write " << path << ": error " << GetLastError();
  return false;
}

bool ScratchDir::Exists(const std::string& relative) const {
  return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ScratchDir::ReadText(const std::string& relative, CallSite where) const {
  std::string path = Path(relative);
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  if (!file.Valid()) {
    ADD_FAILURE_AT(where.file, where.line) << "could not read " << path << ": error " << GetLastError();
    return text;
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

}  // namespace uidriver
