// Checks the four language libraries beside setup.exe: each is a pure resource module, holds every text
// and dialog layout that the program asks for, with the placeholders, formats and controls that the
// program relies on, and really is a translation whose accented letters arrive as the right Unicode.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "ids.h"

namespace {

// ----------------------------------------------------------------------------------------------
// What the program requires
// ----------------------------------------------------------------------------------------------

// Which agreement file the agreement language code (text 2984) selects.
enum class Agreement { English, German, French };

struct Library {
    const char* file;
    Agreement agreement;
};

void PrintTo(const Library& library, std::ostream* out) { *out << library.file; }

const Library kLibraries[] = {
    {"setupenglish.dll", Agreement::English},
    {"setupgerman.dll", Agreement::German},
    {"setupfrench.dll", Agreement::French},
    {"setuphungarian.dll", Agreement::English},
};

const char* const kAllPlaceholders[] = {"$PROGRAM", "$PROG", "$DIR", "$FILE", "$(VXX)", "$(VNEW)", "$(PATH)"};

// One text the program loads: the placeholders the program replaces in it (blank-separated), how many
// "%s" conversions the program fills in, and whether it is one half of a message whose two halves are
// joined before the placeholders are replaced (then each placeholder may sit in either half).
struct RequiredText {
    UINT id;
    const char* placeholders;
    int formats;
    bool half;
};

const RequiredText kTexts[] = {
    {IDS_SETUP_TITLE, "", 0, false},
    {IDS_REMOVE_BOX_TITLE, "", 0, false},
    {IDS_FOLDER_TITLE, "", 0, false},
    {IDS_FOLDER_SUBTITLE, "", 0, false},
    {IDS_AGREEMENT_TITLE, "", 0, false},
    {IDS_AGREEMENT_SUBTITLE, "", 0, false},
    {IDS_COPY_TITLE, "", 0, false},
    {IDS_COPY_SUBTITLE, "", 0, false},
    {IDS_COPY_PREPARING, "", 0, false},
    {IDS_COPY_STATUS, "", 0, false},
    {IDS_COPY_REGISTERING, "", 0, false},
    {IDS_COPY_COMPLETE, "", 0, false},
    {IDS_WELCOME_TITLE, "", 0, false},
    {IDS_WELCOME_SUBTITLE, "", 0, false},
    {IDS_ADVERTISE_TITLE, "$PROG", 0, false},
    {IDS_ADVERTISE_SUBTITLE, "$PROG", 0, false},
    {IDS_SHORTCUTS_TITLE, "", 0, false},
    {IDS_SHORTCUTS_SUBTITLE, "", 0, false},
    {IDS_FINISH_TITLE, "", 0, false},
    {IDS_FINISH_SUBTITLE, "$PROG", 0, false},
    {IDS_DATAFOLDER_TITLE, "", 0, false},
    {IDS_DATAFOLDER_SUBTITLE, "", 0, false},
    {IDS_USAGE_TITLE, "", 0, false},
    {IDS_USAGE_SUBTITLE, "", 0, false},
    {IDS_REMOVE_CONFIRM_TITLE, "", 0, false},
    {IDS_REMOVE_CONFIRM_SUBTITLE, "", 0, false},
    {IDS_REMOVE_PROGRESS_TITLE, "", 0, false},
    {IDS_REMOVE_PROGRESS_SUBTITLE, "", 0, false},
    {IDS_REMOVE_DONE_TITLE, "", 0, false},
    {IDS_REMOVE_DONE_TEXT, "", 0, false},
    {IDS_MIGRATION_QUESTION, "$(VXX)", 1, false},
    {IDS_USAGE_TYPE_0, "", 0, false},
    {IDS_USAGE_TYPE_1, "", 0, false},
    {IDS_USAGE_TYPE_2, "", 0, false},
    {IDS_USAGE_TYPE_3, "", 0, false},
    {IDS_USAGE_TYPE_4, "", 0, false},
    {IDS_USAGE_LIST_LABEL, "", 0, false},
    {IDS_USAGE_TERMINAL_LABEL, "", 0, false},
    {IDS_USAGE_DESCRIPTION_0, "", 0, false},
    {IDS_USAGE_DESCRIPTION_1, "", 0, false},
    {IDS_USAGE_DESCRIPTION_2, "", 0, false},
    {IDS_USAGE_DESCRIPTION_3, "", 0, false},
    {IDS_USAGE_DESCRIPTION_4, "", 0, false},
    {IDS_USAGE_TERMINALS, "", 0, false},
    {IDS_LANGUAGE_SUFFIX, "", 0, false},
    {IDS_FOLDER_NOT_WRITABLE, "$DIR", 0, false},
    {IDS_AGREEMENT_LANGUAGE, "", 0, false},
    {IDS_CONFIG_MISSING, "", 0, false},
    {IDS_PREREQUISITE_MISSING, "", 0, false},
    {IDS_CANCEL_QUESTION, "", 0, false},
    {IDS_EXTRACT_RETRY, "$FILE $PROGRAM", 0, false},
    {IDS_REMOVE_QUESTION, "$PROGRAM", 0, false},
    {IDS_OVERWRITE_QUESTION, "", 1, false},
    {IDS_OVERWRITE_TITLE, "", 0, false},
    {IDS_CLOSING_MESSAGE, "$PROGRAM", 0, false},
    {IDS_REMOVE_WIZARD_TITLE, "", 0, false},
    {IDS_UNINSTALL_LINK_NAME, "$PROGRAM", 0, false},
    {IDS_FINISH_BUTTON, "", 0, false},
    {IDS_COMPLETE_REMOVAL_WARNING_1, "$PROGRAM $DIR", 0, true},
    {IDS_COMPLETE_REMOVAL_WARNING_2, "$PROGRAM $DIR", 0, true},
    {IDS_DATAFOLDER_DELETE_1, "$PROGRAM $DIR", 0, true},
    {IDS_DATAFOLDER_DELETE_2, "$PROGRAM $DIR", 0, true},
    {IDS_WELCOME_MIGRATION_NOTE, "$(VXX) $(VNEW)", 0, false},
    {IDS_FOLDER_MIGRATION_NOTE, "$(VXX) $(VNEW)", 0, false},
    {IDS_ADMIN_PRINTER_ADDED, "", 0, false},
    {IDS_ADMIN_PRINTER_REMOVED, "", 0, false},
    {IDS_ADMIN_REGISTRY_FAILED, "", 0, false},
    {IDS_ADMIN_REGISTRY_WRITTEN, "$PROGRAM", 0, false},
    {IDS_DEFAULT_BOX_TITLE, "", 0, false},
};

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
    const char* placeholder;  // the program replaces it in the layout's caption, or nullptr
};

struct RequiredLayout {
    UINT id;
    bool page;
    std::vector<RequiredControl> controls;
};

const std::vector<RequiredControl> kUsagePageControls = {
    {IDC_USAGE_LIST, Kind::ListBox, nullptr},
    {IDC_USAGE_TERMINAL, Kind::DropDownList, nullptr},
    {IDC_USAGE_DESCRIPTION, Kind::Static, nullptr},
};

const std::vector<RequiredLayout> kLayouts = {
    {IDD_WIZARD_FRAME, false,
     {{IDC_FRAME_TITLE, Kind::Static, nullptr}, {IDC_FRAME_SUBTITLE, Kind::Static, nullptr},
      {IDC_FRAME_ICON, Kind::Static, nullptr}, {IDC_FRAME_HEADER_BAND, Kind::Static, nullptr},
      {IDC_FRAME_PAGE_AREA, Kind::Static, nullptr}, {IDC_FRAME_HIDDEN, Kind::Any, nullptr},
      {IDC_WIZARD_BACK, Kind::PushButton, nullptr}, {IDC_WIZARD_NEXT, Kind::PushButton, nullptr},
      {IDC_WIZARD_CANCEL, Kind::PushButton, nullptr}}},
    {IDD_WELCOME_PAGE, true,
     {{IDC_WELCOME_NEW, Kind::Radio, nullptr}, {IDC_WELCOME_SAME, Kind::Radio, nullptr},
      {IDC_WELCOME_UPDATE, Kind::Radio, nullptr}, {IDC_WELCOME_NOTE, Kind::Static, nullptr}}},
    {IDD_FOLDER_PAGE, true,
     {{IDC_FOLDER_EDIT, Kind::Edit, nullptr}, {IDC_FOLDER_BROWSE, Kind::PushButton, nullptr},
      {IDC_FOLDER_NOTE, Kind::Static, nullptr}}},
    {IDD_AGREEMENT_PAGE, true,
     {{IDC_AGREEMENT_TEXT, Kind::ReadOnlyEdit, nullptr}, {IDC_AGREEMENT_ACCEPT, Kind::CheckBox, nullptr},
      {IDC_AGREEMENT_PRINT, Kind::PushButton, nullptr}}},
    {IDD_COPY_PAGE, true, {{IDC_COPY_STATUS, Kind::Static, nullptr}, {IDC_COPY_PROGRESS, Kind::Any, nullptr}}},
    {IDD_SHORTCUTS_PAGE, true,
     {{IDC_SHORTCUTS_USER_GROUP, Kind::Radio, nullptr}, {IDC_SHORTCUTS_COMMON_GROUP, Kind::Radio, nullptr},
      {IDC_SHORTCUTS_NO_GROUP, Kind::Radio, nullptr}, {IDC_SHORTCUTS_DESKTOP, Kind::CheckBox, nullptr}}},
    {IDD_ADVERTISE_PAGE, true,
     {{IDC_ADVERTISE_HEADLINE, Kind::Static, "$PROG"}, {IDC_ADVERTISE_HEADLINE2, Kind::Static, "$PROG"},
      {IDC_ADVERTISE_DESCRIPTION, Kind::Static, nullptr}, {IDC_ADVERTISE_URL, Kind::PushButton, nullptr}}},
    {IDD_FINISH_PAGE, true,
     {{IDC_FINISH_TEXT, Kind::Static, nullptr}, {IDC_FINISH_PICTURE, Kind::Static, nullptr}}},
    {IDD_DATAFOLDER_PAGE, true,
     {{IDC_DATAFOLDER_PROFILE, Kind::Radio, "$(PATH)"}, {IDC_DATAFOLDER_PROGRAM, Kind::Radio, nullptr},
      {IDC_DATAFOLDER_ALLUSERS, Kind::Radio, nullptr}, {IDC_DATAFOLDER_CUSTOM, Kind::Radio, nullptr},
      {IDC_DATAFOLDER_APPDATA, Kind::Radio, nullptr}, {IDC_DATAFOLDER_EDIT, Kind::Edit, nullptr},
      {IDC_DATAFOLDER_BROWSE, Kind::PushButton, nullptr}}},
    {IDD_USAGE_PAGE_GEN6, true, kUsagePageControls},
    {IDD_USAGE_PAGE, true, kUsagePageControls},
    {IDD_REMOVE_CONFIRM_PAGE, true,
     {{IDC_REMOVE_PROGRAM, Kind::Radio, nullptr}, {IDC_REMOVE_COMPLETE, Kind::Radio, nullptr}}},
    {IDD_REMOVE_PROGRESS_PAGE, true,
     {{IDC_REMOVE_STATUS, Kind::Static, nullptr}, {IDC_REMOVE_DONE, Kind::Static, nullptr},
      {IDC_REMOVE_PROGRESS, Kind::Any, nullptr}}},
};

// ----------------------------------------------------------------------------------------------
// Helpers
// ----------------------------------------------------------------------------------------------

std::string LibraryPath(const char* file) {
    std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

std::vector<std::string> Words(const char* list) {
    std::vector<std::string> words;
    std::string word;
    for (const char* p = list;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*p == '\0') return words;
        } else {
            word += *p;
        }
    }
}

// A module loaded by file name and freed again.
class Module {
public:
    Module(const std::string& path, DWORD flags) : handle_(LoadLibraryExA(path.c_str(), nullptr, flags)) {}
    ~Module() {
        if (handle_) FreeLibrary(handle_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    HMODULE get() const { return handle_; }

private:
    HMODULE handle_;
};

// A window destroyed with its owner object.
class Window {
public:
    explicit Window(HWND handle) : handle_(handle) {}
    ~Window() {
        if (handle_) DestroyWindow(handle_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return handle_; }

private:
    HWND handle_;
};

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND CreateHiddenParent() {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

// Creates a layout the way the program does: the template is taken from the library and the
// dialog is created from it, invisible (no layout carries WS_VISIBLE).
HWND CreateLayout(HMODULE library, UINT id, HWND parent) {
    HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
    const void* layout = loaded ? LockResource(loaded) : nullptr;
    if (!layout) return nullptr;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(layout), parent,
                                      IgnoreMessages, 0);
}

std::wstring LoadText(HMODULE library, UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(library, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, static_cast<int>(sizeof(buffer) / sizeof(buffer[0])));
    return buffer;
}

bool IsNameChar(wchar_t c) { return c < 128 && (isalnum(static_cast<int>(c)) || c == '_'); }

// Whether the placeholder stands in the text as a whole token ("$PROG" does not count inside "$PROGRAM").
bool HasPlaceholder(const std::wstring& text, const std::string& placeholder) {
    const std::wstring wanted = Widen(placeholder.c_str());
    for (size_t at = text.find(wanted); at != std::wstring::npos; at = text.find(wanted, at + 1)) {
        size_t end = at + wanted.size();
        bool closed = wanted.back() == L')' || end >= text.size() || !IsNameChar(text[end]);
        if (closed) return true;
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
    *strings = 0;
    *others = 0;
    for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
        if (at + 1 < text.size() && text[at + 1] == L's') {
            ++*strings;
        } else {
            ++*others;
        }
    }
}

bool HasKind(HWND control, Kind kind) {
    char cls[64] = {};
    GetClassNameA(control, cls, sizeof(cls));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG button = style & BS_TYPEMASK;
    const bool isButton = lstrcmpiA(cls, "Button") == 0;
    switch (kind) {
    case Kind::Any:
        return true;
    case Kind::Static:
        return lstrcmpiA(cls, "Static") == 0;
    case Kind::PushButton:
        return isButton && (button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON);
    case Kind::Radio:
        return isButton && (button == BS_RADIOBUTTON || button == BS_AUTORADIOBUTTON);
    case Kind::CheckBox:
        return isButton && (button == BS_CHECKBOX || button == BS_AUTOCHECKBOX || button == BS_3STATE ||
                            button == BS_AUTO3STATE);
    case Kind::Edit:
        return lstrcmpiA(cls, "Edit") == 0 && !(style & ES_READONLY);
    case Kind::ReadOnlyEdit:
        return lstrcmpiA(cls, "Edit") == 0 && (style & ES_READONLY);
    case Kind::ListBox:
        return lstrcmpiA(cls, "ListBox") == 0;
    case Kind::DropDownList:
        return lstrcmpiA(cls, "ComboBox") == 0 && (style & 3) == CBS_DROPDOWNLIST;
    }
    return false;
}

// The usage type page lower-cases the chosen terminal program and tests these groups in this order.
const std::vector<const wchar_t*> kTerminalGroups[] = {
    {L"putty", L"gnome", L"securecrt"}, {L"attachmate", L"pcomm"}, {L"procomm"}};

int TerminalGroup(std::wstring item) {
    for (wchar_t& c : item) c = towlower(c);
    for (size_t group = 0; group < std::size(kTerminalGroups); ++group) {
        for (const wchar_t* word : kTerminalGroups[group]) {
            if (item.find(word) != std::wstring::npos) return static_cast<int>(group);
        }
    }
    return -1;
}

// Facts of a module file's PE headers that tell whether it is a pure resource container.
struct PeFacts {
    bool valid = false;
    WORD machine = 0;
    WORD characteristics = 0;
    DWORD entry = 0;
    DWORD exportedFunctions = 0;
    bool importsLibrary = false;
    bool hasResources = false;
};

template <typename T>
const T* At(const std::vector<char>& bytes, size_t offset) {
    return offset <= bytes.size() && sizeof(T) <= bytes.size() - offset
               ? reinterpret_cast<const T*>(bytes.data() + offset)
               : nullptr;
}

size_t RvaToOffset(const std::vector<char>& bytes, const IMAGE_NT_HEADERS* nt, size_t ntOffset, DWORD rva) {
    size_t table = ntOffset + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        const IMAGE_SECTION_HEADER* section = At<IMAGE_SECTION_HEADER>(bytes, table + i * sizeof(IMAGE_SECTION_HEADER));
        if (!section) break;
        DWORD size = section->Misc.VirtualSize > section->SizeOfRawData ? section->Misc.VirtualSize
                                                                       : section->SizeOfRawData;
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
            return rva - section->VirtualAddress + section->PointerToRawData;
        }
    }
    return bytes.size();
}

PeFacts ReadPeFacts(const std::string& path) {
    PeFacts facts;
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const IMAGE_DOS_HEADER* dos = At<IMAGE_DOS_HEADER>(bytes, 0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return facts;
    const size_t ntOffset = static_cast<size_t>(dos->e_lfanew);
    const IMAGE_NT_HEADERS* nt = At<IMAGE_NT_HEADERS>(bytes, ntOffset);
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
        return facts;
    }
    facts.valid = true;
    facts.machine = nt->FileHeader.Machine;
    facts.characteristics = nt->FileHeader.Characteristics;
    facts.entry = nt->OptionalHeader.AddressOfEntryPoint;
    const IMAGE_DATA_DIRECTORY* dirs = nt->OptionalHeader.DataDirectory;
    facts.hasResources = dirs[IMAGE_DIRECTORY_ENTRY_RESOURCE].Size > 0;
    const IMAGE_DATA_DIRECTORY& exportDir = dirs[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exportDir.Size > 0) {
        const auto* exports =
            At<IMAGE_EXPORT_DIRECTORY>(bytes, RvaToOffset(bytes, nt, ntOffset, exportDir.VirtualAddress));
        facts.exportedFunctions = exports ? exports->NumberOfFunctions : 0xFFFFFFFF;
    }
    const IMAGE_DATA_DIRECTORY& importDir = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (importDir.Size > 0) {
        const auto* first =
            At<IMAGE_IMPORT_DESCRIPTOR>(bytes, RvaToOffset(bytes, nt, ntOffset, importDir.VirtualAddress));
        facts.importsLibrary = !first || first->Name != 0;
    }
    return facts;
}

#ifdef _WIN64
const WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
const WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

// ----------------------------------------------------------------------------------------------
// Each library on its own
// ----------------------------------------------------------------------------------------------

class LanguageLibraryTest : public testing::TestWithParam<Library> {
protected:
    void SetUp() override { ASSERT_NE(library_.get(), nullptr) << LibraryPath(GetParam().file); }
    std::wstring Text(UINT id) const { return LoadText(library_.get(), id); }

    Module library_{LibraryPath(GetParam().file), LOAD_LIBRARY_AS_DATAFILE};
};

TEST_P(LanguageLibraryTest, IsAResourceOnlyModuleThatLoadsLikeSetupLoadsIt) {
    const PeFacts facts = ReadPeFacts(LibraryPath(GetParam().file));
    ASSERT_TRUE(facts.valid);
    EXPECT_EQ(facts.machine, kOwnMachine);
    EXPECT_TRUE(facts.characteristics & IMAGE_FILE_DLL);
    EXPECT_FALSE(facts.characteristics & IMAGE_FILE_RELOCS_STRIPPED) << "must load at any address";
    EXPECT_EQ(facts.entry, 0u) << "no entry point";
    EXPECT_EQ(facts.exportedFunctions, 0u);
    EXPECT_FALSE(facts.importsLibrary);
    EXPECT_TRUE(facts.hasResources);

    Module loaded(LibraryPath(GetParam().file), 0);
    ASSERT_NE(loaded.get(), nullptr) << "setup loads the library with LoadLibraryA";
    EXPECT_FALSE(LoadText(loaded.get(), IDS_SETUP_TITLE).empty());
}

TEST_P(LanguageLibraryTest, EveryTextIsPresentWithExactlyItsPlaceholdersAndFormats) {
    for (const RequiredText& required : kTexts) {
        SCOPED_TRACE(testing::Message() << "text " << required.id);
        const std::wstring text = Text(required.id);
        ASSERT_FALSE(text.empty());
        EXPECT_LE(text.size(), 1023u) << "setup reads at most 1023 characters";

        const std::vector<std::string> allowed = Words(required.placeholders);
        const std::vector<std::wstring> unexpected = UnexpectedDollars(text, allowed);
        EXPECT_TRUE(unexpected.empty())
            << "a placeholder the program does not replace here: " << testing::PrintToString(unexpected);
        for (const std::string& placeholder : allowed) {
            EXPECT_TRUE(required.half || HasPlaceholder(text, placeholder)) << placeholder;
        }

        int strings = 0;
        int others = 0;
        CountConversions(text, &strings, &others);
        EXPECT_EQ(strings, required.formats) << "number of %s";
        EXPECT_EQ(others, 0) << "a '%' other than %s would break the formatting";
    }
}

TEST_P(LanguageLibraryTest, JoinedHalvesCarryTheirPlaceholdersTogether) {
    for (const UINT* pair : kJoinedHalves) {
        const std::wstring joined = Text(pair[0]) + Text(pair[1]);
        for (const char* placeholder : {"$PROGRAM", "$DIR"}) {
            EXPECT_TRUE(HasPlaceholder(joined, placeholder)) << pair[0] << "+" << pair[1] << " " << placeholder;
        }
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
    switch (GetParam().agreement) {
    case Agreement::German:
        EXPECT_EQ(value, 499) << "selects LIZENZ.TXT and the German built-in agreement";
        EXPECT_EQ(suffix, L".GER");
        break;
    case Agreement::French:
        EXPECT_EQ(value, 12) << "selects LICENSEFR.TXT";
        break;
    case Agreement::English:
        EXPECT_TRUE(value != 499 && value != 12) << "selects LICENSE.TXT";
        break;
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
    std::vector<std::wstring> items;
    const std::wstring list = Text(IDS_USAGE_TERMINALS) + L"|";
    for (size_t start = 0, bar; (bar = list.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
        items.push_back(list.substr(start, bar - start));
    }
    ASSERT_GE(items.size(), 4u);
    std::vector<bool> offered(std::size(kTerminalGroups), false);
    for (const std::wstring& item : items) {
        EXPECT_FALSE(item.empty()) << "an empty item ends the list";
        const int group = TerminalGroup(item);
        if (group >= 0) offered[static_cast<size_t>(group)] = true;
    }
    for (size_t group = 0; group < offered.size(); ++group) {
        EXPECT_TRUE(offered[group]) << "no item preselects the usage type of group " << group;
    }
}

TEST_P(LanguageLibraryTest, EveryLayoutHoldsTheControlsTheProgramAddresses) {
    Window parent(CreateHiddenParent());
    ASSERT_NE(parent.get(), nullptr);
    for (const RequiredLayout& required : kLayouts) {
        SCOPED_TRACE(testing::Message() << "layout " << required.id);
        Window dialog(CreateLayout(library_.get(), required.id, parent.get()));
        ASSERT_NE(dialog.get(), nullptr);

        const LONG style = GetWindowLongA(dialog.get(), GWL_STYLE);
        if (required.page) {
            EXPECT_TRUE(style & WS_CHILD) << "a page lives inside the wizard frame";
            EXPECT_NE(style & WS_CAPTION, static_cast<LONG>(WS_CAPTION)) << "a page has no caption";
        } else {
            EXPECT_TRUE(style & WS_POPUP);
            EXPECT_FALSE(style & WS_CHILD);
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

// ----------------------------------------------------------------------------------------------
// The libraries compared with each other
// ----------------------------------------------------------------------------------------------

TEST(LanguageLibraries, TranslationsAreNotTheEnglishTexts) {
    Module english(LibraryPath("setupenglish.dll"), LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(english.get(), nullptr);
    Window parent(CreateHiddenParent());
    Window englishFrame(CreateLayout(english.get(), IDD_WIZARD_FRAME, parent.get()));
    std::vector<std::wstring> suffixes = {LoadText(english.get(), IDS_LANGUAGE_SUFFIX)};

    for (const char* file : {"setupgerman.dll", "setupfrench.dll", "setuphungarian.dll"}) {
        SCOPED_TRACE(file);
        Module translated(LibraryPath(file), LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(translated.get(), nullptr);
        size_t differing = 0;
        for (const RequiredText& required : kTexts) {
            differing += LoadText(translated.get(), required.id) != LoadText(english.get(), required.id);
        }
        EXPECT_GE(differing * 10, std::size(kTexts) * 9) << differing << " of " << std::size(kTexts) << " translated";

        Window frame(CreateLayout(translated.get(), IDD_WIZARD_FRAME, parent.get()));
        for (int button : {IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_CANCEL}) {
            EXPECT_NE(WindowText(GetDlgItem(frame.get(), button)), WindowText(GetDlgItem(englishFrame.get(), button)))
                << "button " << button;
        }

        const std::wstring suffix = LoadText(translated.get(), IDS_LANGUAGE_SUFFIX);
        for (const std::wstring& other : suffixes) EXPECT_NE(suffix, other) << "language suffixes must differ";
        suffixes.push_back(suffix);
    }
}

TEST(LanguageLibraries, AccentedLettersArriveAsTheirUnicodeCharacters) {
    struct Sample {
        const char* file;
        UINT id;
        const wchar_t* text;
    };
    // German and French come from code page 1252; the Hungarian letter o with double acute exists
    // only in code page 1250.
    const Sample samples[] = {
        {"setupgerman.dll", IDS_FOLDER_SUBTITLE, L"W\u00e4hlen Sie den Ordner, in den das Programm installiert wird."},
        {"setupfrench.dll", IDS_REMOVE_WIZARD_TITLE, L"D\u00e9sinstallation"},
        {"setuphungarian.dll", IDS_SETUP_TITLE, L"Norba telep\u00edt\u0151"},
    };
    for (const Sample& sample : samples) {
        Module library(LibraryPath(sample.file), LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(library.get(), nullptr) << sample.file;
        EXPECT_EQ(LoadText(library.get(), sample.id), std::wstring(sample.text)) << sample.file;
    }
}

}  // namespace
