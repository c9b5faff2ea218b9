// The registry commands WRITEREG, WRITEHEXREG and DELETEREG: a binary value, or its deletion, in one
// key right below Software\Norba in HKEY_LOCAL_MACHINE, named by field 0.
#include "admin/admincommand.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "diag/logit.h"
#include "ids.h"

namespace {

const char kBaseKey[] = "Software\\Norba";
// The longest name Windows gives one key.
const int kMaxKeyName = 255;

// Field 0 names exactly one key below the base: never the base itself or a key further down.
bool IsSingleKeyName(const STRING& name) {
  bool single = name.IsNotEmpty() && name.Length() <= kMaxKeyName && name.Pos("\\") < 0;
  if (!single) logit("ADMIN %s is not the name of one key below %s\n", name.c_str(), kBaseKey);
  return single;
}

// Writes the bytes as a binary value into the key of field 0, created when missing.
bool WriteValue(const ADMINCOMMAND& command, const void* bytes, int len) {
  STRING app = command.Field(0);
  if (!IsSingleKeyName(app)) return false;
  REGISTRY key(HKEY_LOCAL_MACHINE, kBaseKey, app.c_str(), MachineKeyMode(REGISTRY_CREATE));
  return key.WriteBinary(command.Field(1).c_str(), bytes, len);
}

}  // namespace

// The text with its terminating zero byte; the confirmation names field 3, or field 0 without it.
void AdminWriteReg(const ADMINCOMMAND& command, int* result) {
  STRING text = command.Field(2);
  bool ok = WriteValue(command, text.c_str(), text.Length() + 1);
  *result = ok ? 1 : 0;
  STRING program = command.Field(3);
  if (!ok)
    AdminErrorBox(IDS_ADMIN_REGISTRY_FAILED);
  else
    AdminInfoBox(IDS_ADMIN_REGISTRY_WRITTEN, program.IsNotEmpty() ? program : command.Field(0));
}

// Exactly the decoded bytes (an odd last digit is ignored); boxes only when field 3 (quiet) is 0.
void AdminWriteHexReg(const ADMINCOMMAND& command, int* result) {
  STRING bytes = command.Field(2).FromHex();
  bool ok = WriteValue(command, bytes.GetBuffer(), bytes.Length());
  *result = ok ? 1 : 0;
  if (command.Number(3) != 0) return;
  if (!ok)
    AdminErrorBox(IDS_ADMIN_REGISTRY_FAILED);
  else
    AdminInfoBox(IDS_ADMIN_REGISTRY_WRITTEN, command.Field(0));
}

// Leaves the process result alone and shows nothing. A missing key is not created for a deletion.
void AdminDeleteReg(const ADMINCOMMAND& command, int* result) {
  (void)result;
  STRING app = command.Field(0);
  if (!IsSingleKeyName(app)) return;
  REGISTRY key(HKEY_LOCAL_MACHINE, kBaseKey, app.c_str(), MachineKeyMode(REGISTRY_WRITE));
  key.DeleteValue(command.Field(1).c_str());
}
