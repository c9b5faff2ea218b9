// The Windows entry point of setup.exe: hands the instance and SetupMain to the application frame.
#include <windows.h>

#include "app/main.h"
#include "app/norba_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return NORBAAPP::Start(instance, SetupMain); }
