// DYNARRAY, untyped part: the slot array that grows by a fixed increment, the lock, and the index
// checks with their reports. The typed template in dynarray.h creates, copies and destroys the items.
#include "base/dynarray.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "dynarray";
static const int kDefaultIncrement = 64;

DYNARRAYBASE::DYNARRAYBASE(const char* tag, int initial, int increment)
    : TypeTag(), pLock(new (std::nothrow) MUTEXSEM(false, nullptr)), ppItems(nullptr), ItemCount(0), MaxItems(0),
      IncrementBy(increment == -1 ? initial : increment), OwnerThread(0), Depth(0) {
  SetTypeTag(tag);
  if (IncrementBy < 1) IncrementBy = kDefaultIncrement;
  AssertCheck(pLock != nullptr, "pLock", kAssertUnit, __LINE__);
  if (initial > 0) GrowTo(initial);
}

DYNARRAYBASE::~DYNARRAYBASE() {
  ReleaseSlots();
  delete pLock;
}

void DYNARRAYBASE::SetTypeTag(const char* tag) { snprintf(TypeTag, sizeof(TypeTag), "%s", tag ? tag : ""); }

// Only the holder of the mutex ever writes its own id into OwnerThread, so another thread never reads
// its own id there.
bool DYNARRAYBASE::Lock(DWORD timeout) const {
  DWORD self = GetCurrentThreadId();
  if (OwnerThread == self) {
    Depth++;
    return true;
  }
  if (!pLock || !pLock->Obtain(timeout)) return false;
  OwnerThread = self;
  Depth = 1;
  return true;
}

void DYNARRAYBASE::Unlock() const {
  if (!pLock) return;
  // A thread that does not hold the lock gets the mutex's own failure report.
  if (OwnerThread != GetCurrentThreadId()) {
    pLock->Release();
    return;
  }
  if (--Depth > 0) return;
  OwnerThread = 0;
  pLock->Release();
}

int DYNARRAYBASE::Count() const {
  DYNARRAYLOCK lock(*this);
  return ItemCount;
}

int DYNARRAYBASE::GetMaxItems() const {
  DYNARRAYLOCK lock(*this);
  return MaxItems;
}

// A new slot array of `slots` entries: the old pointers first, null behind them.
bool DYNARRAYBASE::GrowTo(int slots) {
  void** items = new (std::nothrow) void*[static_cast<size_t>(slots)];
  if (!AssertCheck(items != nullptr, "this->ppItems", kAssertUnit, __LINE__)) return false;
  for (int i = 0; i < slots; i++) items[i] = i < ItemCount ? ppItems[i] : nullptr;
  delete[] ppItems;
  ppItems = items;
  MaxItems = slots;
  return true;
}

bool DYNARRAYBASE::Reserve(int count) { return count <= MaxItems || GrowTo(count); }

void DYNARRAYBASE::ReleaseSlots() {
  delete[] ppItems;
  ppItems = nullptr;
  MaxItems = 0;
  ItemCount = 0;
}

bool DYNARRAYBASE::CanInsert(int pos) {
  char info[64];
  snprintf(info, sizeof(info), "%d/%d", pos, ItemCount);
  if (!AssertCheck(pos >= 0 && pos <= ItemCount, "pos>=0 && pos<=this->ItemCount", kAssertUnit, __LINE__, info))
    return false;
  if (ItemCount >= MaxItems) {
    // The slots grow by the increment, and by half the array once that is more, so that filling a
    // large array (a long file) stays linear instead of copying the slots once per increment.
    int step = IncrementBy > MaxItems / 2 ? IncrementBy : MaxItems / 2;
    if (MaxItems <= INT_MAX - step)
      GrowTo(MaxItems + step);
    else
      AssertCheck(false, "this->ppItems", kAssertUnit, __LINE__, "too many items");
  }
  return AssertCheck(ItemCount < MaxItems, "this->ItemCount<this->MaxItems", kAssertUnit, __LINE__);
}

void DYNARRAYBASE::PutSlot(int pos, void* item) {
  memmove(ppItems + pos + 1, ppItems + pos, static_cast<size_t>(ItemCount - pos) * sizeof(void*));
  ppItems[pos] = item;
  ItemCount++;
}

void* DYNARRAYBASE::TakeSlot(int pos) {
  if (!AssertCheck(pos >= 0 && pos < ItemCount, "pos>=0 && pos<this->ItemCount", kAssertUnit, __LINE__)) return nullptr;
  void* item = ppItems[pos];
  logitlevel(1, "DYNARRAY::DeleteItem is called for pitem= %p\n", item);
  memmove(ppItems + pos, ppItems + pos + 1, static_cast<size_t>(ItemCount - pos - 1) * sizeof(void*));
  ppItems[--ItemCount] = nullptr;
  return item;
}

void* DYNARRAYBASE::GetSlot(int i) const {
  if (i >= 0 && i < ItemCount) return ppItems[i];
  char info[160];
  snprintf(info, sizeof(info), "i= %d, max= %d, count= %d, type= %s, this= %p", i, MaxItems, ItemCount, TypeTag,
           static_cast<const void*>(this));
  AssertCheck(false, "FALSE", kAssertUnit, __LINE__, info);
  return nullptr;
}

bool DYNARRAYBASE::Swap(int pos1, int pos2) {
  DYNARRAYLOCK lock(*this);
  bool ok1 = AssertCheck(pos1 >= 0 && pos1 < ItemCount, "pos1>=0 && pos1<this->ItemCount", kAssertUnit, __LINE__);
  bool ok2 = AssertCheck(pos2 >= 0 && pos2 < ItemCount, "pos2>=0 && pos2<this->ItemCount", kAssertUnit, __LINE__);
  if (!ok1 || !ok2) return false;
  std::swap(ppItems[pos1], ppItems[pos2]);
  return true;
}

// Moves items[order[i]] to place i for every i through `scratch` (room for `count` pointers); false, with
// everything put back, when `order` is not a permutation of the `count` (non-null) items.
static bool Permute(void** items, void** scratch, const int* order, int count) {
  for (int i = 0; i < count; i++) {
    // Each source slot is taken once: a repeated index finds its slot already emptied.
    if (order[i] < 0 || order[i] >= count || !items[order[i]]) {
      while (i-- > 0) items[order[i]] = scratch[i];
      return false;
    }
    scratch[i] = items[order[i]];
    items[order[i]] = nullptr;
  }
  memcpy(items, scratch, static_cast<size_t>(count) * sizeof(void*));
  return true;
}

bool DYNARRAYBASE::Reorder(const int* order, int count, DYNARRAYBASE* partner) {
  DYNARRAYLOCK lock(*this);
  DYNARRAYLOCK partnerlock(partner ? *partner : *this);
  if (count != ItemCount || !order || (partner && partner->ItemCount != count))
    return AssertCheck(false, "FALSE", kAssertUnit, __LINE__, "order does not match the items");
  if (count == 0) return true;
  // One scratch block for both arrays: once it is there, nothing can fail half-way.
  void** scratch = new (std::nothrow) void*[static_cast<size_t>(count) * (partner ? 2 : 1)];
  if (!AssertCheck(scratch != nullptr, "this->ppItems", kAssertUnit, __LINE__)) return false;
  bool ok = Permute(ppItems, scratch, order, count);
  // `order` is a permutation now, so the partner's items move as well.
  if (ok && partner) Permute(partner->ppItems, scratch + count, order, count);
  delete[] scratch;
  return AssertCheck(ok, "FALSE", kAssertUnit, __LINE__, "order is not a permutation");
}

void DYNARRAYBASE::ExchangeSlots(DYNARRAYBASE& other) {
  std::swap(ppItems, other.ppItems);
  std::swap(ItemCount, other.ItemCount);
  std::swap(MaxItems, other.MaxItems);
}

bool DYNARRAYBASE::CheckItem(const void* item) { return AssertCheck(item != nullptr, "pitem", kAssertUnit, __LINE__); }

int DYNARRAYBASE::ReportNoCompare() {
  AssertCheck(false, "FALSE", kAssertUnit, __LINE__);
  return 0;
}
