// Every key of setup.cfg and of the advertisement file in one place: its name, its default and the typed
// readers through which the installation reads it. A reader treats an empty value like a missing one and
// stores the default it applies back into the table; numbers are decimal, a non-number reads as 0.
#pragma once

#include "base/hash.h"
#include "base/strings.h"

enum CONFIGKEYID {
  // Installation run and wizard pages.
  KEY_APPNAME,
  KEY_APPVERSION,
  KEY_INIKEY,
  KEY_CHECKDLL,
  KEY_INSTALLPATH,
  KEY_IDBMP,
  KEY_DELETEAFTEREXTRACT,
  KEY_NOFINALPOPUP,
  KEY_ADVERTISE,
  KEY_WELCOMEMSG,
  KEY_WELCOMEWARNING,
  KEY_IDICON,
  KEY_INSTALLTYPE,
  KEY_INSTALLSKIPINSTALLTYPE,
  KEY_INSTALLDIRECTORY,
  KEY_INSTALLSKIPINSTALLDIR,
  KEY_INSTALLLICENSEAGREE,
  KEY_INSTALLSKIPLICENSE,
  KEY_INSTALLSKIPADVERTISE,
  KEY_FINISHMSG,
  // File copy.
  KEY_ASKOVERWRITE,
  KEY_PROTECTEDFILES,
  KEY_COPYTODEST,
  KEY_INSTALLSKIPCOPYCOMPLETE,
  KEY_NOCOPYCOMPLETE,
  KEY_SERVICEEXE,
  // Registration and uninstall record.
  KEY_FILETYPES,
  KEY_URLTYPES,
  KEY_UNINSTALLICON,
  KEY_UNINSTALLEMAIL,
  // Shortcuts and firewall.
  KEY_STARTMENUNAME,
  KEY_STARTMENUOPTS,
  KEY_STARTMENUUNINSTALL,
  KEY_DESKTOPICON,
  KEY_INSTALLPROGRAMGROUP,
  KEY_INSTALLDESKTOPICON,
  KEY_INSTALLSKIPSTARTMENU,
  KEY_ADDTOFIREWALL,
  // Product pages of the built-in hooks.
  KEY_INSTALLSKIPKIVUSAGETYPE,
  KEY_INSTALLKIVUSAGETYPE,
  KEY_INSTALLKIVUSAGETYPEMISC,
  KEY_INSTALLSKIPKIVDATAFOLDER,
  KEY_INSTALLKIVDATAFOLDERTYPE,
  KEY_INSTALLKIVCUSTOMDIRECTORY,
  // The advertisement file (its own table, read by the advertise page).
  KEY_PRODUCT,
  KEY_TEASER1,
  KEY_TEASER2,
  KEY_DESCRIPTION,
  KEY_URL,
  KEY_COUNT
};

// Flags of a key.
#define CONFIGKEY_NUMBERDEFAULT 0x01  // the default applies only where the value is read as a number
#define CONFIGKEY_PRESENCE 0x02       // a reader tells a missing key from an empty one: ConfigExists first

struct CONFIGKEY {
  CONFIGKEYID Id;
  const char* Name;
  const char* Default;  // null: none, an empty value is used as it is
  int Flags;
};

// The key's row; an id out of range is reported and gives a row with an empty name and no default.
const CONFIGKEY& ConfigKey(CONFIGKEYID id);
inline const char* ConfigKeyName(CONFIGKEYID id) { return ConfigKey(id).Name; }

// The value, created empty when missing (the table's index operation); an empty value becomes the key's
// default, stored back. Keys with CONFIGKEY_NUMBERDEFAULT keep an empty value here.
STRING ConfigText(HASH& table, CONFIGKEYID id);
// The decimal value (a non-number is 0), the default applied and stored back first.
int ConfigNumber(HASH& table, CONFIGKEYID id);
// A number used as a flag: 0 is off, anything else on.
inline bool ConfigFlag(HASH& table, CONFIGKEYID id) { return ConfigNumber(table, id) != 0; }
// The value as a decimal fraction ("7.5"), the default applied and stored back first.
double ConfigDecimal(HASH& table, CONFIGKEYID id);
// Whether the key is present, without creating it. Ask before the first read of a CONFIGKEY_PRESENCE key.
bool ConfigExists(const HASH& table, CONFIGKEYID id);
