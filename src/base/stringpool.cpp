// The block pool of STRING buffers: a stack of at most 127 free 96-byte blocks shared by all threads,
// closed by the frame at sign-off (StringPoolRelease); other sizes go straight to the heap.
#include "base/strings.h"

#include <windows.h>

#include <cstdlib>
#include <new>

#include "diag/norbaassert.h"
#include "base/critsec.h"
#include "base/stringinternal.h"

static const char kAssertUnit[] = "strings";

namespace {
const int kPoolMax = 127;

struct BLOCKPOOL {
  CRITICALSECTION Lock;
  void* Blocks[kPoolMax] = {};
  int Count = 0;
};

volatile LONG gPoolClosed = 0;

// Made on first use (thread-safe static initialisation) and destroyed only by StringPoolRelease, so
// strings that die during static destruction never meet a destroyed lock.
BLOCKPOOL* Pool() {
  static BLOCKPOOL* pool = new (std::nothrow) BLOCKPOOL();
  return gPoolClosed ? nullptr : pool;
}
}  // namespace

void* BlockAlloc(int size) {
  BLOCKPOOL* pool = size == STRING_DEFAULT_BLOCK ? Pool() : nullptr;
  if (pool) {
    CRITICALSECTIONLOCK lock(pool->Lock);
    if (pool->Count > 0) {
      void* ptr = pool->Blocks[--pool->Count];
      if (AssertCheck(ptr != nullptr, "ptr", kAssertUnit, __LINE__)) return ptr;
    }
  }
  return malloc(static_cast<size_t>(size));
}

void BlockFree(void* ptr, int size) {
  if (!ptr) return;
  BLOCKPOOL* pool = size == STRING_DEFAULT_BLOCK ? Pool() : nullptr;
  if (pool) {
    CRITICALSECTIONLOCK lock(pool->Lock);
    if (pool->Count < kPoolMax) {
      pool->Blocks[pool->Count++] = ptr;
      return;
    }
  }
  free(ptr);
}

void StringPoolRelease() {
  BLOCKPOOL* pool = Pool();
  if (InterlockedExchange(&gPoolClosed, 1) || !pool) return;
  {
    CRITICALSECTIONLOCK lock(pool->Lock);
    for (int i = 0; i < pool->Count; i++) free(pool->Blocks[i]);
    pool->Count = 0;
  }
  delete pool;
}

int StringPoolCount() {
  BLOCKPOOL* pool = Pool();
  if (!pool) return 0;
  CRITICALSECTIONLOCK lock(pool->Lock);
  return pool->Count;
}
