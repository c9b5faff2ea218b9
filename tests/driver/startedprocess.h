// Programs that another program started: the test driver finds them by the starting process and the
// file name of their program, for programs that copy themselves elsewhere and start the copy.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// The id of a running process that `parentId` started and whose program file is named `fileName` (any
// case, without folder); 0 when there is none.
DWORD FindStartedProcess(DWORD parentId, const std::string& fileName);

// The full path of a process's program file; empty when it cannot be read.
std::string ProcessProgramPath(HANDLE process);

}  // namespace uidriver
