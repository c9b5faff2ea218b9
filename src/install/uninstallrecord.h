// The uninstall record: the values of the key <IniKey> below the system's Uninstall key in
// HKEY_LOCAL_MACHINE that the installation writes and the uninstaller reads back. Names, contents and
// list formats are a stored format: records written by earlier setups are read the same way.
#pragma once

#include <cstdint>

#include "base/hash.h"
#include "base/strings.h"
#include "setup/installrun.h"

// Values that are read back, and the three that the shortcut step adds to the record.
constexpr char kRecordPath[] = "UninstallPath";
constexpr char kRecordAppName[] = "AppName";
constexpr char kRecordFiles[] = "UninstallFiles";
constexpr char kRecordProtect[] = "UninstallProtect";
constexpr char kRecordRootClasses[] = "UninstallRootClasses";
constexpr char kRecordServiceExe[] = "UninstallServiceExe";
constexpr char kRecordFirewall[] = "UninstallFirewall";
constexpr char kRecordEmail[] = "UninstallEmail";
constexpr char kRecordStartmenu[] = "UninstallStartmenu";
constexpr char kRecordStartmenuFiles[] = "UninstallStartmenuFiles";
constexpr char kRecordDesktopFiles[] = "UninstallDesktopFiles";

// What the copy step hands over: run-wide values of the installation and the lists it built.
struct UNINSTALLRECORDINPUT {
  STRING InstallFolder;   // the installation folder as chosen
  STRING InstalledFiles;  // names relative to the folder, '/' as in the archives, '|'-separated
  uint64_t InstalledBytes = 0;  // their size together
  STRING RootClasses;     // keys below HKEY_CLASSES_ROOT made by the registration, each followed by '|'
  STRING ServiceProgram;  // full path of the service-control program
};

// Writes the record below kUninstallKey\<IniKey>: the display values, AppName, Version, the uninstall
// command, the values deployment tools read (quiet command, location, size of the listed files, date,
// NoModify, NoRepair), the lists and, under their conditions, UninstallServiceExe (the program exists),
// UninstallFirewall (AddToFirewall is present) and UninstallEmail (present and holding ';'); each of those
// three whose condition fails is deleted, since an update reopens the earlier installation's record. Lists are
// stored without empty elements, because the uninstaller stops at the first one. False, with nothing
// written, when IniKey is empty or not a single key name, or when the key cannot be created.
bool WriteUninstallRecord(HASH& config, const UNINSTALLRECORDINPUT& input);

// What the shortcut step made: its program group and the links in it and on the desktop ('|' lists of
// link names without extension).
struct LINKRECORD {
  STRING StartmenuFolder;
  STRING StartmenuFiles;
  STRING DesktopFiles;
  bool GroupMade = false;  // a program group was chosen (or the installation is a new one)
};

// Adds the shortcut step's values to the existing record of IniKey: UninstallStartmenu and
// UninstallStartmenuFiles when the program group holds links and GroupMade, UninstallDesktopFiles when
// the desktop holds links. The lists are stored without empty elements. False when there is no record.
bool WriteLinkValues(HASH& config, const LINKRECORD& links);

// The values the uninstaller reads back; a missing value reads as empty.
struct UNINSTALLRECORD {
  STRING Path;
  STRING AppName;
  STRING Files;
  STRING Protect;
  STRING Startmenu;
  STRING StartmenuFiles;
  STRING DesktopFiles;
  STRING RootClasses;
  STRING Firewall;
  STRING ServiceExe;
};

// Reads the record named `keyname` (a single key name); false when there is no such record.
bool ReadUninstallRecord(const char* keyname, UNINSTALLRECORD& record);

// A '|' list with its empty elements (leading, trailing, doubled separators) removed.
STRING CompactList(const STRING& list);
