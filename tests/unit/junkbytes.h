// Reproducible pseudo-random bytes for tests that feed junk to a reader: the same seed gives the same
// bytes on every run, so a failure can be repeated.
#pragma once

#include <cstddef>
#include <string>

inline std::string JunkBytes(size_t count, unsigned seed = 12345) {
  std::string junk;
  for (size_t i = 0; i < count; i++) {
    seed = seed * 1103515245u + 12345u;
    junk += static_cast<char>(seed >> 16);
  }
  return junk;
}
