// The ADMIN command: hands its word to the hook library's SetupHook (event 256), which for example sets
// up or removes a printer; a confirmation follows for the two printer words when the hook did it.
#include "admin/admincommand.h"
#include "ids.h"

// The process result is 0 whatever the hook answers; without a SetupHook nothing happens.
void AdminHook(const ADMINCOMMAND& command, int* result) {
  *result = 0;
  NORBA_SETUPHOOKPROC hook = command.GetSetupHook();
  if (!hook) return;
  const STRING& word = command.GetValue();
  if (hook(NORBA_SH_ADMIN, reinterpret_cast<INT_PTR>(word.GetBuffer() ? word.GetBuffer() : "")) == 0) return;
  if (word == "ADDPRINTER") AdminInfoBox(IDS_ADMIN_PRINTER_ADDED);
  if (word == "REMOVEPRINTER") AdminInfoBox(IDS_ADMIN_PRINTER_REMOVED);
}
