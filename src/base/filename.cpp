// FILENAME construction and path parts: resolving the pseudo names, joining a folder and a name,
// normalising the separators, splitting a path into folder and name, and wildcard matching.
#include "base/filename.h"

#include <cctype>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/osys.h"
#include "base/tempname.h"

static const char kAssertUnit[] = "osysfile";

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

static bool IsDriveRoot(const char* p, int len) { return len == 3 && p[1] == ':'; }

void FILENAME::Normalise(STRING& path) {
  char* p = path.GetBuffer();
  if (!p) return;
  int len = path.Length();
  for (int i = 0; i < len; i++)
    if (p[i] == '/') p[i] = '\\';
  while (len > 1 && p[len - 1] == '\\' && !IsDriveRoot(p, len)) len--;
  path.SetLength(len);
}

FILENAME::FILENAME(PATHTEXT text) { Resolve(text.c_str()); }

FILENAME::FILENAME(PATHTEXT dir, PATHTEXT name) {
  FILENAME resolved(name);
  if (resolved.IsAbsolute()) {
    STRING::operator=(resolved);
  } else {
    STRING folder(dir.IsEmpty() ? "." : dir.c_str(), 1252);
    ExpandShellString(folder);
    STRING joined = Join(folder, resolved);
    ExpandShellString(joined);
    STRING::operator=(joined);
  }
  logit("FILENAME::FILENAME returns '%s'\n", c_str());
}

FILENAME::FILENAME(PATHTEXT dir1, PATHTEXT dir2, PATHTEXT name) : FILENAME(FILENAME(dir1, dir2), name) {
  while (Find("\\.\\")) Replace("\\.\\", "\\", 1);
  logit("FILENAME::FILENAME returns %s\n", c_str());
}

FILENAME::FILENAME(const FILENAME& other) : STRING(other), Label(other.Label), Note(other.Note) {}

FILENAME& FILENAME::operator=(const FILENAME& other) {
  if (this == &other) return *this;
  STRING::operator=(other);
  Label = other.Label;
  Note = other.Note;
  return *this;
}

FILENAME& FILENAME::operator=(const char* text) {
  Assign(text);
  return *this;
}

FILENAME& FILENAME::operator=(const STRING& text) {
  Assign(text);
  return *this;
}

void FILENAME::Assign(PATHTEXT text) {
  STRING::operator=(STRING(text.c_str(), 1252));
  Normalise(*this);
  Label = STRING();
  Note = STRING();
}

// The pseudo names stand for the whole text only; everything else is taken as it is. Then the
// placeholders are expanded.
void FILENAME::Resolve(const char* text) {
  STRING resolved;
  if (STRING::stricmp(text, "<self>", 0) == 0) {
    resolved = OSYS::GetOwnFileName();
  } else if (STRING::stricmp(text, "<tmp>", 0) == 0 || STRING::stricmp(text, "<temp>", 0) == 0) {
    bool made = MakeTempFileName(resolved);
    Assert(made ? 1 : 0, "fname", kAssertUnit, __LINE__, text);
    if (!made) resolved = STRING();
  } else {
    resolved = STRING(text, 1252);
  }
  ExpandShellString(resolved);
  STRING::operator=(resolved);
}

FILENAME FILENAME::Join(PATHTEXT dir, PATHTEXT name) {
  const char* tail = name.c_str();
  while (IsSeparator(*tail)) tail++;
  STRING text(dir.c_str(), 1252);
  int len = text.Length();
  if (*tail && len > 0 && !IsSeparator(text[len - 1])) text.Append("\\", 1);
  text.Append(tail);
  FILENAME joined;
  joined = text;
  return joined;
}

bool FILENAME::IsAbsolute() const {
  const char* p = GetBuffer();
  if (!p || !*p) return false;
  return IsSeparator(p[0]) || p[1] == ':' || (p[0] == '~' && IsSeparator(p[1]));
}

// The index behind the root "\\server\share\" of a UNC path; -1 when the path has no server or share.
static int UncRootEnd(const char* p, int len) {
  int i = 2;
  while (i < len && !IsSeparator(p[i])) i++;
  if (i == 2 || i >= len) return -1;
  int share = ++i;
  while (i < len && !IsSeparator(p[i])) i++;
  return i == share ? -1 : i + 1;
}

// A part of a path between separators that does not name a folder of its own: empty, "." or "..".
static bool IsDotOrEmptyPart(const char* part, int n) {
  return n == 0 || (n == 1 && part[0] == '.') || (n == 2 && part[0] == '.' && part[1] == '.');
}

bool FILENAME::IsBelowRoot() const {
  const char* p = GetBuffer();
  int len = Length();
  int root = -1;
  if (len >= 3 && isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && IsSeparator(p[2]))
    root = 3;
  else if (len >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]))
    root = UncRootEnd(p, len);
  if (root < 0 || root >= len) return false;
  for (int start = root; start < len;) {
    int end = start;
    while (end < len && !IsSeparator(p[end])) end++;
    if (IsDotOrEmptyPart(p + start, end - start)) return false;
    start = end + 1;
  }
  return true;
}

// The index of the character that ends the directory part (the last separator, the ':' of a drive, or a
// leading '~'); -1 when there is no directory part.
static int DirectoryEnd(const STRING& path) {
  const char* p = path.GetBuffer();
  int len = path.Length();
  for (int i = len - 1; i >= 0; i--)
    if (IsSeparator(p[i])) return i;
  if (len >= 2 && p[1] == ':') return 1;
  if (len >= 1 && p[0] == '~') return 0;
  return -1;
}

FILENAME FILENAME::GetPath() const {
  int end = DirectoryEnd(*this);
  FILENAME path;
  path = end < 0 ? STRING(".", 1252) : Left(end + 1);
  return path;
}

FILENAME FILENAME::GetName() const {
  FILENAME name;
  name = Mid(DirectoryEnd(*this) + 1);
  name.Trim('L', "\\/");
  return name;
}

bool FILENAME::MakeRelative(PATHTEXT base) {
  FILENAME prefix;
  prefix = base.c_str();
  if (prefix.IsEmpty()) return false;
  if (prefix[prefix.Length() - 1] != '\\') prefix.Append("\\", 1);
  int len = prefix.Length();
  if (Length() <= len || Left(len) != prefix) return false;
  DeleteLeft(len);
  return true;
}

static int Upper(char c) { return toupper(static_cast<unsigned char>(c)); }

// Greedy matching with one remembered '*': on a mismatch the last '*' takes one more character.
bool FILENAME::MatchWildcard(const char* name, const char* pattern) {
  const char* n = name ? name : "";
  const char* p = pattern ? pattern : "";
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n) {
    if (*p == '*') {
      star = ++p;
      resume = n;
    } else if (*p && (*p == '?' || Upper(*p) == Upper(*n))) {
      p++;
      n++;
    } else if (star) {
      p = star;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') p++;
  return *p == '\0';
}
