// The trace facility: one process-wide log that every class writes its running commentary to.
// Lines carry the elapsed time, the thread and an indentation that follows nested operations; the
// /LOG options choose the target (a file, the debugger, a console, standard error) and the verbosity.
#include "diag/logit.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "diag/logstate.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "logit";

// The state and the lock are built on first use in static storage and never destroyed: destructors that
// run at exit, after the frame's sign-off, still trace (debug output stays on), and a writer on another
// thread may still hold the lock while the log is closed.
LOGSTATE& Log() {
  alignas(LOGSTATE) static unsigned char storage[sizeof(LOGSTATE)];
  static LOGSTATE* state = new (storage) LOGSTATE;
  return *state;
}

static CRITICAL_SECTION& LogSection() {
  static CRITICAL_SECTION section;
  static bool made = (InitializeCriticalSection(&section), true);
  (void)made;
  return section;
}

LOGLOCK::LOGLOCK() { EnterCriticalSection(&LogSection()); }
LOGLOCK::~LOGLOCK() { LeaveCriticalSection(&LogSection()); }

namespace {

const int kMaxDepth = 30;
const char kDepthBars[] = "| | | | | | | | | | | | | | | | | | | ";

double NowSeconds() {
  LARGE_INTEGER count, frequency;
  if (!QueryPerformanceCounter(&count) || !QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0)
    return GetTickCount() / 1000.0;
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool LevelSelected(int level) {
  unsigned bits = static_cast<unsigned>(level);
  if ((bits & 15) > (Log().Level & 15)) return false;
  unsigned categories = bits & ~15u;
  return categories == 0 || (categories & Log().Level) != 0;
}

void WriteRaw(const char* text, int length) {
  LOGSTATE& log = Log();
  if (log.Handle) {
    DWORD written = 0;
    WriteFile(log.Handle, text, static_cast<DWORD>(length), &written, nullptr);
  }
  if (log.DebugOutput) OutputDebugStringA(text);
}

// Depth and blank-line marks at the start of a text; returns the text behind an applied mark. A closing
// mark cuts `prefix` (the indentation, of `*prefixlen` characters) to the new depth.
const char* ApplyMarks(const char* text, int* prefixlen) {
  LOGSTATE& log = Log();
  DWORD self = GetCurrentThreadId();
  bool mine = log.Depth == 0 || log.DepthOwner == self;
  if (text[0] == '[' && mine) {
    if (strncmp(text, "[>>]", 4) == 0 && log.Depth < kMaxDepth) {
      if (log.Depth == 0) log.DepthOwner = self;
      log.Depth += 2;
      return text + 4;
    }
    if (strncmp(text, "[<<]", 4) == 0 && log.Depth >= 2) {
      log.Depth -= 2;
      if (log.Depth == 0) log.DepthOwner = 0;
      if (*prefixlen > log.Depth) *prefixlen = log.Depth;
      return text + 4;
    }
    if (strncmp(text, "[!1]", 4) == 0 || strncmp(text, "[!2]", 4) == 0) {
      char mark = text[2];
      if (log.LastMark && log.LastMark != mark) WriteTrace("\n", nullptr);
      log.LastMark = mark;
      return text + 4;
    }
  }
  if (log.LastMark) {
    log.LastMark = 0;
    WriteTrace("\n", nullptr);
  }
  return text;
}

// Finishes the `length` bytes in `buffer` (-1: the text filled it and was cut): a final LF becomes CR LF.
// The result with its terminator must fit the buffer; otherwise the text is cut and `*cut` set, and a cut
// text still ends its line, so that the next trace starts a line of its own. Returns the byte count.
int EndLine(char* buffer, size_t size, int length, bool* cut) {
  const int last = static_cast<int>(size) - 1;  // the most bytes in front of the terminator
  bool endsline = length > 0 && buffer[length - 1] == '\n';
  *cut = length < 0 || length + (endsline ? 1 : 0) > last;
  if (*cut) {
    buffer[last - 2] = '\r';
    buffer[last - 1] = '\n';
    buffer[last] = '\0';
    return last;
  }
  if (endsline) {
    buffer[length - 1] = '\r';
    buffer[length++] = '\n';
    buffer[length] = '\0';
  }
  return length;
}

// The indentation of the current thread's lines: "@ " for a thread that does not own the depth.
const char* IndentPrefix(int* length) {
  LOGSTATE& log = Log();
  if (log.Depth <= 0) {
    *length = 0;
    return "";
  }
  if (log.DepthOwner != GetCurrentThreadId()) {
    *length = 2;
    return "@ ";
  }
  *length = log.Depth;
  return kDepthBars;
}

}  // namespace

void WriteTrace(const char* format, va_list* args) {
  LOGSTATE& log = Log();
  double now = NowSeconds();
  if (log.BaseTime == 0) log.BaseTime = now;
  if (!log.MainThread) log.MainThread = GetCurrentThreadId();
  double elapsed = now - log.BaseTime;
  if (!log.FileActive && !log.DebugOutput) return;

  LOGLOCK lock;
  int prefixlen = 0;
  const char* prefix = IndentPrefix(&prefixlen);
  const char* text = ApplyMarks(format, &prefixlen);

  char logitbuf[8192];
  int howmany = 0;
  if (log.AtLineStart) {
    DWORD tid = GetCurrentThreadId();
    howmany = snprintf(logitbuf, sizeof(logitbuf), "[%07.3lf%c%04x] %.*s", elapsed,
                       tid == log.MainThread ? ':' : '#', static_cast<unsigned>(tid & 0xFFFFF), prefixlen, prefix);
    if (howmany < 0) howmany = 0;
  }
  size_t room = sizeof(logitbuf) - static_cast<size_t>(howmany);
  int added;
  if (args && strchr(text, '%')) {
    added = vsnprintf(logitbuf + howmany, room, text, *args);
  } else {
    added = static_cast<int>(strlen(text));
    snprintf(logitbuf + howmany, room, "%s", text);
  }
  bool overflow = added < 0 || static_cast<size_t>(added) >= room;
  bool cut = false;
  howmany = EndLine(logitbuf, sizeof(logitbuf), overflow ? -1 : howmany + added, &cut);
  log.AtLineStart = howmany > 0 && logitbuf[howmany - 1] == '\n';
  WriteRaw(logitbuf, howmany);
  // An over-long line is reported quietly: tracing never stops the program with a question.
  if (cut) Assert(0, "howmany < sizeof(logitbuf)", kAssertUnit, __LINE__, nullptr, 1);
}

int logit(const char* format, ...) {
  if (!Log().TracingOn || !format) return 0;
  va_list args;
  va_start(args, format);
  WriteTrace(format, &args);
  va_end(args);
  return 1;
}

int logitlevel(int level, const char* format, ...) {
  if (!Log().TracingOn || !LevelSelected(level)) return 0;
  if (!format) return 1;
  va_list args;
  va_start(args, format);
  WriteTrace(format, &args);
  va_end(args);
  return 1;
}

bool LogitIsOn() { return Log().TracingOn; }
bool LogitNoAssert() { return Log().NoAssert; }
