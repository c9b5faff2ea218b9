// End-to-end tests of the ask-before-overwrite rule: the unzipprobe program extracts one entry of basic.zip
// with an ask list, and the driver answers the question box Yes or No, or sees that none came; and of the
// Hungarian overwrite and retry questions, read as UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "uidriver.h"

using namespace uidriver;

namespace {

// Exit codes of the probe: ExtractFile succeeded, and it had the go-ahead to write.
constexpr DWORD kSucceeded = 1;
constexpr DWORD kWritten = 2;

const char kOldText[] = "old readme";
const char kArchiveText[] = "Readme from the archive.\r\n";

class UnzipAskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_FIXTURE_DIR, {"unzipprobe.exe"}));
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll"}));
    ASSERT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/archives/basic.zip", "basic.zip"));
    ASSERT_TRUE(dir.WriteText("dest\\readme.txt", kOldText));
  }

  // Extracts readme.txt into "dest" with the lists given.
  std::string Arguments(const std::string& asklist, const std::string& protectedlist = "") const {
    return "basic.zip readme.txt \"" + dir.Path("dest") + "\" \"" + asklist + "\" \"" + protectedlist + "\"";
  }

  ScratchDir dir;
};

TEST_F(UnzipAskTest, YesReplacesTheFileNamedByFieldOne) {
  AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments("notes.txt|readme.txt;Kiv read-me file"), dir.Path());
  UiWindow box = app.WaitMessageBox("Kiv read-me file");
  EXPECT_EQ("Replace file?", box.Caption());
  EXPECT_EQ(
      "The file Kiv read-me file already exists in the installation folder.\n\nDo you want to replace it with the "
      "file from the setup?",
      app.AnswerMessageBox(IDYES));
  EXPECT_EQ(kSucceeded + kWritten, app.WaitExit());
  EXPECT_EQ(kArchiveText, dir.ReadText("dest\\readme.txt"));
}

TEST_F(UnzipAskTest, NoKeepsTheFileAndCountsAsSuccess) {
  AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments("README.TXT;Kiv read-me file"), dir.Path());
  app.AnswerMessageBox(IDNO, "Kiv read-me file");
  EXPECT_EQ(kSucceeded, app.WaitExit());
  EXPECT_EQ(kOldText, dir.ReadText("dest\\readme.txt"));
}

TEST_F(UnzipAskTest, WithoutFieldOneTheEntryNameIsShown) {
  for (const char* asklist : {"readme.txt", "readme.txt;"}) {
    SCOPED_TRACE(asklist);
    ASSERT_TRUE(dir.WriteText("dest\\readme.txt", kOldText));
    AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments(asklist), dir.Path());
    app.AnswerMessageBox(IDNO, "The file readme.txt already exists");
    EXPECT_EQ(kSucceeded, app.WaitExit());
    EXPECT_EQ(kOldText, dir.ReadText("dest\\readme.txt"));
  }
  AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments("readme.txt"), dir.Path());
  app.AnswerMessageBox(IDYES, "The file readme.txt already exists");
  EXPECT_EQ(kSucceeded + kWritten, app.WaitExit());
  EXPECT_EQ(kArchiveText, dir.ReadText("dest\\readme.txt"));
}

// The Hungarian questions as the program shows them: the letters o and u with double acute exist only in
// the library's code page 1250, and the name the question shows arrives unchanged.
TEST_F(UnzipAskTest, HungarianQuestionsShowEveryLetter) {
  ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setuphungarian.dll"}));
  const struct {
    const char* what;
    const char* asklist;
    bool locked;  // the old file stays open without sharing, so the extraction fails
    const wchar_t* name;
    DWORD exitcode;  // after the answer No
  } cases[] = {
      {"overwrite question", "readme.txt;Kiv le\xEDr\xE1s", false, L"A(z) Kiv le\u00edr\u00e1s f\u00e1jl", kSucceeded},
      {"retry question", "", true, L"A(z) readme.txt f\u00e1jl", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    KernelHandle lock(c.locked ? CreateFileA(dir.Path("dest\\readme.txt").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                               : nullptr);
    AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments(c.asklist) + " /LANG:HUNGARIAN", dir.Path());
    const std::wstring text = app.WaitMessageBox().MessageTextW();
    EXPECT_NE(text.find(c.name), std::wstring::npos) << testing::PrintToString(text);
    for (wchar_t letter : {L'\u0151', L'\u0171'}) EXPECT_NE(text.find(letter), std::wstring::npos) << letter;
    app.AnswerMessageBox(IDNO);
    EXPECT_EQ(c.exitcode, app.WaitExit() & kSucceeded);
    lock.Reset();
    EXPECT_EQ(kOldText, dir.ReadText("dest\\readme.txt"));
  }
}

TEST_F(UnzipAskTest, NoQuestionWhenNothingWouldBeReplaced) {
  struct CASE {
    const char* what;
    bool present;  // readme.txt is in the destination before
    const char* asklist;
    const char* protectedlist;
    DWORD exitcode;
    const char* text;
  };
  const CASE cases[] = {
      {"the empty second item ends the list", true, "notes.txt||readme.txt", "", kSucceeded + kWritten, kArchiveText},
      {"a protected file is kept without asking", true, "readme.txt", "*.txt", kSucceeded, kOldText},
      {"an absent file is written without asking", false, "readme.txt", "", kSucceeded + kWritten, kArchiveText},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(dir.WriteText("dest\\readme.txt", kOldText));
    if (!c.present) {
      ASSERT_TRUE(DeleteFileA(dir.Path("dest\\readme.txt").c_str()));
    }
    AppUnderTest app(dir.Path("unzipprobe.exe"), Arguments(c.asklist, c.protectedlist), dir.Path());
    EXPECT_EQ(c.exitcode, app.WaitExit());
    EXPECT_EQ(c.text, dir.ReadText("dest\\readme.txt"));
  }
}

}  // namespace
