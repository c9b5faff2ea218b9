// The uninstaller's start: the record, the one uninstaller per product, the question, the copy into a
// folder of its own below TEMP and its start with -final, or the removal in place; then the removal
// wizard, and the copy's files scheduled for deletion at the next restart.
#define _CRT_RAND_S
#include "uninstall/uninstall.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "install/uninstallrecord.h"
#include "setup/setupconfig.h"
#include "uninstall/removalwizard.h"
#include "ui/winnorba.h"

namespace {

const char kCopyFolderPrefix[] = "NorbaUninstall.";

// The named mutex of one product's uninstaller, closed with the object.
class UNINSTALLMUTEX {
 public:
  explicit UNINSTALLMUTEX(const STRING& appname) {
    Handle = CreateMutexA(nullptr, FALSE, (STRING("Norba_Uninstall_", 1252) + appname).c_str());
    Taken = Handle && GetLastError() == ERROR_ALREADY_EXISTS;
  }
  ~UNINSTALLMUTEX() { Close(); }
  UNINSTALLMUTEX(const UNINSTALLMUTEX&) = delete;
  UNINSTALLMUTEX& operator=(const UNINSTALLMUTEX&) = delete;
  // Another uninstaller of the product runs.
  bool TakenByAnother() const { return Taken; }
  void Close() {
    if (Handle) CloseHandle(Handle);
    Handle = nullptr;
  }

 private:
  HANDLE Handle = nullptr;
  bool Taken = false;
};

STRING Filled(int textid, const char* variable, const STRING& value) {
  STRING text = OSYS::GetStringFromResource(textid);
  text.Replace(variable, value.InCodePage(text.GetCodePage()).c_str(), 1);
  return text;
}

// A folder below TEMP that nobody can have prepared: made by us, with a random name; empty when none.
STRING MakeCopyFolder() {
  char temp[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("TEMP", temp, sizeof(temp));
  if (n == 0 || n >= sizeof(temp) || !FILENAME(STRING(temp, 1252)).IsDirectory()) return STRING();
  for (int attempt = 0; attempt < 8; attempt++) {
    unsigned high = 0, low = 0;
    if (rand_s(&high) != 0 || rand_s(&low) != 0) return STRING();
    char name[64];
    snprintf(name, sizeof(name), "%s%08X%08X", kCopyFolderPrefix, high, low);
    FILENAME folder = FILENAME::Join(STRING(temp, 1252), name);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
  }
  return STRING();
}

// Copies the program and its language libraries into a folder of its own and starts the copy there.
// False when that could not be done (the removal then runs in place). `exitcode`: the copy's, when
// waited for.
bool Relaunch(const char* programpath, const UNINSTALLACTIONS& actions, const STRING& folder, UNINSTALLMUTEX& mutex,
              int* exitcode) {
  STRINGARRAY files;
  FILETREE::ListFiles(folder.c_str(), "setup*.dll", &files, false);
  if (files.Count() < 2) return false;
  STRING copyfolder = MakeCopyFolder();
  if (copyfolder.IsEmpty()) return false;
  files.Insert(0, STRING(programpath, 1252));
  bool copied = true;
  for (int i = 0; i < files.Count(); i++) {
    FILENAME source(files[i]);
    copied = CopyFileA(source.c_str(), FILENAME::Join(copyfolder, source.GetName()).c_str(), FALSE) && copied;
  }
  if (!copied) {
    // Nothing of a copy that cannot run is left in TEMP.
    FILETREE::DeleteTree(copyfolder.c_str(), "*.*", true);
    return false;
  }
  FILENAME copy = FILENAME::Join(copyfolder, FILENAME(STRING(programpath, 1252)).GetName());
  STRING arguments = STRING("-remove \"", 1252) + actions.KeyName + "\" -final" + (actions.Hide ? " /HIDE" : "");
  // The copy takes the product's mutex for itself.
  mutex.Close();
  int code = 0;
  bool started = OSYS::StartProgram(copy.c_str(), arguments.c_str(), copyfolder.c_str(), nullptr,
                                    actions.Hide ? OSYS_START_SYNC : 0, nullptr, &code);
  logit("UNINSTALL started %s %s: %d, exit code %d\n", copy.c_str(), arguments.c_str(), started ? 1 : 0, code);
  if (!started) FILETREE::DeleteTree(copyfolder.c_str(), "*.*", true);
  *exitcode = !started ? REMOVE_FAILED : actions.Hide ? code : REMOVE_DONE;
  return true;
}

// A copy that runs from a folder of its own below TEMP leaves that folder to the next restart.
void ScheduleCopyDeletion(const char* programpath) {
  FILENAME program(STRING(programpath, 1252));
  FILENAME folder = program.GetPath();
  char temp[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("TEMP", temp, sizeof(temp));
  if (n == 0 || n >= sizeof(temp)) return;
  bool ours = FILENAME(STRING(temp, 1252)) == folder.GetPath() &&
              _strnicmp(folder.GetName().c_str(), kCopyFolderPrefix, sizeof(kCopyFolderPrefix) - 1) == 0;
  if (!ours) return;
  STRINGARRAY files;
  FILETREE::ListFiles(folder.c_str(), "*", &files, false);
  for (int i = 0; i < files.Count(); i++) MoveFileExA(files[i].c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  logit("UNINSTALL %s and its %d files go at the next restart\n", folder.c_str(), files.Count());
}

}  // namespace

int RunUninstall(const char* programpath, const UNINSTALLACTIONS& actions) {
  logit("[>>]UNINSTALL %s, final= %d, hidden= %d\n", actions.KeyName.c_str(), actions.Final ? 1 : 0, actions.Hide ? 1 : 0);
  WINNORBA::SetNobodyWatching(actions.Hide);
  UNINSTALLRECORD record;
  bool found = actions.KeyName.IsNotEmpty() && ReadUninstallRecord(actions.KeyName.c_str(), record);
  STRING appname = record.AppName.IsNotEmpty() ? record.AppName : actions.KeyName;
  STRING title = OSYS::GetStringFromResource(IDS_REMOVE_BOX_TITLE);
  title.Replace("Norba", appname.InCodePage(title.GetCodePage()).c_str(), 1);
  UNINSTALLMUTEX mutex(appname);
  if (mutex.TakenByAnother()) {
    logit("[<<]UNINSTALL another uninstaller of %s runs\n", appname.c_str());
    return REMOVE_DONE;
  }
  if (!found || record.Path.IsEmpty()) {
    WINNORBA::ErrorMsgBox(nullptr, STRING("Norba Uninstall", 1252),
                          STRING("Files missing or this software has already been uninstalled!", 1252));
    logit("[<<]UNINSTALL no record\n");
    return actions.Hide ? REMOVE_NOT_INSTALLED : REMOVE_DONE;
  }
  if (!actions.Final) {
    if (!actions.Hide && !WINNORBA::YesNoMsgBox(nullptr, title, Filled(IDS_REMOVE_QUESTION, "$PROGRAM", appname))) {
      logit("[<<]UNINSTALL declined\n");
      return REMOVE_DONE;
    }
    int exitcode = REMOVE_DONE;
    if (Relaunch(programpath, actions, record.Path, mutex, &exitcode)) {
      logit("[<<]UNINSTALL handed over to the copy: %d\n", exitcode);
      return exitcode;
    }
    WINNORBA::InfoMsgBox(nullptr, STRING("Uninst", 1252), STRING("Cannot copy to temp directory. Local uninstall.", 1252));
  }
  if (actions.ChooseProductHook) actions.ChooseProductHook(actions.KeyName.c_str());
  REMOVALSTATE state{actions.KeyName, record.Path, appname, title};
  int result = RunRemovalWizard(state, actions);
  ScheduleCopyDeletion(programpath);
  logit("[<<]UNINSTALL wizard result %d\n", result);
  return actions.Hide && result != 1 ? REMOVE_FAILED : REMOVE_DONE;
}
