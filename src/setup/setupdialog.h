// SETUPDIALOGBOX: the wizard frame of the installation and the removal. It walks a step table, shows
// each step's page in its page area, runs the page loop for the page functions, records what the user
// chose and, in unattended runs, replays the recorded answers into the pages.
#pragma once

#include <windows.h>

#include <memory>

#include <norba/setuphook_api.h>

#include "base/hash.h"
#include "base/strings.h"
#include "setup/steptable.h"
#include "ui/datadialogs.h"
#include "ui/hline3d.h"

// Puts the keyboard focus on the control whose id is the first parameter (sent by the copy's worker).
#define WM_NORBA_FOCUSCONTROL (WM_USER + 9)

class SETUPDIALOGBOX : public DATADIALOGBOX {
 public:
  // The frame from layout 2000 with `title` as caption; `cancelquestion` is asked when a page is
  // cancelled. The bitmap id is accepted and not used; a subtitle font size of -1 keeps the layout's font.
  SETUPDIALOGBOX(const STRING& title, const STRING& cancelquestion, int bitmapid, int subtitlefontsize);
  ~SETUPDIALOGBOX() override;

  // Walks `steps` from the first record: 1 when the step with id `last` was left by its closing button,
  // 0 when the wizard was cancelled (or could not go on). Every page's controls and result are recorded
  // into `answers`.
  int Run(SETUPSTEP* steps, int last, HASH& answers);
  // The page loop of a page function: shows the page, replays the unattended answers or waits for a
  // button, and returns the button that ended the page.
  int RunPage(DATADIALOG* page);

  // Ends the walk with 0 once the running page returns, without the cancel question (the page could not
  // go on and has said why).
  void EndWizard() { Abandoned = true; }

  // Unattended answers replayed into the pages (null: interactive), and whether the wizard stays hidden.
  void SetUnattended(const HASH* answers, bool hidden);

  // Called around every page with events 5 and 6 (NewSetupHook).
  NORBA_NEWSETUPHOOKPROC PageHook = nullptr;

  // The answers as recorded from a page: check boxes, radio buttons, enabled editable fields, drop-down
  // lists, and the result as ".PUSH".
  static void RecordAnswers(HWND page, int pageid, HASH& answers, int result);
  // Sets a page's controls from the unattended answers of `pageid`; the recorded result, or -1 when the
  // answers hold none.
  static int ReplayAnswers(HWND page, int pageid, const HASH& answers);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool CreatePage(const SETUPSTEP& step);
  void SetButtons(bool first, bool last);
  void SetHeaderFonts();
  RECT ChildRect(int control) const;
  // The result of a page that ended, or the reason the walk ends: -2 to go on, else the wizard's result.
  int Move(int result, bool first, bool last, int* index);

  HFONT TitleFont = nullptr;
  HFONT SubtitleFont = nullptr;
  std::unique_ptr<DATADIALOG> Page;
  int SubtitleFontSize;
  STRING CancelQuestion;
  HLINE3D HeaderLine;
  HLINE3D ButtonLine;
  const HASH* Unattended = nullptr;
  bool Hidden = false;
  bool Abandoned = false;  // the walk ends with 0 after the running page (EndWizard)
};
