// Version comparison and the dated warning of the welcome page.
#include "setup/welcomerules.h"

#include <cstring>

namespace {

STRING PaddedVersion(const STRING& version) {
  if (version.Length() > 1 && version[1] == '.') return STRING("0", 1252) + version;
  return version;
}

}  // namespace

int CompareVersions(const STRING& installed, const STRING& own) {
  return STRING::stricmp(PaddedVersion(installed).c_str(), PaddedVersion(own).c_str(), 0);
}

STRING WelcomeWarningToShow(const STRING& warning, const char* today) {
  if (warning.IsEmpty()) return STRING();
  if (_strnicmp(warning.c_str(), "ShowOnly=", 9) != 0) return warning;
  int lineend = warning.Pos("\n");
  STRING condition = lineend >= 0 ? warning.Mid(9, lineend - 9) : warning.Mid(9);
  STRING text = lineend >= 0 ? warning.Mid(lineend + 1) : STRING();
  condition.Trim('R', "\r");
  char op = condition.Length() > 0 ? condition[0] : 0;
  STRING date = condition.Mid(1);
  if (op == '<' && strcmp(today, date.c_str()) > 0) return STRING();
  if (op == '>' && strcmp(today, date.c_str()) <= 0) return STRING();
  return text;
}
