// The dialog toolkit in-process: how a message box's text is prepared, and the default title of a
// question that comes without one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "base/osys.h"
#include "ownedwin32.h"
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

// A question without a title is titled with UI text 10001 of the language library; Yes answers true.
TEST(MessageBoxes, AQuestionWithoutTitleTakesTheDefaultTitle) {
  Module english(LoadLibraryExA((std::string(NORBA_TEST_DIST_DIR) + "\\setupenglish.dll").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(english);
  OSYS::SetLanguageModule(english.get());
  bool answer = false;
  std::thread asking([&] { answer = WINNORBA::YesNoMsgBox(nullptr, STRING(), STRING("Go on?", 1252)); });
  HWND box = nullptr;
  for (int i = 0; i < 200 && !box; i++, Sleep(50)) box = FindWindowA("#32770", "Setup");
  ASSERT_TRUE(box != nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  asking.join();
  EXPECT_TRUE(answer);
  OSYS::SetLanguageModule(nullptr);
}

}  // namespace
