// The admin commands end to end: setup.exe run with one command line each, checked by its exit code,
// the registry value or files it leaves and the one message box it shows (or that none shows).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "testregistrykey.h"
#include "uidriver.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;

namespace {

using regtest::kMissing;
const char kSaved[] = "The settings of $KEY have been saved.";
const char kFailed[] = "The setting could not be written to the registry.";

struct AdminRun {
  const char* what;
  std::string arguments;  // "$KEY" stands for the test's key below Software\Norba
  DWORD exitCode;
  const char* box;        // the one box's message ("$KEY" replaced); null: no window at all
  std::pair<const char*, std::string> value;  // a value of the test's key: name and Typed bytes
  std::vector<std::pair<const char*, const char*>> files;  // after the run: name and content, null: missing
  const char* commandLineIni = nullptr;
};

// The files of every run, before it.
const std::pair<const char*, const char*> kFiles[] = {
    {"source.txt", "new"}, {"target.txt", "old"}, {"victim.txt", "victim"}};

std::string Binary(const std::string& bytes) { return regtest::Typed(REG_BINARY, bytes); }

const std::vector<AdminRun> kRuns = {
    {"text with its zero byte", "/WRITEREG:$KEY|Name|abc", 1, kSaved, {"Name", Binary(std::string("abc", 4))}, {}},
    {"quiet hex, odd digit ignored", "/WRITEHEXREG:$KEY|Name|0aFf1|1", 1, nullptr, {"Name", Binary("\x0a\xff")}, {}},
    {"key below the key", "/WRITEREG:$KEY\\Sub|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"key name too long", "/WRITEREG:" + std::string(256, 'k') + "|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"delete a value", "/DELETEREG:$KEY|Old", 0, nullptr, {"Old", kMissing}, {}},
    {"registry before files", "/DELETEFILE:victim.txt /WRITEREG:$KEY|Name|abc", 1, kSaved,
     {"Name", Binary(std::string("abc", 4))}, {{"victim.txt", "victim"}}},
    {"copy onto a file", "/COPYFILE:source.txt|target.txt", 0, nullptr, {}, {{"target.txt", "old"}}},
    {"copy with overwrite", "/COPYFILE:source.txt|target.txt|1", 1, nullptr, {}, {{"target.txt", "new"}}},
    {"delete a file", "/DELETEFILE:victim.txt", 1, nullptr, {}, {{"victim.txt", nullptr}}},
    {"built-in hook", "/ADMIN:ADDPRINTER", 0, "The printer has been set up.", {}, {}},
    {"hidden success", "/HIDE /WRITEREG:$KEY|Name|abc", 1, nullptr, {"Name", Binary(std::string("abc", 4))}, {}},
    // Commands come from the command line alone: a commandline.ini in the start folder names no file.
    {"command in commandline.ini", "/ORDER:x", 0, nullptr, {}, {{"victim.txt", "victim"}},
     "/DELETEFILE:victim.txt\r\n"},
};

std::string WithKey(const std::string& text, const std::string& key) {
  return std::regex_replace(text, std::regex("\\$KEY"), key);
}

// Every command line at once, each run in a folder and with a key of its own; the boxes answered, then what
// each run did (a program that showed a window takes a while to end under Wine: the ends overlap).
TEST(AdminCommands, EachCommandLine) {
  struct Started {
    ScratchDir dir;
    regtest::TestKey key{HKEY_LOCAL_MACHINE};
    std::unique_ptr<AppUnderTest> app;
  };
  std::vector<Started> started(kRuns.size());
  for (size_t i = 0; i < kRuns.size(); i++) {
    const AdminRun& run = kRuns[i];
    ScratchDir& dir = started[i].dir;
    started[i].key.SetRaw("Old", REG_BINARY, "x");
    ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe", "setupenglish.dll"}));
    for (const auto& file : kFiles) ASSERT_TRUE(dir.WriteText(file.first, file.second));
    if (run.commandLineIni) {
      ASSERT_TRUE(dir.WriteText("commandline.ini", run.commandLineIni));
    }
    std::string arguments = "/LANG:ENGL " + WithKey(run.arguments, started[i].key.Name());
    started[i].app = std::make_unique<AppUnderTest>(dir.Path("setup.exe"), arguments, dir.Root());
  }
  for (size_t i = 0; i < kRuns.size(); i++) {
    SCOPED_TRACE(kRuns[i].what);
    if (kRuns[i].box) {
      uidriver::UiWindow box = started[i].app->WaitMessageBox();
      EXPECT_EQ("Norba Setup", box.Caption());
      EXPECT_EQ(WithKey(kRuns[i].box, started[i].key.Name()), box.MessageText());
      box.Press(IDOK);
    }
  }
  for (size_t i = 0; i < kRuns.size(); i++) {
    const AdminRun& run = kRuns[i];
    SCOPED_TRACE(run.what);
    AppUnderTest& app = *started[i].app;
    const regtest::TestKey& key = started[i].key;
    // A box waits for an answer: a run that showed one unasked would still show it.
    if (!run.box) {
      EXPECT_FALSE(app.ShowedWindowUntilExit());
    }
    EXPECT_EQ(run.exitCode, app.WaitExit());
    if (run.value.first) {
      EXPECT_EQ(run.value.second, key.Raw(run.value.first));
    }
    EXPECT_EQ(kMissing, key.Raw("Name", "Sub"));
    const ScratchDir& dir = started[i].dir;
    for (const auto& file : run.files)
      EXPECT_EQ(file.second ? file.second : kMissing, dir.Exists(file.first) ? dir.ReadText(file.first) : kMissing);
  }
}

}  // namespace
