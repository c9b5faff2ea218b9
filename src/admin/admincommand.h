// One admin command as its handlers see it: the argument's value split into "|" fields, the hook entry
// point, and the confirmation and error boxes the commands show.
#pragma once

#include "admin/admin.h"
#include "base/strings.h"

class ADMINCOMMAND {
 public:
  ADMINCOMMAND(const STRING& value, NORBA_SETUPHOOKPROC setuphook) : Value(value), SetupHook(setuphook) {}

  const STRING& GetValue() const { return Value; }
  NORBA_SETUPHOOKPROC GetSetupHook() const { return SetupHook; }
  // Field n (from 0); a missing field is empty, never null.
  STRING Field(int n) const;
  // Field n as a decimal number; an empty or missing field is 0.
  int Number(int n) const;

 private:
  STRING Value;
  NORBA_SETUPHOOKPROC SetupHook;
};

// A command's handler; it sets `result` where its command has a process result.
typedef void (*ADMINHANDLER)(const ADMINCOMMAND& command, int* result);

void AdminHook(const ADMINCOMMAND& command, int* result);
void AdminWriteReg(const ADMINCOMMAND& command, int* result);
void AdminWriteHexReg(const ADMINCOMMAND& command, int* result);
void AdminDeleteReg(const ADMINCOMMAND& command, int* result);
void AdminCopyFile(const ADMINCOMMAND& command, int* result);
void AdminDeleteFile(const ADMINCOMMAND& command, int* result);

// Information or error text `textid` with "$PROGRAM" replaced by `program`, under the setup title, with
// no parent window (traced instead while nobody is watching).
void AdminInfoBox(int textid, const STRING& program = STRING());
void AdminErrorBox(int textid);
