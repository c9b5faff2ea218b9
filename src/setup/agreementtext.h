// The agreement's text: the file for the user's language or the built-in text, the wrap for the page,
// and the record of the accepted text with one paragraph per line.
#pragma once

#include "base/strings.h"

// The agreement for language code `code` (499 German, 12 French, anything else English): "LIZENZ.TXT",
// "LICENSEFR.TXT" or "LICENSE.TXT" from the current folder, else the built-in German or English text.
STRING LoadAgreement(int code);

// Lines break at the first blank or hyphen after column 55, and every line end that closes a non-empty
// line gets an empty line after it; line ends become CR LF.
STRING WrapAgreement(const STRING& text);

// The wrapped text with each paragraph on one line (LF ends).
STRING AgreementRecord(const STRING& wrapped);
