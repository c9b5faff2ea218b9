// The removal worker in its order, and the rules that keep it inside what the installation made: file
// names that would reach outside the install folder are skipped, and whole-tree removal never empties a
// system or shell folder whatever the record says.
#include "uninstall/removal.h"

#include <commctrl.h>

#include <cstring>

#include "base/filename.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "ids.h"
#include "install/uninstallrecord.h"
#include "setup/setupdialog.h"

namespace {

// A partner product whose folders and settings belong to its own company.
const char kPartnerProduct[] = "TermBridge";  // ten characters
const char kPartnerCompany[] = "Bridgeway";

// A folder as it is compared: expanded, without trailing backslashes.
STRING Comparable(const STRING& folder) {
  FILENAME name(folder);
  STRING text = name;
  text.Trim('R', "\\/");
  return text;
}

// Whether `inner` is `outer` or lies below it.
bool IsAtOrBelow(const STRING& inner, const STRING& outer) {
  if (outer.IsEmpty() || inner.Length() < outer.Length()) return false;
  if (_strnicmp(inner.c_str(), outer.c_str(), static_cast<size_t>(outer.Length())) != 0) return false;
  return inner.Length() == outer.Length() || inner[outer.Length()] == '\\';
}

// The folders that hold the system and the users' things.
STRINGARRAY SystemFolders() {
  STRINGARRAY folders;
  for (int type : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 22}) folders.Add(Comparable(OSYS::GetSystemPath(type)));
  char path[MAX_PATH + 1];
  if (GetWindowsDirectoryA(path, sizeof(path))) folders.Add(Comparable(STRING(path, 1252)));
  if (GetSystemDirectoryA(path, sizeof(path))) folders.Add(Comparable(STRING(path, 1252)));
  for (const char* variable : {"USERPROFILE", "ALLUSERSPROFILE", "PUBLIC", "ProgramFiles", "ProgramFiles(x86)",
                               "ProgramW6432", "CommonProgramFiles", "TEMP", "SystemDrive"}) {
    DWORD n = GetEnvironmentVariableA(variable, path, sizeof(path));
    if (n > 0 && n < sizeof(path)) folders.Add(Comparable(STRING(path, 1252)));
  }
  return folders;
}

// A file element of the record that stays inside the install folder: relative, without a drive, a share
// or a ".." part.
bool IsInsideElement(const STRING& element) {
  if (element.IsEmpty() || element[0] == '\\' || element[0] == '/' || element.Pos(":") >= 0) return false;
  const char* p = element.c_str();
  for (const char* part = p;; part++) {
    const char* end = part;
    while (*end && *end != '\\' && *end != '/') end++;
    if (end - part == 2 && part[0] == '.' && part[1] == '.') return false;
    if (!*end) return true;
    part = end;
  }
}

// An element of the file list that the removal deletes: inside the install folder and not protected.
// `relative`: its name below the install folder with backslashes.
bool IsFileToDelete(const STRING& element, const STRINGARRAY& protect, FILENAME& relative) {
  if (!IsInsideElement(element)) {
    logit("UNINSTALL::Removal skips '%s': not a file of the install folder\n", element.c_str());
    return false;
  }
  STRING native = element;
  native.Replace("/", "\\", 1);
  relative = native;
  return protect.Find(relative.GetName().c_str()) < 0;
}

// The folders of a deleted file that it left empty, the deepest first, up to the first that is not empty.
void RemoveEmptiedFolders(const STRING& folder, const FILENAME& relative) {
  for (FILENAME part = relative.GetPath(); part.IsNotEmpty() && !(part == "."); part = part.GetPath()) {
    if (!RemoveDirectoryA(FILENAME::Join(folder, part).c_str())) break;
  }
}

void SetProgress(HWND bar, int percent) {
  if (bar) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

class REMOVAL {
 public:
  explicit REMOVAL(const REMOVALARG& arg) : Arg(arg), Services(arg.Services ? *arg.Services : REMOVALSERVICES()) {}
  void Execute();

 private:
  NORBA_NEWSETUPHOOKPROC NewHook() const { return Services.NewSetupHook ? Services.NewSetupHook() : nullptr; }
  NORBA_SETUPHOOKPROC OldHook() const { return Services.SetupHook ? Services.SetupHook() : nullptr; }
  void RunService();
  void RemoveStartMenu();
  void RemoveDesktopLinks();
  void RemoveEverything();
  void RemoveRegistrations();
  void RemoveFirewall();
  void ShowFinished();

  const REMOVALARG& Arg;
  REMOVALSERVICES Services;
  UNINSTALLRECORD Record;
};

void REMOVAL::Execute() {
  logit("[>>]UNINSTALL::Removal of %s, complete= %d\n", Arg.KeyName.c_str(), Arg.Complete ? 1 : 0);
  if (NewHook()) NewHook()(11, reinterpret_cast<INT_PTR>(Arg.Wizard), Arg.Progress, nullptr, nullptr, Arg.Complete ? 1 : 0);
  ReadUninstallRecord(Arg.KeyName.c_str(), Record);
  if (OldHook()) OldHook()(3, reinterpret_cast<INT_PTR>(Record.Path.c_str()));
  if (NewHook())
    NewHook()(14, reinterpret_cast<INT_PTR>(Arg.Wizard), Arg.Progress, nullptr, nullptr,
              reinterpret_cast<INT_PTR>(Record.Path.c_str()));
  RunService();
  int deleted = RemoveListedFiles(Record.Path, ListElements(Record.Files), ListElements(Record.Protect));
  // The install folder goes too once nothing is left in it.
  bool emptied = !IsSystemFolder(Record.Path) && RemoveDirectoryA(FILENAME(Record.Path).c_str());
  logit("UNINSTALL::Removal %d files deleted, install folder removed= %d\n", deleted, emptied ? 1 : 0);
  RemoveStartMenu();
  RemoveDesktopLinks();
  if (Arg.Complete) RemoveEverything();
  RemoveRegistrations();
  RemoveFirewall();
  REGISTRY(HKEY_LOCAL_MACHINE, kUninstallKey, nullptr, MachineKeyMode(REGISTRY_WRITE)).DeleteKey(Arg.KeyName.c_str(), true);
  OSYS::SetAutostart(Arg.KeyName.c_str(), nullptr);
  if (OldHook()) OldHook()(4, 0);
  if (NewHook()) NewHook()(12, reinterpret_cast<INT_PTR>(Arg.Wizard), Arg.Progress, nullptr, nullptr, 0);
  for (int percent = 0; percent <= 100; percent += 5) {
    SetProgress(Arg.Progress, percent);
    if (!Arg.Hidden) Sleep(50);
  }
  ShowFinished();
  logit("[<<]UNINSTALL::Removal done\n");
}

void REMOVAL::RunService() {
  FILENAME service(Record.ServiceExe);
  if (Record.ServiceExe.IsEmpty() || !service.Exists()) return;
  for (const char* command : {"/STOP", "/UNINSTALL"}) {
    int exitcode = 0;
    OSYS::StartProgram(service.c_str(), command, Record.Path.c_str(), "Norba Service-Control", OSYS_START_SYNC, nullptr,
                       &exitcode);
    logit("UNINSTALL::Removal service %s %s: %d\n", service.c_str(), command, exitcode);
  }
}

// The listed links, then the sub-folders that are empty now, then the folder itself.
void REMOVAL::RemoveStartMenu() {
  FILENAME folder(Record.Startmenu);
  // A programs menu itself is not the product's to empty.
  if (Record.Startmenu.IsEmpty() || !folder.IsDirectory() || IsSystemFolder(folder)) return;
  STRINGARRAY links = ListElements(Record.StartmenuFiles);
  for (int i = 0; i < links.Count(); i++) {
    if (!IsInsideElement(links[i])) continue;
    for (const char* extension : {".LNK", ".URL"}) FILENAME::Join(folder, links[i] + extension).Delete();
  }
  STRINGARRAY entries;
  FILETREE::ListFiles(folder, "*", &entries, false);
  for (int i = 0; i < entries.Count(); i++) {
    FILENAME entry(entries[i]);
    if (entry.IsDirectory() && entry.GetName().Length() > 0 && entry.GetName()[0] != '.') RemoveDirectoryA(entry.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

void REMOVAL::RemoveDesktopLinks() {
  STRING desktop = OSYS::GetSystemPath(8);
  STRINGARRAY links = ListElements(Record.DesktopFiles);
  for (int i = 0; i < links.Count(); i++)
    if (IsInsideElement(links[i])) FILENAME::Join(desktop, links[i] + ".LNK").Delete();
}

// The install folder and the user's data folder at its standard places, and the product's settings keys.
void REMOVAL::RemoveEverything() {
  if (IsSystemFolder(Record.Path))
    logit("UNINSTALL::Removal keeps %s: a folder of the system\n", Record.Path.c_str());
  else
    FILETREE::DeleteTree(Record.Path.c_str(), "*.*", true);
  STRING owner = FolderOwner(Arg.KeyName);
  STRING settings = STRING("Software\\", 1252) + owner;
  REGISTRY userkey(HKEY_CURRENT_USER, (STRING("Software\\Norba\\", 1252) + Arg.KeyName).c_str(), nullptr, REGISTRY_READ);
  STRING datadir;
  userkey.Read("ApplicationDataDir", datadir);
  userkey.Close();
  for (int type : {5, 13}) {
    STRING standard = Comparable(FILENAME::Join(FILENAME::Join(OSYS::GetSystemPath(type), owner), Arg.KeyName));
    if (datadir.IsNotEmpty() && FILENAME(datadir).IsDirectory() && Comparable(datadir) == standard) {
      FILETREE::DeleteTree(datadir.c_str(), "*.*", true);
      break;
    }
  }
  REGISTRY(HKEY_CURRENT_USER, settings.c_str(), nullptr, REGISTRY_WRITE).DeleteKey(Arg.KeyName.c_str(), true);
  REGISTRY(HKEY_LOCAL_MACHINE, settings.c_str(), nullptr, MachineKeyMode(REGISTRY_WRITE)).DeleteKey(Arg.KeyName.c_str(), true);
}

void REMOVAL::RemoveRegistrations() {
  STRINGARRAY classes = ListElements(Record.RootClasses);
  for (int i = 0; i < classes.Count(); i++) {
    LONG rc = REGISTRY::DeleteKeyTree(HKEY_CLASSES_ROOT, classes[i].c_str(), 0);
    logit("UNINSTALL::Removal root class %s: %d\n", classes[i].c_str(), static_cast<int>(rc));
  }
}

void REMOVAL::RemoveFirewall() {
  STRINGARRAY listed = ListElements(Record.Firewall);
  if (listed.Count() == 0 || !Services.RemoveFirewallExceptions) return;
  STRINGARRAY programs;
  for (int i = 0; i < listed.Count(); i++)
    if (IsInsideElement(listed[i])) programs.Add(FILENAME::Join(Record.Path, listed[i]));
  Services.RemoveFirewallExceptions(programs);
}

void REMOVAL::ShowFinished() {
  SetDlgItemTextW(Arg.Wizard, IDC_FRAME_TITLE, WSTRING(OSYS::GetStringFromResource(IDS_REMOVE_DONE_TITLE)).c_str());
  SetDlgItemTextW(Arg.Wizard, IDC_FRAME_SUBTITLE, L"");
  SetDlgItemTextW(Arg.Page, IDC_REMOVE_DONE, WSTRING(OSYS::GetStringFromResource(IDS_REMOVE_DONE_TEXT)).c_str());
  ShowWindow(GetDlgItem(Arg.Page, IDC_REMOVE_DONE), SW_SHOW);
  ShowWindow(GetDlgItem(Arg.Page, IDC_REMOVE_STATUS), SW_HIDE);
  SendMessageA(Arg.Wizard, WM_NORBA_FOCUSCONTROL, IDC_WIZARD_CANCEL, 0);
  EnableWindow(GetDlgItem(Arg.Wizard, IDC_WIZARD_BACK), TRUE);
  EnableWindow(GetDlgItem(Arg.Wizard, IDC_WIZARD_CANCEL), TRUE);
}

}  // namespace

STRINGARRAY ListElements(const STRING& list) {
  STRINGARRAY elements;
  DYNARRAYLOCK lock(elements);  // once for thousands of elements
  elements.Split(list.c_str(), list.Length(), "|");
  for (int i = 0; i < elements.Count(); i++) {
    if (elements[i].IsNotEmpty()) continue;
    while (elements.Count() > i) elements.DeleteItem(elements.Count() - 1);
    break;
  }
  return elements;
}

int RemoveListedFiles(const STRING& folder, const STRINGARRAY& files, const STRINGARRAY& protect) {
  // Held once for the whole walk: thousands of files are not thousands of waits for the lists' locks.
  DYNARRAYLOCK fileslock(files);
  DYNARRAYLOCK protectlock(protect);
  int deleted = 0;
  FILENAME relative;
  bool wanted = files.Count() > 0 && IsFileToDelete(files[0], protect, relative);
  for (int i = 0; i < files.Count(); i++) {
    FILENAME following;
    bool followingwanted = i + 1 < files.Count() && IsFileToDelete(files[i + 1], protect, following);
    if (wanted) {
      if (FILENAME::Join(folder, relative).Delete()) deleted++;
      // While the next file to delete lies in the same folder, that folder still holds it and the next
      // file's turn tries the folders instead: thousands of files do not cost a failed removal each.
      if (!followingwanted || !(following.GetPath() == relative.GetPath())) RemoveEmptiedFolders(folder, relative);
    }
    relative = following;
    wanted = followingwanted;
  }
  return deleted;
}

bool IsSystemFolder(const STRING& folder) {
  STRING candidate = Comparable(folder);
  if (candidate.Length() <= 3) return true;  // empty, "C:" or "C:\"
  STRINGARRAY system = SystemFolders();
  for (int i = 0; i < system.Count(); i++)
    if (system[i].IsNotEmpty() && IsAtOrBelow(system[i], candidate)) return true;
  return false;
}

STRING FolderOwner(const STRING& keyname) {
  bool partner = keyname.Length() >= 10 && _strnicmp(keyname.c_str(), kPartnerProduct, 10) == 0;
  return STRING(partner ? kPartnerCompany : "Norba", 1252);
}

unsigned __stdcall RemoveProduct(void* arg) {
  if (!arg) return 0;
  REMOVAL(*static_cast<REMOVALARG*>(arg)).Execute();
  return 0;
}
