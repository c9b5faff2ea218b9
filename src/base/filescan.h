// FILESCAN: one walk over the entries of a directory (FindFirstFileA, FindNextFileA): the current entry's
// name and full path, its attribute bits, and whether it is a link that stands for another folder.
#pragma once

#include <windows.h>

#include <memory>

#include "base/filename.h"

// A find handle, closed with its owner.
class FINDHANDLE {
 public:
  FINDHANDLE() = default;
  explicit FINDHANDLE(HANDLE handle) : Handle(handle) {}
  ~FINDHANDLE() { Reset(INVALID_HANDLE_VALUE); }
  FINDHANDLE(const FINDHANDLE&) = delete;
  FINDHANDLE& operator=(const FINDHANDLE&) = delete;

  bool IsValid() const { return Handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return Handle; }
  // Closes the handle held and takes `handle` in its place.
  void Reset(HANDLE handle);

 private:
  HANDLE Handle = INVALID_HANDLE_VALUE;
};

class FILESCAN {
 public:
  // Starts the walk. A pattern that names a directory walks that directory's entries; any other pattern
  // ("dir\*.txt") is searched as it is. `out`, when given, receives the name of each entry found.
  explicit FILESCAN(PATHTEXT pattern, STRING* out = nullptr);
  FILESCAN(const FILESCAN&) = delete;
  FILESCAN& operator=(const FILESCAN&) = delete;

  // Whether there is a current entry; Next moves to the following one and tells whether there was one.
  bool Found() const { return FoundFlag; }
  bool Next();

  const FILENAME& GetName() const { return Name; }
  const FILENAME& GetFullPath() const { return FullPath; }
  const FILENAME& GetDirectory() const { return Directory; }
  // True when the current entry carries any bit of `mask` (FILE_ATTRIBUTE_...).
  bool HasAttribute(unsigned long mask) const;
  // The entries "." and "..".
  bool IsDots() const;
  // A directory entry that stands for another folder: a junction, a symbolic link, or a link whose kind
  // the system leaves open. Walks do not descend into it.
  bool IsFolderLink() const;

  // Whether `path` itself is such a link, looked at without following it.
  static bool IsFolderLinkPath(PATHTEXT path);

 private:
  void Take();

  FILENAME Name;
  FILENAME FullPath;
  STRING Pattern;
  FILENAME Directory;
  bool FoundFlag = false;
  STRING* Out;
  std::unique_ptr<WIN32_FIND_DATAA> pResult;
  FINDHANDLE hFind;
};
