// FILENAME: the program's path type. A STRING that holds a normalised Windows path (backslashes, no trailing
// backslash except at a root) and expands the shell-folder placeholders and the pseudo names "<self>",
// "<tmp>", "<temp>" when it is made from text; with it come the services on one file.
#pragma once

#include <cstdio>
#include <memory>

#include "base/strings.h"

// A path argument: a text or a STRING. A null text and an unallocated STRING both read as empty, never as
// the null guard's "<NULL>".
class PATHTEXT {
 public:
  PATHTEXT(const char* text) : Text(text ? text : "") {}
  PATHTEXT(const STRING& text) : Text(text.GetBuffer() ? text.GetBuffer() : "") {}
  const char* c_str() const { return Text; }
  bool IsEmpty() const { return Text[0] == '\0'; }

 private:
  const char* Text;
};

// An object a FILENAME may carry and own (deleted with it).
class FILENAMEATTACHMENT {
 public:
  virtual ~FILENAMEATTACHMENT() = default;
};

// Sharing modes of fsopen (the C run-time's _SH_ values); FILENAME_SHARE_BYMODE derives one from the mode.
#define FILENAME_SHARE_BYMODE (-1)

class FILENAME : public STRING {
 public:
  // Construction. Text is resolved (pseudo names), expanded (placeholders) and normalised.
  FILENAME() = default;
  explicit FILENAME(PATHTEXT text);
  // `name` alone when it is absolute, otherwise `dir` (empty: ".") and `name` joined by one backslash.
  FILENAME(PATHTEXT dir, PATHTEXT name);
  // FILENAME(FILENAME(dir1, dir2), name) with every "\.\" reduced to "\".
  FILENAME(PATHTEXT dir1, PATHTEXT dir2, PATHTEXT name);
  // Copies carry the two note fields along; the attachment stays with its owner.
  FILENAME(const FILENAME& other);
  FILENAME(FILENAME&& other) noexcept = default;
  ~FILENAME() = default;
  FILENAME& operator=(const FILENAME& other);
  FILENAME& operator=(FILENAME&& other) noexcept = default;
  // Assignment from text only normalises the separators: no pseudo names, no placeholders. It clears
  // the note fields.
  FILENAME& operator=(const char* text);
  FILENAME& operator=(const STRING& text);

  // `dir` and `name` joined by one backslash, with no expansion of either (for names found on disk).
  static FILENAME Join(PATHTEXT dir, PATHTEXT name);
  // '/' becomes '\' and trailing backslashes go, but a root ("\", "C:\") keeps its backslash.
  static void Normalise(STRING& path);

  // Path parts.
  bool IsAbsolute() const;
  // A full path below a root: "C:\a" or "\\server\share\a", without "." or ".." parts. Roots ("C:\",
  // "\\server\share"), relative ("a"), drive-relative ("C:a") and root-relative ("\a") paths are not.
  // The folders that a whole-tree operation deletes in or overwrites must be such paths.
  bool IsBelowRoot() const;
  FILENAME GetPath() const;  // the directory part; "." when there is none
  FILENAME GetName() const;  // the part after it
  // Removes `base` and the backslash after it from the front (ignoring case); true when it did.
  bool MakeRelative(PATHTEXT base);

  // Tests.
  bool Exists() const;
  bool IsDirectory() const;
  bool IsFile() const;
  bool IsWritable() const;
  long long Size() const;  // -1 when the file cannot be examined

  // Attributes: GetAttributes is INVALID_FILE_ATTRIBUTES (0xFFFFFFFF) when they cannot be read.
  unsigned long GetAttributes() const;
  bool SetAttributes(unsigned long attributes) const;
  bool SetReadOnly(bool readonly) const;

  // Actions on one file or one directory; true on success.
  bool Delete() const;
  bool MakeDir() const;
  bool RemoveDir() const;
  // Copies this file to `dest` in 4096-byte pieces; without `overwrite` an existing `dest` makes it fail.
  bool CopyTo(PATHTEXT dest, bool overwrite) const;
  // Renames this file or directory to the name part of `newname`, in its own directory; with `replace` a
  // file of that name is replaced.
  bool Rename(PATHTEXT newname, bool replace) const;

  // Opens a C stream with a sharing mode (FILENAME_SHARE_BYMODE: writers and "r+" deny everybody,
  // readers deny writers); 'a' streams start at their end. Null on failure.
  static FILE* fsopen(PATHTEXT name, const char* mode, int share = FILENAME_SHARE_BYMODE);

  // '?' matches one character, '*' any run (also empty), other characters match ignoring case.
  static bool MatchWildcard(const char* name, const char* pattern);

  // The shell-string table: placeholders such as "%USERHOME%" (also written "$(USERHOME)") and the
  // folders they stand for. ShellStringSet sets or adds one; ExpandShellString expands a placeholder at the
  // start of `text`, "%USERNAME%" and "%COMPUTERNAME%" anywhere, and normalises the separators.
  static void ShellStringSet(const char* name, const char* value, unsigned flags);
  static void ExpandShellString(STRING& text);
  // Empties the table; the next expansion fills it again from the shell folders.
  static void ShellStringsReset();

  // The caller's own notes and attachment; nothing in the program reads them.
  const STRING& GetLabel() const { return Label; }
  void SetLabel(const STRING& label) { Label = label; }
  const STRING& GetNote() const { return Note; }
  void SetNote(const STRING& note) { Note = note; }
  FILENAMEATTACHMENT* GetAttachment() const { return Attachment.get(); }
  void Attach(FILENAMEATTACHMENT* attachment) { Attachment.reset(attachment); }

 private:
  void Resolve(const char* text);
  void Assign(PATHTEXT text);

  STRING Label;
  STRING Note;
  std::unique_ptr<FILENAMEATTACHMENT> Attachment;
};
