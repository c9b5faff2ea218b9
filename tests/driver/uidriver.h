// The UI driver of the end-to-end tests in one include: AppUnderTest starts a program and waits for its
// windows, message boxes and exit; UiWindow works a window's controls; ScratchDir holds the test's files.
// A typical test:
//   ScratchDir dir;
//   dir.CopyFrom(NORBA_TEST_DIST_DIR, {"setup.exe"});
//   AppUnderTest app(dir.Path("setup.exe"), "/LANG:ENGL", dir.Root());
//   app.AnswerMessageBox(IDOK, "not found");
//   EXPECT_EQ(99u, app.WaitExit());
// Every wait has a time-out (DefaultTimeoutMs, AppUnderTest::SetTimeoutMs or the call's own) that fails
// the test at the caller's line, lists the program's windows and controls, and ends the program.
#pragma once

#include "appundertest.h"
#include "folderlink.h"
#include "scratchdir.h"
#include "timeouts.h"
