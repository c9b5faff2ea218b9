// The dialog toolkit in-process: how a message box's text is prepared, the boxes while nobody is watching
// and the default title of a question, and the two pixel rows of the wizard's separator line.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "base/osys.h"
#include "ui/hline3d.h"
#include "ui/winnorba.h"

namespace {

std::wstring Prepared(const char* text, bool wrap) {
  WSTRING prepared = PrepareMessageText(STRING(text, 1252), wrap);
  return std::wstring(prepared.c_str(), static_cast<size_t>(prepared.Length()));
}

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
      {"##NOWRAP##\nA\nB", false, L"A\rB"},
      {"##NOWRAP##\r\nA\r\nB", true, L"A\rB"},
      {"a &rarr; b", false, L"a \u2192 b"},
      {sixty + " 5&nbsp;MB more", true, std::wstring(60, L'x') + L"\r5 MB more"},
      {sixty + " 5&nbsp;MB more", false, std::wstring(60, L'x') + L" 5 MB more"},
      {std::string(50, 'y') + " 5&nbsp;MB and on", true, std::wstring(50, L'y') + L" 5 MB\rand on"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shown, Prepared(c.text.c_str(), c.wrap)) << c.text << " wrap " << c.wrap;
}

// The boxes of a run that nobody watches return at once; a question then reads as No.
TEST(MessageBoxes, NobodyWatchingShowsNothingAndAnswersNo) {
  WINNORBA::SetNobodyWatching(true);
  WINNORBA::InfoMsgBox(nullptr, STRING("T", 1252), STRING("info", 1252));
  WINNORBA::ErrorMsgBox(nullptr, STRING("T", 1252), STRING("error", 1252));
  EXPECT_FALSE(WINNORBA::YesNoMsgBox(nullptr, STRING("T", 1252), STRING("question", 1252)));
  WINNORBA::SetNobodyWatching(false);
}

// A question without a title is titled with UI text 10001 of the language library; Yes answers true.
TEST(MessageBoxes, AQuestionWithoutTitleTakesTheDefaultTitle) {
  std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\setupenglish.dll";
  HMODULE english = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(english != nullptr);
  OSYS::SetLanguageModule(english);
  bool answer = false;
  std::thread asking([&] { answer = WINNORBA::YesNoMsgBox(nullptr, STRING(), STRING("Go on?", 1252)); });
  HWND box = nullptr;
  for (int i = 0; i < 200 && !box; i++, Sleep(50)) box = FindWindowA("#32770", "Setup");
  ASSERT_TRUE(box != nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  asking.join();
  EXPECT_TRUE(answer);
  OSYS::SetLanguageModule(nullptr);
  FreeLibrary(english);
}

// The line's top row is the button shadow, the second the button highlight.
TEST(SeparatorLine, PaintsShadowAboveHighlight) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(parent != nullptr);
  {
    HLINE3D line(parent, 100);
    line.Place(10, 5, 150);
    UpdateWindow(line.GetHandle());
    HDC dc = GetDC(line.GetHandle());
    for (int x : {0, 75, 149}) {
      EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetPixel(dc, x, 0)) << x;
      EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, x, 1)) << x;
    }
    ReleaseDC(line.GetHandle(), dc);
  }
  DestroyWindow(parent);
}

}  // namespace
