// STRINGARRAY: splitting a text into items, finding an item by one of four match modes, comparing for
// sorts, and loading a text file as lines in 32 KiB reads.
#include "base/stringarray.h"

#include <cstdio>
#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/stream.h"

static const char kAssertUnit[] = "stringarray";
static const int kReadPiece = 32768;

STRINGARRAY::STRINGARRAY(int initial, int increment) : DYNARRAY<STRING>("STRINGARRAY", initial, increment) {}

STRINGARRAY::STRINGARRAY(const char* source, const char* token, int initial)
    : DYNARRAY<STRING>("STRINGARRAY", initial, 64) {
  source = NullGuard(source, "STRINGARRAY source");
  token = NullGuard(token, "STRINGARRAY token");
  logitlevel(1, "STRINGARRAY::STRINGARRAY source= %s, token= %s\n", source ? source : "<NULL>",
             token ? token : "<NULL>");
  if (source) Split(source, static_cast<int>(strlen(source)), token);
}

STRINGARRAY::STRINGARRAY(const STRING& source, const char* token, int initial)
    : DYNARRAY<STRING>("STRINGARRAY", initial, 64) {
  token = NullGuard(token, "STRINGARRAY token");
  logitlevel(1, "STRINGARRAY::STRINGARRAY source= %s, token= %s\n", source.c_str(), token ? token : "<NULL>");
  Split(source.GetBuffer(), source.Length(), token);
}

int STRINGARRAY::Add(const char* item) { return Add(STRING(item, 1252)); }

int STRINGARRAY::Split(const char* source, int len, const char* token) {
  if (!source) len = 0;
  // A separator set as a byte table: NUL bytes of the source are never separators.
  bool separator[256] = {};
  for (const char* t = token; t && *t; t++) separator[static_cast<unsigned char>(*t)] = true;
  DYNARRAYLOCK lock(*this);
  int added = 0;
  int start = 0;
  for (int i = 0; i <= len; i++) {
    if (i < len && !separator[static_cast<unsigned char>(source[i])]) continue;
    Add(STRING(source ? source + start : "", i - start, 0));
    added++;
    start = i + 1;
  }
  return added;
}

// True when `item` matches `text` (of `textlen` bytes) by `mode`.
static bool Matches(const STRING& item, const char* text, size_t textlen, int mode) {
  const char* itemtext = NullGuardText(item.GetBuffer(), "STRINGARRAY::Find item");
  switch (mode) {
    case STRINGARRAY_FIND_EQUAL: return _stricmp(itemtext, text) == 0;
    case STRINGARRAY_FIND_PREFIX: return _strnicmp(itemtext, text, textlen) == 0;
    case STRINGARRAY_FIND_CONTAINS: return item.iPos(text) >= 0;
    default: return item.atoi() == atoi(text);
  }
}

int STRINGARRAY::Find(const char* text, int mode) const {
  text = NullGuard(text, "STRINGARRAY::Find");
  if (!text) return -1;
  if (mode < STRINGARRAY_FIND_EQUAL || mode > STRINGARRAY_FIND_NUMBER) {
    Assert(0, "FALSE", kAssertUnit, __LINE__, "unknown find mode");
    return -1;
  }
  size_t textlen = strlen(text);
  DYNARRAYLOCK lock(*this);
  for (int i = 0; i < ItemCount; i++)
    if (Matches(*static_cast<const STRING*>(ppItems[i]), text, textlen, mode)) return i;
  return -1;
}

int STRINGARRAY::Compare(const STRING& a, const STRING& b, int flags) const {
  if (flags & STRINGARRAY_COMPARE_NUMERIC) return CompareNumbers(a.atoi(), b.atoi());
  const char* atext = NullGuardText(a.GetBuffer(), "STRINGARRAY::Compare a");
  const char* btext = NullGuardText(b.GetBuffer(), "STRINGARRAY::Compare b");
  if (flags & STRINGARRAY_COMPARE_NOCASE) return _stricmp(atext, btext);
  return strcmp(atext, btext);
}

// Collects the lines of a stream: pieces are joined until a LF ends the line.
namespace {
class LINECOLLECTOR {
 public:
  LINECOLLECTOR(STRINGARRAY& target, bool unescape) : Target(target), Unescape(unescape) {}
  void Take(const char* data, int len) {
    while (len > 0) {
      const char* lf = static_cast<const char*>(memchr(data, '\n', static_cast<size_t>(len)));
      int n = lf ? static_cast<int>(lf - data) : len;
      Line.Append(data, n);
      if (!lf) return;
      if (Line.Length() > 0 && Line[Line.Length() - 1] == '\r') Line.SetLength(Line.Length() - 1);
      Emit();
      data += n + 1;
      len -= n + 1;
    }
  }
  // A last line without LF counts when it is not empty.
  int Finish() {
    if (Line.Length() > 0) Emit();
    return Added;
  }

 private:
  void Emit() {
    Target.Insert(Added++, Unescape ? Line.Unescape(0) : Line);
    Line = STRING();
  }
  STRINGARRAY& Target;
  bool Unescape;
  STRING Line;
  int Added = 0;
};
}  // namespace

int STRINGARRAY::Load(const char* filename, bool unescape) {
  filename = NullGuard(filename, "STRINGARRAY::Load");
  logit("STRINGARRAY::Load %s (%ld bytes)\n", filename ? filename : "<NULL>", static_cast<long>(FileSize(filename)));
  // Binary reads: CR LF become LF here, and a Ctrl-Z byte does not end the file as in text mode.
  STREAM file(filename, "rb");
  STRING piece;
  int added = 0;
  if (file.File && piece.Make(kReadPiece)) {
    DYNARRAYLOCK lock(*this);
    LINECOLLECTOR lines(*this, unescape);
    size_t n;
    while ((n = fread(piece.GetBuffer(), 1, kReadPiece, file.File)) > 0) lines.Take(piece.GetBuffer(), static_cast<int>(n));
    added = lines.Finish();
  }
  logit("STRINGARRAY::Load returns %d, %s\n", added, LastErrorText().c_str());
  return added;
}
