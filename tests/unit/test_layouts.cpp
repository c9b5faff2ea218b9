// Creates every dialog layout of the four language libraries the way the toolkit does (with the system's
// message font) and checks that no caption is cut off: single-line texts must fit the width of their control,
// multi-line ones its height. This is the guard that lets a translation be checked without looking at it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "libraryresources.h"
#include "ownedwin32.h"
#include "ui/dialoglayout.h"

namespace {

const char* const kLibraries[] = {"setupenglish.dll", "setupgerman.dll", "setupfrench.dll", "setuphungarian.dll"};

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Where a control draws its caption and how: the rectangle left for the text and the DrawText flags.
// False for controls without a caption to check (pictures, frames, group boxes, edits, lists).
bool TextArea(HWND control, HDC dc, RECT* area, UINT* flags) {
  // Buttons whose caption follows a check mark box.
  static const std::set<LONG> kMarked = {BS_CHECKBOX,   BS_AUTOCHECKBOX, BS_3STATE,
                                         BS_AUTO3STATE, BS_RADIOBUTTON,  BS_AUTORADIOBUTTON};
  wchar_t cls[32] = {};
  GetClassNameW(control, cls, 32);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  GetClientRect(control, area);
  const bool tall = area->bottom - area->top >= 2 * metrics.tmHeight;
  *flags = DT_CALCRECT | DT_EXPANDTABS;
  if (lstrcmpiW(cls, L"Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
      return false;
    *flags |= (tall ? DT_WORDBREAK : DT_SINGLELINE) | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    return true;
  }
  if (lstrcmpiW(cls, L"Button") != 0) return false;
  *flags |= tall && (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  const LONG type = style & BS_TYPEMASK;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
    // The 3-D edge takes its width on each side.
    InflateRect(area, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    return true;
  }
  if (!kMarked.count(type)) return false;
  // The check mark box comes first, then a gap (a digit wide: rather too much).
  INT digit = 0;
  GetCharWidth32W(dc, L'0', L'0', &digit);
  area->left += GetSystemMetrics(SM_CXMENUCHECK) + digit;
  return true;
}

// "" when the caption fits its control; else what is cut off, with the text's and the control's size.
std::wstring Clipping(HWND control) {
  wchar_t text[512] = {};
  if (GetWindowTextW(control, text, 512) == 0) return L"";
  // A screen-compatible device context with the control's own font selected.
  MemoryDC dc(CreateCompatibleDC(nullptr));
  SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT area;
  UINT flags;
  if (!TextArea(control, dc.get(), &area, &flags)) return L"";
  const LONG width = area.right - area.left;
  const LONG height = area.bottom - area.top;
  RECT needed = {0, 0, width, 0};
  DrawTextW(dc.get(), text, -1, &needed, flags);
  if (needed.right <= width && needed.bottom <= height) return L"";
  std::wostringstream out;
  out << L"control " << GetDlgCtrlID(control) << L" \"" << text << L"\": text " << needed.right << L"x"
      << needed.bottom << L" px, room " << width << L"x" << height << L" px";
  return out.str();
}

TEST(Layouts, EveryLayoutOfEveryLanguageShowsItsTextsWhole) {
  Window parent(CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
  ASSERT_NE(parent.get(), nullptr);
  for (const char* file : kLibraries) {
    std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
    std::replace(path.begin(), path.end(), '/', '\\');
    Module library(LoadLibraryA(path.c_str()));
    ASSERT_NE(library.get(), nullptr) << file;
    for (int id : LayoutIds(library.get())) {
      DIALOGLAYOUT layout(library.get(), id);
      Window dialog(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), parent.get(),
                                               IgnoreMessages, 0));
      EXPECT_NE(dialog.get(), nullptr) << file << " layout " << id << " cannot be created";
      for (HWND control = dialog ? GetWindow(dialog.get(), GW_CHILD) : nullptr; control;
           control = GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring cut = Clipping(control);
        EXPECT_TRUE(cut.empty()) << file << " layout " << id << " " << cut;
      }
    }
  }
}

}  // namespace
