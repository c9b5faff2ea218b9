// Assertion reports and crash dumps end to end, through a program built on the real application frame:
// the assertion box and its answers, assert.log and its fall-back in the documents folder, tracing from
// destructors at exit, and the crash dump on the desktop with its compression, try counter, question and
// trace lines.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "uidriver.h"

using uidriver::AppUnderTest;
using uidriver::ScratchDir;

namespace {

// Writing a minidump takes Wine a few seconds.
constexpr DWORD kCrashTimeoutMs = 60000;

// The probe is copied into the scratch folder, so that its current folder is the test's own.
void InstallProbe(ScratchDir& dir) {
  ASSERT_TRUE(dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/frameprobe.exe", "frameprobe.exe"));
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

// The account name as dump file names carry it: blanks made "_".
std::string UserPart() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return "";
  std::string user = name;
  for (char& c : user) {
    if (c == ' ') c = '_';
  }
  return user;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The whole file, "" when it cannot be read.
std::string ReadWhole(const std::string& path) {
  uidriver::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (file.Valid() && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}

// The uncompressed content of a gzip file; false when it is not a whole, intact gzip stream.
bool Gunzip(const std::string& path, std::string* content) {
  std::string raw = ReadWhole(path);
  if (raw.size() < 2 || raw[0] != '\x1f' || raw[1] != '\x8b') return false;
  gzFile in = gzopen(path.c_str(), "rb");
  if (!in) return false;
  char buffer[4096];
  int got;
  while ((got = gzread(in, buffer, sizeof buffer)) > 0) content->append(buffer, static_cast<size_t>(got));
  // gzclose reports a cut-off stream; gzread a broken one or a wrong check sum.
  return gzclose(in) == Z_OK && got == 0;
}

// Files a test makes outside its scratch folder, deleted however the test ends.
class RemoveOnExit {
 public:
  explicit RemoveOnExit(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  ~RemoveOnExit() {
    for (const std::string& path : paths_) DeleteFileA(path.c_str());
  }
  RemoveOnExit(const RemoveOnExit&) = delete;
  RemoveOnExit& operator=(const RemoveOnExit&) = delete;

 private:
  std::vector<std::string> paths_;
};

// ---- Assertion reports ----

const char kAssertArgument[] = "assert";

// The report of the probe's assertion as both the box and the log carry it (line ends as "\n").
const char kProbeReport[] =
    "    Condition: probe condition\n"
    "    Location : frameprobe.cpp line 7\n"
    "    Last Err.: 0L ()\n"
    "    Add. Info: probe info\n";

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
  EXPECT_EQ(std::string(kProbeReport) + "\n\n", match.suffix().str());
}

TEST(AssertionBox, ShowsTheReportAndYesGoesOnAppendingToAssertLog) {
  ScratchDir dir;
  InstallProbe(dir);
  ASSERT_TRUE(dir.WriteText("assert.log", "earlier entry\r\n"));
  AppUnderTest app(dir.Path("frameprobe.exe"), kAssertArgument, dir.Root());
  uidriver::UiWindow box = app.WaitMessageBox("An unexpected condition has been encountered.");
  EXPECT_EQ(0u, box.Caption().find("Norba frameprobe () / ")) << box.Caption();
  std::string text = WithoutCarriageReturns(box.MessageText());
  EXPECT_TRUE(Contains(text, "(logged in the assert.log file):\n\n" + std::string(kProbeReport) +
                                 "\nDo you want to try to continue with the program?"))
      << text;
  box.Press(IDYES);
  EXPECT_EQ(3u, app.WaitExit());
  std::string log = dir.ReadText("assert.log");
  EXPECT_EQ(0u, log.find("earlier entry\r\n"));
  ExpectOneEntry(log.substr(log.find('\n') + 1));
}

TEST(AssertionBox, NoEndsTheProgram) {
  ScratchDir dir;
  InstallProbe(dir);
  AppUnderTest app(dir.Path("frameprobe.exe"), kAssertArgument, dir.Root());
  app.AnswerMessageBox(IDNO, "An unexpected condition has been encountered.");
  DWORD code = app.WaitExit();
  EXPECT_NE(3u, code);
  EXPECT_NE(AppUnderTest::kEndedByDriver, code);
}

TEST(AssertionLog, NoAssertShowsNoBoxButLogsAndGoesOn) {
  ScratchDir dir;
  InstallProbe(dir);
  AppUnderTest app(dir.Path("frameprobe.exe"), std::string("/NOASSERT ") + kAssertArgument, dir.Root());
  EXPECT_FALSE(app.ShowedWindowUntilExit());
  EXPECT_EQ(3u, app.WaitExit());
  ExpectOneEntry(dir.ReadText("assert.log"));
}

TEST(AssertionLog, FallsBackToTheDocumentsFolderAndTheBoxNamesIt) {
  std::string documents = ShellFolder(CSIDL_PERSONAL);
  ASSERT_FALSE(documents.empty());
  std::string fallback = documents + "\\Norba_FRAMEPROBE_Assert.log";
  ASSERT_FALSE(FileExists(fallback)) << fallback << " is left from an earlier run: delete it";
  RemoveOnExit cleanup({fallback});
  ScratchDir dir;
  InstallProbe(dir);
  // A folder of that name cannot be opened for appending (read-only folders do not stop root on Wine).
  ASSERT_TRUE(dir.MakeFolder("assert.log"));
  AppUnderTest app(dir.Path("frameprobe.exe"), kAssertArgument, dir.Root());
  std::string text = app.AnswerMessageBox(IDYES, "An unexpected condition has been encountered.");
  EXPECT_TRUE(Contains(text, "(logged in the " + fallback + " file)")) << text;
  EXPECT_EQ(3u, app.WaitExit());
  ExpectOneEntry(ReadWhole(fallback));
}

// ---- Trace log at exit ----

TEST(TraceLog, DestructorsAfterSignOffStillTraceAndTheProgramEnds) {
  ScratchDir dir;
  InstallProbe(dir);
  // Debug output stays on after the sign-off closed the log; the last destructor opens it once more.
  AppUnderTest app(dir.Path("frameprobe.exe"), "/LOGDEBUG \"/LOGIT:" + dir.Path("exit.log") + "\" traceatexit",
                   dir.Root());
  EXPECT_EQ(0u, app.WaitExit(20000));
  EXPECT_TRUE(Contains(dir.ReadText("exit.log"), "EXITTRACER traced at exit\r\n"));
}

// ---- Crash dumps ----

// "<desktop>\Norba.CrashInfo.FRAMEPROBE.<user>.NORBA[_<try>].dmp": crash level 2 of /CRASHDUMP.
class DumpName {
 public:
  explicit DumpName(int attempt) : folder_(ShellFolder(CSIDL_DESKTOPDIRECTORY)) {
    file_ = "Norba.CrashInfo.FRAMEPROBE." + UserPart() + ".NORBA";
    if (attempt > 1) file_ += "_" + std::to_string(attempt);
    file_ += ".dmp";
  }
  const std::string& Folder() const { return folder_; }
  const std::string& File() const { return file_; }
  std::string Dump() const { return folder_ + "\\" + file_; }
  std::string Compressed() const { return Dump() + ".gz"; }

 private:
  std::string folder_;
  std::string file_;
};

// The dumps of the first `attempts` tries must not exist before the test; they are deleted after it.
std::vector<std::string> DumpFiles(int attempts) {
  std::vector<std::string> files;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    files.push_back(DumpName(attempt).Dump());
    files.push_back(DumpName(attempt).Compressed());
  }
  return files;
}

void ExpectNoLeftovers(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    ASSERT_FALSE(FileExists(file)) << file << " is left from an earlier run: delete it";
  }
}

TEST(CrashDump, WithTracingCompressesOnTheDesktopOpensTheUploadPageAndCountsTries) {
  ASSERT_FALSE(ShellFolder(CSIDL_DESKTOPDIRECTORY).empty());
  std::vector<std::string> files = DumpFiles(2);
  ExpectNoLeftovers(files);
  if (HasFatalFailure()) return;
  RemoveOnExit cleanup(files);
  ScratchDir dir;
  InstallProbe(dir);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE("crash " + std::to_string(attempt));
    DumpName name(attempt);
    std::string trace = "trace" + std::to_string(attempt) + ".log";
    AppUnderTest app(dir.Path("frameprobe.exe"), "/CRASHDUMP \"/LOGIT:" + dir.Path(trace) + "\" crash", dir.Root());
    app.SetTimeoutMs(kCrashTimeoutMs);
    EXPECT_FALSE(app.ShowedWindowUntilExit());
    EXPECT_EQ(42u, app.WaitExit());

    std::string content;
    EXPECT_TRUE(Gunzip(name.Compressed(), &content)) << name.Compressed();
    EXPECT_EQ(0u, content.find("MDMP")) << "not a minidump";
    EXPECT_FALSE(FileExists(name.Dump()));

    std::string log = dir.ReadText(trace);
    EXPECT_TRUE(Contains(log, "NORBAAPP::WriteDumpToFileHandler entered\r\n")) << log;
    EXPECT_TRUE(Contains(log, "NORBAAPP::WriteDumpToFileHandler dump file written (" + name.Dump() + ")\r\n")) << log;
    EXPECT_TRUE(Contains(log, "/common/crashreport.php?filename=" + name.File() + ".gz")) << log;
    EXPECT_TRUE(Contains(log, "NORBAAPP::WriteDumpToFileHandler finished\r\n")) << log;
  }
}

TEST(CrashDump, WithoutTracingAsksAndNoLeavesTheUncompressedDump) {
  ASSERT_FALSE(ShellFolder(CSIDL_DESKTOPDIRECTORY).empty());
  std::vector<std::string> files = DumpFiles(1);
  ExpectNoLeftovers(files);
  if (HasFatalFailure()) return;
  RemoveOnExit cleanup(files);
  DumpName name(1);
  ScratchDir dir;
  InstallProbe(dir);
  AppUnderTest app(dir.Path("frameprobe.exe"), "/CRASHDUMP crash", dir.Root());
  app.SetTimeoutMs(kCrashTimeoutMs);
  uidriver::UiWindow box = app.WaitMessageBox("has encountered an error");
  EXPECT_EQ("frameprobe Crash", box.Caption());
  std::string text = WithoutCarriageReturns(box.MessageText());
  EXPECT_EQ(0u, text.find("The program FRAMEPROBE has encountered an error and will be terminated.")) << text;
  EXPECT_TRUE(Contains(text, " Filename: " + name.File() + "\n (in folder '" + name.Folder() + "')")) << text;
  box.Press(IDNO);
  EXPECT_EQ(42u, app.WaitExit());
  EXPECT_EQ(0u, ReadWhole(name.Dump()).find("MDMP")) << name.Dump();
  EXPECT_FALSE(FileExists(name.Compressed()));
}

}  // namespace
