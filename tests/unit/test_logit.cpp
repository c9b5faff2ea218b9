// The trace log: the depth limit, lines at the buffer size, /LOGITHARD; assertion reports that meet trouble
// while they are written.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "scratchdir.h"
#include "testtext.h"

namespace {

using Lines = std::vector<std::string>;

// Opens the log on a file of a scratch folder and closes it again at the end of the test.
class OpenLog {
 public:
  explicit OpenLog(const std::string& option = "/LOGIT:") {
    EXPECT_TRUE(LogitOption((option + dir_.Path("trace.log")).c_str()));
  }
  ~OpenLog() { LogitOption("/LOGITCLOSE"); }
  std::string Text() { return dir_.ReadText("trace.log"); }
  // The lines written after the two opening lines, whole or without their "[012.345:1a2c] " header.
  Lines Written(bool bodies = false) {
    const std::string text = Text();
    Lines lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = std::min(text.find("\r\n", start), text.size());
      const std::string line = text.substr(start, end - start);
      lines.push_back(bodies ? line.substr(std::min(line.find("] ") + 2, line.size())) : line);
    }
    lines.erase(lines.begin(), lines.begin() + std::min<size_t>(2, lines.size()));
    return lines;
  }

 private:
  uidriver::ScratchDir dir_;
};

// Depth marks indent by two, cut from a fixed row of bars, and stop at 30; a deeper mark stays as text.
TEST(TraceLog, DepthMarksStopAtThirty) {
  OpenLog log("-logit:");  // the dash form of the option
  for (int i = 0; i < 16; i++) logit("[>>]open %d\n", i);
  for (int i = 0; i < 16; i++) logit("[<<]close %d\n", i);
  const Lines lines = log.Written(true);
  ASSERT_EQ(32u, lines.size());
  EXPECT_EQ("| | | | | | | | | | | | | | | [>>]open 15", lines[15]);
  EXPECT_EQ("| | | | | | | | | | | | | | close 0", lines[16]);
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
  const size_t totals[] = {8190, 8191, 20000};
  for (size_t total : totals) logit("%s\n", std::string(total - header - 1, 'y').c_str());
  AssertSetObserver(nullptr);
  // Each cut line is followed by the lines of its report.
  Lines lines;
  for (const std::string& line : log.Written())
    if (line.size() > header && line[header] == 'y') lines.push_back(line);
  ASSERT_EQ(3u, lines.size());
  for (size_t i = 0; i < 3; i++) {
    EXPECT_EQ(std::min<size_t>(totals[i] - 1, 8189), lines[i].size()) << totals[i];
    EXPECT_EQ(std::string(lines[i].size() - header, 'y'), lines[i].substr(header)) << totals[i];
  }
  EXPECT_EQ(2, reports);
}

// /LOGITHARD turns crash dumps on even when its log cannot be opened.
TEST(TraceLogFile, HardWantsCrashDumpsEvenWithoutItsLog) {
  uidriver::ScratchDir dir;
  ASSERT_EQ(0, CrashDumpLevel());
  EXPECT_TRUE(LogitOption(("/LOGITHARD:" + dir.Path("missing\\trace.log")).c_str()));
  EXPECT_EQ(2, CrashDumpLevel());
  SetUnhandledExceptionFilter(nullptr);  // the crash handler is not for this test program
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
  EXPECT_FALSE(testtext::Contains(text, "holding") || testtext::Contains(text, "GetSystemPath")) << text;
  EXPECT_TRUE(testtext::Contains(dir.ReadText("assert.log"), "Condition: logged"));
}

}  // namespace
