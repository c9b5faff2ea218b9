// The firewall exceptions of an installation: every program of AddToFirewall (paths relative to the
// installation folder) becomes an enabled entry of the firewall's list, named by its link or the product.
#pragma once

#include "base/hash.h"
#include "base/strings.h"
#include "install/firewall.h"

// Only when AddToFirewall is present and the firewall is up and running; results are only traced.
void AddFirewallExceptions(HASH& config, const STRING& installfolder, FIREWALL& firewall);
// The same on the system's firewall.
void AddFirewallExceptions(HASH& config, const STRING& installfolder);
