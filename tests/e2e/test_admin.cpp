// The admin commands end to end: setup.exe run with one command line each, checked by its exit code,
// the registry value or files it leaves and the one message box it shows (or that none shows).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scopedenvironment.h"
#include "testregistrykey.h"
#include "uidriver.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;

namespace {

using regtest::kMissing;
const char kSaved[] = "The settings of $KEY have been saved.";
const char kFailed[] = "The setting could not be written to the registry.";

enum HookLibrary { kBuiltIn, kAnswering0, kAnswering1 };

struct AdminRun {
  const char* what;
  std::string arguments;  // "$KEY" stands for the test's key below Software\Norba
  DWORD exitCode;
  const char* box;        // the one box's message ("$KEY" replaced); null: no window at all
  std::pair<const char*, std::string> value;  // a value of the test's key: name and Typed bytes
  std::vector<std::pair<const char*, const char*>> files;  // after the run: name and content, null: missing
  HookLibrary hook = kBuiltIn;
  const char* commandLineIni = nullptr;
};

// The files of every run, before it.
const std::pair<const char*, const char*> kFiles[] = {
    {"source.txt", "new"}, {"target.txt", "old"}, {"victim.txt", "victim"}};

std::string Binary(const std::string& bytes) { return regtest::Typed(REG_BINARY, bytes); }

const std::vector<AdminRun> kRuns = {
    {"text with its zero byte", "/WRITEREG:$KEY|Name|abc", 1, kSaved, {"Name", Binary(std::string("abc", 4))}, {}},
    {"the box names field 3", "\"/WRITEREG:$KEY|Name||Kiv Term\"", 1, "The settings of Kiv Term have been saved.",
     {"Name", Binary(std::string(1, '\0'))}, {}},
    {"odd hex digit ignored", "/WRITEHEXREG:$KEY|Name|0aFf1", 1, kSaved, {"Name", Binary("\x0a\xff")}, {}},
    {"quiet hex", "/WRITEHEXREG:$KEY|Name|4142|1", 1, nullptr, {"Name", Binary("AB")}, {}},
    {"key below the key", "/WRITEREG:$KEY\\Sub|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"leading backslash", "/WRITEREG:\\$KEY|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"no key name", "/WRITEREG:|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"key name too long", "/WRITEREG:" + std::string(256, 'k') + "|Name|x", 0, kFailed, {"Name", kMissing}, {}},
    {"quiet failure", "/WRITEHEXREG:$KEY\\Sub|Name|41|1", 0, nullptr, {"Name", kMissing}, {}},
    {"delete a value", "/DELETEREG:$KEY|Old", 0, nullptr, {"Old", kMissing}, {}},
    {"registry before files", "/DELETEFILE:victim.txt /WRITEREG:$KEY|Name|abc", 1, kSaved,
     {"Name", Binary(std::string("abc", 4))}, {{"victim.txt", "victim"}}},
    {"copy before delete", "/DELETEFILE:victim.txt /COPYFILE:source.txt|copy.txt", 1, nullptr, {"Old", Binary("x")},
     {{"victim.txt", "victim"}, {"copy.txt", "new"}}},
    {"copy onto a file", "/COPYFILE:source.txt|target.txt", 0, nullptr, {}, {{"target.txt", "old"}}},
    {"copy with overwrite", "/COPYFILE:source.txt|target.txt|1", 1, nullptr, {}, {{"target.txt", "new"}}},
    {"copy a missing file", "/COPYFILE:missing.txt|copy.txt|1", 0, nullptr, {}, {{"copy.txt", nullptr}}},
    {"delete a file", "/DELETEFILE:victim.txt", 1, nullptr, {}, {{"victim.txt", nullptr}}},
    {"delete a missing file", "/DELETEFILE:missing.txt", 0, nullptr, {}, {}},
    {"hook answers 0", "/ADMIN:addprinter", 0, nullptr, {}, {}, kAnswering0},
    {"hook answers 1", "/ADMIN:removeprinter", 0, "The printer has been removed.", {}, {}, kAnswering1},
    {"built-in hook", "/ADMIN:ADDPRINTER", 0, "The printer has been set up.", {}, {}},
    {"hidden success", "/HIDE /WRITEREG:$KEY|Name|abc", 1, nullptr, {"Name", Binary(std::string("abc", 4))}, {}},
    // Commands come from the command line alone: a commandline.ini in the start folder names no file.
    {"command in commandline.ini", "/ORDER:x", 0, nullptr, {}, {{"victim.txt", "victim"}}, kBuiltIn,
     "/DELETEFILE:victim.txt\r\n"},
    {"value in commandline.ini", "/ORDER:x -DELETEFILE", 0, nullptr, {}, {{"victim.txt", "victim"}}, kBuiltIn,
     "victim.txt\r\n"},
};

std::string WithKey(std::string text, const std::string& key) {
  for (size_t at = text.find("$KEY"); at != std::string::npos; at = text.find("$KEY", at + key.size()))
    text.replace(at, 4, key);
  return text;
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
    if (run.hook != kBuiltIn) {
      ASSERT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
    }
    ScopedEnvironment record("NORBA_HOOKRECORD", dir.Path("events.log"));
    ScopedEnvironment answer("NORBA_HOOKANSWER", run.hook == kAnswering0 ? "256=0" : "1");
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
    if (run.hook != kBuiltIn) {
      std::string word = run.arguments.substr(run.arguments.find(':') + 1), events = dir.ReadText("events.log");
      EXPECT_EQ(0u, events.find("SetupHook 256 ")) << events;
      EXPECT_NE(std::string::npos, events.find(" \"" + word + "\"\r\n")) << events;
    }
  }
}

}  // namespace
