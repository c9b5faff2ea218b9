// The dialog toolkit in-process: how a message box's text is prepared (joined lines, kept paragraphs,
// the wrap of long lines before Vista).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/winnorba.h"

namespace {

TEST(MessageText, LinesJoinParagraphsStayAndLongLinesWrapOnlyBeforeVista) {
  const struct {
    std::string text;
    bool wrap;
    std::wstring shown;
  } cases[] = {
      {"A\r\nB\n\nC", false, L"A B\r\rC"},
      {"##NOWRAP##\r\nA\r\nB", true, L"A\rB"},
      {std::string(60, 'x') + " 5&nbsp;MB more", false, std::wstring(60, L'x') + L" 5 MB more"},
      {std::string(50, 'y') + " 5&nbsp;MB and on", true, std::wstring(50, L'y') + L" 5 MB\rand on"},
  };
  for (const auto& c : cases) {
    WSTRING shown = PrepareMessageText(STRING(c.text.c_str(), 1252), c.wrap);
    EXPECT_EQ(c.shown, std::wstring(shown.c_str(), static_cast<size_t>(shown.Length()))) << c.text << " wrap " << c.wrap;
  }
}

}  // namespace
