// ITaskService: the entry point a client creates with CoCreateInstance.
#include "wine/task_double/com_object.h"
#include "wine/task_double/objects.h"
#include "wine/task_double/settings.h"

namespace velmora::taskdouble {

namespace {

bool emptyArgument(const VARIANT& v) {
  return V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL || V_VT(&v) == VT_ERROR ||
         (V_VT(&v) == VT_BSTR && SysStringLen(V_BSTR(&v)) == 0);
}

class TaskService final : public DispatchObject<ITaskService> {
 public:
  HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    // The real service refuses everything until Connect; a client that
    // forgets it must fail here too.
    if (!connected_) return HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED);
    const std::optional<std::wstring> resolved = resolvePath(L"\\", fromBstr(path));
    if (!resolved) return kInvalidName;
    const std::optional<TaskStore> store = currentStore();
    if (!store) return kNoStore;
    if (!store->folderExists(*resolved)) return kNotFound;
    return give(newTaskFolder(*resolved), folder);
  }
  HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Connect(VARIANT server, VARIANT user, VARIANT domain, VARIANT password) override {
    // Only this machine, as the signed-in user.
    if (!emptyArgument(server)) return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    if (!emptyArgument(user) || !emptyArgument(domain) || !emptyArgument(password)) return E_ACCESSDENIED;
    connected_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL* connected) override {
    if (!connected) return E_POINTER;
    *connected = connected_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD* version) override {
    if (!version) return E_POINTER;
    *version = (1 << 16) | 4;  // Task Scheduler 1.4, as Windows 10's
    return S_OK;
  }

 private:
  bool connected_ = false;
};

}  // namespace

ITaskService* newTaskService() { return new TaskService; }

}  // namespace velmora::taskdouble
