// The data dialogs: the item list with its fixed capacity, the transfers in both directions and the
// handling of button clicks.
#include "ui/datadialogs.h"

#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "datadialogs";
static const int kItemCapacityLine = 132;
static const int kHelpButtonLine = 198;

bool DATADIALOGBASE::AddItem(DATAITEM* item) {
  std::unique_ptr<DATAITEM> owned(item);
  if (!AssertCheck(Howmany < kMaxItems, "this->Howmany < this->Max", kAssertUnit, kItemCapacityLine)) return false;
  Items[Howmany++] = std::move(owned);
  return true;
}

DATAITEM* DATADIALOGBASE::ItemOf(int control) const {
  for (int i = 0; i < Howmany; i++)
    if (Items[i] && Items[i]->GetControl() == control) return Items[i].get();
  return nullptr;
}

void DATADIALOG::TransferToControls() {
  for (int i = 0; i < Howmany; i++) Items[i]->ToControl(Handle);
  for (int control : Disabled) CONTROL(Handle, control).Enable(false);
}

void DATADIALOG::TransferFromControls() {
  if (!TransferBack) return;
  for (int i = 0; i < Howmany; i++) Items[i]->FromControl(Handle);
}

INT_PTR DATADIALOG::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return DIALOG::HandleMessage(message, wparam, lparam);
  int control = LOWORD(wparam);
  DATAITEM* item = ItemOf(control);
  if (item && item->Click(Handle)) return TRUE;
  if (!AssertCheck(control != IDHELP, "idc!=IDHELP", kAssertUnit, kHelpButtonLine)) return TRUE;
  // Check boxes and radio buttons are data, not endings; a command without a window (Enter) ends.
  HWND button = reinterpret_cast<HWND>(lparam);
  if (button && !CONTROL(button).IsClass("Button", BS_PUSHBUTTON, BS_DEFPUSHBUTTON)) return FALSE;
  logit("DATADIALOG %d ends with button %d\n", Id, control);
  EndDialog(control == IDCANCEL ? 0 : control);
  return TRUE;
}

DATADIALOGBOX::DATADIALOGBOX(int layoutid, HWND parent, HINSTANCE module) : DATADIALOG(layoutid, parent, module) {}
