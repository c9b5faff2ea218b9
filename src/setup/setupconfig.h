// The setup configuration and the answer tables of an installation: the file names, loading and saving,
// the language pass over a freshly loaded table, the lookup rule of configuration values, the answer keys
// of the wizard pages, and the text variables replaced in shown texts.
#pragma once

#include <windows.h>

#include "base/hash.h"
#include "base/osys.h"
#include "base/strings.h"

// File names, relative to the current directory.
constexpr char kSetupConfigFile[] = "setup.cfg";
constexpr char kSilentSetupFile[] = "silentsetup.ini";
constexpr char kSilentInstallFile[] = "silentinstall.ini";
constexpr char kRecordedAnswersFile[] = "silentsetup_tmp.ini";

// ---------------------------------------------------------------------------------------------------
// Language pass

// The suffix of language-specific keys (text 2980 of the language library, ".GER" and the like); empty
// when the library lacks the text.
STRING LanguageSuffix(HINSTANCE module = OSYS_LANGUAGE_MODULE);

// Run once on a freshly loaded table, before anything reads it:
// 1. A key containing '.' whose end equals `suffix` (ignoring case) gives its value to the key without
//    the suffix and goes; every other key containing '.' goes too. Keys that are equal but for letter
//    case become one entry with the first one's value (in file order), the one a lookup finds.
// 2. A key without '_' gets the values of key_0 to key_23 appended in that order, missing numbers
//    skipped; the pieces go.
void LocalizeKeys(HASH& table, const char* suffix);

// Loads a table and runs the language pass on it (the advertisement file). False, and the table left as
// it was, when the name is empty or the file cannot be read.
bool LoadLocalized(HASH& table, const char* filename, const char* suffix);

// ---------------------------------------------------------------------------------------------------
// Lookup rule

// The value of `key`, created empty when missing; an empty value is replaced by `def` (null: none) and
// the default is stored back, so empty and missing mean the same.
STRING LookupValue(HASH& table, const char* key, const char* def);
// The same value as a decimal number; text that is not a number reads as 0.
int LookupNumber(HASH& table, const char* key, const char* def);

// ---------------------------------------------------------------------------------------------------
// The tables of one installation run (the run owns them for its whole length).

class SETUPTABLES {
 public:
  HASH Config;        // setup.cfg
  HASH Unattended;    // silentsetup.ini, else silentinstall.ini; empty when neither loads
  HASH Recorded;      // this run's answers, saved as silentsetup_tmp.ini
  STRING AnswerFile;  // the name of the answer file that loaded; empty for an interactive run

  // Reads setup.cfg; false when it cannot be read.
  bool LoadConfig();
  // Reads silentsetup.ini, else silentinstall.ini; true when one of them loaded (an unattended run).
  bool LoadUnattended();
  bool SaveRecorded() const;
};

// ---------------------------------------------------------------------------------------------------
// Answer keys: page "." control, the page being the decimal layout id of a wizard page and the control a
// decimal control id or a word ("PUSH" holds how the page was left).

enum ANSWERKIND {
  ANSWER_NONE,      // not one of the kinds below
  ANSWER_CHECKBOX,  // "CB:" check state 0, 1 or 2
  ANSWER_RADIO,     // "RB:" check state
  ANSWER_EDIT,      // "EF:" text of an edit field
  ANSWER_DROPDOWN   // "DD:" selected index, -1 for none
};

constexpr char kAnswerPush[] = "PUSH";

STRING AnswerKey(int page, int control);
STRING AnswerKey(int page, const char* word);
// The control id of a key that belongs to `page` ("2002.201" for page 2002 gives 201); false for keys of
// other pages and for the "PUSH" key.
bool AnswerControl(const STRING& key, int page, int* control);

STRING AnswerValue(ANSWERKIND kind, const char* text);
STRING AnswerValue(ANSWERKIND kind, int number);
// The kind of a value (its first two letters and the colon, ignoring the letters' case) and its text
// from the fourth character on.
ANSWERKIND ParseAnswerValue(const STRING& value, STRING* text);

// Writes answers[page "." control] = kind + text.
void RecordAnswer(HASH& answers, int page, int control, ANSWERKIND kind, const char* text);
void RecordAnswer(HASH& answers, int page, int control, ANSWERKIND kind, int number);
// Writes answers[page ".PUSH"] = the button that left the page, in decimal.
void RecordResult(HASH& answers, int page, int result);
// The recorded button of a page; false, and nothing created, when the page has no "PUSH" entry.
bool AnswerResult(const HASH& answers, int page, int* result);

// ---------------------------------------------------------------------------------------------------
// Text variables, replaced in a text just before it is shown. Each use sets the variables it replaces;
// a null value leaves that variable as it is.

struct TEXTVARIABLES {
  const char* Program = nullptr;  // "$PROGRAM"
  const char* Prog = nullptr;     // "$PROG"
  const char* Dir = nullptr;      // "$DIR"
  const char* File = nullptr;     // "$FILE"
  const char* Path = nullptr;     // "$(PATH)"
  const char* Vxx = nullptr;      // "$(VXX)"
  const char* Vnew = nullptr;     // "$(VNEW)"
};

// Replaces every occurrence (case-sensitive) in one pass from left to right: inserted values are not
// searched again, and where names overlap the longest one counts ("$PROG" never matches the start of
// "$PROGRAM"). The result keeps the code page of `text`; the values must be in it already.
STRING ReplaceTextVariables(const STRING& text, const TEXTVARIABLES& variables);
