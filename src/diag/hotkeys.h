// The diagnostic hot keys: Ctrl+Shift+F5 to F8 switch tracing at run time, with a tune for each.
#pragma once

#include <windows.h>

// Every window procedure passes its messages here: a key-down (or a list view's key notification) of one of
// the four keys with Ctrl and Shift held (and Alt not) opens, hardens, redirects or closes the trace log.
void DiagProcessHotKeys(UINT message, WPARAM wparam, LPARAM lparam);
