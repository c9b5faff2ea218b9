// The installation run: the mode setup main enters when no admin command, ORDER or REMOVE applies.
#pragma once

// Always returns 0; the process exit code stays that of setup main.
int RunInstallation();
