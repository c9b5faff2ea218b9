// pageshot: starts a program and saves a PNG picture of every window state it shows, until it ends:
//   pageshot.exe <picture folder> <program> [arguments...]
// A state is a wizard page (header title, page window, whether Next can be pressed) or another window of
// the program (a message box: caption and text). A state is taken once it has stood still for a moment,
// so pages that pass themselves over leave no picture. The exit code is the program's.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "pngfile.h"
#include "screencapture.h"

namespace {

const int kTitleControl = 666;   // the wizard's header title
const int kNextButton = 149;
const DWORD kPollMs = 15;
// A state this old is painted: an unattended wizard shows each page for about 300 ms and paints it after
// the first 100 ms.
const DWORD kSteadyMs = 160;

class PROCESS {
 public:
  explicit PROCESS(const std::wstring& commandline) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring line = commandline;
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Info)) return;
    Info = PROCESS_INFORMATION{};
  }
  ~PROCESS() {
    if (Info.hThread) CloseHandle(Info.hThread);
    if (Info.hProcess) CloseHandle(Info.hProcess);
  }
  PROCESS(const PROCESS&) = delete;
  PROCESS& operator=(const PROCESS&) = delete;
  bool IsValid() const { return Info.hProcess != nullptr; }
  DWORD Id() const { return Info.dwProcessId; }
  bool Wait(DWORD ms) const { return WaitForSingleObject(Info.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 1;
    GetExitCodeProcess(Info.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION Info = {};
};

struct WINDOWSTATE {
  HWND Page = nullptr;
  std::wstring Title;
  bool Next = false;
  bool operator==(const WINDOWSTATE& other) const {
    return Page == other.Page && Title == other.Title && Next == other.Next;
  }
};

struct WATCHED {
  WINDOWSTATE Seen;       // the state as last polled
  DWORD SeenSince = 0;
  WINDOWSTATE Taken;      // the state last saved as a picture
  bool AnyTaken = false;
};

std::wstring WindowText(HWND window) {
  wchar_t text[512] = L"";
  if (window) GetWindowTextW(window, text, sizeof(text) / sizeof(text[0]));
  return text;
}

// The argument quoted for a command line, as CommandLineToArgvW reads it back.
std::wstring Quote(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      backslashes++;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == found->first && IsWindowVisible(window)) found->second.push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid) {
  std::pair<DWORD, std::vector<HWND>> found(pid, {});
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

// The visible child dialog of a wizard: its current page.
HWND CurrentPage(HWND wizard) {
  for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = L"";
    GetClassNameW(child, name, 16);
    if (IsWindowVisible(child) && std::wstring(name) == L"#32770") return child;
  }
  return nullptr;
}

// The first static text of a window: the message of a message box.
std::wstring FirstText(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = L"";
    GetClassNameW(child, name, 16);
    if (std::wstring(name) == L"Static" && !WindowText(child).empty()) return WindowText(child);
  }
  return L"";
}

WINDOWSTATE Describe(HWND window) {
  WINDOWSTATE state;
  HWND title = GetDlgItem(window, kTitleControl);
  if (title) {
    state.Page = CurrentPage(window);
    state.Title = WindowText(title);
    HWND next = GetDlgItem(window, kNextButton);
    state.Next = next && IsWindowVisible(next) && IsWindowEnabled(next);
  } else {
    state.Title = WindowText(window) + L" " + FirstText(window);
  }
  return state;
}

// A file name from a title: lower-case letters (accents taken off) and digits, runs of anything else as
// one "-".
std::wstring Slug(const std::wstring& title) {
  std::wstring slug;
  wchar_t plain[512] = L"";
  int length = FoldStringW(MAP_COMPOSITE, title.c_str(), -1, plain, 512);
  for (wchar_t c : std::wstring(plain, length > 0 ? length - 1 : 0)) {
    if (c >= 0x300 && c <= 0x36F) continue;  // the accents split off
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))
      slug += c;
    else if (!slug.empty() && slug.back() != L'-')
      slug += L'-';
    if (slug.size() >= 48) break;
  }
  while (!slug.empty() && slug.back() == L'-') slug.pop_back();
  return slug.empty() ? L"window" : slug;
}

bool IsBlank(const WINDOWPICTURE& picture) {
  for (size_t i = 3; i < picture.Rgb.size(); i++)
    if (picture.Rgb[i] != picture.Rgb[i % 3]) return false;
  return true;
}

class PAGESHOT {
 public:
  explicit PAGESHOT(const std::wstring& folder) : Folder(folder) {}

  // Looks at the program's windows once; saves those whose state has settled since it changed.
  void Poll(DWORD pid) {
    DWORD now = GetTickCount();
    for (HWND window : VisibleWindows(pid)) {
      WATCHED& watched = Windows[window];
      WINDOWSTATE state = Describe(window);
      if (!(state == watched.Seen) || watched.SeenSince == 0) {
        watched.Seen = state;
        watched.SeenSince = now;
        continue;
      }
      if (now - watched.SeenSince < kSteadyMs || (watched.AnyTaken && watched.Taken == state)) continue;
      if (Take(window, state.Title)) {
        watched.Taken = state;
        watched.AnyTaken = true;
      }
    }
  }

 private:
  // A picture of one colour is a window not painted yet: false, to try again at the next look.
  bool Take(HWND window, const std::wstring& title) {
    WINDOWPICTURE picture;
    if (!CaptureWindow(window, &picture) || IsBlank(picture)) return false;
    wchar_t number[8];
    swprintf(number, 8, L"%02d-", ++Count);
    std::wstring name = number + Slug(title) + L".png";
    bool saved = WritePng(Folder + L"\\" + name, picture.Width, picture.Height, picture.Rgb);
    wprintf(L"pageshot: %ls%ls\n", name.c_str(), saved ? L"" : L" (not written)");
    fflush(stdout);
    return true;
  }

  std::wstring Folder;
  std::map<HWND, WATCHED> Windows;
  int Count = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: pageshot.exe <picture folder> <program> [arguments...]\n");
    return 2;
  }
  std::wstring commandline;
  for (int i = 2; i < argc; i++) commandline += (i > 2 ? L" " : L"") + Quote(argv[i]);
  CreateDirectoryW(argv[1], nullptr);
  PROCESS program(commandline);
  if (!program.IsValid()) {
    fwprintf(stderr, L"pageshot: cannot start %ls (error %lu)\n", argv[2], GetLastError());
    return 2;
  }
  PAGESHOT shots(argv[1]);
  while (!program.Wait(kPollMs)) shots.Poll(program.Id());
  return static_cast<int>(program.ExitCode());
}
