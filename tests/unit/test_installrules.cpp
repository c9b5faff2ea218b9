// The installation's decisions that need no window, case by case: the dated warning of the welcome page,
// the agreement's wrap, the files that DeleteAfterExtract may delete, and the libraries CheckDll asks for.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/hash.h"
#include "install/prerequisites.h"
#include "setup/agreementtext.h"
#include "setup/runrules.h"
#include "setup/welcomerules.h"
#include "uidriver.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }
STRING Str(const std::string& s) { return STRING(s.c_str(), 1252); }

// Texts made from texts: the welcome page's dated warning (on 10 May 2024) and the agreement as the page
// wraps it after column 55.
TEST(TextRulesTest, DatedWarningAndAgreementWrap) {
  const std::function<STRING(const STRING&)> warning = [](const STRING& t) { return WelcomeWarningToShow(t, "2024-05-10"); };
  const std::function<STRING(const STRING&)> wrap = WrapAgreement;
  const std::string x55(55, 'x'), x56(56, 'x');
  const struct {
    const std::function<STRING(const STRING&)>& rule;
    std::string text;
    std::string result;
  } cases[] = {
      {warning, "Read this first.", "Read this first."},
      {warning, "ShowOnly=<2000-01-01\nOld news", ""},
      {warning, "ShowOnly=>2000-01-01\nNews", "News"},
      {warning, "showonly=<2024-05-10\nLast day", "Last day"},
      {warning, "ShowOnly=>2024-05-09\r\nLine one\r\nLine two", "Line one\r\nLine two"},
      {warning, "ShowOnly==2000-01-01\nAny other operator keeps it", "Any other operator keeps it"},
      {wrap, "a\n\nb", "a\r\n\r\n\r\nb"},  // an empty line adds no second one
      {wrap, x55 + " y", x55 + " y"},
      {wrap, x56 + " y z", x56 + " \r\ny z"},
      {wrap, x56 + "-y", x56 + "-\r\ny"},
      {wrap, x56 + " " + x56 + " y", x56 + " \r\n" + x56 + " \r\ny"},  // a line that breaks counts anew
      {wrap, std::string(100, 'x'), std::string(100, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, Text(c.rule(Str(c.text)))) << c.text;
}

TEST(DeleteAfterExtractTest, DeletesOnlyFilesOfTheInstallationFolder) {
  uidriver::ScratchDir dir;
  const struct {
    const char* file;  // below the scratch folder; the installation folder is "target"
    bool deleted;
  } files[] = {
      {"target\\a.txt", true},      {"target\\b.txt", true},          {"target\\sub\\c.txt", true},
      {"target\\notes..txt", true}, {"target\\keep.txt", false},      {"outside.txt", false},
      {"absolute.txt", false},      {"target\\sub\\keep.txt", false},
  };
  for (const auto& f : files) ASSERT_TRUE(dir.WriteText(f.file, "x"));
  HASH config;
  config["DeleteAfterExtract"] = Str("a.txt||b.txt|sub/c.txt|notes..txt|missing.txt|..\\outside.txt|sub\\..\\keep.txt|" +
                                     dir.Path("absolute.txt") + "|\\absolute.txt|C:absolute.txt|"
                                     "\\\\server\\share\\keep.txt|sub\\..\\..\\outside.txt");
  DeleteAfterExtract(config, Str(dir.Path("target")));
  for (const auto& f : files) EXPECT_EQ(f.deleted, !dir.Exists(f.file)) << f.file;
}

// DAO 3.6 is needed only before Windows version code 4 (Wine has none); the list ends at its first empty item.
TEST(PrerequisiteTest, CheckDllListsAndWindowsVersions) {
  const bool daohere = FindDao360("Software\\Microsoft\\Shared Tools").IsNotEmpty();
  EXPECT_TRUE(CheckRequiredLibraries("msvcrt|other.dll", 3));
  EXPECT_TRUE(CheckRequiredLibraries("dao360", 4));
  EXPECT_TRUE(CheckRequiredLibraries("other||dao360", 3));
  EXPECT_EQ(daohere, CheckRequiredLibraries(" Dao360 |other", 3));
}

}  // namespace
