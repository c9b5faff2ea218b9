// The program's three message boxes and the preparation of their texts, and the process-wide state that
// says whether anybody is there to answer them (hidden runs set it).
#pragma once

#include <windows.h>

#include "base/strings.h"

class WINNORBA {
 public:
  // Information and error with OK, and a Yes/No question (true for Yes). A null or empty title is UI
  // text 10001. The owner may be null.
  static void InfoMsgBox(HWND owner, const STRING& title, const STRING& text);
  static void ErrorMsgBox(HWND owner, const STRING& title, const STRING& text);
  static bool YesNoMsgBox(HWND owner, const STRING& title, const STRING& text);

  // While nobody is watching, the boxes are traced with "(not shown)" and return at once (No).
  static void SetNobodyWatching(bool nobody);
  static bool IsNobodyWatching();
};

// A box's text as shown: line ends as CR, "&nbsp;" a blank the text is never broken at, "&rarr;" an arrow;
// single line breaks inside a paragraph joined, and with `wrap` (Windows before Vista, which does not
// wrap boxes itself) the first blank after column `width` of a line made a line break. A text that begins
// with "##NOWRAP##" and a line end keeps its lines as they are.
WSTRING PrepareMessageText(const STRING& text, bool wrap, int width = 55);
