// Copies a dialog layout out of its module and, for an extended layout in "MS Shell Dlg" on Windows
// Vista and later, writes the face and point size of the system's message font into the copy. The
// controls behind the font are moved as a block to the next aligned place after the new face name.
#include "ui/dialoglayout.h"

#include <cstring>

#include "base/osys.h"

namespace {

// The fixed part of an extended layout up to its menu.
#pragma pack(push, 1)
struct LAYOUTHEADEREX {
  WORD Version;
  WORD Signature;
  DWORD HelpId;
  DWORD ExStyle;
  DWORD Style;
  WORD Items;
  short X, Y, Cx, Cy;
};
#pragma pack(pop)

const wchar_t kShellFont[] = L"MS Shell Dlg";

// The byte offset behind a name-or-ordinal field (menu, class) at `at`: 0x0000, 0xFFFF + ordinal, or a
// zero-terminated UTF-16 name; past the end of `bytes` for a field that runs past the layout.
size_t SkipNameOrOrdinal(const std::vector<BYTE>& bytes, size_t at) {
  if (at + 2 > bytes.size()) return bytes.size() + 1;
  WORD first;
  memcpy(&first, &bytes[at], 2);
  if (first == 0) return at + 2;
  if (first == 0xFFFF) return at + 4;
  for (; at + 2 <= bytes.size(); at += 2) {
    WORD unit;
    memcpy(&unit, &bytes[at], 2);
    if (unit == 0) return at + 2;
  }
  return bytes.size() + 1;
}

size_t Aligned(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

// The message font's face and its size in points; false when the system gives none.
bool MessageFont(wchar_t* face, size_t facesize, WORD* points) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return false;
  LONG height = metrics.lfMessageFont.lfHeight;
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  if (height < 0) height = -height;
  if (height == 0 || dpi <= 0 || metrics.lfMessageFont.lfFaceName[0] == 0) return false;
  *points = static_cast<WORD>(MulDiv(height, 72, dpi));
  wcsncpy(face, metrics.lfMessageFont.lfFaceName, facesize - 1);
  face[facesize - 1] = 0;
  return *points > 0;
}

}  // namespace

bool LayoutsUseMessageFont() { return OSYS::GetWindowsVersion() >= 5; }

DIALOGLAYOUT::DIALOGLAYOUT(HINSTANCE module, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  DWORD size = found ? SizeofResource(module, found) : 0;
  if (!data || size < sizeof(LAYOUTHEADEREX)) return;
  Bytes.assign(data, data + size);

  LAYOUTHEADEREX header;
  memcpy(&header, Bytes.data(), sizeof(header));
  bool extended = header.Version == 1 && header.Signature == 0xFFFF;
  if (!extended || !(header.Style & DS_SETFONT) || !LayoutsUseMessageFont()) return;
  // Menu, class and caption, then the font: points, weight, italic, character set, face name.
  size_t at = SkipNameOrOrdinal(Bytes, sizeof(header));
  at = SkipNameOrOrdinal(Bytes, at);
  at = SkipNameOrOrdinal(Bytes, at);
  size_t fontat = at;
  size_t faceat = fontat + 6;
  size_t faceend = SkipNameOrOrdinal(Bytes, faceat);
  if (faceend > Bytes.size()) return;
  size_t facelength = (faceend - faceat) / 2;
  if (facelength != sizeof(kShellFont) / sizeof(wchar_t) ||
      memcmp(&Bytes[faceat], kShellFont, sizeof(kShellFont)) != 0)
    return;

  wchar_t face[LF_FACESIZE];
  WORD points = 0;
  if (!MessageFont(face, LF_FACESIZE, &points)) return;
  size_t facebytes = (wcslen(face) + 1) * sizeof(wchar_t);
  size_t itemsat = Aligned(faceend);
  std::vector<BYTE> copy(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(faceat));
  memcpy(&copy[fontat], &points, sizeof(points));
  copy.insert(copy.end(), reinterpret_cast<const BYTE*>(face), reinterpret_cast<const BYTE*>(face) + facebytes);
  copy.resize(Aligned(copy.size()), 0);
  if (itemsat < Bytes.size()) copy.insert(copy.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(itemsat), Bytes.end());
  Bytes.swap(copy);
  Replaced = true;
}

const DLGTEMPLATE* DIALOGLAYOUT::Get() const {
  return IsValid() ? reinterpret_cast<const DLGTEMPLATE*>(Bytes.data()) : nullptr;
}
