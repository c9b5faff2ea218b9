// The key table of setup.cfg and of the advertisement file, and the typed readers over it. The readers
// follow the lookup rule of the setup configuration (setupconfig.h).
#include "setup/configkeys.h"

#include "diag/norbaassert.h"
#include "setup/setupconfig.h"

static const char kAssertUnit[] = "configkeys";

static constexpr CONFIGKEY kKeys[] = {
    {KEY_APPNAME, "AppName", nullptr, 0},
    // Read as a number it chooses the built-in hook generation.
    {KEY_APPVERSION, "AppVersion", "4.00", CONFIGKEY_NUMBERDEFAULT},
    {KEY_INIKEY, "IniKey", nullptr, 0},
    {KEY_CHECKDLL, "CheckDll", nullptr, 0},
    {KEY_INSTALLPATH, "InstallPath", nullptr, 0},
    {KEY_IDBMP, "IdBmp", "0", 0},
    {KEY_DELETEAFTEREXTRACT, "DeleteAfterExtract", nullptr, 0},
    {KEY_NOFINALPOPUP, "NoFinalPopup", "0", 0},
    {KEY_ADVERTISE, "Advertise", nullptr, 0},
    {KEY_WELCOMEMSG, "WelcomeMsg", nullptr, 0},
    {KEY_WELCOMEWARNING, "WelcomeWarning", nullptr, 0},
    {KEY_IDICON, "IdIcon", nullptr, 0},
    // Without a value the welcome page computes the installation type.
    {KEY_INSTALLTYPE, "InstallType", nullptr, 0},
    {KEY_INSTALLSKIPINSTALLTYPE, "InstallSkipInstallType", "0", 0},
    {KEY_INSTALLDIRECTORY, "InstallDirectory", nullptr, 0},
    {KEY_INSTALLSKIPINSTALLDIR, "InstallSkipInstallDir", "0", 0},
    {KEY_INSTALLLICENSEAGREE, "InstallLicenseAgree", nullptr, 0},
    {KEY_INSTALLSKIPLICENSE, "InstallSkipLicense", "0", 0},
    {KEY_INSTALLSKIPADVERTISE, "InstallSkipAdvertise", "0", 0},
    {KEY_FINISHMSG, "FinishMsg", nullptr, 0},
    {KEY_ASKOVERWRITE, "AskOverwrite", nullptr, 0},
    {KEY_PROTECTEDFILES, "ProtectedFiles", nullptr, 0},
    {KEY_COPYTODEST, "CopyToDest", nullptr, 0},
    {KEY_INSTALLSKIPCOPYCOMPLETE, "InstallSkipCopyComplete", "0", 0},
    {KEY_NOCOPYCOMPLETE, "NoCopyComplete", "0", 0},
    {KEY_SERVICEEXE, "ServiceExe", "service.exe", 0},
    {KEY_FILETYPES, "FileTypes", nullptr, 0},
    {KEY_URLTYPES, "UrlTypes", nullptr, 0},
    {KEY_UNINSTALLICON, "UninstallIcon", nullptr, 0},
    // Written into the uninstall record only when present (and holding a ';').
    {KEY_UNINSTALLEMAIL, "UninstallEmail", nullptr, CONFIGKEY_PRESENCE},
    {KEY_STARTMENUNAME, "StartmenuName", nullptr, 0},
    {KEY_STARTMENUOPTS, "StartmenuOpts", nullptr, 0},
    {KEY_STARTMENUUNINSTALL, "StartmenuUninstall", "0", 0},
    {KEY_DESKTOPICON, "DesktopIcon", "1", 0},
    {KEY_INSTALLPROGRAMGROUP, "InstallProgramGroup", nullptr, 0},
    {KEY_INSTALLDESKTOPICON, "InstallDesktopIcon", nullptr, 0},
    {KEY_INSTALLSKIPSTARTMENU, "InstallSkipStartMenu", "0", 0},
    // Firewall exceptions and their uninstall value only when present.
    {KEY_ADDTOFIREWALL, "AddToFirewall", nullptr, CONFIGKEY_PRESENCE},
    {KEY_INSTALLSKIPKIVUSAGETYPE, "InstallSkipKivUsageType", "0", 0},
    {KEY_INSTALLKIVUSAGETYPE, "InstallKivUsageType", nullptr, 0},
    {KEY_INSTALLKIVUSAGETYPEMISC, "InstallKivUsageTypeMisc", nullptr, 0},
    {KEY_INSTALLSKIPKIVDATAFOLDER, "InstallSkipKivDataFolder", "0", 0},
    {KEY_INSTALLKIVDATAFOLDERTYPE, "InstallKivDataFolderType", nullptr, 0},
    {KEY_INSTALLKIVCUSTOMDIRECTORY, "InstallKivCustomDirectory", nullptr, 0},
    {KEY_PRODUCT, "Product", nullptr, 0},
    {KEY_TEASER1, "Teaser1", nullptr, 0},
    {KEY_TEASER2, "Teaser2", nullptr, 0},
    {KEY_DESCRIPTION, "Description", nullptr, 0},
    {KEY_URL, "Url", nullptr, 0},
};

// Row i must describe key i: the readers index the table by id.
static constexpr bool RowsInIdOrder() {
  for (int i = 0; i < KEY_COUNT; i++)
    if (static_cast<int>(kKeys[i].Id) != i) return false;
  return true;
}
static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == KEY_COUNT, "one row per configuration key");
static_assert(RowsInIdOrder(), "configuration key rows in the order of their ids");

static const CONFIGKEY kNoKey = {KEY_COUNT, "", nullptr, 0};

const CONFIGKEY& ConfigKey(CONFIGKEYID id) {
  int i = static_cast<int>(id);
  bool known = i >= 0 && i < KEY_COUNT;
  NORBA_ASSERT(known);
  return known ? kKeys[i] : kNoKey;
}

// The default that a reader of this kind applies.
static const char* DefaultFor(const CONFIGKEY& key, bool asnumber) {
  return (key.Flags & CONFIGKEY_NUMBERDEFAULT) && !asnumber ? nullptr : key.Default;
}

STRING ConfigText(HASH& table, CONFIGKEYID id) {
  const CONFIGKEY& key = ConfigKey(id);
  return LookupValue(table, key.Name, DefaultFor(key, false));
}

int ConfigNumber(HASH& table, CONFIGKEYID id) {
  const CONFIGKEY& key = ConfigKey(id);
  return LookupNumber(table, key.Name, DefaultFor(key, true));
}

double ConfigDecimal(HASH& table, CONFIGKEYID id) {
  const CONFIGKEY& key = ConfigKey(id);
  return LookupValue(table, key.Name, DefaultFor(key, true)).atof();
}

bool ConfigExists(const HASH& table, CONFIGKEYID id) { return table.Exists(ConfigKey(id).Name); }
