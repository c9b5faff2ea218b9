// Tests of the setup configuration: the language pass (suffixes, continuation pieces, equal keys), the
// lookup rule with defaults stored back, the run's tables read from and written to their files (bad
// files included), the answer keys of every value kind, and the text variables.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/hash.h"
#include "junkbytes.h"
#include "scratchdir.h"
#include "setup/configkeys.h"
#include "setup/setupconfig.h"
#include "testtext.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

// The entries of a table as "key=value" lines in key order.
std::string Entries(const HASH& table) {
  std::string text;
  for (int i = 0; i < table.Count(); i++) text += Text(table.GetKey(i)) + "=" + Text(table.GetValue(i)) + "\n";
  return text;
}

// Runs in a scratch folder made the current directory, where the run's files are looked for.
class SetupConfigTest : public AssertReportsTest {
 protected:
  void SetUp() override {
    AssertReportsTest::SetUp();
    GetCurrentDirectoryA(MAX_PATH, OldDir);
    ASSERT_TRUE(SetCurrentDirectoryA(Dir.Root().c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(OldDir);
    EXPECT_TRUE(TakeReports().empty());
    AssertReportsTest::TearDown();
  }

  // A table loaded from `text` written as a file and passed through the language pass.
  HASH Localized(const std::string& text, const char* suffix) {
    EXPECT_TRUE(Dir.WriteText("table.cfg", text));
    HASH table;
    EXPECT_TRUE(LoadLocalized(table, "table.cfg", suffix));
    return table;
  }

  uidriver::ScratchDir Dir;
  char OldDir[MAX_PATH] = "";
};

TEST_F(SetupConfigTest, LanguagePassKeepsTheChosenLanguageThenJoinsContinuationPieces) {
  const char* cfg = "Greeting=A\r\nGreeting.GER=B\r\nGreeting.FRA=C\r\nOnly.ger=D\r\n.GER=E\r\nPlain=F\r\n";
  // A table's text, the suffix, and its entries after the pass.
  const char* const cases[][3] = {
      {cfg, ".ger", "Greeting=B\nOnly=D\nPlain=F\n"},  // the suffix is compared without regard to case
      {cfg, "", "Greeting=A\nPlain=F\n"},  // no suffix (a library without text 2980): every key with a dot goes
      {"Title.GER=Eins\ntitle.ger=Zwei\n", ".GER", "Title=Eins\n"},  // of keys in two cases the earlier line wins
      // Numbers, not key order: _9 comes before _10; _24, _01 and pieces of keys with '_' or without a key
      // are no pieces and stay.
      {"Msg=a\nMsg_10=c\nMsg_9=b\nMsg_23=d\nMsg_24=x\nMsg_01=y\nMy_Key=p\nMy_Key_0=q\nLone_0=z\n", ".ENG",
       "Lone_0=z\nMsg=abcd\nMsg_01=y\nMsg_24=x\nMy_Key=p\nMy_Key_0=q\n"},
      // Language first, then the pieces: translated pieces continue the translated text.
      {"FinishMsg=Done\nFinishMsg_0=!\nFinishMsg.GER=Fertig\nFinishMsg_0.GER=, danke\n", ".GER",
       "FinishMsg=Fertig, danke\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Entries(Localized(c[0], c[1])), c[2]) << c[0] << " with " << c[1];
  EXPECT_EQ(Text(LanguageSuffix(GetModuleHandleA(nullptr))), "") << "this program has no text 2980";
}

TEST_F(SetupConfigTest, DefaultsAreStoredBackAndNumbersAreDecimal) {
  HASH cfg = Localized("NoFinalPopup=\nInstallSkipLicense=abc\nDesktopIcon= -3\n", ".ENG");
  // Explicitly empty is the same as missing; not a number is 0, so the page is shown.
  EXPECT_FALSE(ConfigFlag(cfg, KEY_NOFINALPOPUP) || ConfigFlag(cfg, KEY_INSTALLSKIPLICENSE));
  EXPECT_EQ(Text(cfg.Get("NoFinalPopup")), "0");
  EXPECT_EQ(ConfigNumber(cfg, KEY_DESKTOPICON), -3);
  // AppVersion's default belongs to its reading as a number only.
  EXPECT_EQ(Text(ConfigText(cfg, KEY_APPVERSION)), "");
  EXPECT_DOUBLE_EQ(ConfigDecimal(cfg, KEY_APPVERSION), 4.0);
  EXPECT_EQ(Text(cfg.Get("AppVersion")), "4.00");
}

TEST_F(SetupConfigTest, KeyTableNamesEveryKeyOnce) {
  std::set<std::string> seen;
  for (int id = 0; id < KEY_COUNT; id++) {
    const std::string name = ConfigKeyName(static_cast<CONFIGKEYID>(id));
    EXPECT_FALSE(name.empty()) << id;
    EXPECT_TRUE(seen.insert(testtext::Lower(name)).second) << name;
  }
}

// Junk and huge values as such are the table's (test_hash.cpp), a missing setup.cfg the installation runs';
// here what the language pass and the lookups make of junk.
TEST_F(SetupConfigTest, JunkSetupConfigGivesCleanResults) {
  SETUPTABLES tables;
  ASSERT_TRUE(Dir.WriteText("setup.cfg", JunkBytes(200000)));
  ASSERT_TRUE(tables.LoadConfig());
  LocalizeKeys(tables.Config, ".GER");
  for (int i = 0; i < tables.Config.Count(); i++) EXPECT_EQ(Text(tables.Config.GetKey(i)).find('.'), std::string::npos);
  TakeReports();  // lines without '=' are reported
  EXPECT_EQ(Text(ConfigText(tables.Config, KEY_SERVICEEXE)), "service.exe");
}

// The answers of one page as "control kind text" lines, read back the way a replay reads them.
std::string PageAnswers(const HASH& answers, int page) {
  std::string lines;
  for (int i = 0; i < answers.Count(); i++) {
    int control = 0;
    if (!AnswerControl(answers.GetKey(i), page, &control)) continue;
    STRING text;
    ANSWERKIND kind = ParseAnswerValue(answers.GetValue(i), &text);
    lines += std::to_string(control) + " " + std::to_string(kind) + " " + Text(text) + "\n";
  }
  return lines;
}

// Answers come from the first file that loads: here silentinstall.ini, as a silentsetup.ini that cannot be
// read counts as absent. The installation runs record and replay plain answers; here the hard ones: a
// recorded text with blanks, '=', braces, a line break, a non-ASCII letter and a trailing backslash, an
// empty dropdown, a result overwritten by a later visit, page 20051 that must not answer for page 2005;
// hand-written kinds without regard to case, and an unknown kind, a missing colon or kind give kind 0.
TEST_F(SetupConfigTest, AnswersReplayAfterSaveFromTheFirstFileThatLoads) {
  const char* tricky = " C:\\Programs\\Kiv = {a}\nsecond line \xFC\\";
  SETUPTABLES run;
  EXPECT_FALSE(run.LoadUnattended());
  RecordAnswer(run.Recorded, 2005, 201, ANSWER_EDIT, tricky);
  RecordAnswer(run.Recorded, 2005, 502, ANSWER_DROPDOWN, -1);
  for (int result : {149, 148}) RecordResult(run.Recorded, 2005, result);
  RecordAnswer(run.Recorded, 20051, 7, ANSWER_CHECKBOX, 1);
  ASSERT_TRUE(run.SaveRecorded());
  ASSERT_TRUE(Dir.WriteText("silentinstall.ini", Dir.ReadText("silentsetup_tmp.ini") + "\r\n2002.301=cb:1\r\n"
                            "2002.302=XX:1\r\n2002.303=C\r\n2002.304=CB1\r\n2002.305=EF;x\r\n2002.306=dd:\r\n"));
  ASSERT_TRUE(Dir.MakeFolder("silentsetup.ini"));

  SETUPTABLES replay;
  ASSERT_TRUE(replay.LoadUnattended());
  EXPECT_EQ(Text(replay.AnswerFile), "silentinstall.ini");
  EXPECT_EQ(PageAnswers(replay.Unattended, 2005), "201 3 " + std::string(tricky) + "\n502 4 -1\n");
  EXPECT_EQ(PageAnswers(replay.Unattended, 2002), "301 1 1\n302 0 1\n303 0 \n304 0 \n305 0 x\n306 4 \n");
  int result = 42;
  EXPECT_TRUE(AnswerResult(replay.Unattended, 2005, &result) && result == 148) << result;
  // A page without "PUSH" entry: no result, and nothing created.
  const int count = replay.Unattended.Count();
  EXPECT_FALSE(AnswerResult(replay.Unattended, 2002, &result));
  EXPECT_EQ(replay.Unattended.Count(), count);
}

// A value holding a variable is not replaced again; "$PROG" never eats the start of "$PROGRAM".
TEST_F(SetupConfigTest, TextVariablesAreReplacedOnceAndExactly) {
  TEXTVARIABLES vars;
  vars.Program = "Kiv 8.01";
  vars.Prog = "Kiv";
  vars.Dir = "C:\\$PROGRAM";
  vars.File = "a$FILE";
  vars.Vxx = "V7";
  vars.Vnew = "V8";
  vars.Path = "Kivfiles";
  STRING text("$PROGRAM in $DIR: $FILE, $FILE; $(VXX)->$(VNEW) $(PATH) $program $PROG $PROGR $PRO$", 1252);
  EXPECT_EQ(Text(ReplaceTextVariables(text, vars)),
            "Kiv 8.01 in C:\\$PROGRAM: a$FILE, a$FILE; V7->V8 Kivfiles $program Kiv KivR $PRO$");
}

}  // namespace
