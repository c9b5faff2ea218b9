// OVERWRITERULES: reading the two lists once, matching entry names against them, and the Yes/No question
// before a file on the ask list is replaced.
#include "install/overwriterules.h"

#include <windows.h>

#include "diag/logit.h"
#include "base/filename.h"
#include "base/osys.h"
#include "ids.h"
#include "install/configitems.h"
#include "install/zipextract.h"

namespace {

// The items of one list in order, up to the first empty one.
std::vector<OVERWRITEITEM> ReadItems(const STRING& list) {
  STRING text(list);
  text.Replace("\\", "/", 1);
  std::vector<OVERWRITEITEM> items;
  for (int i = 0;; i++) {
    STRING item = text.GetToken(i, "|");
    item.Trim('B', " \t");
    if (item.IsEmpty()) break;
    items.push_back(OVERWRITEITEM{ItemField(item, 0), ItemField(item, 1)});
  }
  return items;
}

bool HasWildcards(const STRING& pattern) { return pattern.Find("*") || pattern.Find("?"); }

bool TargetExists(const char* destination, const char* name) {
  FILENAME target;
  target = ZIPEXTRACTOR::TargetPath(destination, name);
  return target.Exists();
}

}  // namespace

OVERWRITERULES::OVERWRITERULES(const STRING& asklist, const STRING& protectedlist)
    : Ask(ReadItems(asklist)), Protected(ReadItems(protectedlist)) {}

bool OVERWRITERULES::MayWrite(const char* name, const char* destination) const {
  if (IsProtected(name) && TargetExists(destination, name)) return false;
  const OVERWRITEITEM* asked = FindAsked(name);
  if (!asked || !TargetExists(destination, name)) return true;
  if (Hidden) {
    logit("UNZIPPER::ExtractFile %s exists; hidden run: kept without asking\n", name);
    return false;
  }
  return AskReplace(asked->Label.IsNotEmpty() ? asked->Label : STRING(name, 1252));
}

bool OVERWRITERULES::IsProtected(const char* name) const {
  for (const OVERWRITEITEM& item : Protected) {
    bool match = HasWildcards(item.Name) ? FILENAME::MatchWildcard(name, item.Name.c_str()) : item.Name == name;
    if (match) return true;
  }
  return false;
}

const OVERWRITEITEM* OVERWRITERULES::FindAsked(const char* name) const {
  for (const OVERWRITEITEM& item : Ask) {
    if (item.Name == name) return &item;
  }
  return nullptr;
}

bool OVERWRITERULES::AskReplace(const STRING& shown) const {
  // The text is a format with one %s; it is filled by hand so that a stray '%' in it can do no harm, and in
  // place, so that it keeps its language's code page, into which the name is converted.
  STRING question = OSYS::GetStringFromResource(IDS_OVERWRITE_QUESTION);
  int at = question.Pos("%s");
  if (at >= 0) question.Delete(2, at).Insert(shown.InCodePage(question.GetCodePage()).c_str(), at);
  STRING title = OSYS::GetStringFromResource(IDS_OVERWRITE_TITLE);
  WSTRING widequestion(question);
  WSTRING widetitle(title);
  int answer =
      MessageBoxW(Owner ? Owner : GetActiveWindow(), widequestion.c_str(), widetitle.c_str(), MB_YESNO | MB_ICONQUESTION);
  return answer == IDYES;
}
