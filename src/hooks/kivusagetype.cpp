// The usage type page: the list of usage types in their fixed order with the description of the chosen
// one, the terminal-program choice that preselects a type, the presets of the setup configuration, and
// the lines appended to admin.ini.
#include "hooks/kivusagetype.h"

#include "base/filename.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "hooks/kivdatafolder.h"
#include "hooks/kivhookstate.h"
#include "ids.h"
#include "setup/configkeys.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"

namespace {

constexpr int kOrder[USAGE_TYPE_COUNT] = {1, 0, 2, 3, 4};
constexpr int kSerialLines = 3;

// Which usage type a user of each group of terminal programs expects: users of Unix terminals the Unix
// type, users of IBM host emulators the host type, users of modem programs the serial-line type.
struct TERMINALGROUP {
  const char* Names[3];
  int Type;
};
const TERMINALGROUP kTerminalGroups[] = {
    {{"putty", "gnome", "securecrt"}, 0},
    {{"attachmate", "pcomm", nullptr}, 2},
    {{"procomm", nullptr, nullptr}, kSerialLines},
};

void ShowDescription(HWND page) {
  int position = static_cast<int>(SendDlgItemMessageW(page, IDC_USAGE_LIST, LB_GETCURSEL, 0, 0));
  if (position < 0 || position >= USAGE_TYPE_COUNT) return;
  CONTROL(page, IDC_USAGE_DESCRIPTION).SetText(OSYS::GetStringFromResource(IDS_USAGE_DESCRIPTION_0 + KivUsageTypeAt(position)));
}

void SelectType(HWND page, int type) {
  SendDlgItemMessageW(page, IDC_USAGE_LIST, LB_SETCURSEL, KivUsagePositionOf(type), 0);
  ShowDescription(page);
}

INT_PTR FollowChoices(HWND page, UINT message, WPARAM wparam, LPARAM) {
  if (message != WM_COMMAND) return 0;
  if (LOWORD(wparam) == IDC_USAGE_LIST && HIWORD(wparam) == LBN_SELCHANGE) ShowDescription(page);
  if (LOWORD(wparam) == IDC_USAGE_TERMINAL && HIWORD(wparam) == CBN_SELCHANGE) {
    int type = KivUsageForTerminal(CONTROL(page, IDC_USAGE_TERMINAL).GetText());
    if (type >= 0) SelectType(page, type);
  }
  return 0;
}

void FillControls(HWND page, HASH& config) {
  for (int type : kOrder) {
    WSTRING item(OSYS::GetStringFromResource(IDS_USAGE_TYPE_0 + type));
    SendDlgItemMessageW(page, IDC_USAGE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  STRINGARRAY terminals(OSYS::GetStringFromResource(IDS_USAGE_TERMINALS), "|");
  for (int i = 0; i < terminals.Count(); i++) {
    WSTRING item(terminals[i]);
    SendDlgItemMessageW(page, IDC_USAGE_TERMINAL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  STRING preset = ConfigText(config, KEY_INSTALLKIVUSAGETYPE);
  SelectType(page, preset.IsNotEmpty() ? preset.atoi() : 1);
  STRING misc = ConfigText(config, KEY_INSTALLKIVUSAGETYPEMISC);
  SendDlgItemMessageW(page, IDC_USAGE_TERMINAL, CB_SETCURSEL, misc.IsNotEmpty() ? misc.atoi() - 1 : 0, 0);
}

}  // namespace

int KivUsageTypeAt(int position) { return position >= 0 && position < USAGE_TYPE_COUNT ? kOrder[position] : 1; }

int KivUsagePositionOf(int type) {
  for (int i = 0; i < USAGE_TYPE_COUNT; i++)
    if (kOrder[i] == type) return i;
  return 0;
}

int KivUsageForTerminal(const STRING& terminal) {
  STRING name = terminal;
  name.ToLower();
  for (const TERMINALGROUP& group : kTerminalGroups)
    for (const char* part : group.Names)
      if (part && name.Find(part)) return group.Type;
  return -1;
}

STRING KivUsageLines(int type, const STRING& terminal) {
  const char* code = type == kSerialLines ? "120" : "111";
  STRING text;
  text.Format("SetupTerminalType=\"%d.%s\"\n", type, terminal.c_str());
  text.AppendFormat("SetupSubsystems=\"%.3s00000.%.3s00000\"\n", code, code);
  return text.Append("\n\n\n");
}

int KivUsageTypePage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  KIVSTATE& state = KivState();
  bool initialised = state.DataFolder.IsNotEmpty() && FILENAME(state.DataFolder.c_str(), ".Kivfiles").Exists();
  if (!state.Profile || run.InstallType != "0" || initialised) return PAGE_SKIP;
  HWND window = page->GetHandle();
  FillControls(window, run.Tables.Config);
  page->Hook = FollowChoices;
  int result = ConfigFlag(run.Tables.Config, KEY_INSTALLSKIPKIVUSAGETYPE) ? PAGE_NEXT : wizard->RunPage(page);
  int position = static_cast<int>(SendDlgItemMessageW(window, IDC_USAGE_LIST, LB_GETCURSEL, 0, 0));
  state.UsageType = KivUsageTypeAt(position);
  state.Terminal = CONTROL(window, IDC_USAGE_TERMINAL).GetText();
  logit("SETUP::KivUsageTypePage ends with %d: type %d, %s\n", result, state.UsageType, state.Terminal.c_str());
  if (result == PAGE_CANCEL) return result;
  // Before the data folder page (generation 6) admin.ini is still to be written: the lines wait for it.
  STRING lines = KivUsageLines(state.UsageType, state.Terminal);
  if (state.DataFolder.IsEmpty())
    state.PendingUsage = lines;
  else
    KivAppendAdminIni(lines);
  return result;
}
