// FILETREE: the directory services: making a directory path, listing a tree, deleting and copying whole
// trees. Walks never descend into a linked folder (junction, symbolic link) below the folder they were
// given: such a link is removed or skipped as a link, and what it points to is never touched.
#pragma once

#include "base/filename.h"
#include "base/stringarray.h"

class FILETREE {
 public:
  // Creates every missing directory along `path` ("C:\a\b", "\\server\share\a\b": the share is never
  // created); true when `path` is a directory at the end.
  static bool CreateDirectoryPath(PATHTEXT path);

  // Counts the files in `dir` that match `pattern` ("*.*" counts as "*"), with `recurse` also those in
  // its sub-directories. With a `list`, collects their full paths, and with the pattern "*" also the
  // sub-directories, each after its contents (and counts those too). Returns the count.
  static int ListFiles(PATHTEXT dir, const char* pattern, STRINGARRAY* list, bool recurse);

  // Deletes the matching files, then removes the listed directories deepest first and `dir` itself last.
  // Returns the number of directories it tried to remove.
  static int DeleteTree(PATHTEXT dir, const char* pattern, bool recurse);

  // Copies the matching files of `from` to the same relative places below `to`, making the directories
  // on the way; with `keepexisting` an existing target file is kept. True when nothing failed.
  static bool CopyTree(PATHTEXT from, PATHTEXT to, const char* pattern, bool recurse, bool keepexisting);
  // The copy walk of CopyTree over a given list of paths below `from`, from its last entry to its first
  // (so that each directory comes before its contents).
  static bool CopyList(PATHTEXT from, PATHTEXT to, const STRINGARRAY& list, bool keepexisting);
};
