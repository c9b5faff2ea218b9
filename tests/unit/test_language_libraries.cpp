// Checks the four language libraries beside setup.exe: each holds every text and dialog layout that the
// program asks for, with the placeholders, formats and controls that the program relies on, and really is a
// translation whose accented letters arrive as the right Unicode. (tools/check-dist.sh checks their imports.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <ostream>
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

// --- What the program requires ---

// A library with the configuration suffix and the agreement code (499 selects "LIZENZ.TXT" and the German
// built-in agreement, 12 "LICENSEFR.TXT", any other "LICENSE.TXT") that the program relies on.
struct Library {
  const char* file;
  const wchar_t* suffix;
  const wchar_t* agreement;
};

void PrintTo(const Library& library, std::ostream* out) { *out << library.file; }

const Library kLibraries[] = {{"setupenglish.dll", L".ENG", L"9"}, {"setupgerman.dll", L".GER", L"499"},
                              {"setupfrench.dll", L".FRA", L"12"}, {"setuphungarian.dll", L".HUN", L"14"}};

// One text the program loads with the placeholders the program replaces in it and the number of "%s"
// conversions it fills in; the texts of kPlainTexts have neither.
struct RequiredText {
  UINT id;
  std::vector<std::string> placeholders;
  int formats = 0;
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

const RequiredText kFilledTexts[] = {
    {IDS_ADVERTISE_TITLE, {"$PROG"}}, {IDS_ADVERTISE_SUBTITLE, {"$PROG"}}, {IDS_FINISH_SUBTITLE, {"$PROG"}},
    {IDS_MIGRATION_QUESTION, {"$(VXX)"}, 1}, {IDS_FOLDER_NOT_WRITABLE, {"$DIR"}},
    {IDS_EXTRACT_RETRY, {"$FILE", "$PROGRAM"}}, {IDS_REMOVE_QUESTION, {"$PROGRAM"}}, {IDS_OVERWRITE_QUESTION, {}, 1},
    {IDS_CLOSING_MESSAGE, {"$PROGRAM"}}, {IDS_UNINSTALL_LINK_NAME, {"$PROGRAM"}},
    {IDS_WELCOME_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}}, {IDS_FOLDER_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}},
    {IDS_ADMIN_REGISTRY_WRITTEN, {"$PROGRAM"}},
};

// Messages shown as two halves joined before "$PROGRAM" and "$DIR" are replaced: each may sit in either half.
const UINT kJoinedHalves[][2] = {{IDS_COMPLETE_REMOVAL_WARNING_1, IDS_COMPLETE_REMOVAL_WARNING_2},
                                 {IDS_DATAFOLDER_DELETE_1, IDS_DATAFOLDER_DELETE_2}};

std::vector<RequiredText> AllTexts() {
  std::vector<RequiredText> texts(std::begin(kFilledTexts), std::end(kFilledTexts));
  for (UINT id : kPlainTexts) texts.push_back({id, {}});
  for (const UINT* pair : kJoinedHalves)
    for (int half : {0, 1}) texts.push_back({pair[half], {"$PROGRAM", "$DIR"}});
  return texts;
}

// A control and its kind, which decides how the wizard records and replays it in answer files ("": any kind),
// with the placeholder the program replaces in its caption, if any.
struct RequiredControl {
  int id;
  const char* kind;
  const char* placeholder = nullptr;
};

// A layout and its controls; every layout but the wizard frame is a page.
struct RequiredLayout {
  UINT id;
  std::vector<RequiredControl> controls;
};

const std::vector<RequiredControl> kUsagePageControls = {
    {IDC_USAGE_LIST, "listbox"}, {IDC_USAGE_TERMINAL, "dropdownlist"}, {IDC_USAGE_DESCRIPTION, "static"}};

const std::vector<RequiredLayout> kLayouts = {
    {IDD_WIZARD_FRAME,
     {{IDC_FRAME_TITLE, "static"}, {IDC_FRAME_SUBTITLE, "static"}, {IDC_FRAME_ICON, "static"},
      {IDC_FRAME_HEADER_BAND, "static"}, {IDC_FRAME_PAGE_AREA, "static"}, {IDC_FRAME_HIDDEN, ""},
      {IDC_WIZARD_BACK, "push"}, {IDC_WIZARD_NEXT, "push"}, {IDC_WIZARD_CANCEL, "push"}}},
    {IDD_WELCOME_PAGE,
     {{IDC_WELCOME_NEW, "radio"}, {IDC_WELCOME_SAME, "radio"}, {IDC_WELCOME_UPDATE, "radio"},
      {IDC_WELCOME_NOTE, "static"}}},
    {IDD_FOLDER_PAGE, {{IDC_FOLDER_EDIT, "edit"}, {IDC_FOLDER_BROWSE, "push"}, {IDC_FOLDER_NOTE, "static"}}},
    {IDD_AGREEMENT_PAGE,
     {{IDC_AGREEMENT_TEXT, "readonly"}, {IDC_AGREEMENT_ACCEPT, "check"}, {IDC_AGREEMENT_PRINT, "push"}}},
    {IDD_COPY_PAGE, {{IDC_COPY_STATUS, "static"}, {IDC_COPY_PROGRESS, ""}}},
    {IDD_SHORTCUTS_PAGE,
     {{IDC_SHORTCUTS_USER_GROUP, "radio"}, {IDC_SHORTCUTS_COMMON_GROUP, "radio"},
      {IDC_SHORTCUTS_NO_GROUP, "radio"}, {IDC_SHORTCUTS_DESKTOP, "check"}}},
    {IDD_ADVERTISE_PAGE,
     {{IDC_ADVERTISE_HEADLINE, "static", "$PROG"}, {IDC_ADVERTISE_HEADLINE2, "static", "$PROG"},
      {IDC_ADVERTISE_DESCRIPTION, "static"}, {IDC_ADVERTISE_URL, "push"}}},
    {IDD_FINISH_PAGE, {{IDC_FINISH_TEXT, "static"}, {IDC_FINISH_PICTURE, "static"}}},
    {IDD_DATAFOLDER_PAGE,
     {{IDC_DATAFOLDER_PROFILE, "radio", "$(PATH)"}, {IDC_DATAFOLDER_PROGRAM, "radio"},
      {IDC_DATAFOLDER_ALLUSERS, "radio"}, {IDC_DATAFOLDER_CUSTOM, "radio"}, {IDC_DATAFOLDER_APPDATA, "radio"},
      {IDC_DATAFOLDER_EDIT, "edit"}, {IDC_DATAFOLDER_BROWSE, "push"}}},
    {IDD_USAGE_PAGE_GEN6, kUsagePageControls}, {IDD_USAGE_PAGE, kUsagePageControls},
    {IDD_REMOVE_CONFIRM_PAGE, {{IDC_REMOVE_PROGRAM, "radio"}, {IDC_REMOVE_COMPLETE, "radio"}}},
    {IDD_REMOVE_PROGRESS_PAGE,
     {{IDC_REMOVE_STATUS, "static"}, {IDC_REMOVE_DONE, "static"}, {IDC_REMOVE_PROGRESS, ""}}},
};

// --- Helpers ---

// Loads a library the way setup loads it, with LoadLibraryA.
Module Load(const char* file) {
  std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return Module(LoadLibraryA(path.c_str()));
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A hidden window for the pages to live in.
Window HiddenParent() {
  return Window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
}

// Creates a layout the way the toolkit does, invisible (no layout carries WS_VISIBLE).
Window CreateLayout(HMODULE library, UINT id, HWND parent) {
  DIALOGLAYOUT layout(library, static_cast<int>(id));
  if (!layout.IsValid()) return nullptr;
  return Window(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), parent, IgnoreMessages, 0));
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

// Whether the placeholder stands at `at` as a whole token ("$PROG" does not count inside "$PROGRAM").
bool PlaceholderAt(const std::wstring& text, size_t at, const std::string& placeholder) {
  const std::wstring wanted(placeholder.begin(), placeholder.end());
  const size_t end = at + wanted.size();
  if (text.compare(at, wanted.size(), wanted) != 0) return false;
  return wanted.back() == L')' || end >= text.size() || !(text[end] < 128 && (iswalnum(text[end]) || text[end] == L'_'));
}

bool HasPlaceholder(const std::wstring& text, const std::string& placeholder) {
  for (size_t at = text.find(L'$'); at != std::wstring::npos; at = text.find(L'$', at + 1))
    if (PlaceholderAt(text, at, placeholder)) return true;
  return false;
}

// What is wrong with a text for its use: "$" tokens the program would show raw, a wrong number of "%s", and
// any other '%', which would break the formatting.
std::vector<std::wstring> Problems(const std::wstring& text, const RequiredText& required) {
  std::vector<std::wstring> problems;
  for (size_t at = text.find(L'$'); at != std::wstring::npos; at = text.find(L'$', at + 1)) {
    bool known = false;
    for (const std::string& placeholder : required.placeholders) known = known || PlaceholderAt(text, at, placeholder);
    if (!known) problems.push_back(L"raw " + text.substr(at, 12));
  }
  int strings = 0;
  for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == L's') strings++;
    else problems.push_back(L"conversion " + text.substr(at, 3));
  }
  if (strings != required.formats) problems.push_back(L"%s count " + std::to_wstring(strings));
  return problems;
}

// The kind of a control as the wizard tells it apart: the window class, buttons and edits by their style.
std::string KindOf(HWND control) {
  char cls[64] = {};
  GetClassNameA(control, cls, sizeof(cls));
  CharLowerA(cls);
  const std::string name = cls;
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

// --- Each library on its own ---

class LanguageLibraryTest : public testing::TestWithParam<Library> {
 protected:
  void SetUp() override { ASSERT_NE(library_.get(), nullptr) << "setup loads the library with LoadLibraryA"; }
  std::wstring Text(UINT id) const { return LoadText(library_.get(), id); }

  Module library_ = Load(GetParam().file);
};

TEST_P(LanguageLibraryTest, EveryTextIsPresentWholeWithExactlyItsPlaceholdersAndFormats) {
  for (const RequiredText& required : AllTexts()) {
    SCOPED_TRACE(testing::Message() << "text " << required.id);
    const std::wstring text = Text(required.id);
    ASSERT_FALSE(text.empty());
    EXPECT_LE(text.size(), 1023u) << "setup reads at most 1023 characters";
    EXPECT_EQ(Problems(text, required), std::vector<std::wstring>());
    // The program's own reading loses no letter.
    const WSTRING read(OSYS::GetStringFromResource(static_cast<int>(required.id), library_.get()));
    EXPECT_EQ(std::wstring(read.c_str(), static_cast<size_t>(read.Length())), text);
  }
  for (const RequiredText& required : kFilledTexts)
    for (const std::string& placeholder : required.placeholders)
      EXPECT_TRUE(HasPlaceholder(Text(required.id), placeholder)) << required.id << " " << placeholder;
  for (const UINT* pair : kJoinedHalves) {
    const std::wstring joined = Text(pair[0]) + Text(pair[1]);
    for (const char* placeholder : {"$PROGRAM", "$DIR"})
      EXPECT_TRUE(HasPlaceholder(joined, placeholder)) << pair[0] << "+" << pair[1] << " " << placeholder;
  }
}

TEST_P(LanguageLibraryTest, TextsThatTheProgramReadsOrCombinesFitTheirUse) {
  // Configuration keys carry the suffix after a dot; the code selects the agreement file.
  EXPECT_EQ(Text(IDS_LANGUAGE_SUFFIX), GetParam().suffix);
  EXPECT_EQ(Text(IDS_AGREEMENT_LANGUAGE), GetParam().agreement);
  // The wizard caption and the removal question's title show the product instead of "Norba".
  EXPECT_NE(Text(IDS_SETUP_TITLE).find(L"Norba"), std::wstring::npos);
  EXPECT_NE(Text(IDS_REMOVE_BOX_TITLE).find(L"Norba"), std::wstring::npos);
  // The product title is appended directly to the welcome title: it needs a blank at its end.
  EXPECT_TRUE(iswspace(Text(IDS_WELCOME_TITLE).back()));
  // The folder browser receives the folder title, "|" and a filter.
  EXPECT_EQ(Text(IDS_FOLDER_TITLE).find(L'|'), std::wstring::npos);

  // The uninstall link is saved under this name with the program name inserted.
  std::wstring link = Text(IDS_UNINSTALL_LINK_NAME);
  link.replace(link.find(L"$PROGRAM"), 8, L"Kiv");
  EXPECT_EQ(link.find_first_of(L"\\/:*?\"<>|\r\n\t"), std::wstring::npos) << "not a file name";
  EXPECT_TRUE(link.back() != L'.' && link.back() != L' ');

  // The terminal choice offers an item for each usage type that the page preselects from it; an empty
  // item would end the list.
  const std::wstring list = Text(IDS_USAGE_TERMINALS);
  EXPECT_TRUE(list.find(L"||") == std::wstring::npos && list.front() != L'|' && list.back() != L'|');
  const STRINGARRAY items(OSYS::GetStringFromResource(IDS_USAGE_TERMINALS, library_.get()), "|");
  ASSERT_GE(items.Count(), 4);
  std::set<int> types;
  for (int i = 0; i < items.Count(); i++) types.insert(KivUsageForTerminal(items[i]));
  for (int type : {0, 2, 3}) EXPECT_EQ(types.count(type), 1u) << "no item preselects usage type " << type;
}

TEST_P(LanguageLibraryTest, EveryLayoutHoldsTheControlsTheProgramAddresses) {
  Window parent = HiddenParent();
  for (const RequiredLayout& required : kLayouts) {
    SCOPED_TRACE(testing::Message() << "layout " << required.id);
    Window dialog = CreateLayout(library_.get(), required.id, parent.get());
    ASSERT_NE(dialog.get(), nullptr);

    const LONG style = GetWindowLongA(dialog.get(), GWL_STYLE);
    if (required.id != IDD_WIZARD_FRAME) {
      EXPECT_TRUE(style & WS_CHILD) << "a page lives inside the wizard frame";
      EXPECT_NE(style & WS_CAPTION, static_cast<LONG>(WS_CAPTION)) << "a page has no caption";
    } else {
      EXPECT_TRUE((style & WS_POPUP) && !(style & WS_CHILD));
    }
    EXPECT_FALSE(style & WS_VISIBLE) << "the wizard shows it when it is ready";

    for (const RequiredControl& control : required.controls) {
      HWND item = GetDlgItem(dialog.get(), control.id);
      EXPECT_NE(item, nullptr) << "control " << control.id << " is missing";
      if (!item) continue;
      if (*control.kind) {
        EXPECT_EQ(KindOf(item), control.kind) << "control " << control.id;
      }
      if (control.placeholder) {
        EXPECT_TRUE(HasPlaceholder(WindowText(item), control.placeholder)) << "control " << control.id;
      }
    }
  }
}

std::string LibraryName(const testing::TestParamInfo<Library>& info) {
  std::string name = info.param.file;
  return name.substr(5, name.find('.') - 5);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageLibraryTest, testing::ValuesIn(kLibraries), LibraryName);

// --- The libraries compared with each other ---

TEST(LanguageLibraries, TranslationsDifferFromEnglishAndTheirLettersArriveAsUnicode) {
  Module english = Load("setupenglish.dll");
  ASSERT_NE(english.get(), nullptr);
  const std::vector<RequiredText> texts = AllTexts();
  // German and French come from code page 1252; the Hungarian letter o with double acute exists
  // only in code page 1250.
  const struct {
    const char* file;
    UINT id;
    const wchar_t* text;
  } samples[] = {
    {"setupgerman.dll", IDS_FOLDER_SUBTITLE, L"W\u00e4hlen Sie den Ordner, in den das Programm installiert wird."},
    {"setupfrench.dll", IDS_REMOVE_WIZARD_TITLE, L"D\u00e9sinstallation"},
    {"setuphungarian.dll", IDS_SETUP_TITLE, L"Norba telep\u00edt\u0151"},
  };
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.file);
    Module translated = Load(sample.file);
    ASSERT_NE(translated.get(), nullptr);
    EXPECT_EQ(LoadText(translated.get(), sample.id), std::wstring(sample.text));
    size_t differing = 0;
    for (const RequiredText& required : texts)
      differing += LoadText(translated.get(), required.id) != LoadText(english.get(), required.id);
    EXPECT_GE(differing * 10, texts.size() * 9) << differing << " of " << texts.size() << " translated";
  }
  // The layouts are compiled in the same code page.
  Module hungarian = Load("setuphungarian.dll");
  Window parent = HiddenParent();
  Window page = CreateLayout(hungarian.get(), IDD_COPY_PAGE, parent.get());
  EXPECT_EQ(WindowText(GetDlgItem(page.get(), IDC_COPY_STATUS)),
        L"A telep\u00edt\u00e9s el\u0151k\u00e9sz\u00edt\u00e9se...");
}

}  // namespace
