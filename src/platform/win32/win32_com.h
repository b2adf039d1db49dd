#pragma once

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <string>

#include "platform/win32/win32_wide.h"

namespace velmoro {

// COM on the calling thread, a single-threaded apartment of its own, as long as this lives.
class ComApartment {
 public:
  ComApartment()
      : initialised_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  explicit operator bool() const { return initialised_; }

 private:
  bool initialised_;
};

// A COM interface pointer, released when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* operator->() const { return pointer_; }
  // For the calls that hand out an interface: typed, or as the void** of QueryInterface and kin.
  T** put() {
    Reset();
    return &pointer_;
  }
  void** out() { return reinterpret_cast<void**>(put()); }

 private:
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

  T* pointer_ = nullptr;
};

// A BSTR of its own; null when it could not be made.
class Bstr {
 public:
  explicit Bstr(const std::u16string& text)
      : text_(SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  explicit operator bool() const { return text_ != nullptr; }
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

// A VARIANT, cleared when it goes: empty, a copy of a string, or a number.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const Bstr& text) : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(text.get(), SysStringLen(text.get()));
  }
  explicit Variant(int number) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

}  // namespace velmoro
