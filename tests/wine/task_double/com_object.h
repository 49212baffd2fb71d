#pragma once
// The reference counting and IDispatch stubs every object of the double
// shares, and the count of live objects DllCanUnloadNow answers from.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <type_traits>

namespace velmora::taskdouble {

// Objects alive in this DLL, class factories included.
inline std::atomic<long> liveObjects{0};

template <class Interface>
class ComObject : public Interface {
 public:
  ComObject() { ++liveObjects; }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() { --liveObjects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    bool known = iid == IID_IUnknown || iid == __uuidof(Interface);
    if constexpr (std::is_base_of_v<IDispatch, Interface>) known = known || iid == IID_IDispatch;
    if (!known) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// Clients of the scheduler call it through its vtable; late binding is not
// needed, so the IDispatch part only says so.
template <class Interface>
class DispatchObject : public ComObject<Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

// Hands a new object's only reference to an out-parameter.
template <class Interface, class Object>
HRESULT give(Object* object, Interface** out) {
  if (!out) {
    object->Release();
    return E_POINTER;
  }
  *out = object;
  return S_OK;
}

inline HRESULT giveString(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

inline std::wstring fromBstr(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

inline constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
inline constexpr HRESULT kAlreadyExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
inline constexpr HRESULT kInvalidName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);

}  // namespace velmora::taskdouble
