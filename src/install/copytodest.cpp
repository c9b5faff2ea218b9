// CopyToDest: where each loose file goes, and the copy itself with the read-only attribute of an older
// copy cleared before and of the new one after.
#include "install/copytodest.h"

#include <windows.h>

#include "diag/logit.h"
#include "base/filename.h"
#include "setup/configkeys.h"

STRING CopyToDestTarget(const STRING& installfolder, const STRING& item) {
  FILENAME name = FILENAME(item).GetName();
  if (name.IsEmpty() || name == "." || name == "..") return STRING();
  return FILENAME::Join(installfolder, name);
}

// Whether two names lead to the same file (the full paths are compared, ignoring case).
static bool IsSameFile(const FILENAME& a, const FILENAME& b) {
  char fulla[MAX_PATH];
  char fullb[MAX_PATH];
  DWORD na = GetFullPathNameA(a.c_str(), sizeof(fulla), fulla, nullptr);
  DWORD nb = GetFullPathNameA(b.c_str(), sizeof(fullb), fullb, nullptr);
  if (na == 0 || na >= sizeof(fulla) || nb == 0 || nb >= sizeof(fullb)) return a == b;
  return STRING::stricmp(fulla, fullb, 0) == 0;
}

static void ClearReadOnly(const FILENAME& file) {
  if (file.Exists()) file.SetReadOnly(false);
}

static void CopyLooseFile(const STRING& item, const STRING& installfolder, INSTALLEDFILES& files) {
  FILENAME source(item);
  FILENAME target;
  target = CopyToDestTarget(installfolder, item);
  if (target.IsEmpty()) {
    logit("SETUP::ActualCopy CopyToDest item '%s' names no file, skipped\n", item.c_str());
    return;
  }
  ClearReadOnly(target);
  if (IsSameFile(source, target)) {
    logit("SETUP::ActualCopy CopyToDest %s is its own destination, not copied\n", source.c_str());
  } else {
    source.CopyTo(target, true);
  }
  files.AddFile(target.GetName().c_str(), target);
  ClearReadOnly(target);
}

void CopyLooseFiles(HASH& config, const STRING& installfolder, INSTALLEDFILES& files) {
  STRING list = ConfigText(config, KEY_COPYTODEST);
  for (int i = 0;; i++) {
    STRING item = list.GetToken(i, "|");
    item.Trim('B', " \t");
    if (item.IsEmpty()) break;
    CopyLooseFile(item, installfolder, files);
  }
}
