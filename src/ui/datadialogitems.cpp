// Data items: radio buttons, texts, push buttons with callbacks and the browse button that fills a path
// into its field through the folder browser or the file dialog.
#include "ui/datadialogitems.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "ui/windows_win32.h"

static const char kAssertUnit[] = "datadialogitems";
static const int kRadioMissingLine = 439;
static const int kMirrorSizeLine = 452;
static const int kPushMagicLine = 1022;

void RADIOITEM::ToControl(HWND dialog) {
  CONTROL radio(dialog, Control);
  if (!AssertCheck(radio.IsValid(), "this->pRadio->IsValid()", kAssertUnit, kRadioMissingLine)) return;
  radio.SetCheck(Value && Value->atoi() == Own ? BST_CHECKED : BST_UNCHECKED);
}

void RADIOITEM::FromControl(HWND dialog) {
  CONTROL radio(dialog, Control);
  if (!radio.IsValid() || radio.GetCheck() != BST_CHECKED || !Value) return;
  *Value = STRING(Own);
  if (!Mirror) return;
  if (AssertCheck(MirrorSize == 4, "this->pDataLength==4", kAssertUnit, kMirrorSizeLine))
    memcpy(Mirror, &Own, sizeof(Own));
}

void TEXTITEM::ToControl(HWND dialog) {
  if (Value) CONTROL(dialog, Control).SetText(*Value);
}

void TEXTITEM::FromControl(HWND dialog) {
  CONTROL field(dialog, Control);
  if (Value && field.IsValid()) *Value = field.GetText();
}

void PUSHITEM::ToControl(HWND dialog) {
  if (Data && Data->IsNotEmpty()) CONTROL(dialog, Control).SetText(*Data);
}

bool PUSHITEM::Click(HWND dialog) {
  if (!AssertCheck(Magic == kMagic, "this->Magic==0x50555348", kAssertUnit, kPushMagicLine)) return true;
  if (Callback) Callback(dialog, Data, First, Second);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Browsing

namespace {

// OLE for the folder browser's own window, for as long as the object lives.
class OLESCOPE {
 public:
  OLESCOPE() : Ready(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OLESCOPE() {
    if (Ready) OleUninitialize();
  }
  OLESCOPE(const OLESCOPE&) = delete;
  OLESCOPE& operator=(const OLESCOPE&) = delete;

 private:
  bool Ready;
};

int CALLBACK StartInFolder(HWND window, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

bool ChooseFolder(HWND owner, const WSTRING& caption, const WSTRING& start, WSTRING* chosen) {
  OLESCOPE ole;
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = StartInFolder;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  LPITEMIDLIST list = SHBrowseForFolderW(&info);
  if (!list) return false;
  wchar_t path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListW(list, path) && path[0] != 0;
  CoTaskMemFree(list);
  if (ok) *chosen = WSTRING(path);
  return ok;
}

bool ChooseFile(HWND owner, const WSTRING& caption, const WSTRING& filter, const WSTRING& start, WSTRING* chosen) {
  // The filter list: its name and its pattern, both the filter itself, ended by an empty pair.
  WSTRING filters = filter;
  filters.Append(L'\0').Append(filter.c_str()).Append(L'\0').Append(L'\0');
  wchar_t path[MAX_PATH] = {};
  wcsncpy(path, start.c_str(), MAX_PATH - 1);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return false;
  *chosen = WSTRING(path);
  return true;
}

}  // namespace

BROWSEITEM::BROWSEITEM(int control, STRING* data, int target)
    : PUSHITEM(control, data, Browse, reinterpret_cast<void*>(static_cast<INT_PTR>(target)), nullptr) {}

void BROWSEITEM::Browse(HWND owner, STRING* data, void* target, void*) {
  CONTROL field(owner, static_cast<int>(reinterpret_cast<INT_PTR>(target)));
  STRING caption = data ? data->GetToken(0, "|", 0) : STRING("", 1252);
  STRING filter = data ? data->GetToken(1, "|", 0) : STRING("", 1252);
  WSTRING start(field.GetText());
  WSTRING chosen;
  bool ok = filter == "*" ? ChooseFolder(owner, WSTRING(caption), start, &chosen)
                          : ChooseFile(owner, WSTRING(caption), WSTRING(filter), start, &chosen);
  logit("DATADIALOG::Browse %s chose %d\n", caption.c_str(), ok ? 1 : 0);
  if (ok) SetWindowTextW(field.GetHandle(), chosen.c_str());
}
