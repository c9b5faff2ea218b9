// Owners for COM: COMPTR holds one interface reference and releases it, COMSCOPE initialises COM on the
// calling thread for its lifetime (a single-threaded apartment, as the shell's objects need).
#pragma once

#include <objbase.h>
#include <windows.h>

template <class T>
class COMPTR {
 public:
  COMPTR() = default;
  ~COMPTR() { Reset(); }
  COMPTR(const COMPTR&) = delete;
  COMPTR& operator=(const COMPTR&) = delete;

  T* Get() const { return Pointer; }
  T* operator->() const { return Pointer; }
  explicit operator bool() const { return Pointer != nullptr; }
  // The place an interface is returned into; what the owner held is released first.
  T** Out() {
    Reset();
    return &Pointer;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (Pointer) Pointer->Release();
    Pointer = nullptr;
  }

 private:
  T* Pointer = nullptr;
};

class COMSCOPE {
 public:
  COMSCOPE() : Result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  // A thread already in another apartment keeps it; only a successful initialisation is undone.
  ~COMSCOPE() {
    if (SUCCEEDED(Result)) CoUninitialize();
  }
  COMSCOPE(const COMSCOPE&) = delete;
  COMSCOPE& operator=(const COMSCOPE&) = delete;
  HRESULT GetResult() const { return Result; }

 private:
  HRESULT Result;
};

// A BSTR made from a text in code page 1252 (null when it could not be allocated), freed with the object.
class BSTRTEXT {
 public:
  explicit BSTRTEXT(const wchar_t* text) : Text(SysAllocString(text)) {}
  ~BSTRTEXT() {
    if (Text) SysFreeString(Text);
  }
  BSTRTEXT(const BSTRTEXT&) = delete;
  BSTRTEXT& operator=(const BSTRTEXT&) = delete;
  BSTR Get() const { return Text; }

 private:
  BSTR Text;
};
