// Assertion reports and crash dumps end to end, through a program built on the real application frame:
// the assertion box and its answers, assert.log and its fall-back in the documents folder, tracing from
// destructors at exit, and the crash dump on the desktop with its compression, try counter and question.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "testtext.h"
#include "uidriver.h"

using testtext::Contains;
using testtext::ShellFolder;
using uidriver::AppUnderTest;

namespace {

// Writing a minidump takes Wine a few seconds.
constexpr DWORD kCrashTimeoutMs = 60000;

// The report of the probe's assertion as both the box and the log carry it (line ends as "\n").
const std::string kProbeReport =
    "    Condition: probe condition\n"
    "    Location : frameprobe.cpp line 7\n"
    "    Last Err.: 0L ()\n"
    "    Add. Info: probe info\n";

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// One log entry: the line with title, date and time, a blank line, the report and a blank line.
void ExpectOneEntry(const std::string& log) {
  std::string text = WithoutCarriageReturns(log);
  std::regex entry("--- Norba frameprobe \\(\\) --- \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ---\n\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(text, match, entry)) << text;
  EXPECT_EQ(0, match.position(0)) << text;
  EXPECT_EQ(kProbeReport + "\n\n", match.suffix().str());
}

// Whether the file is a whole, intact gzip stream of a minidump (gzread fails on a broken stream or a wrong
// check sum, gzclose on a cut-off one).
bool IsGzippedMinidump(const std::string& path) {
  if (testtext::FileText(path).compare(0, 2, "\x1f\x8b") != 0) return false;
  gzFile in = gzopen(path.c_str(), "rb");
  char head[4] = {}, buffer[4096];
  bool minidump = in && gzread(in, head, 4) == 4 && std::string(head, 4) == "MDMP";
  int got = 1;
  while (minidump && (got = gzread(in, buffer, sizeof buffer)) > 0) {
  }
  return minidump && gzclose(in) == Z_OK && got == 0;
}

// Files a test makes outside its scratch folder: any left from an earlier run go first, and all go with
// the object however the test ends.
struct OutsideFiles {
  explicit OutsideFiles(std::vector<std::string> files) : paths(std::move(files)) { Delete(); }
  ~OutsideFiles() { Delete(); }
  void Delete() const {
    for (const std::string& path : paths) DeleteFileA(path.c_str());
  }
  std::vector<std::string> paths;
};

// The probe is copied into the scratch folder, so that its current folder is the test's own.
class DiagnosticsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.CopyFrom(NORBA_TEST_FIXTURE_DIR, {"frameprobe.exe"})); }
  std::unique_ptr<AppUnderTest> Start(const std::string& arguments) {
    return std::unique_ptr<AppUnderTest>(new AppUnderTest(dir.Path("frameprobe.exe"), arguments, dir.Root()));
  }

  uidriver::ScratchDir dir;
};

// Yes goes on and the entry is appended to assert.log. Debug output stays on after the sign-off closed the
// trace log: the last destructor opens it once more, and the program still ends.
TEST_F(DiagnosticsTest, AssertionBoxShowsTheReportAndYesGoesOnAppendingToAssertLog) {
  ASSERT_TRUE(dir.WriteText("assert.log", "earlier entry\r\n"));
  std::unique_ptr<AppUnderTest> app = Start("/LOGDEBUG \"/LOGIT:" + dir.Path("exit.log") + "\" traceatexit assert");
  uidriver::UiWindow box = app->WaitMessageBox("An unexpected condition has been encountered.");
  std::string text = WithoutCarriageReturns(box.MessageText());
  EXPECT_TRUE(Contains(text, "(logged in the assert.log file):\n\n" + kProbeReport +
                                 "\nDo you want to try to continue with the program?"))
      << text;
  box.Press(IDYES);
  EXPECT_EQ(3u, app->WaitExit());
  std::string log = dir.ReadText("assert.log");
  EXPECT_EQ(0u, log.find("earlier entry\r\n"));
  ExpectOneEntry(log.substr(log.find('\n') + 1));
  EXPECT_TRUE(Contains(dir.ReadText("exit.log"), "EXITTRACER traced at exit\r\n"));
}

// /NOASSERT logs the assertion without a box and goes on, here into a crash: with tracing the dump is
// compressed on the desktop and the trace names its upload page. Without, an assertion whose log cannot be
// written falls back to the documents folder; its No ends the program through a dump as well, which asks
// first (named with the try counter), and No there leaves that dump uncompressed.
TEST_F(DiagnosticsTest, CrashDumpsGoToTheDesktopCompressedWithTracingOrAfterTheQuestion) {
  std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  char user[256] = {};
  DWORD size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  // Crash level 2 of /CRASHDUMP; blanks of the account name made "_".
  std::string file = "Norba.CrashInfo.FRAMEPROBE." + std::string(user) + ".NORBA";
  std::replace(file.begin(), file.end(), ' ', '_');
  std::string first = desktop + "\\" + file + ".dmp";
  std::string second = desktop + "\\" + file + "_2.dmp";
  std::string fallback = ShellFolder(CSIDL_PERSONAL) + "\\Norba_FRAMEPROBE_Assert.log";
  OutsideFiles cleanup({first, first + ".gz", second, second + ".gz", fallback});

  std::unique_ptr<AppUnderTest> traced =
      Start("/NOASSERT /CRASHDUMP \"/LOGIT:" + dir.Path("trace.log") + "\" assert crash");
  traced->SetTimeoutMs(kCrashTimeoutMs);
  EXPECT_FALSE(traced->ShowedWindowUntilExit());
  EXPECT_EQ(42u, traced->WaitExit());
  ExpectOneEntry(dir.ReadText("assert.log"));
  EXPECT_TRUE(IsGzippedMinidump(first + ".gz")) << first;
  EXPECT_FALSE(FileExists(first));
  EXPECT_TRUE(Contains(dir.ReadText("trace.log"), "/common/crashreport.php?filename=" + file + ".dmp.gz"));

  // A folder of that name cannot be opened for appending (read-only folders do not stop root on Wine).
  ASSERT_TRUE(DeleteFileA(dir.Path("assert.log").c_str()) && dir.MakeFolder("assert.log"));
  std::unique_ptr<AppUnderTest> asking = Start("/CRASHDUMP assert");
  asking->SetTimeoutMs(kCrashTimeoutMs);
  std::string text = asking->AnswerMessageBox(IDNO, "An unexpected condition has been encountered.");
  EXPECT_TRUE(Contains(text, "(logged in the " + fallback + " file)")) << text;
  uidriver::UiWindow box = asking->WaitMessageBox("has encountered an error");
  text = WithoutCarriageReturns(box.MessageText());
  EXPECT_TRUE(Contains(text, " Filename: " + file + "_2.dmp\n (in folder '" + desktop + "')")) << text;
  box.Press(IDNO);
  EXPECT_EQ(42u, asking->WaitExit());
  ExpectOneEntry(testtext::FileText(fallback));
  EXPECT_EQ(0u, testtext::FileText(second).find("MDMP")) << second;
  EXPECT_FALSE(FileExists(second + ".gz"));
}

}  // namespace
