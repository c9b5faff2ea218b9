// OSYS services on a real system: shell folders with the registry-then-shell fall-back, program start
// (exit codes, command lines, window-state prefixes) with the exitcode fixture, a missing resource text,
// the user and the current folder, the Windows version, and DLLINTERFACE loading by a long path.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/dllinterface.h"
#include "base/osys.h"
#include "scopedenvironment.h"
#include "scratchdir.h"
#include "testtext.h"

namespace {

using testtext::Lower;
using uidriver::ScratchDir;
using Lines = std::vector<std::string>;

class OsysTest : public AssertReportsTest {};

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::string FixtureDir() {
  std::string path = NORBA_TEST_FIXTURE_DIR;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The "Desktop" value of the user's shell folders, put back as it was when the object goes.
class SavedDesktop {
 public:
  SavedDesktop() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    if (RegQueryValueExA(key_, "Desktop", nullptr, &type_, saved_, &size_) != ERROR_SUCCESS) type_ = REG_NONE;
  }
  ~SavedDesktop() {
    Set(type_, std::string(reinterpret_cast<char*>(saved_), size_));
    RegCloseKey(key_);
  }
  // REG_NONE removes the value.
  void Set(DWORD type, const std::string& data) const {
    if (type == REG_NONE) {
      RegDeleteValueA(key_, "Desktop");
      return;
    }
    RegSetValueExA(key_, "Desktop", 0, type, reinterpret_cast<const BYTE*>(data.data()), data.size());
  }

 private:
  HKEY key_ = nullptr;
  BYTE saved_[4096];
  DWORD type_ = REG_NONE, size_ = sizeof(saved_);
};

TEST_F(OsysTest, EveryShellFolderTypeIsAnExistingFolderEndingInABackslash) {
  for (int type : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 22}) {
    std::string path = Text(OSYS::GetSystemPath(type));
    ASSERT_GT(path.size(), 3u) << type;
    EXPECT_TRUE(path.back() == '\\' && path[path.size() - 2] != '\\') << path;
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << path;
  }
  for (int type : {14, 18, 19}) EXPECT_EQ(Text(OSYS::GetSystemPath(type)), Text(OSYS::GetSystemPath(6))) << type;
  EXPECT_TRUE(TakeReports().empty());
  for (int type : {-1, 3, 23}) EXPECT_EQ(Text(OSYS::GetSystemPath(type)), "") << type;
  EXPECT_EQ(TakeReports(), Lines(3, "osys_win32: FALSE"));
}

TEST_F(OsysTest, ShellFolderComesExpandedAndWholeFromTheRegistryElseFromTheShell) {
  const std::string shell = Lower(testtext::ShellFolder(CSIDL_DESKTOPDIRECTORY)) + "\\";
  char root[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, sizeof(root)), 0u);
  // A long folder is returned whole, never cut into a shorter folder that might exist.
  const std::string longexpanded = "\\" + std::string(1500, 'e');
  const struct { DWORD type; std::string data, expected; } cases[] = {
      {REG_NONE, "", shell},
      {REG_SZ, std::string("C:\0", 3), shell},                 // shorter than three characters
      {REG_DWORD, std::string("\x01\x00\x00\x00", 4), shell},  // no text
      {REG_SZ, std::string("C:\\norba-desktop\\\0", 18), "c:\\norba-desktop\\"},
      {REG_SZ, "%SystemRoot%" + longexpanded + '\0', Lower(root + longexpanded) + "\\"},
  };
  SavedDesktop desktop;
  for (const auto& c : cases) {
    desktop.Set(c.type, c.data);
    EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), c.expected) << c.data.substr(0, 40);
  }
  EXPECT_TRUE(TakeReports().empty());
}

// One synchronous start of the exitcode fixture per case, in the fixture folder as the current folder: the
// exit code, and the fixture's report of its command line, working folder, window state and title.
TEST_F(OsysTest, ProgramsStartWithTheirCommandLineFolderAndWindowStateAndGiveTheirExitCode) {
  ScratchDir scratch;
  const std::string fixtures = FixtureDir(), program = fixtures + "\\exitcode.exe";
  const std::string spaced = scratch.Path("my tools\\exitcode.exe");
  ASSERT_TRUE(scratch.CopyFileTo(program, "my tools\\exitcode.exe"));
  ASSERT_TRUE(scratch.CopyFileTo(program, "my.exe"));  // must not run for "my tools\exitcode.exe"
  ScopedEnvironment report("NORBA_EXITCODE_REPORT", scratch.Path("report.txt"));
  const std::string before = Text(OSYS::GetCurrentDirectory());
  ASSERT_TRUE(OSYS::SetCurrentDirectory(fixtures.c_str()));
  const std::string here = Text(OSYS::GetCurrentDirectory());
  struct Case {
    std::string program, args, workdir, title;
    int exitcode;
    std::string cmdline, cwd;
    int show;  // -1: the program chooses
  };
  const Case cases[] = {
      {"\"" + program + "\"", "1000 0", "", "", 1000, "\"" + program + "\" 1000 0", here, -1},
      {program, "-5", scratch.Root(), "Norba test window", -5, "\"" + program + "\" -5", scratch.Root(), -1},
      {"*" + program, "7", "", "", 7, "\"" + program + "\" 7", here, SW_SHOWMINIMIZED},
      // Without arguments: the bare name from the current folder; a path with a blank quoted all the same.
      {"#exitcode.exe", "", "", "", 0, "exitcode.exe", here, SW_HIDE},
      {spaced, "", "", "", 0, "\"" + spaced + "\"", here, -1},
  };
  for (const auto& c : cases) {
    int exitcode = 12345;
    EXPECT_TRUE(OSYS::StartProgram(c.program.c_str(), c.args.c_str(), c.workdir.c_str(), c.title.c_str(),
                                   OSYS_START_SYNC, nullptr, &exitcode)) << c.program;
    EXPECT_EQ(exitcode, c.exitcode) << c.program;
    std::string got = Lower(scratch.ReadText("report.txt"));
    EXPECT_EQ(got.substr(0, got.find("title=")),
              Lower("cmdline=" + c.cmdline + "\ncwd=" + c.cwd + "\nshow=" + std::to_string(c.show) + "\n"));
    EXPECT_TRUE(c.title.empty() || testtext::Contains(got, "\ntitle=" + Lower(c.title) + "\n"));
    DeleteFileA(scratch.Path("report.txt").c_str());
  }
  OSYS::SetCurrentDirectory(before.c_str());
}

TEST_F(OsysTest, MissingResourceTextUserCurrentFolderAndWindowsVersion) {
  EXPECT_EQ(Text(OSYS::GetStringFromResource(4711, GetModuleHandleA(nullptr))), "<STRING-ERROR>");
  char user[256] = {};
  ASSERT_GT(GetEnvironmentVariableA("USERNAME", user, sizeof(user)), 0u);
  EXPECT_EQ(Lower(Text(OSYS::GetUserName())), Lower(user));
  EXPECT_FALSE(OSYS::SetCurrentDirectory(nullptr));
  // Wine reports Windows 7 unless the prefix says otherwise.
  EXPECT_EQ(OSYS::GetWindowsVersion(), 6);
  EXPECT_EQ(OSYS::WindowsVersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 10), 0);
  const int cases[][3] = {{4, 0, 1}, {5, 0, 2}, {5, 2, 4}, {6, 0, 5}, {6, 3, 8}, {6, 4, 8}, {10, 0, 9}, {11, 0, 9}};
  for (const auto& c : cases)
    EXPECT_EQ(OSYS::WindowsVersionCode(VER_PLATFORM_WIN32_NT, c[0], c[1]), c[2]) << c[0] << "." << c[1];
}

bool IsModuleLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

// Lookups, missing functions and freeing through Attach: the hook library tests.
TEST_F(OsysTest, LibraryIsLoadedByItsWholePathAndFreed) {
  EXPECT_FALSE(DLLINTERFACE("norba-no-such-library.dll").IsLoaded());
  // A library of ours, under a path longer than the name field: loaded by its whole path and freed.
  ScratchDir scratch;
  std::string relative = std::string(150, 'l') + "\\hookprobe.dll", probe = scratch.Path(relative);
  ASSERT_TRUE(scratch.CopyFileTo(FixtureDir() + "\\hookprobe.dll", relative));
  {
    DLLINTERFACE library(probe.c_str(), "SetupHook");
    EXPECT_NE(library.GetFunction(nullptr), nullptr);
    EXPECT_EQ(strlen(library.GetName()), 127u);
    EXPECT_TRUE(library.Load("kernel32.dll")) << "a new load frees the library held before";
    EXPECT_FALSE(IsModuleLoaded(probe));
    EXPECT_TRUE(library.Load(probe.c_str()));
  }
  EXPECT_FALSE(IsModuleLoaded(probe)) << "freed with the object";
}

}  // namespace
