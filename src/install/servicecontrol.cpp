// SERVICECONTROL: where the service-control program lies, when it may run, and its synchronous runs with
// their exit codes.
#include "install/servicecontrol.h"

#include "diag/logit.h"
#include "base/osys.h"
#include "setup/configkeys.h"

// Exit code reported for a program that could not be started at all.
static const int kNotStarted = 1;

int StartProgramExitCode(const char* program, const char* args, const char* workdir, const char* title) {
  int exitcode = OSYS_NO_EXITCODE;
  if (!OSYS::StartProgram(program, args, workdir, title, OSYS_START_SYNC, nullptr, &exitcode)) exitcode = kNotStarted;
  logit("StartProgramExitCode returns %d\n", exitcode);
  return exitcode;
}

SERVICECONTROL::SERVICECONTROL(HASH& config, const STRING& installfolder)
    : Program(installfolder, ConfigText(config, KEY_SERVICEEXE)), Folder(installfolder) {}

SERVICECONTROL::SERVICECONTROL(const STRING& program, const STRING& installfolder)
    : Program(program), Folder(installfolder) {}

bool SERVICECONTROL::IsUsable() const {
  // A bare folder (ServiceExe empty after all) is no program.
  return Program.IsFile() && OSYS::GetWindowsVersion() >= 1;
}

bool SERVICECONTROL::Run(const char* command, int* exitcode) const {
  if (!IsUsable()) return false;
  int code = StartProgramExitCode(Program.c_str(), command, PATHTEXT(Folder).c_str(), kServiceControlTitle);
  if (exitcode) *exitcode = code;
  return true;
}

bool SERVICECONTROL::Stop() const {
  int exitcode = 0;
  return Run("/STOP", &exitcode) && exitcode == 0;
}

bool SERVICECONTROL::Start() const { return Run("/START"); }
