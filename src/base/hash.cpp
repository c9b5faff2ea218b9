// HASH, the table: sorted lookup by binary search over the case-insensitive key order (the result is the
// first key not below the searched one, as a scan from the start would find), insertion at the sorted
// place, deletion, stable re-sorting and copying; keys and values always change together under the lock.
#include "base/hash.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "hash";

HASH::HASH() : Handle(0), Keys(64, 64), Values(64, 64), LockTable(false), Misses(0, 16) {
  Keys.SetTypeTag("HASH-KEYS");
  Values.SetTypeTag("HASH-VALUES");
}

HASH::HASH(const HASH& other) : HASH() { *this = other; }

HASH& HASH::operator=(const HASH& other) {
  if (this == &other) return *this;
  DYNARRAYLOCK mine(Keys);
  DYNARRAYLOCK theirs(other.Keys);
  Keys = other.Keys;
  Values = other.Values;
  Handle = other.Handle;
  LockTable = other.LockTable;
  Key = other.Key;
  return *this;
}

HASH::~HASH() {}

// A stored key's text for the C run-time: never null, whatever the null guard's mode.
static const char* StoredKey(const STRING& key) { return NullGuardText(key.GetBuffer(), "HASH stored key"); }

int HASH::LowerBound(const char* key) const {
  int low = 0, high = Keys.Count();
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (_stricmp(StoredKey(Keys[mid]), key) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

bool HASH::IsKeyAt(int i, const char* key) const { return i < Keys.Count() && _stricmp(StoredKey(Keys[i]), key) == 0; }

// Keys are never null: a null key pointer is looked up as the empty key.
static const char* KeyText(const char* key) {
  key = NullGuard(key, "HASH key");
  return key ? key : "";
}

int HASH::IndexOf(const char* key) const {
  key = KeyText(key);
  DYNARRAYLOCK lock(Keys);
  int i = LowerBound(key);
  return IsKeyAt(i, key) ? i : -1;
}

bool HASH::Exists(const char* key) const { return IndexOf(key) >= 0; }

STRING HASH::Get(const char* key) const {
  key = KeyText(key);
  DYNARRAYLOCK lock(Keys);
  int rcidx = IndexOf(key);
  Assert(rcidx != -1, "rcidx!=-1", kAssertUnit, __LINE__, key);
  return rcidx != -1 ? Values[rcidx] : STRING("", 1252);
}

STRING& HASH::Detached() {
  // Without memory for even that, the array's own empty item (after the reports) is all there is.
  return Misses[Misses.Add(STRING("", 1252))];
}

STRING& HASH::operator[](const char* key) {
  key = KeyText(key);
  DYNARRAYLOCK lock(Keys);
  int i = LowerBound(key);
  if (IsKeyAt(i, key)) return Values[i];
  if (LockTable) {
    Assert(0, "!this->LockTable", kAssertUnit, __LINE__, key);
    return Detached();
  }
  if (Keys.Insert(i, STRING(key, 1252)) < 0) return Detached();
  if (Values.Insert(i, STRING("", 1252)) < 0) {
    Keys.DeleteItem(i);
    return Detached();
  }
  return Values[i];
}

bool HASH::Delete(const char* key) {
  key = KeyText(key);
  DYNARRAYLOCK lock(Keys);
  int i = LowerBound(key);
  if (!IsKeyAt(i, key)) return false;
  Keys.DeleteItem(i);
  Values.DeleteItem(i);
  return true;
}

void HASH::Sort() {
  DYNARRAYLOCK keys(Keys);
  DYNARRAYLOCK values(Values);
  int n = Keys.Count();
  // The key texts are taken once, so that comparisons need no lock calls.
  const char** texts = new (std::nothrow) const char*[static_cast<size_t>(n) + 1];
  int* order = new (std::nothrow) int[static_cast<size_t>(n) + 1];
  if (texts && order) {
    for (int i = 0; i < n; i++) {
      texts[i] = StoredKey(Keys[i]);
      order[i] = i;
    }
    std::stable_sort(order, order + n, [texts](int a, int b) { return _stricmp(texts[a], texts[b]) < 0; });
    // Keys and values move together or not at all.
    Keys.Reorder(order, n, &Values);
  } else {
    Assert(0, "order", kAssertUnit, __LINE__);
  }
  delete[] texts;
  delete[] order;
}

void HASH::Clear() {
  DYNARRAYLOCK lock(Keys);
  Keys.Clear();
  Values.Clear();
}

int HASH::Count() const { return Keys.Count(); }

const STRING& HASH::GetKey(int i) const { return Keys[i]; }

STRING& HASH::GetValue(int i) { return Values[i]; }

const STRING& HASH::GetValue(int i) const { return Values[i]; }

void HASH::AddParsed(STRING&& key, STRING&& value) {
  if (Keys.Add(std::move(key)) < 0) return;
  if (Values.Add(std::move(value)) < 0) Keys.DeleteItem(Keys.Count() - 1);
}
