// The scratch folder of one test: a unique folder under the temporary folder, file helpers that fail the
// test at the caller's line, and the tree deletion that removes links as links.
#include "scratchdir.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "folderlink.h"
#include "ownedhandle.h"
#include "timeouts.h"

namespace uidriver {

namespace {

bool DeleteEntry(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != FALSE;
  // A linked folder goes as a link; only a real folder is emptied.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveFolderLink(path);
  WIN32_FIND_DATAA entry = {};
  FindHandle search(FindFirstFileA((path + "\\*").c_str(), &entry));
  for (bool more = search.Valid(); more; more = FindNextFileA(search.Get(), &entry)) {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") DeleteEntry(path + "\\" + name, entry.dwFileAttributes);
  }
  search.Reset();
  return RemoveDirectoryA(path.c_str()) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool Check(bool done, CallSite where, const std::string& what) {
  if (!done) ADD_FAILURE_AT(where.file, where.line) << "could not " << what << ": error " << GetLastError();
  return done;
}

// Makes the folder that holds `path`, with the folders above it, unless it is there.
bool MakeFolders(const std::string& path) {
  std::string folder = path.substr(0, path.find_last_of("\\/"));
  std::replace(folder.begin(), folder.end(), '/', '\\');
  int rc = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
  return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS;
}

}  // namespace

bool DeleteTree(const std::string& folder) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || DeleteEntry(folder, attributes);
}

ScratchDir::ScratchDir(CallSite where) {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  for (int attempt = 0; attempt < 1000 && root_.empty(); ++attempt) {
    char name[64] = {};
    std::snprintf(name, sizeof name, "norba-e2e-%lu-%lu-%d", GetCurrentProcessId(), GetTickCount(), attempt);
    if (CreateDirectoryA((temp + std::string(name)).c_str(), nullptr)) root_ = temp + std::string(name);
  }
  Check(!root_.empty(), where, std::string("make a scratch folder in ") + temp);
}

ScratchDir::~ScratchDir() {
  // A program that just ended may still hold its files for a moment.
  if (!root_.empty() && !PollUntil(1000, [&] { return DeleteTree(root_); }))
    std::fprintf(stderr, "warning: scratch folder %s is left behind\n", root_.c_str());
}

bool ScratchDir::CopyFrom(const std::string& folder, const std::vector<std::string>& names, CallSite where) {
  bool copied = true;
  for (const std::string& name : names) copied = CopyFileTo(folder + "\\" + name, name, where) && copied;
  return copied;
}

bool ScratchDir::CopyFileTo(const std::string& source, const std::string& relative, CallSite where) {
  std::string target = Path(relative);
  return Check(MakeFolders(target) && CopyFileA(source.c_str(), target.c_str(), FALSE), where,
               "copy " + source + " to " + target);
}

bool ScratchDir::MakeFolder(const std::string& relative, CallSite where) {
  return Check(MakeFolders(Path(relative) + "\\"), where, "make the folder " + Path(relative));
}

bool ScratchDir::WriteText(const std::string& relative, const std::string& text, CallSite where) {
  std::ofstream file;
  if (MakeFolders(Path(relative))) file.open(Path(relative), std::ios::binary);
  bool written = file.is_open() && file.write(text.data(), text.size()) && file.flush();
  return Check(written, where, "write " + Path(relative));
}

bool ScratchDir::Exists(const std::string& relative) const {
  return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ScratchDir::ReadText(const std::string& relative, CallSite where) const {
  std::ifstream file(Path(relative), std::ios::binary);
  Check(file.is_open(), where, "read " + Path(relative));
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace uidriver
