// Trace facility of the whole program: logit, logitlevel and the option handler.
// Every class writes its running commentary through these calls; they cost one test while tracing is off.
#pragma once

int logit(const char* format, ...);
int logitlevel(int level, const char* format, ...);
bool LogitOption(const char* arg);

// True while a trace target is open (the crash handler reads it).
bool LogitIsOn();
// True while /NOASSERT is in force: assertion reports show no box.
bool LogitNoAssert();
