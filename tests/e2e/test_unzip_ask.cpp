// End-to-end tests of the ask-before-overwrite rule: the unzipprobe program extracts entries of basic.zip
// with an ask list, and the driver answers the question boxes Yes or No, or sees that none came; and of
// the Hungarian overwrite and retry questions, read as UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "uidriver.h"

using namespace uidriver;

namespace {

// The probe's exit code holds two bits per entry: ExtractFile succeeded (1), and it had the go-ahead to
// write (2).
constexpr DWORD kKept = 1;
constexpr DWORD kWritten = 3;
constexpr DWORD kFailed = 2;

// The exit code for the results of the entries in order.
DWORD Entries(std::initializer_list<DWORD> results) {
  DWORD code = 0;
  int shift = 0;
  for (DWORD result : results) {
    code |= result << shift;
    shift += 2;
  }
  return code;
}

class UnzipAskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_FIXTURE_DIR, {"unzipprobe.exe"}));
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setupenglish.dll", "setuphungarian.dll"}));
    ASSERT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/archives/basic.zip", "basic.zip"));
  }

  // Extracts the entries into "dest" with the lists given.
  std::unique_ptr<AppUnderTest> Start(const std::string& asklist, const std::string& protectedlist,
                                      const std::string& entries) {
    std::string arguments = "basic.zip \"" + dir.Path("dest") + "\" \"" + asklist + "\" \"" + protectedlist + "\" ";
    return std::unique_ptr<AppUnderTest>(new AppUnderTest(dir.Path("unzipprobe.exe"), arguments + entries, dir.Root()));
  }

  ScratchDir dir;
};

// Field one of an item names the file in the question, else the entry's name does; names match in any case.
// No question comes for a protected file, a file that is not there, or one after the empty item that ends
// the list.
TEST_F(UnzipAskTest, QuestionsComeOnlyForExistingFilesOnTheListAndTheirAnswersDecide) {
  for (const char* name : {"readme.txt", "notes.txt", "config.ini", "settings.ini", "empty.txt"})
    ASSERT_TRUE(dir.WriteText(std::string("dest\\") + name, "old"));
  std::unique_ptr<AppUnderTest> app =
      Start("notes.txt|README.TXT;Kiv read-me file|config.ini;|settings.ini|sub/deeper/file.txt||empty.txt",
            "settings.ini", "readme.txt notes.txt config.ini settings.ini sub/deeper/file.txt empty.txt");
  UiWindow box = app->WaitMessageBox("Kiv read-me file");
  EXPECT_EQ("Replace file?", box.Caption());
  EXPECT_EQ(
      "The file Kiv read-me file already exists in the installation folder.\n\nDo you want to replace it with the "
      "file from the setup?",
      app->AnswerMessageBox(IDYES));
  app->AnswerMessageBox(IDNO, "The file notes.txt already exists");
  app->AnswerMessageBox(IDYES, "The file config.ini already exists");
  EXPECT_EQ(Entries({kWritten, kKept, kWritten, kKept, kWritten, kWritten}), app->WaitExit());
  EXPECT_EQ("Readme from the archive.\r\n", dir.ReadText("dest\\readme.txt"));
  EXPECT_EQ("old", dir.ReadText("dest\\notes.txt"));
  EXPECT_EQ("[config]\r\nfrom=archive\r\n", dir.ReadText("dest\\config.ini"));
  EXPECT_EQ("old", dir.ReadText("dest\\settings.ini"));
  EXPECT_EQ("Two levels down.\r\n", dir.ReadText("dest\\sub\\deeper\\file.txt"));
  EXPECT_EQ("", dir.ReadText("dest\\empty.txt"));
}

// The Hungarian questions as the program shows them: the letters o and u with double acute exist only in
// the library's code page 1250, and the name the question shows arrives unchanged. The retry question
// comes for a file held open without sharing; No to it fails the extraction.
TEST_F(UnzipAskTest, HungarianQuestionsShowEveryLetter) {
  ASSERT_TRUE(dir.WriteText("dest\\readme.txt", "old"));
  ASSERT_TRUE(dir.WriteText("dest\\notes.txt", "old"));
  KernelHandle lock(CreateFileA(dir.Path("dest\\notes.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  std::unique_ptr<AppUnderTest> app = Start("readme.txt;Kiv le\xEDr\xE1s", "", "readme.txt notes.txt /LANG:HUNGARIAN");
  for (const wchar_t* name : {L"A(z) Kiv le\u00edr\u00e1s f\u00e1jl", L"A(z) notes.txt f\u00e1jl"}) {
    const std::wstring text = app->WaitMessageBox().MessageTextW();
    EXPECT_NE(text.find(name), std::wstring::npos) << testing::PrintToString(text);
    for (wchar_t letter : {L'\u0151', L'\u0171'}) EXPECT_NE(text.find(letter), std::wstring::npos) << letter;
    app->AnswerMessageBox(IDNO);
  }
  EXPECT_EQ(Entries({kKept, kFailed}), app->WaitExit());
  lock.Reset();
  EXPECT_EQ("old", dir.ReadText("dest\\readme.txt"));
  EXPECT_EQ("old", dir.ReadText("dest\\notes.txt"));
}

}  // namespace
