// Admin command mode: finds the first command argument of this run and hands it to its handler; the
// fields of a command's value and the boxes the commands show.
#include "admin/admin.h"

#include "admin/admincommand.h"
#include "base/osys.h"
#include "diag/logit.h"
#include "ids.h"
#include "setup/setupconfig.h"
#include "ui/winnorba.h"

namespace {

struct ADMINCOMMANDNAME {
  const char* Name;
  ADMINHANDLER Handler;
};

// In the order they are looked for: only the first one present runs.
const ADMINCOMMANDNAME kCommands[] = {
    {"ADMIN", AdminHook},          {"WRITEREG", AdminWriteReg}, {"WRITEHEXREG", AdminWriteHexReg},
    {"DELETEREG", AdminDeleteReg}, {"COPYFILE", AdminCopyFile}, {"DELETEFILE", AdminDeleteFile},
};

void ShowBox(bool error, int textid, const STRING& program) {
  STRING title = OSYS::GetStringFromResource(IDS_SETUP_TITLE);
  STRING text = OSYS::GetStringFromResource(textid);
  STRING name = program.InCodePage(text.GetCodePage());
  TEXTVARIABLES variables;
  variables.Program = name.IsNotEmpty() ? name.c_str() : nullptr;
  text = ReplaceTextVariables(text, variables);
  if (error)
    WINNORBA::ErrorMsgBox(nullptr, title, text);
  else
    WINNORBA::InfoMsgBox(nullptr, title, text);
}

}  // namespace

STRING ADMINCOMMAND::Field(int n) const { return Value.GetToken(n, "|", STRINGTOKEN_ALLOCATED); }

int ADMINCOMMAND::Number(int n) const { return Field(n).atoi(); }

void AdminInfoBox(int textid, const STRING& program) { ShowBox(false, textid, program); }

void AdminErrorBox(int textid) { ShowBox(true, textid, STRING()); }

bool RunAdminCommand(const ADMINARGUMENTS& arguments, NORBA_SETUPHOOKPROC setuphook, int* result) {
  for (const ADMINCOMMANDNAME& command : kCommands) {
    if (!arguments.TestCommandValue(command.Name, 0)) continue;
    // Scripts run the commands where nobody could answer a box.
    if (arguments.TestSwitch("HIDE")) WINNORBA::SetNobodyWatching(true);
    STRING value = arguments.GetCommandValue(command.Name, 0);
    logit("[>>] ADMIN command %s: %s\n", command.Name, value.IsEmpty() ? "<NULL>" : value.c_str());
    command.Handler(ADMINCOMMAND(value, setuphook), result);
    logit("[<<] ADMIN command %s: result %d\n", command.Name, *result);
    return true;
  }
  return false;
}
