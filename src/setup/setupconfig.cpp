// The setup configuration and the answer tables: the language pass, the lookup rule, loading and saving
// the run's tables, the answer keys of the wizard pages and the text variables.
#include "setup/setupconfig.h"

#include <cstring>

#include "diag/logit.h"
#include "ids.h"

// The most continuation pieces a key takes: key_0 to key_23.
static const int kContinuationPieces = 24;

namespace {

// Holds a table's lock for a scope.
class HASHHOLD {
 public:
  explicit HASHHOLD(const HASH& table) : Table(table), Held(table.Lock()) {}
  ~HASHHOLD() {
    if (Held) Table.Unlock();
  }
  HASHHOLD(const HASHHOLD&) = delete;
  HASHHOLD& operator=(const HASHHOLD&) = delete;

 private:
  const HASH& Table;
  bool Held;
};

bool SameKey(const STRING& a, const STRING& b) { return STRING::stricmp(a.c_str(), b.c_str(), 0) == 0; }

// The key without `suffix` when it ends with it (ignoring case) and something is left; else empty.
STRING WithoutSuffix(const STRING& key, const char* suffix, int suffixlen) {
  int keep = key.Length() - suffixlen;
  if (suffixlen < 1 || keep < 1 || _stricmp(key.c_str() + keep, suffix) != 0) return STRING();
  return key.Left(keep);
}

// Step 1 of the language pass, from `source` into the empty `localized`. The source is sorted, so equal
// keys stand together (the first of them counts) and a key stands before its suffixed forms.
void ApplyLanguage(const HASH& source, const char* suffix, HASH& localized) {
  int suffixlen = static_cast<int>(strlen(suffix));
  for (int i = 0; i < source.Count(); i++) {
    const STRING& key = source.GetKey(i);
    if (i > 0 && SameKey(key, source.GetKey(i - 1))) continue;
    if (key.Pos(".") < 0) {
      if (!localized.Exists(key.c_str())) localized[key] = source.GetValue(i);
      continue;
    }
    STRING base = WithoutSuffix(key, suffix, suffixlen);
    if (base.IsNotEmpty()) localized[base] = source.GetValue(i);
  }
}

// "0" to "23" exactly as a piece number is written.
bool IsPieceNumber(const STRING& digits) {
  int len = digits.Length();
  if (len < 1 || len > 2 || (len == 2 && digits[0] == '0')) return false;
  for (int i = 0; i < len; i++)
    if (digits[i] < '0' || digits[i] > '9') return false;
  return digits.atoi() < kContinuationPieces;
}

// True for key_n (n from 0 to 23) whose key has no '_' and is in the table: it continues that key.
bool IsPiece(const HASH& table, const STRING& key) {
  int underscore = key.Pos("_");
  if (underscore < 0 || key.Pos("_", underscore + 1) >= 0) return false;
  return IsPieceNumber(key.Mid(underscore + 1)) && table.Exists(key.Left(underscore).c_str());
}

// The value of the key at `i` with its continuation pieces appended in the order of their numbers.
STRING JoinedValue(const HASH& table, int i) {
  const STRING& key = table.GetKey(i);
  STRING value = table.GetValue(i);
  if (key.Pos("_") >= 0) return value;
  for (int n = 0; n < kContinuationPieces; n++) {
    int piece = table.IndexOf((key + "_" + STRING(n)).c_str());
    if (piece >= 0) value.Append(table.GetValue(piece));
  }
  return value;
}

// Step 2 of the language pass, from `source` into the empty `joined`.
void JoinPieces(const HASH& source, HASH& joined) {
  for (int i = 0; i < source.Count(); i++) {
    const STRING& key = source.GetKey(i);
    if (!IsPiece(source, key)) joined[key] = JoinedValue(source, i);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Language pass

STRING LanguageSuffix(HINSTANCE module) {
  STRING suffix = OSYS::GetStringFromResource(IDS_LANGUAGE_SUFFIX, module);
  if (suffix == "<STRING-ERROR>") {
    logit("LanguageSuffix: the language library has no text %d\n", IDS_LANGUAGE_SUFFIX);
    return STRING("", 1252);
  }
  return suffix;
}

// The pass builds new tables in key order instead of deleting entries one by one, so that its work grows
// with the size of the table, not with its square.
void LocalizeKeys(HASH& table, const char* suffix) {
  suffix = NullGuard(suffix, "LocalizeKeys suffix");
  if (!suffix) suffix = "";
  HASHHOLD hold(table);
  logit("LocalizeKeys suffix= %s, entries= %d\n", suffix, table.Count());
  HASH localized, joined;
  ApplyLanguage(table, suffix, localized);
  JoinPieces(localized, joined);
  joined.Handle = table.Handle;
  joined.Key = table.Key;
  joined.LockTable = table.LockTable;
  table = joined;
  logit("LocalizeKeys returns entries= %d\n", table.Count());
}

bool LoadLocalized(HASH& table, const char* filename, const char* suffix) {
  if (!filename || !*filename) return false;
  HASH loaded;
  if (!loaded.Load(filename)) return false;
  LocalizeKeys(loaded, suffix);
  table = loaded;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Lookup rule

STRING LookupValue(HASH& table, const char* key, const char* def) {
  HASHHOLD hold(table);
  STRING& value = table[key];
  if (value.IsEmpty() && def && *def) value = STRING(def, 1252);
  return value;
}

int LookupNumber(HASH& table, const char* key, const char* def) { return LookupValue(table, key, def).atoi(); }

// ---------------------------------------------------------------------------------------------------
// The run's tables

bool SETUPTABLES::LoadConfig() {
  Config.Clear();
  return Config.Load(kSetupConfigFile);
}

bool SETUPTABLES::LoadUnattended() {
  Unattended.Clear();
  AnswerFile = STRING();
  for (const char* name : {kSilentSetupFile, kSilentInstallFile}) {
    if (!Unattended.Load(name)) continue;
    AnswerFile = STRING(name, 1252);
    logit("SETUPTABLES::LoadUnattended answers from %s, entries= %d\n", name, Unattended.Count());
    return true;
  }
  return false;
}

bool SETUPTABLES::SaveRecorded() const { return Recorded.Save(kRecordedAnswersFile); }

// ---------------------------------------------------------------------------------------------------
// Answer keys

// Value prefixes by ANSWERKIND.
static const char* const kAnswerPrefixes[] = {"", "CB:", "RB:", "EF:", "DD:"};
static const int kAnswerKinds = static_cast<int>(sizeof(kAnswerPrefixes) / sizeof(kAnswerPrefixes[0]));

STRING AnswerKey(int page, int control) {
  STRING key;
  key.Format("%d.%d", page, control);
  return key;
}

STRING AnswerKey(int page, const char* word) {
  word = NullGuard(word, "AnswerKey word");
  STRING key;
  key.Format("%d.%s", page, word ? word : "");
  return key;
}

bool AnswerControl(const STRING& key, int page, int* control) {
  STRING prefix = AnswerKey(page, "");
  if (key.Length() <= prefix.Length() || _strnicmp(key.c_str(), prefix.c_str(), prefix.Length()) != 0) return false;
  STRING rest = key.Mid(prefix.Length());
  char first = rest[0];
  if (!(first >= '0' && first <= '9') && first != '-') return false;
  *control = rest.atoi();
  return true;
}

STRING AnswerValue(ANSWERKIND kind, const char* text) {
  int i = static_cast<int>(kind);
  return STRING(i > 0 && i < kAnswerKinds ? kAnswerPrefixes[i] : "", 1252) + text;
}

STRING AnswerValue(ANSWERKIND kind, int number) { return AnswerValue(kind, STRING(number).c_str()); }

// The prefix is two letters and the colon: "CB1" is no check-box answer.
ANSWERKIND ParseAnswerValue(const STRING& value, STRING* text) {
  *text = value.Mid(3);
  if (value.Length() < 3) return ANSWER_NONE;
  for (int i = 1; i < kAnswerKinds; i++)
    if (_strnicmp(value.c_str(), kAnswerPrefixes[i], 3) == 0) return static_cast<ANSWERKIND>(i);
  return ANSWER_NONE;
}

void RecordAnswer(HASH& answers, int page, int control, ANSWERKIND kind, const char* text) {
  answers[AnswerKey(page, control)] = AnswerValue(kind, text);
}

void RecordAnswer(HASH& answers, int page, int control, ANSWERKIND kind, int number) {
  answers[AnswerKey(page, control)] = AnswerValue(kind, number);
}

void RecordResult(HASH& answers, int page, int result) { answers[AnswerKey(page, kAnswerPush)] = STRING(result); }

bool AnswerResult(const HASH& answers, int page, int* result) {
  HASHHOLD hold(answers);
  int i = answers.IndexOf(AnswerKey(page, kAnswerPush).c_str());
  if (i < 0) return false;
  *result = answers.GetValue(i).atoi();
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Text variables

namespace {

struct TEXTVARIABLE {
  const char* Name;
  const char* TEXTVARIABLES::*Value;
};

// Where one name begins another, the longer one stands first.
const TEXTVARIABLE kTextVariables[] = {
    {"$PROGRAM", &TEXTVARIABLES::Program}, {"$PROG", &TEXTVARIABLES::Prog},   {"$DIR", &TEXTVARIABLES::Dir},
    {"$FILE", &TEXTVARIABLES::File},       {"$(PATH)", &TEXTVARIABLES::Path}, {"$(VXX)", &TEXTVARIABLES::Vxx},
    {"$(VNEW)", &TEXTVARIABLES::Vnew},
};

// The variable whose name stands at `p` (with `left` bytes from there on), or null.
const TEXTVARIABLE* VariableAt(const char* p, int left) {
  for (const TEXTVARIABLE& variable : kTextVariables) {
    int len = static_cast<int>(strlen(variable.Name));
    if (len <= left && memcmp(p, variable.Name, static_cast<size_t>(len)) == 0) return &variable;
  }
  return nullptr;
}

}  // namespace

STRING ReplaceTextVariables(const STRING& text, const TEXTVARIABLES& variables) {
  const char* p = text.GetBuffer();
  int len = text.Length();
  if (len < 1) return STRING("", 1252);
  STRING result(STRINGBLOCK{len + 256});
  result.EnsureBuffer();
  int done = 0;
  for (int i = 0; i < len; i++) {
    if (p[i] != '$') continue;
    const TEXTVARIABLE* variable = VariableAt(p + i, len - i);
    if (!variable) continue;
    int namelen = static_cast<int>(strlen(variable->Name));
    const char* value = variables.*(variable->Value);
    result.Append(p + done, i - done).Append(value ? value : variable->Name);
    done = i + namelen;
    i = done - 1;
  }
  result.Append(p + done, len - done);
  result.SetCodePage(text.GetCodePage());
  return result;
}
