// The events that the built-in Kiv hooks of generations 6, 7 and 8 handle alike, dispatched for one
// generation's profile and product pages.
#pragma once

#include <windows.h>

#include "hooks/kivhookstate.h"
#include "setup/steptable.h"

INT_PTR KivDispatch(const KIVPROFILE& profile, const SETUPSTEP (&pages)[2], INT_PTR event, INT_PTR a, HWND window,
                    HWND pagewindow, INT_PTR value);
