// Admin command mode: one administrative command per run, for scripted deployments.
#pragma once

// Runs the command given on the command line, if any. Returns true when a command argument was
// present (whatever its outcome); `result` then holds the process exit code.
bool RunAdminCommand(int* result);
