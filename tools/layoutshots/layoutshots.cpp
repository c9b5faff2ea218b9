// Pictures of every dialog layout of the language libraries, for people checking a layout or a translation:
// pages are shown inside the wizard frame as the wizard places them, with the header texts of their step and
// sample values in the fields that the program fills. Run by tools/render-layouts.sh under Wine.
// Usage: layoutshots.exe <folder of the language libraries> <output folder>; writes <language>-<id>.png.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ids.h"
#include "libraryresources.h"
#include "ownedwin32.h"
#include "pngfile.h"
#include "hooks/kivusagetype.h"
#include "ui/dialoglayout.h"

namespace {

const wchar_t* const kLanguages[] = {L"english", L"german", L"french", L"hungarian"};

// The header texts of the step that shows each page.
struct HEADER {
  int Page;
  UINT Title;
  UINT Subtitle;
};
const HEADER kHeaders[] = {
    {IDD_WELCOME_PAGE, IDS_WELCOME_TITLE, IDS_WELCOME_SUBTITLE},
    {IDD_FOLDER_PAGE, IDS_FOLDER_TITLE, IDS_FOLDER_SUBTITLE},
    {IDD_AGREEMENT_PAGE, IDS_AGREEMENT_TITLE, IDS_AGREEMENT_SUBTITLE},
    {IDD_COPY_PAGE, IDS_COPY_TITLE, IDS_COPY_SUBTITLE},
    {IDD_SHORTCUTS_PAGE, IDS_SHORTCUTS_TITLE, IDS_SHORTCUTS_SUBTITLE},
    {IDD_ADVERTISE_PAGE, IDS_ADVERTISE_TITLE, IDS_ADVERTISE_SUBTITLE},
    {IDD_FINISH_PAGE, IDS_FINISH_TITLE, IDS_FINISH_SUBTITLE},
    {IDD_DATAFOLDER_PAGE, IDS_DATAFOLDER_TITLE, IDS_DATAFOLDER_SUBTITLE},
    {IDD_USAGE_PAGE_GEN6, IDS_USAGE_TITLE, IDS_USAGE_SUBTITLE},
    {IDD_USAGE_PAGE, IDS_USAGE_TITLE, IDS_USAGE_SUBTITLE},
    {IDD_REMOVE_CONFIRM_PAGE, IDS_REMOVE_CONFIRM_TITLE, IDS_REMOVE_CONFIRM_SUBTITLE},
    {IDD_REMOVE_PROGRESS_PAGE, IDS_REMOVE_PROGRESS_TITLE, IDS_REMOVE_PROGRESS_SUBTITLE},
};

// Texts that the program puts into page controls while it runs (0: the sample text instead).
struct FILLED {
  int Page;
  int Control;
  UINT Text;
  const wchar_t* Sample;
};
const wchar_t kFolder[] = L"C:\\Program Files\\Kiv 8";
const FILLED kFilled[] = {
    {IDD_WELCOME_PAGE, IDC_WELCOME_NOTE, IDS_WELCOME_MIGRATION_NOTE, nullptr},
    {IDD_FOLDER_PAGE, IDC_FOLDER_EDIT, 0, kFolder},
    {IDD_FOLDER_PAGE, IDC_FOLDER_NOTE, IDS_FOLDER_MIGRATION_NOTE, nullptr},
    {IDD_AGREEMENT_PAGE, IDC_AGREEMENT_TEXT, 0, L"LICENSE AGREEMENT\r\n\r\n1. Grant of license. ..."},
    {IDD_COPY_PAGE, IDC_COPY_STATUS, IDS_COPY_STATUS, nullptr},
    {IDD_ADVERTISE_PAGE, IDC_ADVERTISE_DESCRIPTION, 0, L"Kiv Connect: sessions for the whole team."},
    {IDD_ADVERTISE_PAGE, IDC_ADVERTISE_URL, 0, L"https://www.norba.example/kiv-connect"},
    {IDD_DATAFOLDER_PAGE, IDC_DATAFOLDER_EDIT, 0, L"C:\\Users\\user\\Kiv"},
    {IDD_USAGE_PAGE_GEN6, IDC_USAGE_DESCRIPTION, IDS_USAGE_DESCRIPTION_1, nullptr},
    {IDD_USAGE_PAGE, IDC_USAGE_DESCRIPTION, IDS_USAGE_DESCRIPTION_1, nullptr},
};

// Fonts that the program gives to controls of the frame and the pages ("Arial" of these points).
struct PROGRAMFONT {
  int Layout;
  int Control;
  int Points;
  int Weight;
};
const PROGRAMFONT kProgramFonts[] = {
    {IDD_WIZARD_FRAME, IDC_FRAME_TITLE, 9, FW_BOLD},
    {IDD_ADVERTISE_PAGE, IDC_ADVERTISE_HEADLINE, 12, FW_BOLD},
    {IDD_ADVERTISE_PAGE, IDC_ADVERTISE_HEADLINE2, 9, FW_BOLD},
    {IDD_ADVERTISE_PAGE, IDC_ADVERTISE_DESCRIPTION, 8, FW_NORMAL},
};

// The text with the program's placeholders replaced by sample values.
std::wstring WithSamples(std::wstring text) {
  const wchar_t* const samples[][2] = {{L"$PROGRAM", L"Kiv"}, {L"$PROG", L"Kiv"},   {L"$(VXX)", L"V7"},
                                       {L"$(VNEW)", L"V8"},   {L"$(PATH)", L"Kiv"}, {L"Norba", L"Kiv"}};
  for (const auto& sample : samples) {
    const std::wstring from = sample[0];
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), sample[1]);
    }
  }
  return text;
}

void SetSampleText(HWND window, const std::wstring& text) { SetWindowTextW(window, WithSamples(text).c_str()); }

INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The wizard paints its title, subtitle and icon on the white header band.
INT_PTR CALLBACK FrameProc(HWND, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_CTLCOLORSTATIC) return FALSE;
  const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
  if (id != IDC_FRAME_TITLE && id != IDC_FRAME_SUBTITLE && id != IDC_FRAME_ICON) return FALSE;
  SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255));
  return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

Window CreateLayout(HMODULE library, int id, HWND parent, DLGPROC procedure) {
  DIALOGLAYOUT layout(library, id);
  if (!layout.IsValid()) return nullptr;
  return Window(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), parent, procedure, 0));
}

RECT ControlRect(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A 3-D separator line across the frame, as the wizard draws below the header and above the buttons.
void AddLine(HWND frame, int y, int width) {
  CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, y, width, 2, frame, nullptr,
                  GetModuleHandleW(nullptr), nullptr);
}

// What the wizard does to its frame once it is created.
void PrepareFrame(HMODULE library, HWND frame) {
  SetSampleText(frame, LoadText(library, IDS_SETUP_TITLE));
  const RECT subtitle = ControlRect(frame, IDC_FRAME_SUBTITLE);
  SetWindowPos(GetDlgItem(frame, IDC_FRAME_SUBTITLE), nullptr, subtitle.left, subtitle.top + 1, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(GetDlgItem(frame, IDC_FRAME_HIDDEN), SW_HIDE);
  SendDlgItemMessageW(frame, IDC_FRAME_ICON, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_APPLICATION)),
                      0);
  const RECT band = ControlRect(frame, IDC_FRAME_HEADER_BAND);
  const RECT area = ControlRect(frame, IDC_FRAME_PAGE_AREA);
  const RECT back = ControlRect(frame, IDC_WIZARD_BACK);
  AddLine(frame, band.bottom - 1, band.right);
  AddLine(frame, area.bottom + (back.top - area.bottom) / 4, band.right);
}

void FillPage(HMODULE library, int id, HWND page) {
  for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    SetSampleText(control, text);
  }
  for (const FILLED& filled : kFilled) {
    if (filled.Page != id) continue;
    SetSampleText(GetDlgItem(page, filled.Control), filled.Text ? LoadText(library, filled.Text) : filled.Sample);
  }
  if (id == IDD_DATAFOLDER_PAGE) {  // the program folder is appended to this option
    HWND option = GetDlgItem(page, IDC_DATAFOLDER_PROGRAM);
    wchar_t text[512] = {};
    GetWindowTextW(option, text, 512);
    SetWindowTextW(option, (std::wstring(text) + L" (" + kFolder + L")").c_str());
  }
  if (id == IDD_USAGE_PAGE || id == IDD_USAGE_PAGE_GEN6) {
    // In the page's own order, the standard type selected.
    for (int position = 0; position < USAGE_TYPE_COUNT; ++position) {
      SendDlgItemMessageW(page, IDC_USAGE_LIST, LB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(LoadText(library, IDS_USAGE_TYPE_0 + KivUsageTypeAt(position)).c_str()));
    }
    SendDlgItemMessageW(page, IDC_USAGE_LIST, LB_SETCURSEL, KivUsagePositionOf(1), 0);
    const std::wstring terminals = LoadText(library, IDS_USAGE_TERMINALS);
    SendDlgItemMessageW(page, IDC_USAGE_TERMINAL, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(terminals.substr(0, terminals.find(L'|')).c_str()));
    SendDlgItemMessageW(page, IDC_USAGE_TERMINAL, CB_SETCURSEL, 0, 0);
  }
}

// The frame between two steps: empty header, all three buttons, Cancel with its own caption.
void ResetFrame(HWND frame, const std::wstring& cancel) {
  SetDlgItemTextW(frame, IDC_FRAME_TITLE, L"");
  SetDlgItemTextW(frame, IDC_FRAME_SUBTITLE, L"");
  for (int button : {IDC_WIZARD_BACK, IDC_WIZARD_NEXT}) ShowWindow(GetDlgItem(frame, button), SW_SHOW);
  SetDlgItemTextW(frame, IDC_WIZARD_CANCEL, cancel.c_str());
}

// The buttons as the wizard sets them: no Back on a first step, only the closing button on a last one.
void SetButtons(HMODULE library, HWND frame, int id) {
  if (id == IDD_WELCOME_PAGE || id == IDD_REMOVE_CONFIRM_PAGE) ShowWindow(GetDlgItem(frame, IDC_WIZARD_BACK), SW_HIDE);
  if (id != IDD_FINISH_PAGE) return;
  ShowWindow(GetDlgItem(frame, IDC_WIZARD_BACK), SW_HIDE);
  ShowWindow(GetDlgItem(frame, IDC_WIZARD_NEXT), SW_HIDE);
  SetDlgItemTextW(frame, IDC_WIZARD_CANCEL, LoadText(library, IDS_FINISH_BUTTON).c_str());
}

// The fonts of kProgramFonts, in its order.
std::vector<GdiObject> CreateProgramFonts() {
  std::vector<GdiObject> fonts;
  for (const PROGRAMFONT& font : kProgramFonts) {
    fonts.emplace_back(CreateFontW(-MulDiv(font.Points, 96, 72), 0, 0, 0, font.Weight, 0, 0, 0, ANSI_CHARSET, 0, 0,
                                   0, 0, L"Arial"));
  }
  return fonts;
}

void SetProgramFonts(HWND dialog, int layout, const std::vector<GdiObject>& fonts) {
  for (size_t i = 0; i < fonts.size(); ++i) {
    if (kProgramFonts[i].Layout != layout) continue;
    SendDlgItemMessageW(dialog, kProgramFonts[i].Control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[i].get()), TRUE);
  }
}

// Places the page into the frame's page area with its header texts, as the wizard creates a step's page.
Window PlacePage(HMODULE library, HWND frame, int id, const std::vector<GdiObject>& fonts) {
  Window page = CreateLayout(library, id, frame, PageProc);
  if (!page) return nullptr;
  for (const HEADER& header : kHeaders) {
    if (header.Page != id) continue;
    std::wstring title = LoadText(library, header.Title);
    SetSampleText(GetDlgItem(frame, IDC_FRAME_TITLE), id == IDD_WELCOME_PAGE ? title + L"Kiv 8" : title);
    SetSampleText(GetDlgItem(frame, IDC_FRAME_SUBTITLE), LoadText(library, header.Subtitle));
  }
  SetProgramFonts(frame, IDD_WIZARD_FRAME, fonts);
  SetProgramFonts(page.get(), id, fonts);
  const RECT area = ControlRect(frame, IDC_FRAME_PAGE_AREA);
  SetWindowLongW(page.get(), GWL_STYLE, GetWindowLongW(page.get(), GWL_STYLE) & ~(WS_BORDER | WS_DLGFRAME));
  SetWindowLongW(page.get(), GWL_EXSTYLE, GetWindowLongW(page.get(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  SetWindowPos(page.get(), nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  FillPage(library, id, page.get());
  SetButtons(library, frame, id);
  return page;
}

void PumpMessages() {
  MSG message;
  for (int round = 0; round < 5; ++round) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
}

// The client area of a shown window with its children, as Wine has drawn it, into a PNG file.
bool Capture(HWND window, const std::wstring& path) {
  RECT rect;
  GetClientRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  MemoryDC dc(CreateCompatibleDC(nullptr));
  GdiObject bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bitmap || !bits) return false;
  HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
  HDC shown = GetDC(window);
  BitBlt(dc.get(), 0, 0, width, height, shown, 0, 0, SRCCOPY);
  ReleaseDC(window, shown);
  GdiFlush();
  SelectObject(dc.get(), old);
  // The DIB holds blue, green, red and a spare byte per pixel; the picture wants red, green, blue.
  const BYTE* pixel = static_cast<const BYTE*>(bits);
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(width) * height * 3);
  for (int i = 0; i < width * height; i++, pixel += 4) rgb.insert(rgb.end(), {pixel[2], pixel[1], pixel[0]});
  return WritePng(path, width, height, rgb);
}

// One picture per layout of the library, all in one frame (Wine takes seconds to hide a top-level window
// when no window manager runs); the number of pictures that could not be made.
int RenderLanguage(const std::wstring& libraries, const wchar_t* language, const std::wstring& output) {
  Module library(LoadLibraryW((libraries + L"\\setup" + language + L".dll").c_str()));
  Window frame = library ? CreateLayout(library.get(), IDD_WIZARD_FRAME, nullptr, FrameProc) : nullptr;
  if (!frame) {
    fwprintf(stderr, L"cannot create the wizard frame of the %ls language library\n", language);
    return 1;
  }
  const std::vector<GdiObject> fonts = CreateProgramFonts();
  PrepareFrame(library.get(), frame.get());
  SetWindowPos(frame.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  wchar_t cancel[64] = {};
  GetDlgItemTextW(frame.get(), IDC_WIZARD_CANCEL, cancel, 64);
  int failed = 0;
  for (int id : LayoutIds(library.get())) {
    ResetFrame(frame.get(), cancel);
    Window page = id == IDD_WIZARD_FRAME ? nullptr : PlacePage(library.get(), frame.get(), id, fonts);
    RedrawWindow(frame.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const std::wstring path = output + L"\\" + language + L"-" + std::to_wstring(id) + L".png";
    if ((id != IDD_WIZARD_FRAME && !page) || !Capture(frame.get(), path)) {
      fwprintf(stderr, L"cannot render layout %d of %ls\n", id, language);
      ++failed;
    }
  }
  return failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: layoutshots <folder of the language libraries> <output folder>\n");
    return 2;
  }
  CreateDirectoryW(argv[2], nullptr);
  int failed = 0;
  for (const wchar_t* language : kLanguages) failed += RenderLanguage(argv[1], language, argv[2]);
  return failed == 0 ? 0 : 1;
}
