// OSYS services on a real system: shell folders with the registry-then-shell fall-back, program start
// (exit codes, command lines, a window-state prefix) with the exitcode fixture, a missing resource text,
// the current folder and the Windows version codes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "assertreports.h"
#include "base/osys.h"
#include "scopedenvironment.h"
#include "scratchdir.h"
#include "testtext.h"

namespace {

using testtext::Lower;
using uidriver::ScratchDir;

class OsysTest : public AssertReportsTest {};

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

// The "Desktop" value of the user's shell folders, put back as it was when the object goes.
class SavedDesktop {
 public:
  SavedDesktop() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    had_ = RegQueryValueExA(key_, "Desktop", nullptr, &type_, saved_, &size_) == ERROR_SUCCESS;
  }
  ~SavedDesktop() {
    if (had_)
      RegSetValueExA(key_, "Desktop", 0, type_, saved_, size_);
    else
      RegDeleteValueA(key_, "Desktop");
    RegCloseKey(key_);
  }
  void Set(DWORD type, const std::string& data) const {
    RegSetValueExA(key_, "Desktop", 0, type, reinterpret_cast<const BYTE*>(data.data()), data.size());
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  BYTE saved_[4096];
  DWORD type_ = REG_NONE, size_ = sizeof(saved_);
};

TEST_F(OsysTest, ShellFolderComesExpandedAndWholeFromTheRegistryElseFromTheShell) {
  const std::string shell = Lower(testtext::ShellFolder(CSIDL_DESKTOPDIRECTORY)) + "\\";
  char root[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, sizeof(root)), 0u);
  // A long folder is returned whole, never cut into a shorter folder that might exist.
  const std::string longexpanded = "\\" + std::string(1500, 'e');
  SavedDesktop desktop;
  desktop.Set(REG_DWORD, std::string("\x01\x00\x00\x00", 4));  // no text
  EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), shell);
  desktop.Set(REG_SZ, "%SystemRoot%" + longexpanded + '\0');
  EXPECT_EQ(Lower(Text(OSYS::GetSystemPath(8))), Lower(root + longexpanded) + "\\");
}

// One synchronous start of the exitcode fixture per case, in the fixture folder as the current folder: the
// exit code, and the fixture's report of its command line, working folder, window state and title.
TEST_F(OsysTest, ProgramsStartWithTheirCommandLineFolderAndWindowStateAndGiveTheirExitCode) {
  ScratchDir scratch;
  std::string fixtures = NORBA_TEST_FIXTURE_DIR;
  std::replace(fixtures.begin(), fixtures.end(), '/', '\\');
  const std::string program = fixtures + "\\exitcode.exe";
  const std::string spaced = scratch.Path("my tools\\exitcode.exe");
  ASSERT_TRUE(scratch.CopyFileTo(program, "my tools\\exitcode.exe"));
  ASSERT_TRUE(scratch.CopyFileTo(program, "my.exe"));  // must not run for "my tools\exitcode.exe"
  ScopedEnvironment report("NORBA_EXITCODE_REPORT", scratch.Path("report.txt"));
  const std::string before = Text(OSYS::GetCurrentDirectory());
  ASSERT_TRUE(OSYS::SetCurrentDirectory(fixtures.c_str()));
  const std::string here = Text(OSYS::GetCurrentDirectory());
  struct Case {
    std::string program, args, workdir, title, cmdline, cwd;
    int show;  // -1: the program chooses
  };
  const Case cases[] = {
      // The exit code is the first argument.
      {"\"" + program + "\"", "-5", scratch.Root(), "Norba test window", "\"" + program + "\" -5", scratch.Root(), -1},
      // Without arguments: the bare name from the current folder; a path with a blank quoted all the same.
      {"#exitcode.exe", "", "", "", "exitcode.exe", here, SW_HIDE},
      {spaced, "", "", "", "\"" + spaced + "\"", here, -1},
  };
  for (const auto& c : cases) {
    int exitcode = 12345;
    EXPECT_TRUE(OSYS::StartProgram(c.program.c_str(), c.args.c_str(), c.workdir.c_str(), c.title.c_str(),
                                   OSYS_START_SYNC, nullptr, &exitcode)) << c.program;
    EXPECT_EQ(exitcode, atoi(c.args.c_str())) << c.program;
    std::string got = Lower(scratch.ReadText("report.txt"));
    EXPECT_EQ(got.substr(0, got.find("title=")),
              Lower("cmdline=" + c.cmdline + "\ncwd=" + c.cwd + "\nshow=" + std::to_string(c.show) + "\n"));
    EXPECT_TRUE(c.title.empty() || testtext::Contains(got, "\ntitle=" + Lower(c.title) + "\n"));
    DeleteFileA(scratch.Path("report.txt").c_str());
  }
  OSYS::SetCurrentDirectory(before.c_str());
}

TEST_F(OsysTest, MissingResourceTextNullFolderAndWindowsVersionCodes) {
  EXPECT_EQ(Text(OSYS::GetStringFromResource(4711, GetModuleHandleA(nullptr))), "<STRING-ERROR>");
  EXPECT_FALSE(OSYS::SetCurrentDirectory(nullptr));
  EXPECT_EQ(OSYS::WindowsVersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 10), 0);
  const int cases[][3] = {{4, 0, 1}, {5, 0, 2}, {5, 2, 4}, {6, 0, 5}, {6, 3, 8}, {6, 4, 8}, {10, 0, 9}, {11, 0, 9}};
  for (const auto& c : cases)
    EXPECT_EQ(OSYS::WindowsVersionCode(VER_PLATFORM_WIN32_NT, c[0], c[1]), c[2]) << c[0] << "." << c[1];
}

}  // namespace
