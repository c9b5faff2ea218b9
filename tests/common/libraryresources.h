// What the tests and tools read out of a language library: a text of its string table, and the ids of
// the dialog layouts it holds.
#pragma once

#include <windows.h>

#include <set>
#include <string>

// The text with `id`, empty when the library has none.
inline std::wstring LoadText(HMODULE library, UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(library, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

inline BOOL CALLBACK AddLayoutId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::set<int>*>(ids)->insert(static_cast<int>(LOWORD(name)));
  return TRUE;
}

// The numeric ids of the library's dialog resources.
inline std::set<int> LayoutIds(HMODULE library) {
  std::set<int> ids;
  EnumResourceNamesW(library, reinterpret_cast<LPCWSTR>(RT_DIALOG), AddLayoutId, reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}
