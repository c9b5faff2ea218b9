// The link items of StartmenuOpts: their four fields, the generated desktop and uninstall items, the
// names that may become link files, and the display name a firewall entry takes from them. Nothing here
// touches the system.
#pragma once

#include <vector>

#include "base/strings.h"

// Field 1 marks: the item offered as desktop icon, and the generated item that goes to the desktop.
constexpr char kDesktopOfferMark = '*';
constexpr char kDesktopMark = '#';
// A target found on the system's search path.
constexpr char kSearchPathPrefix[] = "%PATH%\\";

struct LINKITEM {
  STRING Name;       // file name of the link without extension
  STRING Target;     // as configured, marks included
  STRING Arguments;  // may be empty
  STRING IconFile;   // empty: the link has no icon of its own
  int IconIndex = 0;
};

// The items of a '|' list of link items, trimmed, in order: up to the first empty item; an item of
// blanks only is passed over.
std::vector<STRING> LinkItemList(const STRING& list);

// The fields of one item (trimmed); the icon field is split at ':' into file and index (0 when missing).
LINKITEM ParseLinkItem(const STRING& item);

// "name;#target;arguments" for the last item whose target begins with '*' (without the '*'); empty when
// no item is offered as desktop icon.
STRING DesktopItem(const STRING& startmenuopts);
// The program group's uninstall link: setup.exe of the installation folder with "-remove <IniKey>" and
// setup.exe's icon 1, named `name`.
STRING UninstallItem(const STRING& name, const STRING& inikey);

bool IsWebTarget(const STRING& target);
// The target without its leading '*' and '#' marks.
STRING UnmarkedTarget(const STRING& target);
// The name after "%PATH%\" (ignoring case); empty when the target does not begin with it.
STRING SearchPathName(const STRING& target);
// A program of the system folder as a link must name it for a 32-bit program on 64-bit Windows:
// "system32" (any case) becomes "syswow64".
STRING Wow64SystemTarget(const STRING& path, bool wow64);

// A link name becomes a file of its folder: no folder parts, no drive, no "..", no device name.
bool IsBareFileName(const STRING& name);
// A path relative to the installation folder that stays inside it.
bool StaysInsideFolder(const STRING& relative);

// The display name of a firewall entry for `program` (relative to the installation folder): the link
// name of the first StartmenuOpts item whose target, without a leading '*', is that program (ignoring
// case); otherwise `appname`.
STRING FirewallDisplayName(const STRING& startmenuopts, const STRING& program, const STRING& appname);
