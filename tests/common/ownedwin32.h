// Modules, windows and GDI objects of the tests and fixtures, owned by smart pointers that free, destroy
// or delete them when they go out of scope.
#pragma once

#include <windows.h>

#include <memory>

struct FreeModule {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct DestroyWindowOf {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct DeleteObjectOf {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteDCOf {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

using Module = std::unique_ptr<HINSTANCE__, FreeModule>;
using Window = std::unique_ptr<HWND__, DestroyWindowOf>;
using GdiObject = std::unique_ptr<void, DeleteObjectOf>;
using MemoryDC = std::unique_ptr<HDC__, DeleteDCOf>;
