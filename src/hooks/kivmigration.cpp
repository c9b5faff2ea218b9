// The migration of an earlier generation's user data and the initial data archive: a filtered copy of
// the earlier data folder into a backup folder and the new data folder, the renames and the rewritten
// SSH settings in "Options", and the unpacking of "kivfiles.zip".
#include "hooks/kivmigration.h"

#include "base/filename.h"
#include "base/filetree.h"
#include "base/registry.h"
#include "base/stringarray.h"
#include "diag/logit.h"
#include "install/unzipper.h"

namespace {

const char* const kSkippedEndings[] = {".log", ".fee", ".kph", ".gid", ".hlp", ".bak"};
constexpr char kDummyEntry[] = "dummy.tmp";

STRING WithBackslash(const STRING& folder) {
  STRING text = folder;
  text.Trim('R', "\\");
  return text + "\\";
}

bool Known(const STRING& tag) { return tag == "V5" || tag == "V6" || tag == "V7"; }
bool Legacy(const STRING& tag) { return tag == "V4" || tag == "V3"; }
const char* const kLegacyFolders[] = {"Options", "Script", "SSH"};

// The Path and script lines of standard.cfg: the earlier folder becomes "%KIVFILES%".
void RewriteStandardConfig(const FILENAME& file, const STRING& earlier) {
  STRINGARRAY lines;
  if (lines.Load(file.c_str(), false) <= 0) return;
  STRING text;
  for (int i = 0; i < lines.Count(); i++) {
    STRING line = lines[i];
    STRING start = line.Left(6);
    if (start.Left(4) == "Path" || start == "script") line.Replace(earlier.c_str(), "%KIVFILES%", 0);
    text.Append(line).Append("\r\n");
  }
  text.Save(file.c_str());
}

// Renames `from` to `to` in `folder` when `to` is missing and `from` exists.
void RenameIfFree(const STRING& folder, const char* from, const char* to) {
  FILENAME source(folder.c_str(), from), target(folder.c_str(), to);
  if (!target.Exists() && source.Exists()) source.Rename(target.c_str(), false);
}

void ResetRexxOptions() {
  REGISTRY rexx("ExecOptions", "Software\\Enterprise Alternatives\\REXX", 1);
  rexx.WriteDWORD("GlobalSCBs", 0);
}

}  // namespace

bool KivMigrationSkips(const STRING& file) {
  STRING ending = file.Right(4);
  for (const char* skipped : kSkippedEndings)
    if (ending == skipped) return true;
  return false;
}

bool KivFolderWithin(const STRING& folder, const STRING& earlier) {
  STRING inner = WithBackslash(folder), outer = WithBackslash(earlier);
  return inner.Left(outer.Length()) == outer;
}

void KivRenameOptions8(const STRING& options) {
  RenameIfFree(options, "ColorTable.kivini", "Standard.kpal");
  RenameIfFree(options, "colortable.ini", "Standard.kpal");
  RenameIfFree(options, "kivhosts.ini", "hostdirectory.kivini");
}

void KivRenameColorTable(const STRING& options) { RenameIfFree(options, "colortable.ini", "ColorTable.kivini"); }

void KivRewriteSshSettings(const STRING& options, const STRING& earlier, const STRING& folder) {
  FILENAME file(options.c_str(), "devssh_global.ini");
  STRING text;
  if (!text.Load(file.c_str())) return;
  text.Replace(FILENAME(earlier.c_str()).c_str(), FILENAME(folder.c_str()).c_str(), 0);
  text.Save(file.c_str());
}

void KivMigrate(bool yes, const STRING& tag, const STRING& earlier, const STRING& folder,
                void (*renames)(const STRING& options)) {
  logit("[>>]SETUP::KivMigrate %d %s %s -> %s\n", yes, tag.c_str(), earlier.c_str(), folder.c_str());
  FILENAME source(earlier.c_str()), target(folder.c_str());
  // Never from a root, never into the earlier folder itself or below it.
  bool copyable = yes && source.IsBelowRoot() && !KivFolderWithin(target, source);
  if (copyable && Known(tag)) {
    STRINGARRAY found, kept;
    FILETREE::ListFiles(source, "*", &found, true);
    for (int i = 0; i < found.Count(); i++)
      if (!KivMigrationSkips(found[i])) kept.Add(found[i].c_str());
    FILENAME backup(target.c_str(), ("KIV Files " + tag + " Backup").c_str());
    FILETREE::CopyList(source, backup, kept, false);
    FILETREE::CopyList(source, target, kept, false);
    FILENAME options(target.c_str(), "Options");
    renames(options);
    KivRewriteSshSettings(options, source, target);
  } else if (copyable && Legacy(tag)) {
    KivMigrateLegacy(source, target);
  }
  ResetRexxOptions();
  logit("[<<]SETUP::KivMigrate\n");
}

void KivMigrateLegacy(const STRING& earlier, const STRING& folder) {
  FILENAME backup(folder.c_str(), "Previous Version Files (Backup)");
  for (const char* sub : kLegacyFolders) {
    FILENAME from(earlier.c_str(), sub);
    if (!from.IsDirectory()) continue;
    FILETREE::CopyTree(from, FILENAME(backup.c_str(), sub), "*", true, false);
    FILETREE::CopyTree(from, FILENAME(folder.c_str(), sub), "*", true, false);
  }
  FILENAME options(folder.c_str(), "Options");
  FILENAME colours(options.c_str(), "Colortable.cfg");
  if (colours.IsFile() && colours.CopyTo(FILENAME(options.c_str(), "Colortable.kivini"), false))
    colours.Rename("Colortable.cfg.old", false);
  for (const char* hosts : {"KIVHOSTS.INI", "PHONEBK"})
    if (FILENAME(earlier.c_str(), hosts).CopyTo(FILENAME(folder.c_str(), hosts), true)) break;
  RewriteStandardConfig(FILENAME(options.c_str(), "standard.cfg"), earlier);
}

bool KivUnpackInitialData(const STRING& archive, const STRING& folder) {
  UNZIPPER zip(archive, STRING(), STRING());
  if (!zip.IsOpen()) return false;
  STRING name;
  for (zip.First(name); name.IsNotEmpty(); zip.Next(name)) {
    zip.ExtractFile(name.c_str(), folder.c_str());
    if (name.Right(static_cast<int>(sizeof(kDummyEntry)) - 1) == kDummyEntry) FILENAME(folder.c_str(), name.c_str()).Delete();
  }
  return true;
}
