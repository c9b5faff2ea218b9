// Small text helpers the end-to-end tests share: looking for a part, lower case, the escaping of setup.cfg
// and the answer files (a backslash doubled), a whole file by its path and a shell folder's path.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace testtext {

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::string Lower(std::string text) {
  if (!text.empty()) CharLowerA(&text[0]);
  return text;
}

// A backslash before "n" or "t" would read as a line feed or a tab, so every one is doubled.
inline std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// A whole file by its full path (also outside a scratch folder), "" when it cannot be read.
inline std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

}  // namespace testtext
