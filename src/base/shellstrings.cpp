// The shell-string table: 32 placeholders for the user's and the machine's shell folders, filled once
// from the shell folders and kept sorted by the length of the folder, longest first; and the expansion
// of a placeholder at the start of a path.
#include <windows.h>

#include <cstring>
#include <utility>

#include "diag/logit.h"
#include "base/critsec.h"
#include "base/filename.h"
#include "base/osys.h"

namespace {

const int kShellStrings = 32;

struct SHELLSTRING {
  STRING Name;         // "%USERHOME%"
  STRING Alternative;  // "$(USERHOME)"
  STRING Value;        // the folder, ending in a backslash
  unsigned Flags = 0;
};

// The built-in placeholders and their shell-folder types, in the order they are filled.
struct SHELLPLACEHOLDER {
  const char* Name;
  int Type;
};
const SHELLPLACEHOLDER kShellPlaceholders[] = {
    {"%USERHOME%", 6},       {"%USERPROFILE%", 6},     {"%USERDOCUMENTS%", 14}, {"%USERDESKTOP%", 8},
    {"%APPDATA%", 5},        {"%ALLUSERAPPDATA%", 13}, {"%ALLUSERPROFILE%", 12}, {"%USERLIBRARY%", 5},
    {"%USERLOGS%", 18},      {"%USERDOWNLOAD%", 19},   {"%USERPICTURES%", 7},
};
const int kBuiltIns = sizeof(kShellPlaceholders) / sizeof(kShellPlaceholders[0]);

struct SHELLTABLE {
  CRITICALSECTION Lock;
  bool Filled = false;
  SHELLSTRING Entries[kShellStrings];
};

SHELLTABLE& Table() {
  static SHELLTABLE table;
  return table;
}

// Set while this thread fills the table: the shell-folder lookups may make file names themselves.
thread_local bool tFilling = false;

void Store(SHELLSTRING& entry, const char* name, const STRING& value, unsigned flags) {
  entry.Name = STRING(name, 1252);
  entry.Alternative = STRING(name, 1252);
  entry.Alternative.RemoveChars("%");
  entry.Alternative = "$(" + entry.Alternative + ")";
  entry.Value = value;
  entry.Flags = flags;
}

// The entry of that name (compared exactly), else the first empty one; null when the table is full.
SHELLSTRING* Slot(SHELLTABLE& table, const char* name) {
  for (SHELLSTRING& entry : table.Entries)
    if (entry.Name.IsNotEmpty() && strcmp(entry.Name.c_str(), name) == 0) return &entry;
  for (SHELLSTRING& entry : table.Entries)
    if (entry.Name.IsEmpty()) return &entry;
  return nullptr;
}

// Bubble sort by value length, longest first; equal lengths keep their order.
void SortByValueLength(SHELLTABLE& table) {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = 0; i + 1 < kShellStrings; i++) {
      SHELLSTRING& a = table.Entries[i];
      SHELLSTRING& b = table.Entries[i + 1];
      if (a.Value.Length() >= b.Value.Length()) continue;
      std::swap(a, b);
      swapped = true;
    }
  }
}

// The folders are looked up without the lock held (the lookups trace and read the registry); a second
// thread that filled the table meanwhile wins.
void EnsureFilled() {
  SHELLTABLE& table = Table();
  {
    CRITICALSECTIONLOCK hold(table.Lock);
    if (table.Filled) return;
  }
  if (tFilling) return;
  tFilling = true;
  logit("FILENAME::ShellStringsInit\n");
  STRING values[kBuiltIns];
  for (int i = 0; i < kBuiltIns; i++) values[i] = OSYS::GetSystemPath(kShellPlaceholders[i].Type);
  {
    CRITICALSECTIONLOCK hold(table.Lock);
    if (!table.Filled) {
      for (int i = 0; i < kBuiltIns; i++) {
        SHELLSTRING* slot = Slot(table, kShellPlaceholders[i].Name);
        if (slot && slot->Name.IsEmpty()) Store(*slot, kShellPlaceholders[i].Name, values[i], 0);
      }
      SortByValueLength(table);
      table.Filled = true;
    }
  }
  logit("FILENAME::ShellStringsInit done\n");
  tFilling = false;
}

bool BeginsWith(const STRING& text, const STRING& head) {
  return head.IsNotEmpty() && text.Length() >= head.Length() && text.Left(head.Length()) == head;
}

// Replaces `head` at the start of `text` by `replacement`.
void ReplaceHead(STRING& text, const STRING& head, const STRING& replacement) {
  if (BeginsWith(text, head)) text = replacement + text.Mid(head.Length());
}

// "%USERNAME%" and "%COMPUTERNAME%" anywhere; an unknown name leaves its placeholder standing rather
// than making another path of it.
void ReplaceIdentity(STRING& text, bool username, bool computername) {
  if (username) {
    STRING user = OSYS::GetUserName();
    if (user.IsNotEmpty()) text.Replace("%USERNAME%", user.c_str(), 0);
  }
  if (computername) text.Replace("%COMPUTERNAME%", OSYS::GetComputerName().c_str(), 0);
}

void ExpandPlaceholders(STRING& text) {
  SHELLTABLE& table = Table();
  CRITICALSECTIONLOCK hold(table.Lock);
  for (const SHELLSTRING& entry : table.Entries) {
    if (entry.Name.IsEmpty() || entry.Value.IsEmpty()) continue;
    STRING replacement = entry.Value;
    replacement.Trim('R', "\\/");
    ReplaceHead(text, entry.Name, replacement);
    ReplaceHead(text, entry.Alternative, replacement);
  }
}

}  // namespace

void FILENAME::ExpandShellString(STRING& text) {
  if (text.IsEmpty()) return;
  bool username = text.iFind("%USERNAME%");
  bool computername = text.iFind("%COMPUTERNAME%");
  if (strchr("%~$", text[0]) || username || computername) {
    STRING before = text;
    EnsureFilled();
    text.Replace("/", "\\", 1);
    if (text.Length() >= 2 && text[0] == '~' && text[1] == '\\') text = "%USERHOME%" + text.Mid(1);
    ReplaceIdentity(text, username, computername);
    ExpandPlaceholders(text);
    logit("FILENAME::ExpandShellString %s -> %s\n", before.c_str(), text.c_str());
  }
  Normalise(text);
  if (text.Length() == 2 && text[1] == ':') text.Append("\\", 1);
}

void FILENAME::ShellStringSet(const char* name, const char* value, unsigned flags) {
  logit("FILENAME::ShellStringSet %s %s\n", NullGuard(name, "ShellStringSet name"),
        NullGuard(value, "ShellStringSet value"));
  if (!name || !*name) return;
  EnsureFilled();
  SHELLTABLE& table = Table();
  CRITICALSECTIONLOCK hold(table.Lock);
  SHELLSTRING* slot = Slot(table, name);
  if (!slot) return;
  Store(*slot, name, STRING(value, 1252), flags);
  SortByValueLength(table);
}

void FILENAME::ShellStringsReset() {
  SHELLTABLE& table = Table();
  CRITICALSECTIONLOCK hold(table.Lock);
  for (SHELLSTRING& entry : table.Entries) entry = SHELLSTRING();
  table.Filled = false;
}
