// Reading the link items of StartmenuOpts and making the generated ones; the name checks that keep a
// link file in its folder and a relative target inside the installation folder.
#include "install/linkitems.h"

#include "base/filename.h"
#include "install/configitems.h"
#include "install/zipentryname.h"

std::vector<STRING> LinkItemList(const STRING& list) {
  std::vector<STRING> items;
  for (int i = 0;; i++) {
    STRING raw = list.GetToken(i, "|");
    if (raw.IsEmpty()) break;
    STRING item = Trimmed(raw);
    if (item.IsNotEmpty()) items.push_back(item);
  }
  return items;
}

LINKITEM ParseLinkItem(const STRING& item) {
  LINKITEM link;
  link.Name = ItemField(item, 0);
  link.Target = ItemField(item, 1);
  link.Arguments = ItemField(item, 2);
  STRING icon = ItemField(item, 3);
  if (icon.IsNotEmpty()) {
    link.IconFile = icon.GetToken(0, ":");
    link.IconIndex = icon.GetToken(1, ":").atoi();
  }
  return link;
}

STRING DesktopItem(const STRING& startmenuopts) {
  STRING desktop;
  for (const STRING& item : LinkItemList(startmenuopts)) {
    LINKITEM link = ParseLinkItem(item);
    if (link.Target.Length() > 0 && link.Target[0] == kDesktopOfferMark)
      desktop.Format("%s;%c%s;%s", PATHTEXT(link.Name).c_str(), kDesktopMark, PATHTEXT(link.Target.Mid(1)).c_str(),
                     PATHTEXT(link.Arguments).c_str());
  }
  return desktop;
}

STRING UninstallItem(const STRING& name, const STRING& inikey) {
  STRING item;
  item.Format("%s;setup.exe;-remove %s;setup.exe:1", PATHTEXT(name).c_str(), PATHTEXT(inikey).c_str());
  return item;
}

bool IsWebTarget(const STRING& target) {
  STRING lower(target);
  lower.ToLower();
  return lower.Left(7) == "http://" || lower.Left(8) == "https://";
}

STRING UnmarkedTarget(const STRING& target) {
  STRING unmarked(target);
  unmarked.Trim('L', "*#");
  return unmarked;
}

STRING SearchPathName(const STRING& target) {
  int prefix = static_cast<int>(sizeof(kSearchPathPrefix)) - 1;
  return target.Left(prefix) == kSearchPathPrefix ? target.Mid(prefix) : STRING();
}

STRING Wow64SystemTarget(const STRING& path, bool wow64) {
  STRING target(path);
  if (wow64) target.Replace("system32", "syswow64", 0);
  return target;
}

bool IsBareFileName(const STRING& name) {
  return ZipEntryNameIsSafe(name) && !name.Find("/") && !name.Find("\\");
}

bool StaysInsideFolder(const STRING& relative) {
  return ZipEntryNameIsSafe(relative) && relative[relative.Length() - 1] != '\\' &&
         relative[relative.Length() - 1] != '/';
}

STRING FirewallDisplayName(const STRING& startmenuopts, const STRING& program, const STRING& appname) {
  for (const STRING& item : LinkItemList(startmenuopts)) {
    LINKITEM link = ParseLinkItem(item);
    STRING target(link.Target);
    if (target.Length() > 0 && target[0] == kDesktopOfferMark) target = target.Mid(1);
    if (target == program) return link.Name;
  }
  return appname;
}
