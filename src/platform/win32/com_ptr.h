#pragma once
// Small owners for COM pointers, BSTRs, VARIANTs and the apartment, so that
// no early return leaks a reference. Handles of every other kind: handles.h.
#include <windows.h>
#include <oleauto.h>

#include "platform/win32/automation.h"

#include <string>
#include <utility>

namespace velmora::win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // For out-parameters: releases what is held first.
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Takes over a reference the caller already owns.
  static ComPtr attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  T* detach() { return std::exchange(p_, nullptr); }

  template <class U>
  ComPtr<U> as(const IID& iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, out.putVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& s) : b_(automation::allocString(s.data(), static_cast<UINT>(s.size()))) {}
  ~Bstr() { automation::freeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}

  BSTR get() const { return b_; }
  BSTR* put() {
    automation::freeString(std::exchange(b_, nullptr));
    return &b_;
  }
  std::wstring str() const { return b_ ? std::wstring(b_, automation::stringLength(b_)) : std::wstring(); }
  // A valid allocation, or null when memory ran out.
  explicit operator bool() const { return b_ != nullptr; }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { automation::variantInit(&v_); }
  ~Variant() { automation::variantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* put() {
    automation::variantClear(&v_);
    return &v_;
  }
  VARIANT& get() { return v_; }

  // Holds its own reference to the object; the caller keeps his.
  void setUnknown(IUnknown* object) {
    VARIANT* v = put();
    V_VT(v) = VT_UNKNOWN;
    V_UNKNOWN(v) = object;
    if (object) object->AddRef();
  }
  // Holds a copy of the text; false when memory ran out.
  [[nodiscard]] bool setString(const std::wstring& text) {
    VARIANT* v = put();
    V_BSTR(v) = automation::allocString(text.data(), static_cast<UINT>(text.size()));
    if (!V_BSTR(v)) return false;
    V_VT(v) = VT_BSTR;
    return true;
  }

 private:
  VARIANT v_;
};

// Makes sure this thread is in a COM apartment for the scope; balances only
// what it started. Adapters use it so that callers need not remember.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  // Whether the thread was in an apartment already, which then outlives the scope.
  [[nodiscard]] bool joinedExisting() const { return hr_ == S_FALSE || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace velmora::win32
