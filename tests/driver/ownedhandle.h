// Kernel and search handles of the test driver, owned by an object that closes them in its destructor.
#pragma once

#include <windows.h>

namespace uidriver {

template <BOOL(WINAPI* Close)(HANDLE)>
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE handle = nullptr) {
    if (Valid()) Close(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_;
};

using KernelHandle = OwnedHandle<CloseHandle>;  // processes, threads, files
using FindHandle = OwnedHandle<FindClose>;      // FindFirstFile searches

}  // namespace uidriver
