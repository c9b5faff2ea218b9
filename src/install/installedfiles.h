// INSTALLEDFILES: the names of every file the copy step put into the installation folder, relative to
// it and in installation order, joined by '|'; it becomes UninstallFiles of the uninstall record.
#pragma once

#include <cstdint>

#include "base/filename.h"
#include "base/strings.h"

class INSTALLEDFILES {
 public:
  // The list grows with its size: tens of thousands of entries are appended one by one.
  INSTALLEDFILES() : List(STRINGBLOCK{4096}) { List.SetFlags(List.GetFlags() | STRINGFLAG_DYNABLOCK); }

  // Appends `name` (archive entries keep their '/') of `bytes` bytes. A name is never empty and the list
  // never starts with '|': the uninstaller stops reading at the first empty item.
  void Add(const char* name, uint64_t bytes) {
    if (!name || !*name) return;
    if (List.IsNotEmpty()) List.Append("|");
    List.Append(name);
    Bytes += bytes;
  }
  void Add(const STRING& name, uint64_t bytes) { Add(name.GetBuffer(), bytes); }
  // Appends `name` with the size of `file` as it lies on disk now (nothing when it cannot be examined).
  void AddFile(const char* name, const FILENAME& file) {
    long long size = file.Size();
    Add(name, size > 0 ? static_cast<uint64_t>(size) : 0);
  }

  const STRING& Text() const { return List; }
  // The size of the listed files together.
  uint64_t TotalBytes() const { return Bytes; }

 private:
  STRING List;
  uint64_t Bytes = 0;
};
