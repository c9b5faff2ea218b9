// OVERWRITERULES: the protected-files and ask-before-overwrite rules that decide whether an archive entry
// may replace a file in the installation folder. Both lists come from the setup configuration
// (ProtectedFiles, AskOverwrite): items separated by '|', fields by ';', read up to the first empty item.
#pragma once

#include <windows.h>

#include <vector>

#include "base/strings.h"

struct OVERWRITEITEM {
  STRING Name;   // field 0: the entry name as stored ('/' separators); wildcards in the protected list
  STRING Label;  // field 1: the name shown in the question (ask list only; empty: the entry name)
};

class OVERWRITERULES {
 public:
  // Every '\' in both lists becomes '/'; fields are trimmed of blanks and tabs.
  OVERWRITERULES(const STRING& asklist, const STRING& protectedlist);

  // The owner of the question (none: the calling thread's active window), and whether anybody is there
  // to answer it.
  void SetQuestionOwner(HWND owner, bool hidden) {
    Owner = owner;
    Hidden = hidden;
  }

  // Whether the entry `name` ('/' separators) may be written below `destination`: not when a protected
  // item matches it and its target exists; when an ask item names it and its target exists, the answer
  // to the question decides, and in a hidden run the file is kept, as No would keep it.
  bool MayWrite(const char* name, const char* destination) const;

 private:
  bool IsProtected(const char* name) const;
  const OVERWRITEITEM* FindAsked(const char* name) const;
  // The question before an existing file is replaced, built from UI text 2992 with `shown` for the
  // file and shown as a Yes/No box with title 2993. True for Yes.
  bool AskReplace(const STRING& shown) const;

  std::vector<OVERWRITEITEM> Ask;
  std::vector<OVERWRITEITEM> Protected;
  HWND Owner = nullptr;
  bool Hidden = false;
};
