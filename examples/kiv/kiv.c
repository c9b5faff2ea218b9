/* Stands in for the Kiv program in the sample package: the installed file that the links, the file type,
   the URL protocol and the firewall entry point at, with the product's icon. It opens no window and
   ends at once, so that whatever starts it after setup never waits for it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandline, int show) {
  (void)instance;
  (void)previous;
  (void)commandline;
  (void)show;
  return 0;
}
