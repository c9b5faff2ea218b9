// HASH, the text format: writing the table as lines of key "=" value, parsing such text back (forgiving,
// with quiet reports of what it skips), and the file Save and Load around both.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/hash.h"
#include "base/stream.h"

static const char kAssertUnit[] = "hashtext";

static const char kBinaryStart[] = "={{";
static const char kBinaryEnd[] = "}}";
static const char kEscapedInValues[] = "={}";
static const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Bad lines reported one by one; beyond that one report gives their number.
static const int kReportedLines = 16;
// Reports carry at most this many bytes of the offending line.
static const int kReportedText = 200;

// ---------------------------------------------------------------------------------------------------
// Writing.

// A key as written: escaped like a value, and a leading '#' or '/' escaped so that the line can be told
// from the "#Handle"/"#Key" lines and from comments.
static STRING EncodeKey(const STRING& key) {
  STRING text = key.Escape(kEscapedInValues);
  if (text.Length() > 0 && (text[0] == '#' || text[0] == '/')) {
    char escape[8];
    snprintf(escape, sizeof(escape), "\\x%02x", static_cast<unsigned char>(text[0]));
    text.DeleteLeft(1).Insert(escape, 0);
  }
  return text;
}

static STRING EncodeValue(const STRING& value) {
  if (!(value.GetFlags() & STRINGFLAG_BINARY)) return value.Escape(kEscapedInValues);
  return kBinaryStart + value.ToBase64(0) + kBinaryEnd;
}

// The presize of the text: all key and value bytes and two per entry, in whole 64 KiB blocks.
static int TextBlock(long long bytes) {
  const long long block = 65536;
  long long rounded = (bytes / block + 1) * block;
  return rounded > 0x10000000 ? 0x10000000 : static_cast<int>(rounded);
}

STRING HASH::ToText() const {
  DYNARRAYLOCK keys(Keys);
  DYNARRAYLOCK values(Values);
  int n = Keys.Count();
  long long bytes = 0;
  for (int i = 0; i < n; i++) bytes += Keys[i].Length() + Values[i].Length() + 2;
  STRING text(STRINGBLOCK{TextBlock(bytes)});
  text.EnsureBuffer();
  if (Handle != 0) text.AppendFormat("#Handle=%lu\n", Handle);
  // Key is escaped like a value: the reader decodes it like one.
  if (Key.IsNotEmpty()) text.Append("#Key=").Append(EncodeValue(Key)).Append("\n");
  for (int i = 0; i < n; i++) text.Append(EncodeKey(Keys[i])).Append("=").Append(EncodeValue(Values[i])).Append("\n");
  return text;
}

bool HASH::Save(const char* filename) const {
  filename = NullGuard(filename, "HASH::Save");
  logit("HASH::Save %s\n", filename ? filename : "<NULL>");
  bool ok = ToText().Save(filename, "w");
  logit("HASH::Save returns ok= %d\n", ok ? 1 : 0);
  return ok;
}

// ---------------------------------------------------------------------------------------------------
// Reading.

namespace {

// The quiet reports of one parse: the first bad lines one by one, then only their number.
class PARSEREPORTS {
 public:
  void Report(const char* condition, int line, const STRING& text) {
    if (++Count > kReportedLines) return;
    STRING info;
    info.Format("line %d: ", line);
    info.Append(text.GetBuffer() ? text.GetBuffer() : "", text.Length() < kReportedText ? text.Length() : kReportedText);
    Assert(0, condition, kAssertUnit, __LINE__, info.c_str(), 1);
  }
  ~PARSEREPORTS() {
    if (Count <= kReportedLines) return;
    STRING info;
    info.Format("%d more lines not read", Count - kReportedLines);
    Assert(0, "FALSE", kAssertUnit, __LINE__, info.c_str(), 1);
  }

 private:
  int Count = 0;
};

bool StartsWith(const STRING& text, const char* prefix) {
  size_t n = strlen(prefix);
  return static_cast<size_t>(text.Length()) >= n && _strnicmp(text.GetBuffer(), prefix, n) == 0;
}

bool EndsWith(const STRING& text, const char* suffix) {
  int n = static_cast<int>(strlen(suffix));
  return text.Length() >= n && memcmp(text.GetBuffer() + text.Length() - n, suffix, static_cast<size_t>(n)) == 0;
}

bool IsSimpleEscape(char c) { return c && strchr("rtnz0\"'\\", c) != nullptr; }

// Rewrites every escape that Unescape would reject into an escaped backslash followed by the characters
// as written, so that unescaping keeps them. Returns the condition of the first such escape, or null.
const char* KeepUnknownEscapes(STRING& text) {
  const char* p = text.GetBuffer();
  int len = text.Length();
  if (!p || !memchr(p, '\\', static_cast<size_t>(len))) return nullptr;
  const char* first = nullptr;
  STRING fixed(STRINGBLOCK{len + 64});
  fixed.EnsureBuffer();
  for (int i = 0; i < len; i++) {
    if (p[i] != '\\') {
      fixed.Append(p + i, 1);
      continue;
    }
    char next = i + 1 < len ? p[i + 1] : 0;
    bool hex0 = next == 'x' && i + 2 < len && isxdigit(static_cast<unsigned char>(p[i + 2]));
    bool hex1 = hex0 && i + 3 < len && isxdigit(static_cast<unsigned char>(p[i + 3]));
    int known = (i + 1 < len && IsSimpleEscape(next)) ? 2 : (hex1 ? 4 : 0);
    if (known) {
      fixed.Append(p + i, known);
      i += known - 1;
      continue;
    }
    if (!first) first = next != 'x' ? "FALSE" : (hex0 ? "isxdigit(xdigit[1])" : "isxdigit(xdigit[0])");
    fixed.Append("\\\\", 2);
  }
  if (first) text = fixed;
  return first;
}

// Text of a key or text value as read: escapes decoded, unknown ones reported and kept.
STRING DecodeText(STRING text, int line, const STRING& linetext, PARSEREPORTS& reports) {
  const char* bad = KeepUnknownEscapes(text);
  if (bad) reports.Report(bad, line, linetext);
  return text.Unescape(0);
}

// A line of a UTF-8 file as code page 1252 (ASCII lines stay as they are).
void FromUtf8(STRING& line) {
  for (int i = 0; i < line.Length(); i++) {
    if (static_cast<unsigned char>(line[i]) < 0x80) continue;
    line = STRING(WSTRING(line.c_str(), UNICODE_CPUTF8), 1252);
    return;
  }
}

}  // namespace

void HASH::Parse(const STRING& text, bool* haskey) {
  *haskey = false;
  const char* p = text.GetBuffer();
  int len = text.Length();
  bool utf8 = len >= 3 && memcmp(p, kByteOrderMark, 3) == 0;
  if (utf8) {
    logit("HASH::HASH text starts with a UTF-8 byte-order mark, read as UTF-8\n");
    p += 3;
    len -= 3;
  }
  STRINGARRAY lines(0, 1024);
  lines.Split(p, len, "\n");
  PARSEREPORTS reports;
  // One wait for each array instead of one per call.
  DYNARRAYLOCK keys(Keys);
  DYNARRAYLOCK values(Values);
  DYNARRAYLOCK all(lines);
  for (int i = 0; i < lines.Count(); i++) {
    STRING& line = lines[i];
    int n = line.Length();
    while (n > 0 && line[n - 1] == '\r') n--;
    line.SetLength(n);
    if (utf8) FromUtf8(line);
    bool handle = StartsWith(line, "#Handle="), key = StartsWith(line, "#Key=");
    if (line.IsEmpty() || StartsWith(line, "//") || (line[0] == '#' && !handle && !key)) continue;
    int eq = line.Pos("=");
    if (eq < 0) {
      reports.Report("item.Find(\"=\")", i + 1, line);
      continue;
    }
    STRING value = line.Mid(eq + 1);
    if (value.Length() >= 5 && StartsWith(value, kBinaryStart) && EndsWith(value, kBinaryEnd)) {
      value = value.Mid(3, value.Length() - 5).FromBase64();
      value.SetFlags(value.GetFlags() | STRINGFLAG_BINARY);
    } else {
      value = DecodeText(std::move(value), i + 1, line, reports);
    }
    if (handle) {
      Handle = strtoul(NullGuardText(value.GetBuffer(), "#Handle"), nullptr, 10);
    } else if (key) {
      Key = value;
      *haskey = true;
    } else {
      AddParsed(DecodeText(line.Left(eq), i + 1, line, reports), std::move(value));
    }
    line = STRING();
  }
  Sort();
}

HASH::HASH(const char* text) : HASH() {
  bool haskey;
  Parse(STRING(text, 1252), &haskey);
}

HASH::HASH(const STRING& text) : HASH() {
  bool haskey;
  Parse(text, &haskey);
}

bool HASH::Load(const char* filename) {
  filename = NullGuard(filename, "HASH::Load");
  logit("HASH::Load %s\n", filename ? filename : "<NULL>");
  STRING text;
  // Binary read: line ends are handled by the parser, and a Ctrl-Z byte does not end the file.
  bool ok = text.Load(filename, "rb");
  if (ok) {
    HASH parsed;
    bool haskey;
    parsed.Parse(text, &haskey);
    DYNARRAYLOCK lock(Keys);
    Keys.Exchange(parsed.Keys);
    Values.Exchange(parsed.Values);
    Handle = parsed.Handle;
    if (haskey) Key = parsed.Key;
  }
  logit("HASH::Load returns ok= %d, %s\n", ok ? 1 : 0, LastErrorText().c_str());
  return ok;
}
