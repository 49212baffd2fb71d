#include "platform/win32/automation.h"

#include "platform/win32/system_function.h"

namespace velmora::win32::automation {

namespace {

template <class Function>
Function entry(const char* name) {
  return systemFunction<Function>(L"oleaut32.dll", name);
}

}  // namespace

BSTR allocString(const wchar_t* text, UINT length) {
  static const auto f = entry<BSTR(WINAPI*)(const OLECHAR*, UINT)>("SysAllocStringLen");
  return f ? f(text, length) : nullptr;
}

void freeString(BSTR text) {
  if (!text) return;
  static const auto f = entry<void(WINAPI*)(BSTR)>("SysFreeString");
  if (f) f(text);
}

UINT stringLength(BSTR text) {
  if (!text) return 0;
  static const auto f = entry<UINT(WINAPI*)(BSTR)>("SysStringLen");
  return f ? f(text) : 0;
}

void variantInit(VARIANT* v) {
  // What VariantInit does: an empty variant.
  V_VT(v) = VT_EMPTY;
}

HRESULT variantClear(VARIANT* v) {
  if (V_VT(v) == VT_EMPTY) return S_OK;
  static const auto f = entry<HRESULT(WINAPI*)(VARIANTARG*)>("VariantClear");
  return f ? f(v) : E_FAIL;
}

HRESULT variantChangeType(VARIANT* to, const VARIANT* from, USHORT flags, VARTYPE type) {
  static const auto f = entry<HRESULT(WINAPI*)(VARIANTARG*, const VARIANTARG*, USHORT, VARTYPE)>("VariantChangeType");
  return f ? f(to, from, flags, type) : E_FAIL;
}

}  // namespace velmora::win32::automation
