// The in-process server's entry points: a class factory for the Task
// Scheduler's class id, and an honest answer to whether the DLL may go.
#include "wine/task_double/com_object.h"
#include "wine/task_double/objects.h"

namespace velmora::taskdouble {

namespace {

// {0F87369F-A4E5-4CFC-BD3E-73E6154572DD}, the class this DLL stands in for.
constexpr CLSID kTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

std::atomic<long> serverLocks{0};

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ITaskService* service = newTaskService();
    const HRESULT hr = service->QueryInterface(iid, out);
    service->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++serverLocks;
    } else {
      --serverLocks;
    }
    return S_OK;
  }
};

}  // namespace

}  // namespace velmora::taskdouble

using namespace velmora::taskdouble;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kTaskScheduler) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = new ClassFactory;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}
