// The screen copy of a window's client area: a memory DC with a top-down 32-bit DIB section, filled by BitBlt from the
// screen DC, then reordered into RGB rows. The DCs and the bitmap are released by their owners.
#include "screencapture.h"

namespace {

class SCREENDC {
 public:
  SCREENDC() : Dc(GetDC(nullptr)) {}
  ~SCREENDC() {
    if (Dc) ReleaseDC(nullptr, Dc);
  }
  SCREENDC(const SCREENDC&) = delete;
  SCREENDC& operator=(const SCREENDC&) = delete;
  HDC Get() const { return Dc; }

 private:
  HDC Dc;
};

// A memory DC with a DIB section selected into it.
class DIBCANVAS {
 public:
  DIBCANVAS(HDC screen, int width, int height) : Dc(CreateCompatibleDC(screen)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    if (Dc && Bitmap) Previous = SelectObject(Dc, Bitmap);
  }
  ~DIBCANVAS() {
    if (Previous) SelectObject(Dc, Previous);
    if (Bitmap) DeleteObject(Bitmap);
    if (Dc) DeleteDC(Dc);
  }
  DIBCANVAS(const DIBCANVAS&) = delete;
  DIBCANVAS& operator=(const DIBCANVAS&) = delete;
  bool IsValid() const { return Dc && Bitmap && Bits; }
  HDC Get() const { return Dc; }
  const uint8_t* Pixels() const { return static_cast<const uint8_t*>(Bits); }

 private:
  HDC Dc;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ Previous = nullptr;
  void* Bits = nullptr;
};

}  // namespace

bool CaptureWindow(HWND window, WINDOWPICTURE* picture) {
  RECT rect;
  POINT origin = {0, 0};
  if (!IsWindow(window) || !GetClientRect(window, &rect) || !ClientToScreen(window, &origin)) return false;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  SCREENDC screen;
  DIBCANVAS canvas(screen.Get(), width, height);
  if (!screen.Get() || !canvas.IsValid()) return false;
  if (!BitBlt(canvas.Get(), 0, 0, width, height, screen.Get(), origin.x, origin.y, SRCCOPY)) return false;
  GdiFlush();
  picture->Width = width;
  picture->Height = height;
  picture->Rgb.resize(static_cast<size_t>(width) * height * 3);
  const uint8_t* bgrx = canvas.Pixels();
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; i++) {
    picture->Rgb[i * 3] = bgrx[i * 4 + 2];
    picture->Rgb[i * 3 + 1] = bgrx[i * 4 + 1];
    picture->Rgb[i * 3 + 2] = bgrx[i * 4];
  }
  return true;
}
