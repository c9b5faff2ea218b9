// Message boxes: each traces its title and text, prepares the text, and is shown in UTF-16 with its
// icon and buttons in front of the other windows; while nobody is watching none is shown.
#include "ui/winnorba.h"

#include <atomic>

#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"

namespace {

std::atomic<bool> gNobodyWatching{false};

const wchar_t kProtectedBlank = 0x00A0;
const wchar_t kArrow = 0x2192;
const wchar_t kNoWrap[] = L"##NOWRAP##\r";

bool IsBlankOrBreak(wchar_t c) { return c == L' ' || c == L'\r' || c == L'\t' || c == kProtectedBlank; }

// A single line break between two words of a paragraph becomes a blank; an empty line stays.
void JoinParagraphLines(WSTRING& text) {
  for (int i = 1; i + 1 < text.Length(); i++)
    if (text[i] == L'\r' && !IsBlankOrBreak(text[i - 1]) && !IsBlankOrBreak(text[i + 1])) text[i] = L' ';
}

// The first blank after column `width` of each line becomes a line break.
void WrapLines(WSTRING& text, int width) {
  int column = 0;  // characters in front of the current one on its line
  for (int i = 0; i < text.Length(); i++) {
    if (text[i] == L'\r') {
      column = 0;
    } else if (text[i] == L' ' && column >= width) {
      text[i] = L'\r';
      column = 0;
    } else {
      column++;
    }
  }
}

// Shows one box unless nobody is watching; the MessageBoxW result, or 0 when not shown.
int ShowBox(const char* kind, HWND owner, const STRING& title, const STRING& text, UINT style) {
  logit("WINNORBA::%s title=%s text=%s\n", kind, title.c_str(), text.c_str());
  if (WINNORBA::IsNobodyWatching()) {
    logit("WINNORBA::%s (not shown)\n", kind);
    return 0;
  }
  STRING shown = title.IsNotEmpty() ? title : OSYS::GetStringFromResource(IDS_DEFAULT_BOX_TITLE);
  WSTRING message = PrepareMessageText(text, OSYS::GetWindowsVersion() < 5);
  return MessageBoxW(owner, message.c_str(), WSTRING(shown).c_str(), style);
}

}  // namespace

WSTRING PrepareMessageText(const STRING& text, bool wrap, int width) {
  WSTRING prepared(text);
  prepared.Replace(L"\r\n", L"\r");
  prepared.Replace(L"\n", L"\r");
  const wchar_t protectedblank[] = {kProtectedBlank, 0};
  const wchar_t arrow[] = {kArrow, 0};
  prepared.Replace(L"&nbsp;", protectedblank);
  prepared.Replace(L"&rarr;", arrow);
  if (prepared.Pos(kNoWrap) == 0) {
    prepared.DeleteLeft(static_cast<int>(wcslen(kNoWrap)));
  } else {
    JoinParagraphLines(prepared);
    if (wrap) WrapLines(prepared, width);
  }
  prepared.Replace(protectedblank, L" ");
  return prepared;
}

void WINNORBA::InfoMsgBox(HWND owner, const STRING& title, const STRING& text) {
  ShowBox("InfoMsgBox", owner, title, text, MB_ICONINFORMATION | MB_OK | MB_SETFOREGROUND);
}

void WINNORBA::ErrorMsgBox(HWND owner, const STRING& title, const STRING& text) {
  ShowBox("ErrorMsgBox", owner, title, text, MB_ICONSTOP | MB_OK | MB_SETFOREGROUND);
}

bool WINNORBA::YesNoMsgBox(HWND owner, const STRING& title, const STRING& text) {
  return ShowBox("YesNoMsgBox", owner, title, text, MB_ICONQUESTION | MB_YESNO | MB_SETFOREGROUND) == IDYES;
}

void WINNORBA::SetNobodyWatching(bool nobody) { gNobodyWatching = nobody; }

bool WINNORBA::IsNobodyWatching() { return gNobodyWatching; }
