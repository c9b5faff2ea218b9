// The encodings of STRING: hex digits, Base64 (with optional line breaks) and C-style escapes, each
// giving a new string; malformed escapes are reported under the unit "strings".
#include "base/strings.h"

#include <cstring>

#include "diag/norbaassert.h"
#include "base/stringinternal.h"

static const char kAssertUnit[] = "strings";

namespace {
// Collects output bytes in a fixed chunk and appends them to a string in pieces.
class BYTESINK {
 public:
  explicit BYTESINK(STRING& out) : Out(out) { Out.EnsureBuffer(); }
  ~BYTESINK() { Flush(); }
  BYTESINK(const BYTESINK&) = delete;
  BYTESINK& operator=(const BYTESINK&) = delete;
  void Put(char c) {
    if (Used == static_cast<int>(sizeof(Chunk))) Flush();
    Chunk[Used++] = c;
  }
  void Put(const char* p, int n) {
    while (n-- > 0) Put(*p++);
  }
  void Flush() {
    if (Used > 0) Out.Append(Chunk, Used);
    Used = 0;
  }

 private:
  STRING& Out;
  char Chunk[4096];
  int Used = 0;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char kHexDigits[] = "0123456789abcdef";
}  // namespace

STRING STRING::ToHex() const {
  STRING hex;
  int len = Length();
  if (!hex.Grow(2LL * len)) return hex;
  for (int i = 0; i < len; i++) {
    unsigned char c = static_cast<unsigned char>(Buffer[i]);
    hex.Buffer[2 * i] = kHexDigits[c >> 4];
    hex.Buffer[2 * i + 1] = kHexDigits[c & 15];
  }
  hex.SetLen(2 * len);
  return hex;
}

// Each pair gives the value of its leading hex digits (a pair that starts with another character gives 0).
STRING STRING::FromHex() const {
  STRING bytes;
  int count = Length() / 2;
  if (!bytes.Grow(count)) return bytes;
  for (int i = 0; i < count; i++) {
    int high = HexValue(Buffer[2 * i]), low = HexValue(Buffer[2 * i + 1]);
    int value = high < 0 ? 0 : low < 0 ? high : high * 16 + low;
    bytes.Buffer[i] = static_cast<char>(value);
  }
  bytes.SetLen(count);
  return bytes;
}

static const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

STRING STRING::ToBase64(int linebreaks) const {
  STRING text;
  BYTESINK out(text);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(Buffer);
  int len = Length(), column = 0;
  for (int i = 0; i < len; i += 3) {
    int n = len - i < 3 ? len - i : 3;
    unsigned group = (p[i] << 16) | (n > 1 ? p[i + 1] << 8 : 0) | (n > 2 ? p[i + 2] : 0);
    for (int k = 0; k < 4; k++) out.Put(k <= n ? kBase64Alphabet[(group >> (18 - 6 * k)) & 63] : '=');
    column += 4;
    if (linebreaks && (column >= 76 || i + 3 >= len)) {
      out.Put("\r\n", 2);
      column = 0;
    }
  }
  return text;
}

STRING STRING::FromBase64() const {
  STRING bytes;
  BYTESINK out(bytes);
  unsigned bits = 0;
  int held = 0;
  for (int i = 0; i < Length() && Buffer[i] != '='; i++) {
    const char* at = Buffer[i] ? strchr(kBase64Alphabet, Buffer[i]) : nullptr;
    if (!at) continue;
    bits = ((bits << 6) | static_cast<unsigned>(at - kBase64Alphabet)) & 0xFFFF;
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.Put(static_cast<char>(bits >> held));
    }
  }
  return bytes;
}

// The two-character escape of a byte that has a name, else null.
static const char* NamedEscape(char c) {
  switch (c) {
    case '\\': return "\\\\";
    case '"': return "\\\"";
    case '\'': return "\\'";
    case '\0': return "\\0";
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case 26: return "\\z";
    default: return nullptr;
  }
}

STRING STRING::Escape(const char* extra) const {
  BYTESET special(extra ? extra : "");
  STRING text;
  BYTESINK out(text);
  for (int i = 0; i < Length(); i++) {
    char c = Buffer[i];
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u <= 0x7F && c != '\\' && !special.Has(c)) {
      out.Put(c);
    } else if (const char* named = NamedEscape(c)) {
      out.Put(named, 2);
    } else {
      const char hex[4] = {'\\', 'x', kHexDigits[u >> 4], kHexDigits[u & 15]};
      out.Put(hex, 4);
    }
  }
  return text;
}

// The byte an escape letter stands for, or -1 for a letter without meaning.
static int EscapedByte(char c) {
  switch (c) {
    case 'r': return '\r';
    case 't': return '\t';
    case 'n': return '\n';
    case 'z': return 26;
    case '0': return 0;
    case '"':
    case '\'':
    case '\\': return c;
    default: return -1;
  }
}

// Escapes never read past the text: a lone backslash at the end is kept (lenient) or dropped after the
// assertion "FALSE"; "\x" takes the hex digits that are there (up to two), and one without any digit is
// kept as text when lenient.
STRING STRING::Unescape(int lenient) const {
  STRING text;
  BYTESINK out(text);
  const char* p = Buffer;
  int len = Length();
  for (int i = 0; i < len; i++) {
    if (p[i] != '\\') {
      out.Put(p[i]);
      continue;
    }
    if (i + 1 >= len) {
      if (lenient)
        out.Put('\\');
      else
        AssertCheck(false, "FALSE", kAssertUnit, __LINE__, p);
      break;
    }
    char e = p[++i];
    int byte = EscapedByte(e);
    if (byte >= 0) {
      out.Put(static_cast<char>(byte));
    } else if (e == 'x') {
      int digits = 0, value = 0;
      for (; digits < 2 && i + 1 < len && HexValue(p[i + 1]) >= 0; digits++) value = value * 16 + HexValue(p[++i]);
      if (digits < 2)
        AssertCheck(false, digits == 0 ? "isxdigit(xdigit[0])" : "isxdigit(xdigit[1])", kAssertUnit, __LINE__, p);
      if (digits > 0)
        out.Put(static_cast<char>(value));
      else if (lenient)
        out.Put("\\x", 2);
    } else if (lenient) {
      out.Put('\\');
      out.Put(e);
    } else {
      AssertCheck(false, "FALSE", kAssertUnit, __LINE__, p);
      out.Put(e);
    }
  }
  return text;
}
