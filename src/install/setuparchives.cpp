// SETUPARCHIVES: the walk over each setup archive, entry by entry, with the retry question, progress,
// "dummy.tmp" folder markers and the installed-file list.
#include "install/setuparchives.h"

#include <windows.h>

#include "diag/logit.h"
#include "diag/norbaassert.h"
#include "base/filename.h"
#include "base/osys.h"
#include "ids.h"
#include "install/unzipper.h"
#include "setup/configkeys.h"
#include "setup/setupconfig.h"

static const char kAssertUnit[] = "install";
// The line that reports of an empty "setup.fil" have always carried.
static const int kEmptyArchiveLine = 402;

const char* const kSetupArchives[kSetupArchiveCount] = {"setup.fil", "custom.fil", "custom.zip"};

// Entries whose name ends so only make the archive create their folder.
static const char kFolderMarker[] = "dummy.tmp";
// A custom archive that brings this file sets the custom-admin flag.
static const char kAdminIni[] = "admin.ini";

static bool IsFolderMarker(const STRING& entry) {
  int length = static_cast<int>(sizeof(kFolderMarker)) - 1;
  return entry.Length() >= length && entry.Right(length) == kFolderMarker;
}

// Language text `id` with "$FILE" and "$PROGRAM" filled in, both converted into the text's code page.
static WSTRING EntryMessage(int id, const STRING& entry, const STRING& appname) {
  STRING text = OSYS::GetStringFromResource(id);
  STRING file = entry.InCodePage(text.GetCodePage());
  STRING program = appname.InCodePage(text.GetCodePage());
  TEXTVARIABLES variables;
  variables.File = file.c_str();
  variables.Program = PATHTEXT(program).c_str();
  return WSTRING(ReplaceTextVariables(text, variables));
}

bool AskExtractRetry(const STRING& entry, const STRING& appname, bool hidden) {
  if (hidden) {
    logit("SETUP::ActualCopy cannot extract %s; hidden run: no retry question, the copy is cancelled\n",
          entry.c_str());
    return false;
  }
  WSTRING question = EntryMessage(IDS_EXTRACT_RETRY, entry, appname);
  WSTRING title(OSYS::GetStringFromResource(IDS_SETUP_TITLE));
  int answer = MessageBoxW(nullptr, question.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND);
  logit("SETUP::ActualCopy retry question for %s answered %d\n", entry.c_str(), answer);
  return answer == IDYES;
}

void ReportPermanentFailure(const char* archive, const STRING& entry, const STRING& appname, HWND owner,
                            bool hidden) {
  logit("SETUP::ActualCopy %s of %s can never be extracted; %s, the copy is cancelled\n", entry.c_str(), archive,
        hidden ? "hidden run: no message" : "error shown");
  if (hidden) return;
  WSTRING message = EntryMessage(IDS_EXTRACT_IMPOSSIBLE, entry, appname);
  WSTRING title(OSYS::GetStringFromResource(IDS_SETUP_TITLE));
  MessageBoxW(owner, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

SETUPARCHIVES::SETUPARCHIVES(HASH& config, const STRING& installfolder, bool hidden, const COPYWINDOWS& windows,
                             INSTALLEDFILES& files, int& customadmin)
    : Config(config),
      InstallFolder(installfolder),
      Hidden(hidden),
      Windows(windows),
      Files(files),
      CustomAdmin(customadmin),
      LastPercent(-1) {}

bool SETUPARCHIVES::ExtractAll() {
  for (int i = 0; i < kSetupArchiveCount; i++) {
    if (!ExtractArchive(i)) return false;
  }
  return true;
}

bool SETUPARCHIVES::ExtractArchive(int index) {
  const char* name = kSetupArchives[index];
  bool custom = index > 0;
  if (custom && !FILENAME(name).IsFile()) {
    logit("SETUP::ActualCopy %s not present\n", name);
    return true;
  }
  // Custom archives replace whatever they bring: the lists apply to "setup.fil" only.
  STRING asklist = custom ? STRING("", 1252) : ConfigText(Config, KEY_ASKOVERWRITE);
  STRING protectedlist = custom ? STRING("", 1252) : ConfigText(Config, KEY_PROTECTEDFILES);
  logit("[>>]SETUP::ActualCopy extracting %s to %s\n", name, InstallFolder.c_str());
  UNZIPPER archive(STRING(name, 1252), asklist, protectedlist);
  archive.SetQuestionOwner(Windows.GetWizard(), Hidden);
  Assert(archive.GetTotalSize() > 0 ? 1 : 0, "total>0", kAssertUnit, kEmptyArchiveLine);
  bool ok = ExtractWalk(archive, index);
  logit("[<<]SETUP::ActualCopy %s done, ok= %d\n", name, ok ? 1 : 0);
  return ok;
}

bool SETUPARCHIVES::ExtractWalk(UNZIPPER& archive, int index) {
  bool custom = index > 0;
  uint64_t totalbytes = archive.GetTotalSize();
  int totalentries = archive.GetCount();
  uint64_t bytes = 0;
  int entries = 0;
  STRING entry;
  for (uint64_t size = archive.First(entry); entry.IsNotEmpty(); size = archive.Next(entry)) {
    if (custom && entry == kAdminIni) CustomAdmin = 1;
    bool written = false;
    if (!ExtractEntry(archive, index, entry, &written)) return false;
    bytes += size;
    entries++;
    if (!custom) ShowProgress(bytes, totalbytes, entries, totalentries);
    Record(entry, written, size);
  }
  return true;
}

// A failure that would repeat itself is not offered for retry: it ends the copy as the answer No does.
bool SETUPARCHIVES::ExtractEntry(UNZIPPER& archive, int index, const STRING& entry, bool* written) {
  while (!archive.ExtractFile(entry.c_str(), InstallFolder.c_str(), written)) {
    if (archive.LastFailureIsPermanent()) {
      ReportPermanentFailure(kSetupArchives[index], entry, ConfigText(Config, KEY_APPNAME), Windows.GetWizard(),
                             Hidden);
      return false;
    }
    if (!AskExtractRetry(entry, ConfigText(Config, KEY_APPNAME), Hidden)) return false;
  }
  return true;
}

// Progress follows the bytes; an archive of empty files only is counted by its entries. The bar is
// sent a position only when the percentage changes.
void SETUPARCHIVES::ShowProgress(uint64_t bytes, uint64_t totalbytes, int entries, int totalentries) {
  int percent = totalbytes > 0 ? ProgressPercent(bytes, totalbytes)
                               : ProgressPercent(static_cast<uint64_t>(entries), static_cast<uint64_t>(totalentries));
  if (percent == LastPercent) return;
  LastPercent = percent;
  Windows.SetProgress(percent);
}

void SETUPARCHIVES::Record(const STRING& entry, bool written, uint64_t size) {
  if (!IsFolderMarker(entry)) {
    Files.Add(entry, size);
    return;
  }
  // Only a marker this archive wrote goes again: a kept file of that name is not the archive's to delete.
  if (!written) return;
  FILENAME marker = FILENAME::Join(InstallFolder, entry);
  bool deleted = marker.Delete();
  logit("SETUP::ActualCopy folder marker %s deleted= %d\n", marker.c_str(), deleted ? 1 : 0);
}
