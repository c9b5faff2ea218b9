// STRINGARRAY: owning list of strings with a line-file loader.
#include "base/stringarray.h"

#include <cstdio>
#include <cstring>

#include "app/logit.h"
#include "app/norbaassert.h"
#include "base/stream.h"

static const char kAssertUnit[] = "stringarray";

int STRINGARRAY::Add(const STRING& item) {
  Items.push_back(item);
  return Count() - 1;
}

int STRINGARRAY::Add(const char* item) { return Add(STRING(item, 1252)); }

STRING& STRINGARRAY::Get(int i) {
  static STRING dummy;
  if (i >= 0 && i < Count()) return Items[i];
  char info[160];
  snprintf(info, sizeof(info), "i= %d, max= %d, count= %d, type= %s, this= %p", i, Count(), Count(),
           "STRINGARRAY", static_cast<void*>(this));
  Assert(0, "FALSE", kAssertUnit, __LINE__, info);
  dummy = STRING();
  return dummy;
}

const STRING& STRINGARRAY::Get(int i) const { return const_cast<STRINGARRAY*>(this)->Get(i); }


int STRINGARRAY::Load(const char* filename, bool unescape) {
  logit("STRINGARRAY::Load %s (%ld bytes)\n", filename ? filename : "<NULL>", static_cast<long>(FileSize(filename)));
  STREAM file(filename, "r");
  if (!file.File) {
    logit("STRINGARRAY::Load returns %d, %s\n", 0, LastErrorText().c_str());
    return 0;
  }
  std::vector<STRING> lines;
  STRING line;
  char piece[32768];
  bool pending = false;
  // A NUL byte inside a line ends what fgets reports of that piece; the rest of the line is still read.
  while (fgets(piece, sizeof(piece), file.File)) {
    size_t n = strlen(piece);
    bool ended = n > 0 && piece[n - 1] == '\n';
    line.Append(piece, static_cast<int>(ended ? n - 1 : n));
    pending = true;
    if (!ended) continue;
    lines.push_back(unescape ? line.Unescape(0) : line);
    line = STRING();
    pending = false;
  }
  if (pending && line.Length() > 0) lines.push_back(unescape ? line.Unescape(0) : line);
  Items.insert(Items.begin(), lines.begin(), lines.end());
  logit("STRINGARRAY::Load returns %d, %s\n", static_cast<int>(lines.size()), LastErrorText().c_str());
  return static_cast<int>(lines.size());
}
