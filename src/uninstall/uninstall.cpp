// The uninstaller's entry: reads the uninstall record and removes what it lists.
// The removal itself is not there yet: the entry returns at once.
#include "uninstall/uninstall.h"

#include "diag/logit.h"

void RunUninstall(const char* programpath) { logit("UNINSTALL entered for %s\n", programpath); }
