// PRINTER: plain text on a printer the user chooses, in a fixed character-cell layout: every character
// as wide as the font's average character, lines broken at the character that no longer fits, tab stops,
// line feeds with or without return, form feeds, and a new page at the bottom margin.
#pragma once

#include <windows.h>

#include "base/semaphores.h"

class PRINTER {
 public:
  PRINTER() = default;
  ~PRINTER();
  PRINTER(const PRINTER&) = delete;
  PRINTER& operator=(const PRINTER&) = delete;

  // The system's print dialog owned by `owner`; true when the user confirmed and a device context is there.
  bool PrinterDialog(HWND owner);
  // Prints on a device context of the caller's (a metafile, say) instead; the caller keeps it.
  void UseDeviceContext(HDC dc);

  // The font of the following text; the character set follows the code page (OEM for the DOS code pages).
  bool SetFont(const char* face, int points, bool bold, bool italic, bool fixed, int codepage);
  // The text area from the paper's edges, in millimetres.
  bool SetMargins(int left, int top, int right, int bottom);
  // `lfwithoutreturn`: a line feed keeps the column instead of returning to the left margin.
  bool StartDoc(const char* name, bool lfwithoutreturn);
  bool NewPage();
  // Writes 8-bit text of the font's code page; `length` -1: up to the terminator.
  bool WriteText(const char* text, int length);
  // Ends the page and the document and lets go of the device context.
  bool EndDoc();

  // Tab stops every this many characters.
  void SetTabWidth(int characters) { TabWidth = characters > 0 ? characters : 1; }

 private:
  bool HasDeviceContext(int line);
  void PrintRun(const char* run, int length);
  void LineBreak();
  void Control(char c);
  void Release();

  MUTEXSEM Lock;
  HDC Dc = nullptr;
  bool OwnsDc = false;
  RECT Margins = {};
  HFONT Font = nullptr;
  int LineHeight = 0;
  int CharWidth = 0;
  int CodePage = 1252;
  POINT Position = {};
  bool FirstPage = true;
  bool InPage = false;
  bool LfWithoutReturn = false;
  int TabWidth = 8;
};
