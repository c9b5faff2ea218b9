// Checks the four language libraries beside setup.exe: each holds every text and dialog layout that the
// program asks for, with the placeholders, formats and controls that the program relies on, and really is a
// translation whose accented letters arrive as the right Unicode. (tools/check-dist.sh checks their imports.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/osys.h"
#include "base/stringarray.h"
#include "hooks/kivusagetype.h"
#include "ids.h"
#include "libraryresources.h"
#include "ownedwin32.h"
#include "ui/dialoglayout.h"

namespace {

// Each library with the configuration suffix and the agreement code (499 selects "LIZENZ.TXT" and the German
// built-in agreement, 12 "LICENSEFR.TXT", any other "LICENSE.TXT") that the program relies on, and a text
// whose letters must arrive as this Unicode: German and French come from code page 1252, the Hungarian
// letter o with double acute exists only in code page 1250.
const struct {
  const char* file;
  const wchar_t* suffix;
  const wchar_t* agreement;
  UINT sample;
  const wchar_t* text;
} kLibraries[] = {
    {"setupenglish.dll", L".ENG", L"9", IDS_REMOVE_WIZARD_TITLE, L"Uninstall"},
    {"setupgerman.dll", L".GER", L"499", IDS_FOLDER_SUBTITLE,
     L"W\u00e4hlen Sie den Ordner, in den das Programm installiert wird."},
    {"setupfrench.dll", L".FRA", L"12", IDS_REMOVE_WIZARD_TITLE, L"D\u00e9sinstallation"},
    {"setuphungarian.dll", L".HUN", L"14", IDS_SETUP_TITLE, L"Norba telep\u00edt\u0151"},
};

// A text the program loads, the placeholders it replaces in it and the number of "%s" it fills in. A half of
// a message joined before the replacement ("half") may hold either placeholder or none.
struct RequiredText {
  UINT id;
  std::vector<std::string> placeholders;
  int formats = 0;
  bool half = false;
};

const UINT kPlainTexts[] = {
    IDS_SETUP_TITLE, IDS_REMOVE_BOX_TITLE, IDS_FOLDER_TITLE, IDS_FOLDER_SUBTITLE, IDS_AGREEMENT_TITLE,
    IDS_AGREEMENT_SUBTITLE, IDS_COPY_TITLE, IDS_COPY_SUBTITLE, IDS_COPY_PREPARING, IDS_COPY_STATUS,
    IDS_COPY_REGISTERING, IDS_COPY_COMPLETE, IDS_WELCOME_TITLE, IDS_WELCOME_SUBTITLE, IDS_SHORTCUTS_TITLE,
    IDS_SHORTCUTS_SUBTITLE, IDS_FINISH_TITLE, IDS_DATAFOLDER_TITLE, IDS_DATAFOLDER_SUBTITLE, IDS_USAGE_TITLE,
    IDS_USAGE_SUBTITLE, IDS_REMOVE_CONFIRM_TITLE, IDS_REMOVE_CONFIRM_SUBTITLE, IDS_REMOVE_PROGRESS_TITLE,
    IDS_REMOVE_PROGRESS_SUBTITLE, IDS_REMOVE_DONE_TITLE, IDS_REMOVE_DONE_TEXT, IDS_USAGE_TYPE_0, IDS_USAGE_TYPE_1,
    IDS_USAGE_TYPE_2, IDS_USAGE_TYPE_3, IDS_USAGE_TYPE_4, IDS_USAGE_LIST_LABEL, IDS_USAGE_TERMINAL_LABEL,
    IDS_USAGE_DESCRIPTION_0, IDS_USAGE_DESCRIPTION_1, IDS_USAGE_DESCRIPTION_2, IDS_USAGE_DESCRIPTION_3,
    IDS_USAGE_DESCRIPTION_4, IDS_USAGE_TERMINALS, IDS_LANGUAGE_SUFFIX, IDS_AGREEMENT_LANGUAGE, IDS_CONFIG_MISSING,
    IDS_PREREQUISITE_MISSING, IDS_CANCEL_QUESTION, IDS_OVERWRITE_TITLE, IDS_REMOVE_WIZARD_TITLE, IDS_FINISH_BUTTON,
    IDS_ADMIN_PRINTER_ADDED, IDS_ADMIN_PRINTER_REMOVED, IDS_ADMIN_REGISTRY_FAILED, IDS_DEFAULT_BOX_TITLE,
};

std::vector<RequiredText> AllTexts() {
  std::vector<RequiredText> texts = {
      {IDS_ADVERTISE_TITLE, {"$PROG"}}, {IDS_ADVERTISE_SUBTITLE, {"$PROG"}}, {IDS_FINISH_SUBTITLE, {"$PROG"}},
      {IDS_MIGRATION_QUESTION, {"$(VXX)"}, 1}, {IDS_FOLDER_NOT_WRITABLE, {"$DIR"}},
      {IDS_EXTRACT_RETRY, {"$FILE", "$PROGRAM"}}, {IDS_REMOVE_QUESTION, {"$PROGRAM"}}, {IDS_OVERWRITE_QUESTION, {}, 1},
      {IDS_CLOSING_MESSAGE, {"$PROGRAM"}}, {IDS_UNINSTALL_LINK_NAME, {"$PROGRAM"}},
      {IDS_WELCOME_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}}, {IDS_FOLDER_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}},
      {IDS_ADMIN_REGISTRY_WRITTEN, {"$PROGRAM"}}};
  for (UINT id : kPlainTexts) texts.push_back({id, {}});
  for (UINT id : {IDS_COMPLETE_REMOVAL_WARNING_1, IDS_COMPLETE_REMOVAL_WARNING_2, IDS_DATAFOLDER_DELETE_1,
                  IDS_DATAFOLDER_DELETE_2})
    texts.push_back({id, {"$PROGRAM", "$DIR"}, 0, true});
  return texts;
}

// A control, its kind, which decides how the wizard records and replays it in answer files ("": any kind),
// and the placeholder the program replaces in its caption, if any. The controls that the installation runs
// press, read or answer are left to them.
struct RequiredControl {
  int id;
  const char* kind;
  const char* placeholder = nullptr;
};

const std::vector<RequiredControl> kUsageControls = {
    {IDC_USAGE_LIST, "listbox"}, {IDC_USAGE_TERMINAL, "dropdownlist"}, {IDC_USAGE_DESCRIPTION, "static"}};

// Every layout but the wizard frame is a page.
const std::vector<std::pair<UINT, std::vector<RequiredControl>>> kLayouts = {
    {IDD_WIZARD_FRAME, {{IDC_FRAME_SUBTITLE, "static"}, {IDC_FRAME_PAGE_AREA, "static"}}},
    {IDD_WELCOME_PAGE, {{IDC_WELCOME_NOTE, "static"}}},
    {IDD_FOLDER_PAGE, {{IDC_FOLDER_BROWSE, "push"}, {IDC_FOLDER_NOTE, "static"}}},
    {IDD_AGREEMENT_PAGE, {{IDC_AGREEMENT_TEXT, "readonly"}, {IDC_AGREEMENT_PRINT, "push"}}},
    {IDD_COPY_PAGE, {{IDC_COPY_STATUS, "static"}, {IDC_COPY_PROGRESS, ""}}},
    {IDD_SHORTCUTS_PAGE, {}},
    {IDD_ADVERTISE_PAGE, {{IDC_ADVERTISE_HEADLINE, "static", "$PROG"}, {IDC_ADVERTISE_HEADLINE2, "static", "$PROG"},
                          {IDC_ADVERTISE_DESCRIPTION, "static"}, {IDC_ADVERTISE_URL, "push"}}},
    {IDD_FINISH_PAGE, {{IDC_FINISH_TEXT, "static"}, {IDC_FINISH_PICTURE, "static"}}},
    {IDD_DATAFOLDER_PAGE, {{IDC_DATAFOLDER_PROFILE, "radio", "$(PATH)"}, {IDC_DATAFOLDER_BROWSE, "push"}}},
    {IDD_USAGE_PAGE_GEN6, kUsageControls}, {IDD_USAGE_PAGE, kUsageControls},
    {IDD_REMOVE_CONFIRM_PAGE, {{IDC_REMOVE_PROGRAM, "radio"}}},
    {IDD_REMOVE_PROGRESS_PAGE, {{IDC_REMOVE_STATUS, "static"}, {IDC_REMOVE_DONE, "static"}, {IDC_REMOVE_PROGRESS, ""}}},
};

// Loads a library the way setup loads it, with LoadLibraryA.
Module Load(const char* file) {
  std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return Module(LoadLibraryA(path.c_str()));
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Creates a layout the way the toolkit does, in a hidden parent.
Window CreateLayout(HMODULE library, UINT id, HWND parent) {
  DIALOGLAYOUT layout(library, static_cast<int>(id));
  if (!layout.IsValid()) return nullptr;
  return Window(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), parent, IgnoreMessages, 0));
}

Window HiddenParent() {
  return Window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

// The "$" tokens of a text: "$(NAME)" or "$" with the letters, digits and '_' that follow, so that "$PROG"
// is no token inside "$PROGRAM".
std::vector<std::string> Tokens(const std::wstring& text) {
  static const std::wregex token(L"\\$(\\([A-Za-z0-9_]*\\)|[A-Za-z0-9_]*)");
  std::vector<std::string> tokens;
  for (std::wsregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
    const std::wstring found = it->str();
    tokens.push_back(std::string(found.begin(), found.end()));
  }
  return tokens;
}

// What is wrong with a text for its use: tokens that the program would show raw, missing placeholders, a
// wrong number of "%s", and any other '%', which would break the formatting.
std::set<std::string> Problems(const std::wstring& text, const RequiredText& required) {
  std::set<std::string> problems;
  const std::vector<std::string> tokens = Tokens(text);
  const std::vector<std::string>& known = required.placeholders;
  for (const std::string& token : tokens)
    if (std::find(known.begin(), known.end(), token) == known.end()) problems.insert("raw " + token);
  for (const std::string& p : known)
    if (!required.half && std::find(tokens.begin(), tokens.end(), p) == tokens.end()) problems.insert("no " + p);
  int strings = 0;
  for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == L's') strings++;
    else problems.insert("conversion");
  }
  if (strings != required.formats) problems.insert("%s count " + std::to_string(strings));
  return problems;
}

// The kind of a control as the wizard tells it apart: the window class, buttons and edits by their style.
std::string KindOf(HWND control) {
  char cls[64] = {};
  GetClassNameA(control, cls, sizeof(cls));
  const std::string name = CharLowerA(cls);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  if (name == "edit") return style & ES_READONLY ? "readonly" : "edit";
  if (name == "combobox") return (style & 3) == CBS_DROPDOWNLIST ? "dropdownlist" : name;
  if (name != "button") return name;
  switch (style & BS_TYPEMASK) {
  case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: return "push";
  case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return "radio";
  case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: return "check";
  }
  return name;
}

TEST(LanguageLibraries, AreTranslationsHoldingEveryTextAndLayoutAsTheProgramUsesIt) {
  Window parent = HiddenParent();
  Module english = Load("setupenglish.dll");
  const std::vector<RequiredText> texts = AllTexts();
  for (const auto& library : kLibraries) {
    SCOPED_TRACE(library.file);
    Module module = Load(library.file);
    ASSERT_NE(module.get(), nullptr) << "setup loads the library with LoadLibraryA";
    auto text = [&](UINT id) { return LoadText(module.get(), id); };
    EXPECT_EQ(text(library.sample), library.text);
    size_t differing = 0;
    for (const RequiredText& required : texts) differing += text(required.id) != LoadText(english.get(), required.id);
    EXPECT_TRUE(library.suffix == std::wstring(L".ENG") || differing * 10 >= texts.size() * 9) << differing;
    for (const RequiredText& required : texts) {
      SCOPED_TRACE(testing::Message() << "text " << required.id);
      ASSERT_FALSE(text(required.id).empty());
      EXPECT_LE(text(required.id).size(), 1023u) << "setup reads at most 1023 characters";
      EXPECT_EQ(Problems(text(required.id), required), std::set<std::string>());
      // The program's own reading loses no letter.
      const WSTRING read(OSYS::GetStringFromResource(static_cast<int>(required.id), module.get()));
      EXPECT_EQ(std::wstring(read.c_str(), static_cast<size_t>(read.Length())), text(required.id));
    }
    for (UINT first : {IDS_COMPLETE_REMOVAL_WARNING_1, IDS_DATAFOLDER_DELETE_1})
      EXPECT_EQ(Problems(text(first) + text(first + 1), {0, {"$PROGRAM", "$DIR"}}), std::set<std::string>());

    // Configuration keys carry the suffix after a dot; the code selects the agreement file.
    EXPECT_EQ(text(IDS_LANGUAGE_SUFFIX), library.suffix);
    EXPECT_EQ(text(IDS_AGREEMENT_LANGUAGE), library.agreement);
    // The wizard caption and the removal question's title show the product instead of "Norba"; the product
    // title follows the welcome title directly; the folder browser gets the folder title, "|" and a filter.
    EXPECT_NE(text(IDS_SETUP_TITLE).find(L"Norba"), std::wstring::npos);
    EXPECT_NE(text(IDS_REMOVE_BOX_TITLE).find(L"Norba"), std::wstring::npos);
    EXPECT_TRUE(iswspace(text(IDS_WELCOME_TITLE).back()));
    EXPECT_EQ(text(IDS_FOLDER_TITLE).find(L'|'), std::wstring::npos);
    // The uninstall link is saved under this name with the program name inserted.
    std::wstring link = text(IDS_UNINSTALL_LINK_NAME);
    link.replace(link.find(L"$PROGRAM"), 8, L"Kiv");
    EXPECT_EQ(link.find_first_of(L"\\/:*?\"<>|\r\n\t"), std::wstring::npos) << "not a file name";
    EXPECT_TRUE(link.back() != L'.' && link.back() != L' ');
    // The terminal choice offers an item for each usage type that the page preselects from it; an empty item
    // would end the list.
    const std::wstring list = text(IDS_USAGE_TERMINALS);
    EXPECT_TRUE(list.find(L"||") == std::wstring::npos && list.front() != L'|' && list.back() != L'|');
    const STRINGARRAY items(OSYS::GetStringFromResource(IDS_USAGE_TERMINALS, module.get()), "|");
    EXPECT_GE(items.Count(), 4);
    std::set<int> types;
    for (int i = 0; i < items.Count(); i++) types.insert(KivUsageForTerminal(items[i]));
    for (int type : {0, 2, 3}) EXPECT_EQ(types.count(type), 1u) << "no item preselects usage type " << type;

    for (const auto& [id, controls] : kLayouts) {
      SCOPED_TRACE(testing::Message() << "layout " << id);
      Window dialog = CreateLayout(module.get(), id, parent.get());
      ASSERT_NE(dialog.get(), nullptr);
      EXPECT_TRUE(id != IDD_COPY_PAGE || WindowText(GetDlgItem(dialog.get(), IDC_COPY_STATUS)) == text(IDS_COPY_PREPARING))
          << "the layouts are compiled in the code page of the texts";
      const LONG style = GetWindowLongA(dialog.get(), GWL_STYLE);
      // A page lives without caption inside the frame; nothing shows before the wizard is ready.
      if (id == IDD_WIZARD_FRAME) EXPECT_TRUE((style & WS_POPUP) && !(style & WS_CHILD));
      else EXPECT_TRUE((style & WS_CHILD) && (style & WS_CAPTION) != WS_CAPTION);
      EXPECT_FALSE(style & WS_VISIBLE);
      for (const RequiredControl& control : controls) {
        HWND item = GetDlgItem(dialog.get(), control.id);
        ASSERT_NE(item, nullptr) << "control " << control.id;
        EXPECT_TRUE(!*control.kind || KindOf(item) == control.kind) << "control " << control.id;
        if (control.placeholder) {
          EXPECT_EQ(Tokens(WindowText(item)), std::vector<std::string>{control.placeholder});
        }
      }
    }
  }
}

}  // namespace
