// The trace log: options that open and close it, the line header with its thread mark, depth marks
// with their owner thread, blank-line marks, continued lines and lines at the buffer size, levels, the log
// file variants; assertion reports that meet trouble while they are written.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "scratchdir.h"
#include "testtext.h"

namespace {

using Lines = std::vector<std::string>;

// "[012.345:1a2c] " or "[012.345#1a2c] ": returns what follows the header, or "?" when there is none.
std::string Body(const std::string& line, char* threadmark = nullptr) {
  size_t close = line.find("] ");
  bool ok = line.size() > 14 && line[0] == '[' && line[4] == '.' && (line[8] == ':' || line[8] == '#') &&
            close != std::string::npos && close >= 13;
  if (!ok) return "?";
  if (threadmark) *threadmark = line[8];
  return line.substr(close + 2);
}

// Opens the log on a file of a scratch folder and closes it again at the end of the test.
class OpenLog {
 public:
  explicit OpenLog(const std::string& option = "/LOGIT:") {
    EXPECT_TRUE(LogitOption((option + dir_.Path("trace.log")).c_str()));
    EXPECT_TRUE(LogitIsOn());
  }
  ~OpenLog() { LogitOption("/LOGITCLOSE"); }
  std::string Text() { return dir_.ReadText("trace.log"); }
  Lines All() {
    const std::string text = Text();
    Lines lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = std::min(text.find("\r\n", start), text.size());
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  // The lines written after the two opening lines, whole or as their bodies.
  Lines Written(bool bodies = false) {
    Lines lines = All();
    lines.erase(lines.begin(), lines.begin() + std::min<size_t>(2, lines.size()));
    if (bodies) std::transform(lines.begin(), lines.end(), lines.begin(), [](const std::string& l) { return Body(l); });
    return lines;
  }

 private:
  uidriver::ScratchDir dir_;
};

TEST(TraceLog, OffUntilAnOptionOpensIt) {
  EXPECT_FALSE(LogitIsOn());
  EXPECT_EQ(0, logit("nothing %d\n", 1));
  EXPECT_EQ(0, logitlevel(0, nullptr));
  for (const char* option : {"/LOGITX", "/HIDE", "LOGIT"}) EXPECT_FALSE(LogitOption(option)) << option;
  EXPECT_TRUE(LogitOption("/D:16"));  // raises the level, opens nothing
  EXPECT_FALSE(LogitIsOn());
}

// One log for the shape of its lines: the opening lines, the header only at line starts with its thread
// mark, "%%", blank lines between groups of [!n] marks, depth marks indenting up to 30 and counting only in
// the thread that set them (other threads' lines carry "@ ").
TEST(TraceLog, LinesCarryTheirHeaderThreadMarkGroupGapsAndDepth) {
  OpenLog log("-logit:");
  const Lines opening = log.All();
  ASSERT_GE(opening.size(), 2u);
  EXPECT_EQ(0u, Body(opening[0]).find("Logging starts at "));
  EXPECT_EQ(0u, Body(opening[1]).find("Running as "));

  EXPECT_EQ(1, logit("abc"));
  logit("def %d 100%%\n", 42);
  for (const char* line : {"[!1]one\n", "[!1]one again\n", "[!2]two\n", "plain\n"}) logit(line);
  for (int i = 0; i < 16; i++) logit("[>>]open %d\n", i);
  std::thread([] {
    logit("[>>]foreign\n");
    logit("[<<]foreign\n");
  }).join();
  for (int i = 0; i < 16; i++) logit("[<<]close %d\n", i);

  const Lines lines = log.Written();
  ASSERT_EQ(42u, lines.size());
  char mark = 0;
  EXPECT_EQ("abcdef 42 100%", Body(lines[0], &mark));
  EXPECT_EQ(':', mark);
  EXPECT_EQ("@ [>>]foreign", Body(lines[24], &mark));
  EXPECT_EQ('#', mark);
  const Lines bodies = log.Written(true);
  EXPECT_EQ((Lines{"one", "one again", "", "", "two", "", "plain", "open 0", "| open 1"}),
            Lines(bodies.begin() + 1, bodies.begin() + 10));
  EXPECT_EQ("| | | | | | | | | | | | | | open 14", bodies[22]);
  EXPECT_EQ("| | | | | | | | | | | | | | | [>>]open 15", bodies[23]) << "at depth 30 the mark stays";
  EXPECT_EQ("@ [<<]foreign", bodies[25]);
  EXPECT_EQ("close 14", bodies[40]);
  EXPECT_EQ("[<<]close 15", bodies[41]) << "at depth 0 the mark stays";
}

TEST(TraceLog, LevelsFilterByVerbosityAndCategory) {
  OpenLog log;
  LogitOption("/D:3");
  EXPECT_EQ(1, logitlevel(2, "level two\n"));
  EXPECT_EQ(0, logitlevel(12, "level twelve\n"));
  EXPECT_EQ(1, logitlevel(2, nullptr));
  EXPECT_EQ(0, logitlevel(0x100, nullptr));  // a category not switched on
  LogitOption("/D:256");
  EXPECT_EQ(1, logitlevel(0x101, nullptr));
  const Lines lines = log.Written(true);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(0u, lines[0].find("LogitLevel 000000"));  // levels of earlier tests stay
  EXPECT_EQ("level two", lines[1]);
}

TEST(TraceLog, LinesAtTheBufferSizeStayWholeOrAreCutWithTheirLineEnd) {
  static int reports = 0;
  AssertSetObserver([](const char* condition, const char*, int, const char*) {
    if (std::string(condition) == "howmany < sizeof(logitbuf)") reports++;
  });
  OpenLog log;
  logit("x\n");
  const size_t header = log.Written().at(0).size() - 1;
  // Header and text with their LF; as CR LF they and the terminator must fit the 8192 bytes.
  const size_t totals[] = {8189, 8190, 8191, 8192, 8193, 20000};
  for (size_t total : totals) logit("%s\n", std::string(total - header - 1, 'y').c_str());
  AssertSetObserver(nullptr);
  // Each cut line is followed by the lines of its report.
  Lines lines;
  for (const std::string& line : log.Written())
    if (Body(line)[0] == 'y') lines.push_back(line);
  ASSERT_EQ(6u, lines.size());
  for (size_t i = 0; i < 6; i++) {
    const size_t whole = totals[i] - 1;  // the line without its CR LF
    EXPECT_EQ(std::min<size_t>(whole, 8189), lines[i].size()) << totals[i];
    EXPECT_EQ(std::string(lines[i].size() - header, 'y'), lines[i].substr(header)) << totals[i];
  }
  EXPECT_EQ(4, reports);
}

TEST(TraceLogFile, AppendKeepsEarlierRunsTempIsDeletedAtCloseAndHardWantsCrashDumps) {
  uidriver::ScratchDir dir;
  const std::string path = dir.Path("kept.log");
  LogitOption(("/LOGIT:" + path).c_str());
  logit("first run\n");
  LogitOption("/LOGITCLOSE");
  EXPECT_FALSE(LogitIsOn());
  LogitOption(("/LOGITAPPEND:" + path).c_str());
  logit("second run\n");
  LogitOption("/LOGITCLOSE");
  const std::string text = dir.ReadText("kept.log");
  EXPECT_TRUE(testtext::Contains(text, "first run") && testtext::Contains(text, "second run")) << text;

  LogitOption(("/LOGITTEMP:" + dir.Path("temp.log")).c_str());
  logit("gone soon\n");
  EXPECT_TRUE(dir.Exists("temp.log"));
  LogitOption("/LOGITCLOSE");
  EXPECT_FALSE(dir.Exists("temp.log"));

  // /LOGITHARD turns crash dumps on even when its log cannot be opened.
  ASSERT_EQ(0, CrashDumpLevel());
  EXPECT_TRUE(LogitOption(("/LOGITHARD:" + dir.Path("missing\\trace.log")).c_str()));
  EXPECT_FALSE(LogitIsOn());
  EXPECT_EQ(2, CrashDumpLevel());
  SetUnhandledExceptionFilter(nullptr);  // the crash handler is not for this test program
}

// Removes a file in a shell folder when the test ends, however it ends.
struct RemoveAfter {
  std::string path;
  ~RemoveAfter() { DeleteFileA(path.c_str()); }
};

TEST(TraceLogFile, LevelOptionOpensTheDefaultLogAndUniqueNamesAreUnique) {
  const RemoveAfter common{testtext::ShellFolder(CSIDL_COMMON_DOCUMENTS) + "\\Norba_TEST_LOGIT_logit.log"};
  EXPECT_TRUE(LogitOption("/LOG:16"));
  EXPECT_TRUE(LogitIsOn());
  LogitOption("/LOGITCLOSE");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(common.path.c_str()));

  LogitOption("/LOGIT:unique");
  LogitOption("/LOGITCLOSE");
  const std::string documents = testtext::ShellFolder(CSIDL_PERSONAL) + "\\";
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((documents + "Norba_TEST_LOGIT_Logit_*.log").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  FindClose(find);
  const std::string name = found.cFileName;
  const RemoveAfter unique{documents + name};
  // Norba_TEST_LOGIT_Logit_2026-12-06_11-20-33-123_1F4.log
  int y, mo, d, h, mi, s, ms;
  unsigned pid;
  ASSERT_EQ(8, sscanf(name.c_str(), "Norba_TEST_LOGIT_Logit_%4d-%2d-%2d_%2d-%2d-%2d-%d_%X.log", &y, &mo, &d, &h, &mi,
                      &s, &ms, &pid));
  EXPECT_EQ(GetCurrentProcessId(), pid);
}

// A holding condition reports nothing. A condition failing while a report is written is only traced; and while
// assert.log opens, the report looks up no shell folder (a lookup that fails raises a report of its own).
TEST(Assertion, AReportRaisesNoReportAndLooksUpNoFolderWhileAssertLogOpens) {
  static int reports = 0;
  AssertSetObserver([](const char*, const char*, int, const char*) {
    reports++;
    EXPECT_EQ(1, Assert(0, "nested", "test_logit", 3));
  });
  OpenLog log;
  EXPECT_EQ(1, Assert(1, "holding", "test_logit", 1));
  EXPECT_EQ(1, Assert(0, "outer", "test_logit", 2));
  AssertSetObserver(nullptr);
  EXPECT_EQ(1, reports);
  uidriver::ScratchDir dir;
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof(before), before);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Root().c_str()));
  LogitOption("/D:1");
  LogitOption("/NOASSERT");
  EXPECT_EQ(1, Assert(0, "logged", "test_logit", 4));
  LogitOption("/NOASSERT");
  SetCurrentDirectoryA(before);
  const std::string text = log.Text();
  EXPECT_TRUE(testtext::Contains(text, "during a report: nested")) << text;
  EXPECT_FALSE(testtext::Contains(text, "holding")) << text;
  EXPECT_FALSE(testtext::Contains(text, "GetSystemPath")) << text;
  EXPECT_TRUE(testtext::Contains(dir.ReadText("assert.log"), "Condition: logged"));
}

}  // namespace
