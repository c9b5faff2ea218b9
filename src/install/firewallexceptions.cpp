// AddToFirewall at the end of the shortcut step: each program with its display name, the link name of
// a start-menu item that starts it, else AppName.
#include "install/firewallexceptions.h"

#include "base/filename.h"
#include "diag/logit.h"
#include "install/configitems.h"
#include "install/linkitems.h"
#include "setup/configkeys.h"

void AddFirewallExceptions(HASH& config, const STRING& installfolder, FIREWALL& firewall) {
  // Presence is asked first: reading a key creates it.
  if (!ConfigExists(config, KEY_ADDTOFIREWALL) || !firewall.IsUpAndRunning()) return;
  STRING programs = ConfigText(config, KEY_ADDTOFIREWALL);
  STRING startmenuopts = ConfigText(config, KEY_STARTMENUOPTS);
  STRING appname = ConfigText(config, KEY_APPNAME);
  for (int i = 0;; i++) {
    STRING program = ListItem(programs, i);
    if (program.IsEmpty()) break;
    STRING name = FirewallDisplayName(startmenuopts, program, appname);
    STRING path = STRING(PATHTEXT(installfolder).c_str(), 1252) + "\\" + program;
    firewall.AddApplication(path.c_str(), PATHTEXT(name).c_str());
  }
}

void AddFirewallExceptions(HASH& config, const STRING& installfolder) {
  if (!ConfigExists(config, KEY_ADDTOFIREWALL)) return;
  logit("[>>]AddFirewallExceptions %s\n", ConfigText(config, KEY_ADDTOFIREWALL).c_str());
  {
    FIREWALL firewall;
    AddFirewallExceptions(config, installfolder, firewall);
  }
  logit("[<<]AddFirewallExceptions\n");
}
