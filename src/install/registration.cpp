// Registration of file types and URL protocols below HKEY_CLASSES_ROOT and of the application's
// capabilities below HKEY_LOCAL_MACHINE. Items that are not usable are skipped with a trace line; a
// registry write that fails is traced by REGISTRY and the following writes still take place.
#include "install/registration.h"

#include <windows.h>

#include "diag/logit.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "install/configitems.h"
#include "setup/configkeys.h"

namespace {

const char kRegisteredApplicationsKey[] = "Software\\RegisteredApplications";
const int kMaxKeyNameLength = 255;
const DWORD kBrowserFlags = 8;
const DWORD kEditFlags = 2;

void AppendRootClass(STRING& rootclasses, const STRING& name) { rootclasses.Append(name).Append("|"); }

// Creates HKEY_CLASSES_ROOT\<key>[\<sub>] and sets its default value.
void SetClassDefault(const STRING& key, const char* sub, const STRING& value) {
  REGISTRY registry(HKEY_CLASSES_ROOT, PlainText(key), sub, REGISTRY_CREATE);
  registry.WriteString("", PlainText(value));
}

// A class key that serves as a URL protocol, with its icon and open command.
void WriteUrlClass(const STRING& key, const STRING& description, const STRING& icon, const STRING& command) {
  {
    REGISTRY registry(HKEY_CLASSES_ROOT, PlainText(key), nullptr, REGISTRY_CREATE);
    registry.WriteString("", PlainText(description));
    registry.WriteDWORD("BrowserFlags", kBrowserFlags);
    registry.WriteDWORD("EditFlags", kEditFlags);
    registry.WriteString("URL Protocol", "");
  }
  SetClassDefault(key, "DefaultIcon", icon);
  SetClassDefault(key, "shell\\open\\command", command);
}

struct FILETYPE {
  STRING Extension;    // field 0
  STRING ProgId;       // field 1 before '='
  STRING Description;  // field 1 after '='
  STRING Command;      // field 2, relative to the installation folder, or "{null}"
  STRING Icon;         // field 3, relative to the installation folder
  STRING Options;      // field 4
};

// False when the item lacks a part it needs or names a key that is not a single key name.
bool ParseFileType(const STRING& item, FILETYPE& type) {
  type.Extension = ItemField(item, 0);
  STRING classfield = ItemField(item, 1);
  int equals = classfield.Pos("=");
  type.ProgId = Trimmed(equals >= 0 ? classfield.Left(equals) : classfield);
  type.Description = equals >= 0 ? Trimmed(classfield.Mid(equals + 1)) : STRING();
  type.Command = ItemField(item, 2);
  type.Icon = ItemField(item, 3);
  type.Options = ItemField(item, 4);
  return IsSingleKeyName(type.Extension) && IsSingleKeyName(type.ProgId) && type.Description.IsNotEmpty() &&
         type.Command.IsNotEmpty() && type.Icon.IsNotEmpty();
}

void RegisterFileType(const FILETYPE& type, const STRING& dir, STRING& rootclasses) {
  SetClassDefault(type.Extension, nullptr, type.ProgId);
  SetClassDefault(type.ProgId, nullptr, type.Description);
  SetClassDefault(type.ProgId, "DefaultIcon", dir + type.Icon);
  if (type.Command != "{null}") SetClassDefault(type.ProgId, "Shell\\open\\command", dir + type.Command);
  if (type.Options.iFind("{textedit}")) SetClassDefault(type.ProgId, "Shell\\edit\\command", "notepad %1");
  AppendRootClass(rootclasses, type.Extension);
  AppendRootClass(rootclasses, type.ProgId);
}

struct URLTYPE {
  STRING Scheme;   // field 0, without colon
  STRING Class;    // field 1: the product's class key for the scheme
  STRING Command;  // field 2, relative to the installation folder
  STRING Icon;     // field 3, relative to the installation folder
};

bool ParseUrlType(const STRING& item, URLTYPE& type) {
  type.Scheme = ItemField(item, 0);
  type.Class = ItemField(item, 1);
  type.Command = ItemField(item, 2);
  type.Icon = ItemField(item, 3);
  return IsSingleKeyName(type.Scheme) && IsSingleKeyName(type.Class) && type.Command.IsNotEmpty() &&
         type.Icon.IsNotEmpty();
}

// A scheme with an open command already has a handler, of this or of another program.
bool SchemeHasHandler(const STRING& scheme) {
  return REGISTRY::KeyExists(HKEY_CLASSES_ROOT, PlainText(scheme), "shell\\open\\command", REGISTRY_READ);
}

void WriteUrlAssociation(const STRING& inikey, const URLTYPE& type) {
  if (!IsSingleKeyName(inikey)) return;
  STRING capabilities = REGISTRY::JoinPath(kNorbaSoftwareKey, PlainText(inikey));
  REGISTRY associations(HKEY_LOCAL_MACHINE, PlainText(capabilities), "UrlAssociations",
                        MachineKeyMode(REGISTRY_CREATE));
  associations.WriteString(PlainText(type.Scheme), PlainText(type.Class));
}

void RegisterUrlType(const URLTYPE& type, const STRING& inikey, const STRING& dir, STRING& rootclasses) {
  // Looked at before anything is written: a class key that is the scheme key itself must not take over,
  // nor later remove, the handler of another program.
  bool hashandler = SchemeHasHandler(type.Scheme);
  bool classisscheme = type.Class == type.Scheme;
  if (hashandler && classisscheme) {
    logit("SETUP::RegisterUrlTypes %s has a handler already, left untouched\n", PlainText(type.Scheme));
    return;
  }
  WriteUrlAssociation(inikey, type);
  WriteUrlClass(type.Class, inikey + " URL", dir + type.Icon, dir + type.Command);
  AppendRootClass(rootclasses, type.Class);
  if (hashandler || classisscheme) return;
  // Nobody handles the scheme yet: this product becomes its handler. The scheme key stays out of the
  // root-class list.
  STRING scheme(type.Scheme);
  scheme.ToUpper();
  WriteUrlClass(type.Scheme, "URL:" + scheme + " Protocol", dir + type.Icon, dir + type.Command);
}

// The capabilities key with its description, announced under RegisteredApplications when Windows has
// that key (it is never created here).
void WriteCapabilities(HASH& config, const STRING& inikey) {
  if (!IsSingleKeyName(inikey)) {
    logit("SETUP::RegisterUrlTypes no capabilities without a usable IniKey '%s'\n", PlainText(inikey));
    return;
  }
  STRING capabilities = REGISTRY::JoinPath(kNorbaSoftwareKey, PlainText(inikey));
  REGISTRY application(HKEY_LOCAL_MACHINE, PlainText(capabilities), nullptr, MachineKeyMode(REGISTRY_CREATE));
  application.WriteString("ApplicationDescription", PlainText(ConfigText(config, KEY_STARTMENUNAME)));
  REGISTRY registered(HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, nullptr, MachineKeyMode(REGISTRY_WRITE));
  if (registered.IsOpen()) registered.WriteString(PlainText(inikey), PlainText(capabilities));
}

}  // namespace

STRING InstallDirPrefix(const char* folder) {
  STRING dir(folder, 1252);
  dir.EnsureBuffer();
  dir.Trim('R', "\\/");
  // A folder made only of separators is the root of the current drive.
  if (dir.IsNotEmpty() || (folder && *folder)) dir.Append("\\");
  return dir;
}

bool IsSingleKeyName(const STRING& name) {
  return name.IsNotEmpty() && name.Length() <= kMaxKeyNameLength && !name.Find("\\");
}

void RegisterFileTypes(HASH& config, const char* installfolder, STRING& rootclasses) {
  STRING list = ConfigText(config, KEY_FILETYPES);
  STRING dir = InstallDirPrefix(installfolder);
  logit("[>>]SETUP::RegisterFileTypes %s\n", PlainText(list));
  int registered = 0;
  for (int i = 0;; i++) {
    STRING item = ListItem(list, i);
    if (item.IsEmpty()) break;
    FILETYPE type;
    if (!ParseFileType(item, type)) {
      logit("SETUP::RegisterFileTypes item %d not usable: %s\n", i, PlainText(item));
      continue;
    }
    RegisterFileType(type, dir, rootclasses);
    registered++;
  }
  logit("[<<]SETUP::RegisterFileTypes %d registered\n", registered);
}

void RegisterUrlTypes(HASH& config, const char* installfolder, STRING& rootclasses) {
  STRING list = ConfigText(config, KEY_URLTYPES);
  if (list.IsEmpty()) return;
  STRING inikey = ConfigText(config, KEY_INIKEY);
  STRING dir = InstallDirPrefix(installfolder);
  logit("[>>]SETUP::RegisterUrlTypes %s\n", PlainText(list));
  WriteCapabilities(config, inikey);
  int registered = 0;
  for (int i = 0;; i++) {
    STRING item = ListItem(list, i);
    if (item.IsEmpty()) break;
    URLTYPE type;
    if (!ParseUrlType(item, type)) {
      logit("SETUP::RegisterUrlTypes item %d not usable: %s\n", i, PlainText(item));
      continue;
    }
    RegisterUrlType(type, inikey, dir, rootclasses);
    registered++;
  }
  logit("[<<]SETUP::RegisterUrlTypes %d registered\n", registered);
}
