// Directory services: making a directory path component by component, the recursive listing behind
// deleting and copying trees, and the two tree walks.
#include "base/filetree.h"

#include <windows.h>

#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/filescan.h"

static const char kAssertUnit[] = "osysfile";

// Creates one directory of a path unless it is one already (also when another program just made it).
static bool MakeDirectoryStep(const STRING& path) {
  FILENAME step;
  step = path;
  if (step.IsDirectory()) return true;
  bool ok = CreateDirectoryA(path.c_str(), nullptr) || step.IsDirectory();
  logit("OSYS::CreateDirectoryPath mkdir %s returns ok= %d\n", path.c_str(), ok);
  return ok;
}

bool FILETREE::CreateDirectoryPath(PATHTEXT path) {
  FILENAME target;
  target = path.c_str();
  if (target.IsEmpty()) return false;
  int fields = target.CountFields("\\");
  int first = 0;
  STRING built;
  if (target.Left(2) == "\\\\") {
    built = "\\\\" + target.GetToken(2, "\\") + "\\";
    first = 3;
  }
  for (int i = first; i < fields; i++) {
    STRING part = target.GetToken(i, "\\");
    if (part.IsNotEmpty()) {
      built.Append(part);
      if (!MakeDirectoryStep(built)) return false;
    }
    built.Append("\\", 1);
  }
  return target.IsDirectory();
}

// The pattern of a listing: none or "*.*" lists everything ("*").
static STRING ListPattern(const char* pattern) {
  STRING match(pattern && *pattern ? pattern : "*", 1252);
  if (match == "*.*") match = STRING("*", 1252);
  return match;
}

int FILETREE::ListFiles(PATHTEXT dir, const char* pattern, STRINGARRAY* list, bool recurse) {
  FILENAME folder(dir);
  if (folder.IsEmpty()) {
    logit("OSYS::ListFiles without a folder\n");
    return 0;
  }
  return ListFolder(folder, ListPattern(pattern), list, recurse);
}

int FILETREE::ListFolder(const FILENAME& folder, const STRING& match, STRINGARRAY* list, bool recurse) {
  bool all = match == "*";
  logit("OSYS::ListFiles %s/%s\n", folder.c_str(), match.c_str());
  int count = 0;
  for (FILESCAN scan(FILENAME::Join(folder, "*")); scan.Found(); scan.Next()) {
    if (scan.IsDots()) continue;
    const FILENAME& path = scan.GetFullPath();
    if (scan.HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) {
      if (recurse && !scan.IsFolderLink()) count += ListFolder(path, match, list, recurse);
      if (list && all) {
        list->Add(path);
        count++;
      }
    } else if (all || FILENAME::MatchWildcard(scan.GetName().c_str(), match.c_str())) {
      count++;
      if (list) {
        logit("OSYS::ListFiles %s/%s found '%s'\n", folder.c_str(), match.c_str(), path.c_str());
        list->Add(path);
      }
    }
  }
  logit("OSYS::ListFiles %s/%s done, howmany= %d\n", folder.c_str(), match.c_str(), count);
  return count;
}

// Whether a whole-tree operation may delete in or overwrite below `folder`; traces a refusal.
static bool MayChangeBelow(const FILENAME& folder, const char* operation) {
  if (folder.IsBelowRoot()) return true;
  logit("OSYS::%s refuses the folder '%s': not a full path below a root\n", operation, folder.c_str());
  return false;
}

int FILETREE::DeleteTree(PATHTEXT dir, const char* pattern, bool recurse) {
  FILENAME folder(dir);
  if (!MayChangeBelow(folder, "DeleteTree")) return 0;
  logit("[>>]OSYS::DeleteTree %s/%s\n", folder.c_str(), pattern ? pattern : "*");
  STRINGARRAY list;
  ListFolder(folder, ListPattern(pattern), &list, recurse);
  list.Add(folder);
  STRINGARRAY folders;
  for (int i = 0; i < list.Count(); i++) {
    FILENAME entry;
    entry = list[i];
    if (entry.Exists() && !entry.IsDirectory())
      entry.Delete();
    else
      folders.Add(entry);
  }
  for (int i = 0; i < folders.Count(); i++) {
    FILENAME entry;
    entry = folders[i];
    entry.RemoveDir();
  }
  logit("[<<]OSYS::DeleteTree %s done, %d files, %d folders\n", folder.c_str(), list.Count() - folders.Count(),
        folders.Count());
  return folders.Count();
}

// The folders of a copy: both given, and the target safe to overwrite in unless existing files are kept.
static bool MayCopy(const FILENAME& source, const FILENAME& destination, bool keepexisting) {
  if (source.IsEmpty() || destination.IsEmpty()) {
    logit("OSYS::CopyTree refuses to copy '%s' to '%s': a folder is missing\n", source.c_str(), destination.c_str());
    return false;
  }
  return keepexisting || MayChangeBelow(destination, "CopyTree");
}

bool FILETREE::CopyTree(PATHTEXT from, PATHTEXT to, const char* pattern, bool recurse, bool keepexisting) {
  FILENAME source(from);
  FILENAME destination(to);
  if (!MayCopy(source, destination, keepexisting)) return false;
  STRINGARRAY list;
  ListFolder(source, ListPattern(pattern), &list, recurse);
  list.Add(source);
  return CopyWalk(source, destination, list, keepexisting);
}

bool FILETREE::CopyList(PATHTEXT from, PATHTEXT to, const STRINGARRAY& list, bool keepexisting) {
  FILENAME source(from);
  FILENAME destination(to);
  return MayCopy(source, destination, keepexisting) && CopyWalk(source, destination, list, keepexisting);
}

// `entry` is `from` itself or lies below it.
static bool IsWithin(const FILENAME& entry, const FILENAME& from) {
  int len = from.Length();
  if (len == 0 || entry.Left(len) != from) return false;
  return entry.Length() == len || from[len - 1] == '\\' || entry[len] == '\\';
}

// Copies one listed file; an existing target that is to be kept counts as done.
static bool CopyEntryFile(const FILENAME& entry, const FILENAME& target, bool keepexisting) {
  if (keepexisting && target.Exists()) {
    logit("OSYS::CopyTree keeps %s\n", target.c_str());
    return true;
  }
  FILENAME parent = target.GetPath();
  if (!parent.IsDirectory()) FILETREE::CreateDirectoryPath(parent);
  return entry.CopyTo(target, !keepexisting);
}

bool FILETREE::CopyWalk(const FILENAME& source, const FILENAME& destination, const STRINGARRAY& list,
                        bool keepexisting) {
  logit("[>>]OSYS::CopyTree %s -> %s (%d entries)\n", source.c_str(), destination.c_str(), list.Count());
  bool ok = true;
  for (int i = list.Count() - 1; i >= 0; i--) {
    FILENAME entry;
    entry = list[i];
    if (!IsWithin(entry, source)) {
      Assert(0, "source.Left((STRING_SIZE_T)fromlen)==from", kAssertUnit, __LINE__, (entry + "::" + source).c_str());
      ok = false;
      continue;
    }
    FILENAME target = FILENAME::Join(destination, entry.Mid(source.Length()));
    if (!entry.IsDirectory()) {
      ok = CopyEntryFile(entry, target, keepexisting) && ok;
    } else if (entry != source && FILESCAN::IsFolderLinkPath(entry)) {
      logit("OSYS::CopyTree skips the linked folder %s\n", entry.c_str());
    } else {
      ok = CreateDirectoryPath(target) && ok;
    }
  }
  logit("[<<]OSYS::CopyTree done, ok= %d\n", ok);
  return ok;
}
