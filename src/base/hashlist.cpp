// HASHLIST: the column list and the column-wise record comparison behind its stable sort.
#include "base/hashlist.h"

#include <cstdlib>
#include <cstring>

HASHLIST::HASHLIST() : DYNARRAY<HASH>("HASHLIST", 64, 64), Columns(0, 16) {}

void HASHLIST::SetColumns(const char* columns, const char* separators) {
  DYNARRAYLOCK lock(*this);
  Columns.Clear();
  if (columns && *columns) Columns.Split(columns, static_cast<int>(strlen(columns)), separators);
}

void HASHLIST::SetColumns(const STRINGARRAY& columns) {
  DYNARRAYLOCK lock(*this);
  Columns = columns;
}

// The record's value for `column`, or an empty text when the record has no such key.
static const char* ColumnValue(const HASH& record, const char* column) {
  int i = record.IndexOf(column);
  return i >= 0 ? NullGuardText(record.GetValue(i).GetBuffer(), "HASHLIST value") : "";
}

int HASHLIST::Compare(const HASH& a, const HASH& b, int flags) const {
  DYNARRAYLOCK lock(*this);
  for (int c = 0; c < Columns.Count(); c++) {
    const char* column = Columns[c].c_str();
    const char* va = ColumnValue(a, column);
    const char* vb = ColumnValue(b, column);
    int diff = (flags & HASHLIST_COMPARE_NUMERIC) ? CompareNumbers(atoi(va), atoi(vb)) : strcmp(va, vb);
    if (diff != 0) return diff;
  }
  return 0;
}
