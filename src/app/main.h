// SetupMain: the main function of setup.exe, called by the application frame.
#pragma once

int SetupMain(int count, char** arguments, char** environment);
