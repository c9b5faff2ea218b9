// DYNARRAY: a thread-safe array of owned item pointers that grows in fixed steps. It is the base of the
// string lists, of the hash table's key and value columns and of the record lists. Every operation holds
// the array's own recursive MUTEXSEM; Lock/Unlock hold it across several operations.
#pragma once

#include <windows.h>

#include <algorithm>
#include <new>
#include <utility>

#include "base/semaphores.h"

// The untyped part: slot array, counts, lock, type tag and the checks with their reports.
class DYNARRAYBASE {
 public:
  int Count() const;
  int GetMaxItems() const;
  // Exchanges two items; false (after the index report) when either index is out of range.
  bool Swap(int pos1, int pos2);
  // Puts the item at order[i] on place i for every i; `order` must hold each index of the array once,
  // otherwise the report "FALSE" is raised and nothing moves. A `partner` array of the same count (the
  // values beside keys) is reordered alike: both arrays move, or neither does.
  bool Reorder(const int* order, int count, DYNARRAYBASE* partner = nullptr);
  // The lock is recursive: the OS mutex is taken by the outermost Lock of a thread only, the nested
  // ones are counted here, so that compound operations cost one wait.
  bool Lock(DWORD timeout = INFINITE) const;
  void Unlock() const;
  const char* GetTypeTag() const { return TypeTag; }
  void SetTypeTag(const char* tag);

 protected:
  // `increment` -1 takes `initial`; an increment that would still be below 1 becomes 64.
  DYNARRAYBASE(const char* tag, int initial, int increment);
  virtual ~DYNARRAYBASE();
  DYNARRAYBASE(const DYNARRAYBASE&) = delete;
  DYNARRAYBASE& operator=(const DYNARRAYBASE&) = delete;

  // Slot work below expects the caller to hold the lock.
  // Checks an insertion index and makes room for one more item.
  bool CanInsert(int pos);
  // Stores `item` at `pos`, moving later items up (after CanInsert succeeded).
  void PutSlot(int pos, void* item);
  // Removes the item at `pos` and closes the gap; null after the index report.
  void* TakeSlot(int pos);
  // The item at `i`; null after the range report.
  void* GetSlot(int i) const;
  // Room for at least `count` slots.
  bool Reserve(int count);
  void ReleaseSlots();
  void ExchangeSlots(DYNARRAYBASE& other);
  // Reports of the typed layer.
  static bool CheckItem(const void* item);
  static int ReportNoCompare();
  int Increment() const { return IncrementBy; }

  char TypeTag[32];
  MUTEXSEM* pLock;
  void** ppItems;
  int ItemCount;
  int MaxItems;

 private:
  bool GrowTo(int slots);
  int IncrementBy;
  mutable volatile DWORD OwnerThread;  // the thread holding pLock, 0 when none
  mutable int Depth;                   // nesting of Lock calls of that thread
};

// Holds an array's lock for a scope (nothing to release when the lock could not be taken).
class DYNARRAYLOCK {
 public:
  explicit DYNARRAYLOCK(const DYNARRAYBASE& array) : Array(array), Held(array.Lock()) {}
  ~DYNARRAYLOCK() {
    if (Held) Array.Unlock();
  }
  DYNARRAYLOCK(const DYNARRAYLOCK&) = delete;
  DYNARRAYLOCK& operator=(const DYNARRAYLOCK&) = delete;

 private:
  const DYNARRAYBASE& Array;
  bool Held;
};

// Items are copies owned by the array: inserting copies (or moves) the caller's item into a new heap
// object, deleting destroys it. Bad indexes are reported and yield an empty item or do nothing.
template <typename T>
class DYNARRAY : public DYNARRAYBASE {
 public:
  explicit DYNARRAY(const char* tag = "DYNARRAY", int initial = 0, int increment = -1)
      : DYNARRAYBASE(tag, initial, increment) {}
  DYNARRAY(const DYNARRAY& other) : DYNARRAYBASE(other.TypeTag, 0, other.Increment()) { CopyItems(other); }
  DYNARRAY& operator=(const DYNARRAY& other) {
    if (this == &other) return *this;
    DYNARRAYLOCK mine(*this);
    DestroyItems();
    CopyItems(other);
    return *this;
  }
  // Ordering of two items for Sort; each concrete array supplies its own.
  virtual int Compare(const T& a, const T& b, int flags) const {
    (void)a, (void)b, (void)flags;
    return ReportNoCompare();
  }
  virtual ~DYNARRAY() { DestroyItems(); }

  // 0 <= pos <= Count(); returns the index, -1 when nothing was stored.
  int Insert(int pos, const T& item) { return Store(pos, new (std::nothrow) T(item)); }
  int Insert(int pos, T&& item) { return Store(pos, new (std::nothrow) T(std::move(item))); }
  int Add(const T& item) {
    DYNARRAYLOCK lock(*this);
    return Insert(ItemCount, item);
  }
  int Add(T&& item) {
    DYNARRAYLOCK lock(*this);
    return Insert(ItemCount, std::move(item));
  }
  T& Get(int i) {
    DYNARRAYLOCK lock(*this);
    T* item = static_cast<T*>(GetSlot(i));
    return item ? *item : EmptyItem();
  }
  const T& Get(int i) const { return const_cast<DYNARRAY*>(this)->Get(i); }
  T& operator[](int i) { return Get(i); }
  const T& operator[](int i) const { return Get(i); }

  bool DeleteItem(int pos) {
    DYNARRAYLOCK lock(*this);
    T* item = static_cast<T*>(TakeSlot(pos));
    delete item;
    return item != nullptr;
  }
  // Deletes the items from the last to the first; the slots stay allocated.
  void DeleteAll() {
    DYNARRAYLOCK lock(*this);
    DestroyItems();
  }
  // Deletes the items and frees the slots.
  void Clear() {
    DYNARRAYLOCK lock(*this);
    DestroyItems();
    ReleaseSlots();
  }
  // Stable sort by Compare(a, b, flags): items that compare equal keep their order.
  void Sort(int flags) {
    DYNARRAYLOCK lock(*this);
    std::stable_sort(ppItems, ppItems + ItemCount, [this, flags](void* a, void* b) {
      return Compare(*static_cast<T*>(a), *static_cast<T*>(b), flags) < 0;
    });
  }
  // Exchanges the whole contents with another array of the same kind (type tags stay).
  void Exchange(DYNARRAY& other) {
    if (this == &other) return;
    DYNARRAYLOCK mine(*this);
    DYNARRAYLOCK theirs(other);
    ExchangeSlots(other);
  }

 private:
  int Store(int pos, T* item) {
    DYNARRAYLOCK lock(*this);
    if (!CheckItem(item)) return -1;
    if (!CanInsert(pos)) {
      delete item;
      return -1;
    }
    PutSlot(pos, item);
    return pos;
  }
  void DestroyItems() {
    while (ItemCount > 0) delete static_cast<T*>(TakeSlot(ItemCount - 1));
  }
  void CopyItems(const DYNARRAY& other) {
    DYNARRAYLOCK theirs(other);
    if (!Reserve(other.ItemCount)) return;
    for (int i = 0; i < other.ItemCount; i++) {
      T* item = new (std::nothrow) T(*static_cast<const T*>(other.ppItems[i]));
      if (!CheckItem(item)) return;
      PutSlot(ItemCount, item);
    }
  }
  // A fresh empty item for reads out of range, private to this array.
  T& EmptyItem() const {
    Empty = T();
    return Empty;
  }

  mutable T Empty;
};
