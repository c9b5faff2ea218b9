// INSTALLEDFILES: the names of every file the copy step put into the installation folder, relative to
// it and in installation order, joined by '|'; it becomes UninstallFiles of the uninstall record.
#pragma once

#include "base/strings.h"

class INSTALLEDFILES {
 public:
  // The list grows with its size: tens of thousands of entries are appended one by one.
  INSTALLEDFILES() : List(STRINGBLOCK{4096}) { List.SetFlags(List.GetFlags() | STRINGFLAG_DYNABLOCK); }

  // Appends `name` (archive entries keep their '/'). A name is never empty and the list never starts
  // with '|': the uninstaller stops reading at the first empty item.
  void Add(const char* name) {
    if (!name || !*name) return;
    if (List.IsNotEmpty()) List.Append("|");
    List.Append(name);
  }
  void Add(const STRING& name) { Add(name.GetBuffer()); }

  const STRING& Text() const { return List; }

 private:
  STRING List;
};
