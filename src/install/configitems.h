// The items of the '|' lists in the setup configuration and their ';' fields, trimmed of blanks and tabs
// at both ends, as every reader of such a list takes them.
#pragma once

#include "base/strings.h"

inline STRING Trimmed(STRING text) {
  text.Trim('B', " \t");
  return text;
}

// Item i of a '|' list, trimmed; the readers stop at the first empty item.
inline STRING ListItem(const STRING& list, int i) { return Trimmed(list.GetToken(i, "|")); }

// Field n of an item, trimmed; a missing field is empty.
inline STRING ItemField(const STRING& item, int n) { return Trimmed(item.GetToken(n, ";")); }
