// The printer's text layout on an enhanced metafile instead of a printer: the text records read back
// give where each piece of text went, so line breaks, tab stops and page breaks show.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/printer.h"

namespace {

using Pieces = std::vector<std::wstring>;

// A piece of text as "x,y:text".
std::wstring Piece(int x, int y, const std::wstring& text) {
  return std::to_wstring(x) + L"," + std::to_wstring(y) + L":" + text;
}

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM pieces) {
  if (record->iType != EMR_EXTTEXTOUTW) return 1;
  const EMRTEXT& text = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
  const wchar_t* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + text.offString);
  reinterpret_cast<Pieces*>(pieces)->push_back(
      Piece(text.ptlReference.x, text.ptlReference.y, std::wstring(chars, text.nChars)));
  return 1;
}

// Prints `text` on a metafile page with the agreement's font and margins; the pieces in order, and the
// text area, line height and character width as the printer computes them.
struct PRINTOUT {
  Pieces Texts;
  RECT Area;
  int Line, Char;
};

PRINTOUT Print(const std::string& text) {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  PRINTER printer;
  printer.UseDeviceContext(dc);
  printer.SetFont("Courier New", 12, false, false, true, 1252);
  printer.SetMargins(25, 25, 15, 20);
  printer.StartDoc("ORDER", false);
  printer.NewPage();
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  PRINTOUT out;
  int x = GetDeviceCaps(dc, LOGPIXELSX), y = GetDeviceCaps(dc, LOGPIXELSY);
  out.Area = {x * 250 / 254, y * 250 / 254, GetDeviceCaps(dc, HORZRES) - x * 150 / 254,
              GetDeviceCaps(dc, VERTRES) - y * 200 / 254};
  out.Line = metrics.tmHeight + metrics.tmExternalLeading;
  out.Char = metrics.tmAveCharWidth;
  printer.WriteText(text.c_str(), -1);
  printer.EndDoc();
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  EnumEnhMetaFile(nullptr, file, CollectText, &out.Texts, nullptr);
  DeleteEnhMetaFile(file);
  return out;
}

// A line too long for the width wraps; a tab goes to the next stop of 8 cells, a backspace a cell back;
// a form feed starts a new page at the top, and so does a line that reaches the bottom margin.
TEST(Printer, LaysOutTextInCharacterCells) {
  PRINTOUT probe = Print("x");
  ASSERT_GT(probe.Char, 0);
  const int fit = (probe.Area.right - probe.Area.left) / probe.Char;
  const int l = probe.Area.left, t = probe.Area.top, h = probe.Line, w = probe.Char;
  const int rows = (probe.Area.bottom - t + h - 1) / h;  // the first row at or below the bottom margin
  std::string text = std::string(fit, 'a') + "bcd\r\ne\tf\bg\f";
  Pieces expected = {Piece(l, t, std::wstring(fit, L'a')), Piece(l, t + h, L"bcd"), Piece(l, t + 2 * h, L"e"),
                     Piece(l + 8 * w, t + 2 * h, L"f"), Piece(l + 8 * w, t + 2 * h, L"g")};
  for (int i = 0; i <= rows; i++) {
    text += std::to_string(i) + "\r\n";
    expected.push_back(Piece(l, t + i % rows * h, std::to_wstring(i)));
  }
  EXPECT_EQ(expected, Print(text).Texts);
}

}  // namespace
