// Writing the uninstall record at the end of the copy, in the order and under the conditions the
// uninstaller relies on, and reading it back. A value that cannot be written is traced by REGISTRY and
// the following values are still written.
#include "install/uninstallrecord.h"

#include <windows.h>

#include <cstdio>

#include "diag/logit.h"
#include "base/filename.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "base/stringarray.h"
#include "install/registration.h"
#include "setup/configkeys.h"
#include "version.h"

namespace {

const char kPublisherAddress[] = "http://www.norba.example/";

// The values shown by the system's list of installed programs.
void WriteDisplayValues(REGISTRY& record, HASH& config, const STRING& dir) {
  STRING version = ConfigText(config, KEY_APPVERSION);
  record.WriteString("DisplayName", PlainText(ConfigText(config, KEY_STARTMENUNAME)));
  record.WriteString("DisplayVersion", PlainText(version));
  record.WriteString("DisplayIcon", PlainText(dir + ConfigText(config, KEY_UNINSTALLICON)));
  record.WriteString("Publisher", NORBA_COMPANY);
  record.WriteString("URLInfoAbout", kPublisherAddress);
  record.WriteString(kRecordAppName, PlainText(ConfigText(config, KEY_APPNAME)));
  record.WriteString("Version", PlainText(version));
}

// The command Windows runs to remove the product, and what the removal undoes.
void WriteRemovalValues(REGISTRY& record, HASH& config, const UNINSTALLRECORDINPUT& input, const STRING& command) {
  record.WriteString("UninstallString", PlainText(command));
  record.WriteString(kRecordFiles, PlainText(CompactList(input.InstalledFiles)));
  record.WriteString(kRecordPath, PlainText(input.InstallFolder));
  record.WriteString(kRecordRootClasses, PlainText(CompactList(input.RootClasses)));
  record.WriteString(kRecordProtect, PlainText(ConfigText(config, KEY_PROTECTEDFILES)));
}

// What the system's list of programs and deployment tools read: the command that removes the product
// without a window, where it lies, its size and day, and that it offers neither change nor repair.
void WriteDeploymentValues(REGISTRY& record, const UNINSTALLRECORDINPUT& input, const STRING& command) {
  record.WriteString("QuietUninstallString", PlainText(command + " /HIDE"));
  record.WriteString("InstallLocation", PlainText(input.InstallFolder));
  record.WriteDWORD("EstimatedSize", static_cast<DWORD>((input.InstalledBytes + 1023) / 1024));
  SYSTEMTIME today;
  GetLocalTime(&today);
  char date[16];
  snprintf(date, sizeof(date), "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  record.WriteString("InstallDate", date);
  record.WriteDWORD("NoModify", 1);
  record.WriteDWORD("NoRepair", 1);
}

// A value whose condition holds is written; otherwise a value left by an earlier installation in the
// reopened record goes, so that the removal does not act on what this installation does not have.
void WriteOrDelete(REGISTRY& record, const char* name, bool condition, const STRING& data) {
  if (condition) {
    record.WriteString(name, PlainText(data));
  } else {
    record.DeleteValue(name);
  }
}

void WriteConditionalValues(REGISTRY& record, HASH& config, const UNINSTALLRECORDINPUT& input) {
  bool service = input.ServiceProgram.IsNotEmpty() && FILENAME(input.ServiceProgram).IsFile();
  WriteOrDelete(record, kRecordServiceExe, service, input.ServiceProgram);
  // Presence is asked first: reading a key creates it.
  bool firewall = ConfigExists(config, KEY_ADDTOFIREWALL);
  WriteOrDelete(record, kRecordFirewall, firewall, firewall ? ConfigText(config, KEY_ADDTOFIREWALL) : STRING());
  STRING email = ConfigExists(config, KEY_UNINSTALLEMAIL) ? ConfigText(config, KEY_UNINSTALLEMAIL) : STRING();
  WriteOrDelete(record, kRecordEmail, email.Find(";"), email);
}

struct RECORDVALUE {
  const char* Name;
  STRING UNINSTALLRECORD::*Field;
};

const RECORDVALUE kReadBack[] = {
    {kRecordPath, &UNINSTALLRECORD::Path},
    {kRecordAppName, &UNINSTALLRECORD::AppName},
    {kRecordFiles, &UNINSTALLRECORD::Files},
    {kRecordProtect, &UNINSTALLRECORD::Protect},
    {kRecordStartmenu, &UNINSTALLRECORD::Startmenu},
    {kRecordStartmenuFiles, &UNINSTALLRECORD::StartmenuFiles},
    {kRecordDesktopFiles, &UNINSTALLRECORD::DesktopFiles},
    {kRecordRootClasses, &UNINSTALLRECORD::RootClasses},
    {kRecordFirewall, &UNINSTALLRECORD::Firewall},
    {kRecordServiceExe, &UNINSTALLRECORD::ServiceExe},
};

}  // namespace

STRING CompactList(const STRING& list) {
  STRING compact(STRINGBLOCK{list.Length() + 1});
  const char* text = PlainText(list);
  int length = list.Length();
  int start = 0;
  for (int i = 0; i <= length; i++) {
    if (i < length && text[i] != '|') continue;
    if (i > start) {
      if (compact.Length() > 0) compact.Append("|");
      compact.Append(text + start, i - start);
    }
    start = i + 1;
  }
  compact.EnsureBuffer();
  return compact;
}

bool WriteUninstallRecord(HASH& config, const UNINSTALLRECORDINPUT& input) {
  STRING inikey = ConfigText(config, KEY_INIKEY);
  logit("[>>]SETUP::WriteUninstallRecord IniKey=%s, folder=%s\n", PlainText(inikey), PlainText(input.InstallFolder));
  bool written = false;
  if (IsSingleKeyName(inikey)) {
    REGISTRY record(HKEY_LOCAL_MACHINE, kUninstallKey, PlainText(inikey), MachineKeyMode(REGISTRY_CREATE));
    written = record.IsOpen();
    if (written) {
      STRING dir = InstallDirPrefix(PlainText(input.InstallFolder));
      WriteDisplayValues(record, config, dir);
      STRING command;
      command.Format("\"%sSetup.exe\" -remove \"%s\"", PlainText(dir), PlainText(inikey));
      WriteRemovalValues(record, config, input, command);
      WriteDeploymentValues(record, input, command);
      WriteConditionalValues(record, config, input);
    }
  }
  logit("[<<]SETUP::WriteUninstallRecord written=%d\n", written ? 1 : 0);
  return written;
}

bool WriteLinkValues(HASH& config, const LINKRECORD& links) {
  STRING inikey = ConfigText(config, KEY_INIKEY);
  if (!IsSingleKeyName(inikey)) return false;
  REGISTRY record(HKEY_LOCAL_MACHINE, kUninstallKey, PlainText(inikey), MachineKeyMode(REGISTRY_WRITE));
  if (!record.IsOpen()) return false;
  STRING groupfiles = CompactList(links.StartmenuFiles), desktopfiles = CompactList(links.DesktopFiles);
  if (groupfiles.IsNotEmpty() && links.GroupMade) {
    record.WriteString(kRecordStartmenu, PlainText(links.StartmenuFolder));
    record.WriteString(kRecordStartmenuFiles, PlainText(groupfiles));
  }
  if (desktopfiles.IsNotEmpty()) record.WriteString(kRecordDesktopFiles, PlainText(desktopfiles));
  return true;
}

bool ReadUninstallRecord(const char* keyname, UNINSTALLRECORD& record) {
  record = UNINSTALLRECORD();
  STRING name(keyname, 1252);
  if (!IsSingleKeyName(name)) return false;
  REGISTRY key(HKEY_LOCAL_MACHINE, kUninstallKey, keyname, MachineKeyMode(REGISTRY_READ));
  if (!key.IsOpen()) return false;
  // A value that cannot be read leaves its field empty.
  for (const RECORDVALUE& value : kReadBack) key.Read(value.Name, record.*value.Field);
  return true;
}
