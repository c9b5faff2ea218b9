// The decisions of the welcome page that need no window: the comparison of two versions, and whether
// and what the dated WelcomeWarning shows today.
#pragma once

#include "base/strings.h"

// Compares the installed version with the setup's own, as texts ignoring case, after a "0" is put in
// front of each that is longer than one character and has "." as its second (8.01 against 10.00).
// Negative: the installed one is smaller.
int CompareVersions(const STRING& installed, const STRING& own);

// The warning to show `today` ("%04d-%02d-%02d"): a first line "ShowOnly=<date" keeps it only until
// that date, "ShowOnly=>date" only after it; any other condition keeps it. Empty: nothing to show.
STRING WelcomeWarningToShow(const STRING& warning, const char* today);
