// The printer: print dialog, font, margins, document and pages, and the character-cell text layout.
#include "ui/printer.h"

#include <commdlg.h>

#include <cstring>

#include "base/strings.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "printer_win32";

namespace {

// Holds the printer's lock for one operation.
class HELD {
 public:
  explicit HELD(MUTEXSEM& lock) : Lock(lock) { Lock.Obtain(); }
  ~HELD() { Lock.Release(); }
  HELD(const HELD&) = delete;
  HELD& operator=(const HELD&) = delete;

 private:
  MUTEXSEM& Lock;
};

BYTE CharsetOfCodePage(int codepage) {
  switch (codepage) {
    case 437: case 737: case 850: case 852: case 866: case 878: return OEM_CHARSET;
    case 1250: return EASTEUROPE_CHARSET;
    case 1251: return RUSSIAN_CHARSET;
    case 1253: return GREEK_CHARSET;
    case 1254: return TURKISH_CHARSET;
    case 1257: return BALTIC_CHARSET;
    default: return ANSI_CHARSET;
  }
}

// Millimetres as device units at `perinch` units per inch.
int FromMillimetres(int perinch, int mm) { return perinch * mm * 10 / 254; }

}  // namespace

PRINTER::~PRINTER() {
  HELD held(Lock);
  Release();
}

void PRINTER::Release() {
  if (Font) DeleteObject(Font);
  Font = nullptr;
  if (Dc && OwnsDc) DeleteDC(Dc);
  Dc = nullptr;
  OwnsDc = false;
}

bool PRINTER::HasDeviceContext(int line) { return AssertCheck(Dc != nullptr, "this->hDC", kAssertUnit, line); }

bool PRINTER::PrinterDialog(HWND owner) {
  HELD held(Lock);
  logit("PRINTER::PrinterDialog\n");
  AssertCheck(Dc == nullptr, "!this->hDC", kAssertUnit, __LINE__);
  AssertCheck(Font == nullptr, "!this->hFont", kAssertUnit, __LINE__);
  PRINTDLGW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS;
  bool ok = PrintDlgW(&dialog) && dialog.hDC;
  if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
  if (ok) {
    Release();
    Dc = dialog.hDC;
    OwnsDc = true;
  }
  logit("PRINTER::PrinterDialog returns %d\n", ok ? 1 : 0);
  return ok;
}

void PRINTER::UseDeviceContext(HDC dc) {
  HELD held(Lock);
  Release();
  Dc = dc;
}

bool PRINTER::SetFont(const char* face, int points, bool bold, bool italic, bool fixed, int codepage) {
  HELD held(Lock);
  if (!HasDeviceContext(__LINE__)) return false;
  int height = GetDeviceCaps(Dc, LOGPIXELSY) * points / 72;
  HFONT font = CreateFontA(height, 0, 0, 0, bold ? 700 : 400, italic, FALSE, FALSE, CharsetOfCodePage(codepage),
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           fixed ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH, face);
  if (!font) return false;
  if (Font) DeleteObject(Font);
  Font = font;
  CodePage = codepage;
  SelectObject(Dc, Font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(Dc, &metrics);
  LineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  CharWidth = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 1;
  return true;
}

bool PRINTER::SetMargins(int left, int top, int right, int bottom) {
  HELD held(Lock);
  logit("PRINTER::SetMargins hdc= %p, hdirect= %p\n", static_cast<void*>(Dc), nullptr);
  if (!HasDeviceContext(__LINE__)) return false;
  int x = GetDeviceCaps(Dc, LOGPIXELSX), y = GetDeviceCaps(Dc, LOGPIXELSY);
  Margins.left = FromMillimetres(x, left);
  Margins.top = FromMillimetres(y, top);
  Margins.right = GetDeviceCaps(Dc, HORZRES) - FromMillimetres(x, right);
  Margins.bottom = GetDeviceCaps(Dc, VERTRES) - FromMillimetres(y, bottom);
  logit("PRINTER::SetMargins done\n");
  return true;
}

bool PRINTER::StartDoc(const char* name, bool lfwithoutreturn) {
  HELD held(Lock);
  logit("PRINTER::StartDoc %s hdc= %p, hdirect= %p\n", name ? name : "", static_cast<void*>(Dc), nullptr);
  if (!HasDeviceContext(__LINE__)) return false;
  WSTRING wide(name ? name : "", 1252);
  DOCINFOW info = {};
  info.cbSize = sizeof(info);
  info.lpszDocName = wide.c_str();
  ::StartDocW(Dc, &info);
  LfWithoutReturn = lfwithoutreturn;
  FirstPage = true;
  logit("PRINTER::StartDoc done\n");
  return true;
}

bool PRINTER::NewPage() {
  HELD held(Lock);
  logit("PRINTER::NewPage hdc= %p, hdirect= %p\n", static_cast<void*>(Dc), nullptr);
  if (!HasDeviceContext(__LINE__)) return false;
  if (!FirstPage) EndPage(Dc);
  StartPage(Dc);
  FirstPage = false;
  InPage = true;
  // A new page starts with the device context's defaults.
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, RGB(0, 0, 0));
  SetTextAlign(Dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (Font) SelectObject(Dc, Font);
  Position.x = Margins.left;
  Position.y = Margins.top;
  return true;
}

void PRINTER::LineBreak() {
  Position.x = Margins.left;
  Position.y += LineHeight;
}

// The run goes out as far as the right edge allows; the rest continues on the next lines.
void PRINTER::PrintRun(const char* run, int length) {
  while (length > 0) {
    int fit = CharWidth > 0 ? (Margins.right - Position.x) / CharWidth : length;
    if (fit <= 0) {
      LineBreak();
      fit = CharWidth > 0 ? (Margins.right - Position.x) / CharWidth : length;
      if (fit <= 0) return;  // a text area narrower than one character
    }
    int count = fit < length ? fit : length;
    WSTRING wide(STRING(run, count, CodePage));
    TextOutW(Dc, Position.x, Position.y, wide.c_str(), wide.Length());
    Position.x += count * CharWidth;
    run += count;
    length -= count;
    if (length > 0) LineBreak();
  }
}

void PRINTER::Control(char c) {
  switch (c) {
    case 8:
      if (Position.x - CharWidth >= Margins.left) Position.x -= CharWidth;
      break;
    case 9: {
      int stop = TabWidth * CharWidth;
      if (stop > 0) Position.x = Margins.left + ((Position.x - Margins.left) / stop + 1) * stop;
      break;
    }
    case 10:
      Position.y += LineHeight;
      if (!LfWithoutReturn) Position.x = Margins.left;
      break;
    case 13:
      Position.x = Margins.left;
      break;
    case 12:
      NewPage();
      break;
    default:
      break;
  }
  if (Position.y >= Margins.bottom) NewPage();
}

bool PRINTER::WriteText(const char* text, int length) {
  HELD held(Lock);
  if (length < 0) length = text ? static_cast<int>(strlen(text)) : 0;
  logit("PRINTER::WriteText %d bytes hdc= %p, hdirect= %p\n", length, static_cast<void*>(Dc), nullptr);
  if (!HasDeviceContext(__LINE__) || !text) return false;
  bool ok = AssertCheck(Margins.bottom > 0, "this->Margins.bottom>0", kAssertUnit, __LINE__);
  if (ok && !InPage) NewPage();
  int start = 0;
  for (int i = 0; ok && i <= length; i++) {
    unsigned char c = i < length ? static_cast<unsigned char>(text[i]) : 0;
    if (i < length && c >= 32) continue;
    PrintRun(text + start, i - start);
    if (i < length) Control(static_cast<char>(c));
    start = i + 1;
  }
  logit("PRINTER::WriteText %d bytes done, ok= %d\n", length, ok ? 1 : 0);
  return ok;
}

bool PRINTER::EndDoc() {
  HELD held(Lock);
  logit("PRINTER::EndDoc hdc= %p, hdirect= %p\n", static_cast<void*>(Dc), nullptr);
  if (!HasDeviceContext(__LINE__)) return false;
  if (InPage) EndPage(Dc);
  ::EndDoc(Dc);
  InPage = false;
  FirstPage = true;
  Release();
  logit("PRINTER::EndDoc done\n");
  return true;
}
