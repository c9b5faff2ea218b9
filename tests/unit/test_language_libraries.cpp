// Checks the four language libraries beside setup.exe: English holds the placeholders and formats that the
// program fills in; each translation holds every English text with the same ones, really is a translation,
// and its letters arrive as the right Unicode. (Layouts: test_layouts.cpp; imports: tools/check-dist.sh.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
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

// The texts that the program fills in, with the signature (see Signature) that it relies on; every other
// text must have none. Both halves of a message joined before the replacement stand for the whole.
const std::map<UINT, std::string> kFilled = {
    {IDS_ADVERTISE_TITLE, "$PROG"}, {IDS_ADVERTISE_SUBTITLE, "$PROG"}, {IDS_FINISH_SUBTITLE, "$PROG"},
    {IDS_MIGRATION_QUESTION, "$(VXX) %s"}, {IDS_FOLDER_NOT_WRITABLE, "$DIR"}, {IDS_OVERWRITE_QUESTION, "%s"},
    {IDS_EXTRACT_RETRY, "$FILE $PROGRAM"}, {IDS_EXTRACT_IMPOSSIBLE, "$FILE $PROGRAM"},
    {IDS_REMOVE_QUESTION, "$PROGRAM"}, {IDS_CLOSING_MESSAGE, "$PROGRAM"}, {IDS_UNINSTALL_LINK_NAME, "$PROGRAM"},
    {IDS_ADMIN_REGISTRY_WRITTEN, "$PROGRAM"}, {IDS_WELCOME_MIGRATION_NOTE, "$(VNEW) $(VXX)"},
    {IDS_FOLDER_MIGRATION_NOTE, "$(VNEW) $(VXX)"}, {IDS_COMPLETE_REMOVAL_WARNING_1, "$DIR $PROGRAM"},
    {IDS_COMPLETE_REMOVAL_WARNING_2, "$DIR $PROGRAM"}, {IDS_DATAFOLDER_DELETE_1, "$DIR $PROGRAM"},
    {IDS_DATAFOLDER_DELETE_2, "$DIR $PROGRAM"}};

// Loads a library the way setup loads it, with LoadLibraryA.
Module Load(const char* file) {
  std::string path = std::string(NORBA_TEST_DIST_DIR) + "\\" + file;
  std::replace(path.begin(), path.end(), '/', '\\');
  return Module(LoadLibraryA(path.c_str()));
}

// A text as the program fills it in: the halves of a joined message as one.
std::wstring Whole(HMODULE library, UINT id) {
  for (UINT first : {IDS_COMPLETE_REMOVAL_WARNING_1, IDS_DATAFOLDER_DELETE_1})
    if (id == first || id == first + 1) return LoadText(library, first) + LoadText(library, first + 1);
  return LoadText(library, id);
}

// What the program relies on in a text: its "$" tokens, each once in sorted order, "$(NAME)" or "$" with the
// letters, digits and '_' that follow (so "$PROG" is no token inside "$PROGRAM"), then a "%s" for each that
// it fills in; any other '%' would break the formatting and shows as "%?".
std::string Signature(const std::wstring& text) {
  static const std::wregex token(L"\\$(\\([A-Za-z0-9_]*\\)|[A-Za-z0-9_]*)|%.?");
  std::set<std::string> tokens;
  std::vector<std::string> parts;
  for (std::wsregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
    const std::wstring found = it->str();
    if (found[0] == L'$') tokens.insert(std::string(found.begin(), found.end()));
    else parts.push_back(found == L"%s" ? "%s" : "%?");
  }
  parts.insert(parts.begin(), tokens.begin(), tokens.end());
  std::string signature;
  for (const std::string& part : parts) signature += (signature.empty() ? "" : " ") + part;
  return signature;
}

TEST(LanguageLibraries, AreTranslationsHoldingEveryTextAsTheProgramUsesIt) {
  Module english = Load("setupenglish.dll");
  ASSERT_NE(english.get(), nullptr);
  std::vector<UINT> ids = {IDS_DEFAULT_BOX_TITLE};
  for (UINT id = IDS_SETUP_TITLE; id <= IDS_ADMIN_REGISTRY_WRITTEN; id++)
    if (!LoadText(english.get(), id).empty()) ids.push_back(id);
  ASSERT_GE(ids.size(), 70u);
  for (UINT id : ids) {
    const auto filled = kFilled.find(id);
    EXPECT_EQ(Signature(Whole(english.get(), id)), filled == kFilled.end() ? "" : filled->second) << "text " << id;
  }

  for (const auto& library : kLibraries) {
    SCOPED_TRACE(library.file);
    Module module = Load(library.file);
    ASSERT_NE(module.get(), nullptr) << "setup loads the library with LoadLibraryA";
    auto text = [&](UINT id) { return LoadText(module.get(), id); };
    EXPECT_EQ(text(library.sample), library.text);
    size_t differing = 0;
    for (UINT id : ids) {
      SCOPED_TRACE(testing::Message() << "text " << id);
      ASSERT_FALSE(text(id).empty());
      differing += text(id) != LoadText(english.get(), id);
      EXPECT_LE(text(id).size(), 1023u) << "setup reads at most 1023 characters";
      EXPECT_EQ(Signature(Whole(module.get(), id)), Signature(Whole(english.get(), id)));
      // The program's own reading loses no letter.
      const WSTRING read(OSYS::GetStringFromResource(static_cast<int>(id), module.get()));
      EXPECT_EQ(std::wstring(read.c_str(), static_cast<size_t>(read.Length())), text(id));
    }
    EXPECT_TRUE(library.suffix == std::wstring(L".ENG") || differing * 10 >= ids.size() * 9) << differing;

    // Configuration keys carry the suffix after a dot; the code selects the agreement file.
    EXPECT_EQ(text(IDS_LANGUAGE_SUFFIX), library.suffix);
    EXPECT_EQ(text(IDS_AGREEMENT_LANGUAGE), library.agreement);
    // The folder browser gets the folder title, "|" and a filter.
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
    std::set<int> types;
    for (int i = 0; i < items.Count(); i++) types.insert(KivUsageForTerminal(items[i]));
    for (int type : {0, 2, 3}) EXPECT_EQ(types.count(type), 1u) << "no item preselects usage type " << type;
  }
}

}  // namespace
