// Fresh temporary file names for the pseudo names "<tmp>" and "<temp>": a name in the temporary folder
// that no file has yet. The name is only chosen, not created.
#pragma once

#include "base/strings.h"

// Replaces the last six of a trailing run of at least six 'X' in `path` by letters and digits so that
// no file of that name exists; false (and `path` unchanged) when the template is unfit or every try of
// 3844 found a file.
bool FillTempTemplate(STRING& path);

// A fresh name "Z-" + six letters and digits in the temporary folder (TEMP, else TMP, else the system's
// temporary folder); false when none could be found.
bool MakeTempFileName(STRING& path);
