// Checks the four language libraries beside setup.exe: each holds every text and dialog layout that the
// program asks for, with the placeholders, formats and controls that the program relies on, and really is a
// translation whose accented letters arrive as the right Unicode. (tools/check-dist.sh checks their imports.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cwctype>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/osys.h"
#include "ids.h"
#include "libraryresources.h"
#include "ownedwin32.h"

namespace {

// --- What the program requires ---

// A library, the agreement language code (text 2984) it must carry (0: anything but 499 and 12, which selects
// "LICENSE.TXT"; 499 selects "LIZENZ.TXT" and the German built-in agreement, 12 "LICENSEFR.TXT") and the
// configuration suffix the program relies on, if any.
struct Library {
    const char* file;
    long agreement;
    const wchar_t* suffix;
};

void PrintTo(const Library& library, std::ostream* out) { *out << library.file; }

const Library kLibraries[] = {{"setupenglish.dll", 0, nullptr}, {"setupgerman.dll", 499, L".GER"},
                              {"setupfrench.dll", 12, nullptr}, {"setuphungarian.dll", 0, nullptr}};

// One text the program loads: the placeholders the program replaces in it, how many "%s" conversions the
// program fills in, and whether it is one half of a message whose two halves are joined before the
// placeholders are replaced (then each placeholder may sit in either half).
struct RequiredText {
    UINT id;
    std::vector<std::string> placeholders;
    int formats;
    bool half;
};

// Texts shown as they are: no placeholder, no conversion.
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
    {IDS_ADVERTISE_TITLE, {"$PROG"}, 0, false},
    {IDS_ADVERTISE_SUBTITLE, {"$PROG"}, 0, false},
    {IDS_FINISH_SUBTITLE, {"$PROG"}, 0, false},
    {IDS_MIGRATION_QUESTION, {"$(VXX)"}, 1, false},
    {IDS_FOLDER_NOT_WRITABLE, {"$DIR"}, 0, false},
    {IDS_EXTRACT_RETRY, {"$FILE", "$PROGRAM"}, 0, false},
    {IDS_REMOVE_QUESTION, {"$PROGRAM"}, 0, false},
    {IDS_OVERWRITE_QUESTION, {}, 1, false},
    {IDS_CLOSING_MESSAGE, {"$PROGRAM"}, 0, false},
    {IDS_UNINSTALL_LINK_NAME, {"$PROGRAM"}, 0, false},
    {IDS_COMPLETE_REMOVAL_WARNING_1, {"$PROGRAM", "$DIR"}, 0, true},
    {IDS_COMPLETE_REMOVAL_WARNING_2, {"$PROGRAM", "$DIR"}, 0, true},
    {IDS_DATAFOLDER_DELETE_1, {"$PROGRAM", "$DIR"}, 0, true},
    {IDS_DATAFOLDER_DELETE_2, {"$PROGRAM", "$DIR"}, 0, true},
    {IDS_WELCOME_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}, 0, false},
    {IDS_FOLDER_MIGRATION_NOTE, {"$(VXX)", "$(VNEW)"}, 0, false},
    {IDS_ADMIN_REGISTRY_WRITTEN, {"$PROGRAM"}, 0, false},
};

std::vector<RequiredText> AllTexts() {
    std::vector<RequiredText> texts(std::begin(kFilledTexts), std::end(kFilledTexts));
    for (UINT id : kPlainTexts) texts.push_back({id, {}, 0, false});
    return texts;
}

// Messages shown as two halves joined together.
const UINT kJoinedHalves[][2] = {
    {IDS_COMPLETE_REMOVAL_WARNING_1, IDS_COMPLETE_REMOVAL_WARNING_2},
    {IDS_DATAFOLDER_DELETE_1, IDS_DATAFOLDER_DELETE_2},
};

// The kind of a control decides how the wizard records and replays it in answer files.
enum class Kind { Any, Static, PushButton, Radio, CheckBox, Edit, ReadOnlyEdit, ListBox, DropDownList };

struct RequiredControl {
    int id;
    Kind kind;
    const char* placeholder = nullptr;  // the program replaces it in the control's caption
};

struct RequiredLayout {
    UINT id;
    bool page;
    std::vector<RequiredControl> controls;
};

const std::vector<RequiredControl> kUsagePageControls = {
    {IDC_USAGE_LIST, Kind::ListBox}, {IDC_USAGE_TERMINAL, Kind::DropDownList}, {IDC_USAGE_DESCRIPTION, Kind::Static}};

const std::vector<RequiredLayout> kLayouts = {
    {IDD_WIZARD_FRAME, false,
     {{IDC_FRAME_TITLE, Kind::Static}, {IDC_FRAME_SUBTITLE, Kind::Static}, {IDC_FRAME_ICON, Kind::Static},
      {IDC_FRAME_HEADER_BAND, Kind::Static}, {IDC_FRAME_PAGE_AREA, Kind::Static}, {IDC_FRAME_HIDDEN, Kind::Any},
      {IDC_WIZARD_BACK, Kind::PushButton}, {IDC_WIZARD_NEXT, Kind::PushButton}, {IDC_WIZARD_CANCEL, Kind::PushButton}}},
    {IDD_WELCOME_PAGE, true,
     {{IDC_WELCOME_NEW, Kind::Radio}, {IDC_WELCOME_SAME, Kind::Radio}, {IDC_WELCOME_UPDATE, Kind::Radio},
      {IDC_WELCOME_NOTE, Kind::Static}}},
    {IDD_FOLDER_PAGE, true,
     {{IDC_FOLDER_EDIT, Kind::Edit}, {IDC_FOLDER_BROWSE, Kind::PushButton}, {IDC_FOLDER_NOTE, Kind::Static}}},
    {IDD_AGREEMENT_PAGE, true,
     {{IDC_AGREEMENT_TEXT, Kind::ReadOnlyEdit}, {IDC_AGREEMENT_ACCEPT, Kind::CheckBox},
      {IDC_AGREEMENT_PRINT, Kind::PushButton}}},
    {IDD_COPY_PAGE, true, {{IDC_COPY_STATUS, Kind::Static}, {IDC_COPY_PROGRESS, Kind::Any}}},
    {IDD_SHORTCUTS_PAGE, true,
     {{IDC_SHORTCUTS_USER_GROUP, Kind::Radio}, {IDC_SHORTCUTS_COMMON_GROUP, Kind::Radio},
      {IDC_SHORTCUTS_NO_GROUP, Kind::Radio}, {IDC_SHORTCUTS_DESKTOP, Kind::CheckBox}}},
    {IDD_ADVERTISE_PAGE, true,
     {{IDC_ADVERTISE_HEADLINE, Kind::Static, "$PROG"}, {IDC_ADVERTISE_HEADLINE2, Kind::Static, "$PROG"},
      {IDC_ADVERTISE_DESCRIPTION, Kind::Static}, {IDC_ADVERTISE_URL, Kind::PushButton}}},
    {IDD_FINISH_PAGE, true, {{IDC_FINISH_TEXT, Kind::Static}, {IDC_FINISH_PICTURE, Kind::Static}}},
    {IDD_DATAFOLDER_PAGE, true,
     {{IDC_DATAFOLDER_PROFILE, Kind::Radio, "$(PATH)"}, {IDC_DATAFOLDER_PROGRAM, Kind::Radio},
      {IDC_DATAFOLDER_ALLUSERS, Kind::Radio}, {IDC_DATAFOLDER_CUSTOM, Kind::Radio},
      {IDC_DATAFOLDER_APPDATA, Kind::Radio}, {IDC_DATAFOLDER_EDIT, Kind::Edit},
      {IDC_DATAFOLDER_BROWSE, Kind::PushButton}}},
    {IDD_USAGE_PAGE_GEN6, true, kUsagePageControls},
    {IDD_USAGE_PAGE, true, kUsagePageControls},
    {IDD_REMOVE_CONFIRM_PAGE, true, {{IDC_REMOVE_PROGRAM, Kind::Radio}, {IDC_REMOVE_COMPLETE, Kind::Radio}}},
    {IDD_REMOVE_PROGRESS_PAGE, true,
     {{IDC_REMOVE_STATUS, Kind::Static}, {IDC_REMOVE_DONE, Kind::Static}, {IDC_REMOVE_PROGRESS, Kind::Any}}},
};

// The usage type page lower-cases the chosen terminal program and tests these groups in this order.
const std::vector<const wchar_t*> kTerminalGroups[] = {
    {L"putty", L"gnome", L"securecrt"}, {L"attachmate", L"pcomm"}, {L"procomm"}};

// --- Helpers ---

Module Load(const char* file, DWORD flags = LOAD_LIBRARY_AS_DATAFILE) {
    std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return Module(LoadLibraryExA(path.c_str(), nullptr, flags));
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

Window CreateHiddenParent() {
    return Window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
}

// Creates a layout the way the program does: the template is taken from the library and the
// dialog is created from it, invisible (no layout carries WS_VISIBLE).
Window CreateLayout(HMODULE library, UINT id, HWND parent) {
    HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
    const void* layout = loaded ? LockResource(loaded) : nullptr;
    if (!layout) return nullptr;
    return Window(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(layout), parent,
                                             IgnoreMessages, 0));
}

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

bool IsNameChar(wchar_t c) { return c < 128 && (isalnum(static_cast<int>(c)) || c == '_'); }

// Whether the placeholder stands in the text as a whole token ("$PROG" does not count inside "$PROGRAM").
bool HasPlaceholder(const std::wstring& text, const std::string& placeholder) {
    const std::wstring wanted(placeholder.begin(), placeholder.end());
    for (size_t at = text.find(wanted); at != std::wstring::npos; at = text.find(wanted, at + 1)) {
        size_t end = at + wanted.size();
        if (wanted.back() == L')' || end >= text.size() || !IsNameChar(text[end])) return true;
    }
    return false;
}

// The "$" tokens of the text that are not among the allowed placeholders: they would be shown raw.
std::vector<std::wstring> UnexpectedDollars(const std::wstring& text, const std::vector<std::string>& allowed) {
    std::vector<std::wstring> unexpected;
    for (size_t at = text.find(L'$'); at != std::wstring::npos; at = text.find(L'$', at + 1)) {
        const std::wstring rest = text.substr(at);
        bool known = false;
        for (const std::string& placeholder : allowed) {
            known = known || HasPlaceholder(rest.substr(0, placeholder.size() + 1), placeholder);
        }
        if (!known) unexpected.push_back(rest.substr(0, 12));
    }
    return unexpected;
}

// Counts printf conversions: "%s" and anything else that begins with '%'.
void CountConversions(const std::wstring& text, int* strings, int* others) {
    *strings = *others = 0;
    for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
        ++*(at + 1 < text.size() && text[at + 1] == L's' ? strings : others);
    }
}

bool HasKind(HWND control, Kind kind) {
    char cls[64] = {};
    GetClassNameA(control, cls, sizeof(cls));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG button = lstrcmpiA(cls, "Button") == 0 ? style & BS_TYPEMASK : -1;
    const bool edit = lstrcmpiA(cls, "Edit") == 0;
    switch (kind) {
    case Kind::Any:
        return true;
    case Kind::Static:
        return lstrcmpiA(cls, "Static") == 0;
    case Kind::PushButton:
        return button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON;
    case Kind::Radio:
        return button == BS_RADIOBUTTON || button == BS_AUTORADIOBUTTON;
    case Kind::CheckBox:
        return button == BS_CHECKBOX || button == BS_AUTOCHECKBOX || button == BS_3STATE || button == BS_AUTO3STATE;
    case Kind::Edit:
        return edit && !(style & ES_READONLY);
    case Kind::ReadOnlyEdit:
        return edit && (style & ES_READONLY);
    case Kind::ListBox:
        return lstrcmpiA(cls, "ListBox") == 0;
    case Kind::DropDownList:
        return lstrcmpiA(cls, "ComboBox") == 0 && (style & 3) == CBS_DROPDOWNLIST;
    }
    return false;
}

int TerminalGroup(std::wstring item) {
    for (wchar_t& c : item) c = towlower(c);
    for (size_t group = 0; group < std::size(kTerminalGroups); ++group) {
        for (const wchar_t* word : kTerminalGroups[group]) {
            if (item.find(word) != std::wstring::npos) return static_cast<int>(group);
        }
    }
    return -1;
}

// --- Each library on its own ---

class LanguageLibraryTest : public testing::TestWithParam<Library> {
protected:
    void SetUp() override { ASSERT_NE(library_.get(), nullptr) << GetParam().file; }
    std::wstring Text(UINT id) const { return LoadText(library_.get(), id); }

    Module library_ = Load(GetParam().file);
};

TEST_P(LanguageLibraryTest, LoadsLikeSetupLoadsIt) {
    Module loaded = Load(GetParam().file, 0);
    ASSERT_NE(loaded.get(), nullptr) << "setup loads the library with LoadLibraryA";
    EXPECT_FALSE(LoadText(loaded.get(), IDS_SETUP_TITLE).empty());
}

TEST_P(LanguageLibraryTest, EveryTextIsPresentWithExactlyItsPlaceholdersAndFormats) {
    for (const RequiredText& required : AllTexts()) {
        SCOPED_TRACE(testing::Message() << "text " << required.id);
        const std::wstring text = Text(required.id);
        ASSERT_FALSE(text.empty());
        EXPECT_LE(text.size(), 1023u) << "setup reads at most 1023 characters";

        const std::vector<std::wstring> unexpected = UnexpectedDollars(text, required.placeholders);
        EXPECT_TRUE(unexpected.empty())
            << "a placeholder the program does not replace here: " << testing::PrintToString(unexpected);
        for (const std::string& placeholder : required.placeholders) {
            EXPECT_TRUE(required.half || HasPlaceholder(text, placeholder)) << placeholder;
        }

        int strings = 0;
        int others = 0;
        CountConversions(text, &strings, &others);
        EXPECT_EQ(strings, required.formats) << "number of %s";
        EXPECT_EQ(others, 0) << "a '%' other than %s would break the formatting";
    }
    // Joined halves carry their placeholders together.
    for (const UINT* pair : kJoinedHalves) {
        const std::wstring joined = Text(pair[0]) + Text(pair[1]);
        for (const char* placeholder : {"$PROGRAM", "$DIR"}) {
            EXPECT_TRUE(HasPlaceholder(joined, placeholder)) << pair[0] << "+" << pair[1] << " " << placeholder;
        }
    }
}

TEST_P(LanguageLibraryTest, ProgramReadsEveryTextWithoutLosingALetter) {
    for (const RequiredText& required : AllTexts()) {
        const WSTRING read(OSYS::GetStringFromResource(static_cast<int>(required.id), library_.get()));
        EXPECT_EQ(std::wstring(read.c_str(), static_cast<size_t>(read.Length())), Text(required.id)) << required.id;
    }
}

TEST_P(LanguageLibraryTest, CodesReadByTheProgramHaveTheirForm) {
    const std::wstring suffix = Text(IDS_LANGUAGE_SUFFIX);
    ASSERT_GE(suffix.size(), 2u);
    EXPECT_EQ(suffix[0], L'.') << "configuration keys carry the suffix after a dot";
    for (size_t i = 1; i < suffix.size(); ++i) {
        EXPECT_TRUE(iswalpha(suffix[i])) << "suffix " << testing::PrintToString(suffix);
    }

    const std::wstring code = Text(IDS_AGREEMENT_LANGUAGE);
    ASSERT_FALSE(code.empty());
    for (wchar_t c : code) EXPECT_TRUE(c >= L'0' && c <= L'9') << "decimal code";
    const long value = wcstol(code.c_str(), nullptr, 10);
    if (GetParam().agreement) {
        EXPECT_EQ(value, GetParam().agreement) << "selects the agreement file of the language";
    } else {
        EXPECT_TRUE(value != 499 && value != 12) << "selects LICENSE.TXT";
    }
    if (GetParam().suffix) {
        EXPECT_EQ(suffix, GetParam().suffix);
    }
}

TEST_P(LanguageLibraryTest, TextsThatTheProgramCombinesFitTheirUse) {
    // The wizard caption and the removal question's title show the product instead of "Norba".
    EXPECT_NE(Text(IDS_SETUP_TITLE).find(L"Norba"), std::wstring::npos);
    EXPECT_NE(Text(IDS_REMOVE_BOX_TITLE).find(L"Norba"), std::wstring::npos);

    // The product title is appended directly to the welcome title.
    const std::wstring welcome = Text(IDS_WELCOME_TITLE);
    ASSERT_FALSE(welcome.empty());
    EXPECT_TRUE(iswspace(welcome.back())) << "needs a blank at its end";

    // The folder browser receives the folder title, "|" and a filter.
    EXPECT_EQ(Text(IDS_FOLDER_TITLE).find(L'|'), std::wstring::npos);

    // The uninstall link is saved under this name with the program name inserted.
    std::wstring link = Text(IDS_UNINSTALL_LINK_NAME);
    link.replace(link.find(L"$PROGRAM"), 8, L"Kiv");
    EXPECT_EQ(link.find_first_of(L"\\/:*?\"<>|\r\n\t"), std::wstring::npos) << "not a file name";
    EXPECT_TRUE(!link.empty() && link.back() != L'.' && link.back() != L' ');
}

TEST_P(LanguageLibraryTest, TerminalChoiceOffersAnItemForEachGroupThePageRecognises) {
    std::vector<bool> offered(std::size(kTerminalGroups), false);
    const std::wstring list = Text(IDS_USAGE_TERMINALS) + L"|";
    size_t items = 0;
    for (size_t start = 0, bar; (bar = list.find(L'|', start)) != std::wstring::npos; start = bar + 1, ++items) {
        const std::wstring item = list.substr(start, bar - start);
        EXPECT_FALSE(item.empty()) << "an empty item ends the list";
        const int group = TerminalGroup(item);
        if (group >= 0) offered[static_cast<size_t>(group)] = true;
    }
    ASSERT_GE(items, 4u);
    for (size_t group = 0; group < offered.size(); ++group) {
        EXPECT_TRUE(offered[group]) << "no item preselects the usage type of group " << group;
    }
}

TEST_P(LanguageLibraryTest, EveryLayoutHoldsTheControlsTheProgramAddresses) {
    Window parent = CreateHiddenParent();
    ASSERT_NE(parent.get(), nullptr);
    for (const RequiredLayout& required : kLayouts) {
        SCOPED_TRACE(testing::Message() << "layout " << required.id);
        Window dialog = CreateLayout(library_.get(), required.id, parent.get());
        ASSERT_NE(dialog.get(), nullptr);

        const LONG style = GetWindowLongA(dialog.get(), GWL_STYLE);
        if (required.page) {
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
            EXPECT_TRUE(HasKind(item, control.kind)) << "control " << control.id << " has the wrong kind";
            if (control.placeholder) {
                EXPECT_TRUE(HasPlaceholder(WindowText(item), control.placeholder))
                    << "control " << control.id << " " << control.placeholder;
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

TEST(LanguageLibraries, TranslationsAreNotTheEnglishTexts) {
    Module english = Load("setupenglish.dll");
    ASSERT_NE(english.get(), nullptr);
    std::vector<std::wstring> suffixes = {LoadText(english.get(), IDS_LANGUAGE_SUFFIX)};
    const std::vector<RequiredText> texts = AllTexts();

    for (const char* file : {"setupgerman.dll", "setupfrench.dll", "setuphungarian.dll"}) {
        SCOPED_TRACE(file);
        Module translated = Load(file);
        ASSERT_NE(translated.get(), nullptr);
        size_t differing = 0;
        for (const RequiredText& required : texts) {
            differing += LoadText(translated.get(), required.id) != LoadText(english.get(), required.id);
        }
        EXPECT_GE(differing * 10, texts.size() * 9) << differing << " of " << texts.size() << " translated";

        const std::wstring suffix = LoadText(translated.get(), IDS_LANGUAGE_SUFFIX);
        for (const std::wstring& other : suffixes) EXPECT_NE(suffix, other) << "language suffixes must differ";
        suffixes.push_back(suffix);
    }
}

TEST(LanguageLibraries, AccentedLettersArriveAsTheirUnicodeCharacters) {
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
        Module library = Load(sample.file);
        ASSERT_NE(library.get(), nullptr) << sample.file;
        EXPECT_EQ(LoadText(library.get(), sample.id), std::wstring(sample.text)) << sample.file;
    }
    // The layouts are compiled in the same code page.
    Module hungarian = Load("setuphungarian.dll");
    Window parent = CreateHiddenParent();
    Window page = CreateLayout(hungarian.get(), IDD_COPY_PAGE, parent.get());
    EXPECT_EQ(WindowText(GetDlgItem(page.get(), IDC_COPY_STATUS)),
              L"A telep\u00edt\u00e9s el\u0151k\u00e9sz\u00edt\u00e9se...");
}

}  // namespace
