// The printer's text layout on an enhanced metafile instead of a printer: the text records read back
// give where each piece of text went, so line breaks, returns, tab stops and page breaks show.
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

PRINTOUT Print(const std::string& text, bool lfwithoutreturn) {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  PRINTER printer;
  printer.UseDeviceContext(dc);
  printer.SetFont("Courier New", 12, false, false, true, 1252);
  printer.SetMargins(25, 25, 15, 20);
  printer.StartDoc("ORDER", lfwithoutreturn);
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

TEST(Printer, LaysOutTextInCharacterCells) {
  PRINTOUT probe = Print("x", false);
  ASSERT_GT(probe.Char, 0);
  const int fit = (probe.Area.right - probe.Area.left) / probe.Char;
  const int l = probe.Area.left, t = probe.Area.top, h = probe.Line, w = probe.Char;
  const struct {
    std::string text;
    bool lfwithoutreturn;
    Pieces pieces;
  } cases[] = {
      {std::string(fit, 'a') + "bcd", false, {Piece(l, t, std::wstring(fit, L'a')), Piece(l, t + h, L"bcd")}},
      {"ab\r\ncd\nef", false, {Piece(l, t, L"ab"), Piece(l, t + h, L"cd"), Piece(l, t + 2 * h, L"ef")}},
      {"ab\ncd\ref", true, {Piece(l, t, L"ab"), Piece(l + 2 * w, t + h, L"cd"), Piece(l, t + h, L"ef")}},
      {"a\tb\bc", false, {Piece(l, t, L"a"), Piece(l + 8 * w, t, L"b"), Piece(l + 8 * w, t, L"c")}},
      {"a\fb", false, {Piece(l, t, L"a"), Piece(l, t, L"b")}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.pieces, Print(c.text, c.lfwithoutreturn).Texts) << c.text;
  // Lines that reach the bottom margin continue at the top of a new page.
  std::string lines;
  for (int i = 0; i < 200; i++) lines += std::to_string(i) + "\r\n";
  PRINTOUT pages = Print(lines, false);
  ASSERT_EQ(200u, pages.Texts.size());
  size_t top = 1;
  while (top < 200 && pages.Texts[top] != Piece(l, t, std::to_wstring(top))) top++;
  ASSERT_LT(top, 200u) << "no second page";
  EXPECT_EQ(Piece(l, t + static_cast<int>(top - 1) * h, std::to_wstring(top - 1)), pages.Texts[top - 1]);
  EXPECT_GE(t + static_cast<int>(top) * h, pages.Area.bottom);
}

}  // namespace
