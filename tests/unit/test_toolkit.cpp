// The dialog toolkit in-process: how a message box's text is prepared (joined lines, kept paragraphs,
// the wrap of long lines before Vista).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/winnorba.h"

namespace {

TEST(MessageText, LinesJoinParagraphsStayAndLongLinesWrapOnlyBeforeVista) {
  const std::string sixty(60, 'x');
  const struct {
    std::string text;
    bool wrap;
    std::wstring shown;
  } cases[] = {
      {"A\nB", false, L"A B"},
      {"A\r\nB", false, L"A B"},
      {"A\n\nB", false, L"A\r\rB"},
      {"A \nB", false, L"A \rB"},
      {"##NOWRAP##\r\nA\r\nB", true, L"A\rB"},
      {"a &rarr; b", false, L"a \u2192 b"},
      {sixty + " 5&nbsp;MB more", true, std::wstring(60, L'x') + L"\r5 MB more"},
      {sixty + " 5&nbsp;MB more", false, std::wstring(60, L'x') + L" 5 MB more"},
      {std::string(50, 'y') + " 5&nbsp;MB and on", true, std::wstring(50, L'y') + L" 5 MB\rand on"},
  };
  for (const auto& c : cases) {
    WSTRING shown = PrepareMessageText(STRING(c.text.c_str(), 1252), c.wrap);
    EXPECT_EQ(c.shown, std::wstring(shown.c_str(), static_cast<size_t>(shown.Length()))) << c.text << " wrap " << c.wrap;
  }
}

}  // namespace
