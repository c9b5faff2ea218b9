// SERVICECONTROL: the product's service-control program in the installation folder (ServiceExe), run
// synchronously with "/STOP" before the installation's files are replaced and with "/START" afterwards;
// the uninstaller runs it with "/STOP" and "/UNINSTALL".
#pragma once

#include "base/filename.h"
#include "base/hash.h"
#include "base/strings.h"

// Window title of every run of the service-control program.
constexpr char kServiceControlTitle[] = "Norba Service-Control";

// Runs `program` with `args` in `workdir` and waits for its end. The result is its exit code, -8 when
// that cannot be read and 1 when the program cannot be started.
int StartProgramExitCode(const char* program, const char* args, const char* workdir, const char* title);

class SERVICECONTROL {
 public:
  // The program ServiceExe (default "service.exe") below `installfolder`.
  SERVICECONTROL(HASH& config, const STRING& installfolder);
  // The program given by its full path (the uninstall record's UninstallServiceExe).
  SERVICECONTROL(const STRING& program, const STRING& installfolder);

  const FILENAME& GetProgram() const { return Program; }
  // The program exists and the system is of the NT family: only then is it run.
  bool IsUsable() const;
  // Runs it with `command` ("/STOP", "/START", "/UNINSTALL") when usable and waits for its end; false
  // when it was not run. `exitcode`, when given, receives the exit code as StartProgramExitCode gives it.
  bool Run(const char* command, int* exitcode = nullptr) const;

  // "/STOP"; true when the program answered 0 (the service was stopped and is to be restarted).
  bool Stop() const;
  // "/START", whatever the program answers; false when it was not run.
  bool Start() const;

 private:
  FILENAME Program;
  STRING Folder;
};
