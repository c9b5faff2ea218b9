// Helpers shared by the files that implement STRING and WSTRING (strings.cpp, stringpool.cpp,
// stringcodepage.cpp, stringencoding.cpp, stringfile.cpp); nothing else includes this header.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>

// A C length as an int, capped at INT_MAX.
inline int ClampedLength(size_t n) { return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

// Buffers of `size` bytes; blocks of STRING_DEFAULT_BLOCK bytes come from the block pool while it is open.
void* BlockAlloc(int size);
void BlockFree(void* ptr, int size);

// The bytes of a NUL-terminated set; byte 0 is never a member.
class BYTESET {
 public:
  explicit BYTESET(const char* set) {
    memset(In, 0, sizeof(In));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(set); *p; p++) In[*p] = true;
  }
  bool Has(char c) const { return In[static_cast<unsigned char>(c)] && c != 0; }

 private:
  bool In[256];
};
