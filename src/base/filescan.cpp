// FILESCAN: the raw directory walk. A pattern naming a directory is searched as "dir\*"; the find-data
// record is owned by the walk and the find handle closed with it.
#include "base/filescan.h"

#include <cstring>
#include <new>

#include "diag/norbaassert.h"

static const char kAssertUnit[] = "osysfile";

void FINDHANDLE::Reset(HANDLE handle) {
  if (IsValid()) FindClose(Handle);
  Handle = handle;
}

// Name surrogates (junctions, symbolic links) point elsewhere; a reparse tag of 0 is what a system that
// does not report the kind shows for a link, so it counts as one too. Other reparse points (cloud and
// deduplicated folders) hold their own contents.
static bool IsLinkEntry(const WIN32_FIND_DATAA& entry) {
  DWORD wanted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((entry.dwFileAttributes & wanted) != wanted) return false;
  return entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0);
}

FILESCAN::FILESCAN(PATHTEXT pattern, STRING* out) : Out(out), pResult(new (std::nothrow) WIN32_FIND_DATAA()) {
  NORBA_ASSERT(this->pResult);
  FILENAME given;
  given = pattern.c_str();
  if (given.IsDirectory()) {
    Directory = given;
    Pattern = FILENAME::Join(given, "*");
  } else {
    Directory = given.GetPath();
    Pattern = given;
  }
  if (!pResult || given.IsEmpty()) return;
  hFind.Reset(FindFirstFileA(Pattern.c_str(), pResult.get()));
  FoundFlag = hFind.IsValid();
  Take();
}

bool FILESCAN::Next() {
  FoundFlag = FoundFlag && FindNextFileA(hFind.Get(), pResult.get());
  Take();
  return FoundFlag;
}

void FILESCAN::Take() {
  if (!FoundFlag) return;
  Name = pResult->cFileName;
  FullPath = FILENAME::Join(Directory, pResult->cFileName);
  if (Out) *Out = Name;
}

bool FILESCAN::HasAttribute(unsigned long mask) const { return FoundFlag && (pResult->dwFileAttributes & mask); }

bool FILESCAN::IsDots() const {
  return FoundFlag && (strcmp(pResult->cFileName, ".") == 0 || strcmp(pResult->cFileName, "..") == 0);
}

bool FILESCAN::IsFolderLink() const { return FoundFlag && IsLinkEntry(*pResult); }

bool FILESCAN::IsFolderLinkPath(PATHTEXT path) {
  FILENAME name;
  name = path.c_str();
  WIN32_FIND_DATAA entry;
  FINDHANDLE search(name.IsEmpty() ? INVALID_HANDLE_VALUE : FindFirstFileA(name.c_str(), &entry));
  return search.IsValid() && IsLinkEntry(entry);
}
