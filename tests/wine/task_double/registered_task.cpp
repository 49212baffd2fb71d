// IRegisteredTask: one task, read from the store at every call so that a
// change made by another process shows.
#include "wine/task_double/com_object.h"
#include "wine/task_double/objects.h"
#include "wine/task_double/settings.h"

namespace velmora::taskdouble {

namespace {

class RegisteredTask final : public DispatchObject<IRegisteredTask> {
 public:
  explicit RegisteredTask(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return giveString(leafName(path_), name); }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return giveString(path_, path); }

  HRESULT STDMETHODCALLTYPE get_State(TASK_STATE* state) override {
    if (!state) return E_POINTER;
    std::optional<TaskStore> store;
    if (const HRESULT hr = existing(store); FAILED(hr)) return hr;
    *state = store->enabled(path_) ? TASK_STATE_READY : TASK_STATE_DISABLED;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
    if (!enabled) return E_POINTER;
    std::optional<TaskStore> store;
    if (const HRESULT hr = existing(store); FAILED(hr)) return hr;
    *enabled = store->enabled(path_) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
    if (denyChanges()) return E_ACCESSDENIED;
    std::optional<TaskStore> store;
    if (const HRESULT hr = existing(store); FAILED(hr)) return hr;
    if (ignoreEnable()) return S_OK;
    return store->setEnabled(path_, enabled != VARIANT_FALSE) ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_Xml(BSTR* xml) override {
    if (!xml) return E_POINTER;
    *xml = nullptr;
    std::optional<TaskStore> store;
    if (const HRESULT hr = existing(store); FAILED(hr)) return hr;
    waitDefinitionDelay();
    const std::optional<std::wstring> text = store->readTask(path_);
    return text ? giveString(*text, xml) : E_FAIL;
  }

  HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR* sddl) override {
    if (!sddl) return E_POINTER;
    *sddl = nullptr;
    std::optional<TaskStore> store;
    if (const HRESULT hr = existing(store); FAILED(hr)) return hr;
    return giveString(store->security(path_), sddl);
  }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*, LPSYSTEMTIME*) override {
    return E_NOTIMPL;
  }

 private:
  // The store, when the task is still in it: another process may have
  // deleted it since this object was made.
  HRESULT existing(std::optional<TaskStore>& store) const {
    store = currentStore();
    if (!store) return kNoStore;
    return store->taskExists(path_) ? S_OK : kNotFound;
  }

  std::wstring path_;
};

}  // namespace

IRegisteredTask* newRegisteredTask(const std::wstring& path) { return new RegisteredTask(path); }

}  // namespace velmora::taskdouble
