// Program arguments: splitting the command line and the lookups TestArg, TestArgValue, GetArgValue, over the
// whole list or over the command line alone.
// An argument is a switch when it starts with "/" or "-"; the first matching element wins.
#include <cstring>
#include <vector>

#include "diag/logit.h"
#include "app/norba_win32.h"

// The argument list holds at most this many elements from the command line, program path included.
static const int kMaxCommandLineElements = 255;

STRINGARRAY& ProgramArguments() {
  static STRINGARRAY arguments;
  return arguments;
}

static bool IsBlank(char c) { return c == ' '; }

// The program path that Windows puts first: longer than 4 characters and ending in ".exe" exactly.
static bool IsProgramToken(const char* token) {
  size_t n = strlen(token);
  return n > 4 && strcmp(token + n - 4, ".exe") == 0;
}

void SplitCommandLine(const char* commandline, const char* selfpath, STRINGARRAY& out, STRING& wholeline) {
  if (!commandline) commandline = "";
  while (IsBlank(*commandline)) commandline++;
  size_t n = strlen(commandline);
  while (n > 0 && IsBlank(commandline[n - 1])) n--;
  wholeline = STRING(commandline, static_cast<int>(n), 0);

  std::vector<char> copy(commandline, commandline + n);
  copy.push_back('\0');
  char* rest = copy.data();
  out.Clear();
  out.Add(selfpath);
  bool first = true;
  while (out.Count() < kMaxCommandLineElements - 1 && *rest) {
    char* token = rest;
    char* end;
    if (*token == '"') {
      token++;
      end = strchr(token, '"');
    } else {
      end = strchr(token, ' ');
    }
    if (!end) break;
    *end = '\0';
    if (!(first && IsProgramToken(token))) out.Add(token);
    first = false;
    rest = end + 1;
    while (IsBlank(*rest)) rest++;
  }
  if (!*rest) return;
  // The rest of the line is the last element; a lone unclosed quote at its start is dropped.
  if (*rest == '"' && !strchr(rest + 1, '"')) rest++;
  // A command line that is only the unquoted program path holds no argument.
  if (first && !strchr(rest, ' ') && IsProgramToken(rest)) return;
  out.Add(rest);
}

static bool IsSwitch(const STRING& element) {
  return element.Length() > 1 && (element[0] == '/' || element[0] == '-');
}

// Element i is a switch whose name starts with `name`; `nameend` receives the text after the name.
static bool SwitchHasPrefix(const STRING& element, const char* name, const char** nameend) {
  if (!IsSwitch(element)) return false;
  size_t len = strlen(name);
  const char* text = element.c_str() + 1;
  if (_strnicmp(text, name, len) != 0) return false;
  *nameend = text + len;
  return true;
}

int TestArg(const char* name) {
  const STRINGARRAY& args = ProgramArguments();
  int found = 0;
  for (int i = 1; i < args.Count() && !found; i++) {
    const char* after;
    found = SwitchHasPrefix(args[i], name, &after) && *after == '\0';
  }
  logit("TestArg(\"%s\") returned %d\n", name, found);
  return found;
}

// The value-carrying occurrences among elements 1 to end-1: "-" and exactly the name, or "/", the name
// and ":".
static int CountValueForms(const char* name, int index, int end) {
  const STRINGARRAY& args = ProgramArguments();
  int count = 0;
  for (int i = 1; i < end && count <= index; i++) {
    const char* after;
    if (!SwitchHasPrefix(args[i], name, &after)) continue;
    bool dashform = args[i][0] == '-' && *after == '\0';
    bool slashform = args[i][0] == '/' && *after == ':';
    if (dashform || slashform) count++;
  }
  return index >= 0 && count > index;
}

// The value of occurrence `index` among elements 1 to end-1; a dash form takes the next element, which
// must lie before `end` too (a dash form ending the command line never takes a commandline.ini line).
static STRING ValueOf(const char* name, int index, int end) {
  const STRINGARRAY& args = ProgramArguments();
  STRING value;
  int count = 0;
  for (int i = 1; i < end; i++) {
    const char* after;
    if (!SwitchHasPrefix(args[i], name, &after)) continue;
    if (count++ != index) continue;
    if (args[i][0] == '-') {
      if (i + 1 < end) value = args[i + 1];
    } else {
      value = STRING(*after == ':' ? after + 1 : after, 1252);
    }
    break;
  }
  return value;
}

static int& CommandLineCount() {
  static int count = 0;
  return count;
}

void SetCommandLineArgumentCount(int count) { CommandLineCount() = count; }

// The end of the command line's elements in the list as it is now.
static int CommandLineEnd() {
  int count = ProgramArguments().Count();
  return CommandLineCount() < count ? CommandLineCount() : count;
}

int TestArgValue(const char* name, int index) {
  int found = CountValueForms(name, index, ProgramArguments().Count());
  logit("TestArgValue(\"%s\", %d) returned %d\n", name, index, found);
  return found;
}

STRING GetArgValue(const char* name, int index) {
  STRING value = ValueOf(name, index, ProgramArguments().Count());
  logit("GetArgValue(\"%s\", %d) returned %s\n", name, index, value.IsEmpty() ? "<NULL>" : value.c_str());
  return value;
}

int TestCommandLineArgValue(const char* name, int index) {
  int found = CountValueForms(name, index, CommandLineEnd());
  logit("TestCommandLineArgValue(\"%s\", %d) returned %d\n", name, index, found);
  return found;
}

STRING GetCommandLineArgValue(const char* name, int index) {
  STRING value = ValueOf(name, index, CommandLineEnd());
  logit("GetCommandLineArgValue(\"%s\", %d) returned %s\n", name, index, value.IsEmpty() ? "<NULL>" : value.c_str());
  return value;
}
