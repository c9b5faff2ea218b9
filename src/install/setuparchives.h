// SETUPARCHIVES: extraction of the setup archives "setup.fil", "custom.fil" and "custom.zip" from the
// working folder into the installation folder, with the progress of "setup.fil", the retry question for
// an entry that cannot be written, the folder-only "dummy.tmp" entries and the custom-admin flag.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/hash.h"
#include "base/strings.h"
#include "install/copywindows.h"
#include "install/installedfiles.h"

class UNZIPPER;

// The archives in the order they are extracted; a later archive wins over an earlier one.
constexpr int kSetupArchiveCount = 3;
extern const char* const kSetupArchives[kSetupArchiveCount];

// The answer to the retry question about an entry that could not be extracted; true repeats the
// extraction. It is shown with no owner window; in a hidden run nobody could answer, so it is not
// shown and the answer is No.
bool AskExtractRetry(const STRING& entry, const STRING& appname, bool hidden);

// Tells that `entry` of `archive` can never be extracted (its name is refused, its data cannot be read), so
// the copy is cancelled: an error box (text 2990) owned by `owner`, or in a hidden run only a trace line.
void ReportPermanentFailure(const char* archive, const STRING& entry, const STRING& appname, HWND owner,
                            bool hidden);

class SETUPARCHIVES {
 public:
  // `config` gives AskOverwrite and ProtectedFiles (for "setup.fil" only; custom archives always
  // overwrite) and AppName; `customadmin` is set to 1 when a custom archive brings "admin.ini".
  SETUPARCHIVES(HASH& config, const STRING& installfolder, bool hidden, const COPYWINDOWS& windows,
                INSTALLEDFILES& files, int& customadmin);

  // Extracts the three archives in order, recording every file. False when the user declined to retry
  // an entry, or an entry can never be extracted: the remaining entries and archives are left out.
  bool ExtractAll();

 private:
  bool ExtractArchive(int index);
  bool ExtractWalk(UNZIPPER& archive, int index);
  bool ExtractEntry(UNZIPPER& archive, int index, const STRING& entry, bool* written);
  void ShowProgress(uint64_t bytes, uint64_t totalbytes, int entries, int totalentries);
  void Record(const STRING& entry, bool written, uint64_t size);

  HASH& Config;
  STRING InstallFolder;
  bool Hidden;
  const COPYWINDOWS& Windows;
  INSTALLEDFILES& Files;
  int& CustomAdmin;
  int LastPercent;
};
