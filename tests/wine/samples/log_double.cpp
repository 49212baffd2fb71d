// A log component's in-process server for the tests: its class object is
// whatever the test handed it (SetLogDoubleTarget), so that the test sees
// every call Velmora makes, while Velmora loads it as it loads any
// component, from the DLL its machine-wide registration names.
#include <windows.h>
#include <objbase.h>

namespace {
IClassFactory* target = nullptr;
}

extern "C" __declspec(dllexport) void WINAPI SetLogDoubleTarget(IClassFactory* factory) { target = factory; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return target ? target->QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
