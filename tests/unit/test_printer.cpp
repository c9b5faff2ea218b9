// The printer's text layout on an enhanced metafile instead of a printer: the text records read back
// give where each piece of text went, so line breaks, returns, tab stops and page breaks show.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/printer.h"

namespace {

struct PIECE {
  int X, Y;
  std::wstring Text;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM pieces) {
  if (record->iType != EMR_EXTTEXTOUTW) return 1;
  auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
  const wchar_t* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
  reinterpret_cast<std::vector<PIECE>*>(pieces)->push_back(
      {text->emrtext.ptlReference.x, text->emrtext.ptlReference.y, std::wstring(chars, text->emrtext.nChars)});
  return 1;
}

// Prints `text` on a metafile page with the agreement's font and margins; the pieces in order, and the
// text area, line height and character width as the printer computes them.
struct PRINTOUT {
  std::vector<PIECE> Pieces;
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
  EnumEnhMetaFile(nullptr, file, CollectText, &out.Pieces, nullptr);
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
    std::vector<PIECE> pieces;
  } cases[] = {
      {std::string(fit, 'a') + "bcd", false, {{l, t, std::wstring(fit, L'a')}, {l, t + h, L"bcd"}}},
      {"ab\r\ncd\nef", false, {{l, t, L"ab"}, {l, t + h, L"cd"}, {l, t + 2 * h, L"ef"}}},
      {"ab\ncd\ref", true, {{l, t, L"ab"}, {l + 2 * w, t + h, L"cd"}, {l, t + h, L"ef"}}},
      {"a\tb\bc", false, {{l, t, L"a"}, {l + 8 * w, t, L"b"}, {l + 8 * w, t, L"c"}}},
      {"a\fb", false, {{l, t, L"a"}, {l, t, L"b"}}},
  };
  for (const auto& c : cases) {
    PRINTOUT out = Print(c.text, c.lfwithoutreturn);
    ASSERT_EQ(c.pieces.size(), out.Pieces.size()) << c.text;
    for (size_t i = 0; i < out.Pieces.size(); i++) {
      EXPECT_EQ(c.pieces[i].Text, out.Pieces[i].Text) << c.text << " piece " << i;
      EXPECT_EQ(c.pieces[i].X, out.Pieces[i].X) << c.text << " piece " << i;
      EXPECT_EQ(c.pieces[i].Y, out.Pieces[i].Y) << c.text << " piece " << i;
    }
  }
  // Lines that reach the bottom margin continue at the top of a new page.
  std::string lines;
  for (int i = 0; i < 200; i++) lines += std::to_string(i) + "\r\n";
  PRINTOUT pages = Print(lines, false);
  size_t top = 0;
  for (size_t i = 1; i < pages.Pieces.size() && !top; i++)
    if (pages.Pieces[i].Y == t) top = i;
  ASSERT_GT(top, 1u) << "no second page";
  EXPECT_GE(pages.Pieces[top - 1].Y + h, pages.Area.bottom);
  EXPECT_EQ(std::to_wstring(top), pages.Pieces[top].Text);
}

}  // namespace
