// The uninstaller: removes the product named by the REMOVE argument.
#pragma once

void RunUninstall(const char* programpath);
