// The agreement page: the agreement in the user's language (by the interface language, or the Windows
// location of German-speaking countries), wrapped for the page and kept as "LicenseAgreed.txt", the
// print button, and Next only while the agreement is accepted.
#include <windows.h>

#include <cstdio>

#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/agreementtext.h"
#include "setup/configkeys.h"
#include "setup/installpages.h"
#include "setup/installrun.h"
#include "setup/setupdialog.h"
#include "ui/printer.h"
#include "ui/windows_win32.h"

namespace {

constexpr int kGerman = 499;

// The interface language's agreement code, German for a Windows location in Germany, Switzerland or Austria.
int AgreementLanguage() {
  int code = OSYS::GetStringFromResource(IDS_AGREEMENT_LANGUAGE).atoi();
  typedef GEOID(WINAPI * GETUSERGEOID)(GEOCLASS);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto geoid = kernel ? reinterpret_cast<GETUSERGEOID>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetUserGeoID")))
                      : nullptr;
  GEOID nation = geoid ? geoid(GEOCLASS_NATION) : GEOID_NOT_AVAILABLE;
  if (nation == 94 || nation == 223 || nation == 14) code = kGerman;
  return code;
}

void PrintAgreement(HWND owner, STRING*, void* wrapped, void*) {
  const STRING* text = static_cast<const STRING*>(wrapped);
  PRINTER printer;
  if (!text || !printer.PrinterDialog(owner)) return;
  printer.SetFont("Courier New", 12, false, false, false, 1252);
  printer.SetMargins(25, 25, 15, 20);
  printer.StartDoc("ORDER", false);
  printer.NewPage();
  printer.WriteText(text->c_str(), -1);
  printer.EndDoc();
}

// Next is there exactly while the agreement is accepted.
void FollowAcceptance(HWND page) {
  bool accepted = IsDlgButtonChecked(page, IDC_AGREEMENT_ACCEPT) == BST_CHECKED;
  EnableWindow(GetDlgItem(GetParent(page), IDC_WIZARD_NEXT), accepted ? TRUE : FALSE);
}

INT_PTR AfterEveryCommand(HWND page, UINT message, WPARAM, LPARAM) {
  if (message == WM_COMMAND) FollowAcceptance(page);
  return 0;
}

}  // namespace

int AgreementPage(SETUPDIALOGBOX* wizard, DATADIALOG* page) {
  INSTALLRUN& run = InstallRun();
  if (run.InstallType == "1") return PAGE_SKIP;
  HASH& config = run.Tables.Config;
  STRING text = LoadAgreement(AgreementLanguage());
  STRING program = run.ProductTitle.InCodePage(text.GetCodePage());
  text.Replace("$PROGRAM", program.c_str(), 1);
  STRING wrapped = WrapAgreement(text);
  STRING record = AgreementRecord(wrapped);
  FILE* file = fopen("LicenseAgreed.txt", "w");
  if (file) {
    fwrite(record.c_str(), 1, static_cast<size_t>(record.Length()), file);
    fclose(file);
  }

  HWND window = page->GetHandle();
  // The print button keeps its caption; the text to print goes to it as the callback's first argument.
  page->AddItem(new PUSHITEM(IDC_AGREEMENT_PRINT, nullptr, PrintAgreement, &wrapped, nullptr));
  // The page's own font for the agreement text, deleted with the page.
  GDIOBJECT<HFONT> font(CreatePointFont(window, "Courier New", 8, false, true));
  SendDlgItemMessageW(window, IDC_AGREEMENT_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  CONTROL(window, IDC_AGREEMENT_TEXT).SetText(wrapped);
  SendDlgItemMessageW(window, IDC_AGREEMENT_TEXT, EM_SETSEL, 0, 1);
  page->Hook = AfterEveryCommand;

  HWND next = GetDlgItem(wizard->GetHandle(), IDC_WIZARD_NEXT);
  SendMessageW(next, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EnableWindow(next, FALSE);
  STRING agree = ConfigText(config, KEY_INSTALLLICENSEAGREE);
  if (agree.IsNotEmpty()) CheckDlgButton(window, IDC_AGREEMENT_ACCEPT, static_cast<UINT>(agree.atoi()));
  FollowAcceptance(window);
  bool accepted = IsDlgButtonChecked(window, IDC_AGREEMENT_ACCEPT) == BST_CHECKED;
  bool skip = ConfigFlag(config, KEY_INSTALLSKIPLICENSE) && accepted;
  int result = skip ? PAGE_NEXT : wizard->RunPage(page);
  // The font goes with this function; the text field must not keep it.
  SendDlgItemMessageW(window, IDC_AGREEMENT_TEXT, WM_SETFONT, 0, FALSE);
  return result;
}
