/* Version of setup.exe and its language libraries, shared by their resource scripts. */
#define NORBA_VERSION_BINARY 1,0,0,0
#define NORBA_VERSION_TEXT "1.00"
#define NORBA_COMPANY "Norba"
#define NORBA_PRODUCT "Kiv Setup"
