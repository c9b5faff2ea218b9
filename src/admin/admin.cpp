// Admin command mode: finds the one command argument of this run and carries it out.
// No command is known yet: every run goes on to the other modes.
#include "admin/admin.h"

bool RunAdminCommand(int* result) {
  (void)result;
  return false;
}
