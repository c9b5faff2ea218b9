// HASHLIST: an owning, thread-safe list of HASH records (a DYNARRAY) that sorts by named columns: the
// column list names record keys, and records compare by their values for those keys, column by column.
#pragma once

#include "base/dynarray.h"
#include "base/hash.h"
#include "base/stringarray.h"

// Compare (and Sort) flag: compare the column values as decimal numbers (else byte by byte, with case).
#define HASHLIST_COMPARE_NUMERIC 0x01

class HASHLIST : public DYNARRAY<HASH> {
 public:
  HASHLIST();

  // The columns to sort by, most significant first; `columns` is split at any byte of `separators`.
  void SetColumns(const char* columns, const char* separators = ";");
  void SetColumns(const STRINGARRAY& columns);
  int ColumnCount() const { return Columns.Count(); }

  // The first non-zero difference of the records' values column by column; a record without the key
  // reads as an empty value.
  int Compare(const HASH& a, const HASH& b, int flags) const override;

 private:
  STRINGARRAY Columns;
};
