// The finish page: the picture of the setup program's own bitmap 2070, its pure red shown in the
// system's 3-D face colour, and the closing text of FinishMsg.
#include <windows.h>

#include <commctrl.h>

#include "base/filename.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"
#include "ui/windows_win32.h"

namespace {

// The bitmap with red mapped to the 3-D face colour; the caller deletes it.
HBITMAP LoadFinishPicture() {
  COLORMAP map = {RGB(255, 0, 0), GetSysColor(COLOR_3DFACE)};
  return CreateMappedBitmap(GetModuleHandleA(nullptr), IDB_FINISH_PICTURE, 0, &map, 1);
}

}  // namespace

int FinishPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HASH& config = run.Tables.Config;
  GDIOBJECT<HBITMAP> picture(LoadFinishPicture());
  CONTROL subtitle(wizard->GetHandle(), IDC_FRAME_SUBTITLE);
  STRING text = subtitle.GetText();
  STRING prog = ConfigText(config, KEY_APPNAME).InCodePage(text.GetCodePage());
  TEXTVARIABLES variables;
  variables.Prog = PATHTEXT(prog).c_str();
  subtitle.SetText(ReplaceTextVariables(text, variables));
  HWND window = page->GetHandle();
  CONTROL(window, IDC_FINISH_TEXT).SetText(ConfigText(config, KEY_FINISHMSG));
  CONTROL image(window, IDC_FINISH_PICTURE);
  image.AddStyle(SS_BITMAP);
  if (picture.Get())
    SendMessageW(image.GetHandle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.Get()));
  int result = wizard->RunPage(page);
  SendMessageW(image.GetHandle(), STM_SETIMAGE, IMAGE_BITMAP, 0);
  return result;
}
