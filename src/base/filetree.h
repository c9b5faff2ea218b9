// FILETREE: the directory services: making a directory path, listing a tree, deleting and copying whole
// trees. Walks never descend into a linked folder (junction, symbolic link) below the folder they were
// given: such a link is removed or skipped as a link, and what it points to is never touched.
#pragma once

#include "base/filename.h"
#include "base/stringarray.h"

// Every folder given to ListFiles, DeleteTree, CopyTree and CopyList goes through the file-name rules
// first, like any other path (FILENAME(text): placeholders such as "%USERPROFILE%" and the pseudo names
// are expanded, "C:" names the drive's root, never its current folder). An empty folder is refused.
class FILETREE {
 public:
  // Creates every missing directory along `path` ("C:\a\b", "\\server\share\a\b": the share is never
  // created); true when `path` is a directory at the end.
  static bool CreateDirectoryPath(PATHTEXT path);

  // Counts the files in `dir` that match `pattern` ("*.*" counts as "*"), with `recurse` also those in
  // its sub-directories. With a `list`, collects their full paths, and with the pattern "*" also the
  // sub-directories, each after its contents (and counts those too). Returns the count; 0 for an empty
  // `dir`. Only "." and ".." are passed over: folders whose names begin with "." (".config", ".ssh") are
  // listed and entered like any other, on purpose, so that deleting or copying a tree leaves none of the
  // data kept in them behind.
  static int ListFiles(PATHTEXT dir, const char* pattern, STRINGARRAY* list, bool recurse);

  // Deletes the matching files, then removes the listed directories deepest first and `dir` itself last.
  // Returns the number of directories it tried to remove (at least 1). A `dir` that is not a full path
  // below a root (FILENAME::IsBelowRoot: empty, relative, drive-relative, a drive root, a share, "..") is
  // refused: traced, nothing deleted, 0.
  static int DeleteTree(PATHTEXT dir, const char* pattern, bool recurse);

  // Copies the matching files of `from` to the same relative places below `to`, making the directories
  // on the way; with `keepexisting` an existing target file is kept. True when nothing failed. An empty
  // `from` or `to` is refused (traced, false), and so is a `to` that is not a full path below a root
  // when existing files are to be overwritten (not `keepexisting`).
  static bool CopyTree(PATHTEXT from, PATHTEXT to, const char* pattern, bool recurse, bool keepexisting);
  // The copy walk of CopyTree over a given list of paths below `from`, from its last entry to its first
  // (so that each directory comes before its contents); the folders are checked as by CopyTree.
  static bool CopyList(PATHTEXT from, PATHTEXT to, const STRINGARRAY& list, bool keepexisting);

 private:
  // The walks behind the operations above, on folders that went through the file-name rules already:
  // names found on disk are never expanded again.
  static int ListFolder(const FILENAME& folder, const STRING& match, STRINGARRAY* list, bool recurse);
  static bool CopyWalk(const FILENAME& source, const FILENAME& destination, const STRINGARRAY& list,
                       bool keepexisting);
};
