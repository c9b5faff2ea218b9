// The advertise page: the advertisement file named by Advertise with its headlines, description and
// address button, in fonts of its own; passed over when there is no advertisement.
#include <windows.h>

#include <shellapi.h>

#include "base/osys.h"
#include "diag/logit.h"
#include "base/filename.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"
#include "ui/windows_win32.h"

namespace {

// A font set on a control for the page's lifetime; the control gets its former font back at the end.
class CONTROLFONT {
 public:
  CONTROLFONT(HWND page, int control, int points, bool bold)
      : Control(GetDlgItem(page, control)), Font(CreatePointFont(page, "Arial", points, bold, false)) {
    Former = reinterpret_cast<HFONT>(SendMessageW(Control, WM_GETFONT, 0, 0));
    SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Get()), TRUE);
  }
  ~CONTROLFONT() {
    if (IsWindow(Control)) SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(Former), FALSE);
  }
  CONTROLFONT(const CONTROLFONT&) = delete;
  CONTROLFONT& operator=(const CONTROLFONT&) = delete;

 private:
  HWND Control;
  GDIOBJECT<HFONT> Font;  // deleted after the control has its former font back
  HFONT Former;
};

// The control's text with "$PROG" replaced by `value`.
void ReplaceProg(HWND window, int control, const STRING& value) {
  CONTROL text(window, control);
  STRING shown = text.GetText();
  STRING prog = value.InCodePage(shown.GetCodePage());
  TEXTVARIABLES variables;
  variables.Prog = PATHTEXT(prog).c_str();
  text.SetText(ReplaceTextVariables(shown, variables));
}

void OpenAddress(HWND owner, STRING* url, void*, void*) {
  if (!url || url->IsEmpty()) return;
  bool opened = OSYS::ShellOpen(url->c_str(), owner);
  logit("AdvertisePage opened %s: %d\n", url->c_str(), opened ? 1 : 0);
}

}  // namespace

int AdvertisePage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  HASH& config = run.Tables.Config;
  STRING file = ConfigText(config, KEY_ADVERTISE);
  HASH advert;
  if (file.IsEmpty() || !LoadLocalized(advert, file.c_str(), LanguageSuffix().c_str())) return PAGE_NEXT;
  STRING url = ConfigText(advert, KEY_URL);
  STRING product = ConfigText(advert, KEY_PRODUCT);
  STRING appname = ConfigText(config, KEY_APPNAME);
  HWND frame = wizard->GetHandle(), window = page->GetHandle();
  ReplaceProg(frame, IDC_FRAME_TITLE, appname);
  ReplaceProg(frame, IDC_FRAME_SUBTITLE, product);

  CONTROLFONT headline(window, IDC_ADVERTISE_HEADLINE, 12, true);
  CONTROLFONT second(window, IDC_ADVERTISE_HEADLINE2, 9, true);
  CONTROLFONT description(window, IDC_ADVERTISE_DESCRIPTION, 8, false);
  STRING teaser1 = ConfigText(advert, KEY_TEASER1), teaser2 = ConfigText(advert, KEY_TEASER2);
  if (teaser1.IsNotEmpty())
    CONTROL(window, IDC_ADVERTISE_HEADLINE).SetText(teaser1);
  else
    ReplaceProg(window, IDC_ADVERTISE_HEADLINE, appname);
  if (teaser2.IsNotEmpty())
    CONTROL(window, IDC_ADVERTISE_HEADLINE2).SetText(teaser2);
  else
    ReplaceProg(window, IDC_ADVERTISE_HEADLINE2, product);
  CONTROL(window, IDC_ADVERTISE_DESCRIPTION).SetText(ConfigText(advert, KEY_DESCRIPTION));
  page->AddItem(new PUSHITEM(IDC_ADVERTISE_URL, &url, OpenAddress, nullptr, nullptr));
  if (ConfigFlag(config, KEY_INSTALLSKIPADVERTISE)) return PAGE_NEXT;
  return wizard->RunPage(page);
}
