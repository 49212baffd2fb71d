// ITaskFolder: one scheduler folder, its subfolders and its tasks.
#include "wine/task_double/com_object.h"
#include "wine/task_double/objects.h"
#include "wine/task_double/settings.h"

namespace velmora::taskdouble {

namespace {

class TaskFolder final : public DispatchObject<ITaskFolder> {
 public:
  explicit TaskFolder(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return giveString(leafName(path_), name); }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return giveString(path_, path); }

  HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(path, resolved, store); FAILED(hr)) return hr;
    if (!store->folderExists(resolved)) return kNotFound;
    return give(newTaskFolder(resolved), folder);
  }

  HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection** folders) override {
    if (!folders) return E_POINTER;
    *folders = nullptr;
    if (refuseEnumeration()) return E_NOTIMPL;
    const std::optional<TaskStore> store = currentStore();
    if (!store) return kNoStore;
    if (!store->folderExists(path_)) return kNotFound;
    std::vector<std::wstring> paths;
    for (const std::wstring& name : store->folderNames(path_)) paths.push_back(*resolvePath(path_, name));
    return give(newFolderCollection(std::move(paths)), folders);
  }

  HRESULT STDMETHODCALLTYPE CreateFolder(BSTR name, VARIANT, ITaskFolder** folder) override {
    if (folder) *folder = nullptr;
    if (denyChanges()) return E_ACCESSDENIED;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(name, resolved, store); FAILED(hr)) return hr;
    if (store->folderExists(resolved)) return kAlreadyExists;
    if (!store->createFolder(resolved)) return E_FAIL;
    return folder ? give(newTaskFolder(resolved), folder) : S_OK;
  }

  HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR name, LONG) override {
    if (denyChanges()) return E_ACCESSDENIED;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(name, resolved, store); FAILED(hr)) return hr;
    if (!store->folderExists(resolved)) return kNotFound;
    return store->deleteFolder(resolved) ? S_OK : HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY);
  }

  HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask** task) override {
    if (!task) return E_POINTER;
    *task = nullptr;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(path, resolved, store); FAILED(hr)) return hr;
    if (!store->taskExists(resolved)) return kNotFound;
    return give(newRegisteredTask(resolved), task);
  }

  HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection** tasks) override {
    if (!tasks) return E_POINTER;
    *tasks = nullptr;
    if (refuseEnumeration()) return E_NOTIMPL;
    waitListDelay();
    const std::optional<TaskStore> store = currentStore();
    if (!store) return kNoStore;
    if (!store->folderExists(path_)) return kNotFound;
    std::vector<std::wstring> paths;
    for (const std::wstring& name : store->taskNames(path_)) {
      const std::wstring path = *resolvePath(path_, name);
      if (!(flags & TASK_ENUM_HIDDEN)) {
        const std::optional<std::wstring> xml = store->readTask(path);
        if (!xml || definitionHidden(*xml)) continue;
      }
      paths.push_back(path);
    }
    return give(newTaskCollection(std::move(paths)), tasks);
  }

  HRESULT STDMETHODCALLTYPE DeleteTask(BSTR name, LONG) override {
    if (denyChanges()) return E_ACCESSDENIED;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(name, resolved, store); FAILED(hr)) return hr;
    if (!store->taskExists(resolved)) return kNotFound;
    return store->deleteTask(resolved) ? S_OK : E_FAIL;
  }

  HRESULT STDMETHODCALLTYPE RegisterTask(BSTR path, BSTR xml, LONG flags, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                         VARIANT sddl, IRegisteredTask** task) override {
    if (task) *task = nullptr;
    if (denyChanges()) return E_ACCESSDENIED;
    // The real service makes up a name when given none; nothing here needs that.
    if (SysStringLen(path) == 0 || SysStringLen(xml) == 0) return E_INVALIDARG;
    std::wstring resolved;
    std::optional<TaskStore> store;
    if (const HRESULT hr = locate(path, resolved, store); FAILED(hr)) return hr;
    if (resolved == L"\\" || store->folderExists(resolved)) return kInvalidName;
    const bool exists = store->taskExists(resolved);
    if (exists && !(flags & TASK_UPDATE)) return kAlreadyExists;
    if (!exists && !(flags & TASK_CREATE)) return kNotFound;
    if (flags & TASK_VALIDATE_ONLY) return S_OK;
    const std::wstring definition = fromBstr(xml);
    const bool enabled = !(flags & TASK_DISABLE) && !definitionDisabled(definition);
    if (!store->writeTask(resolved, definition, enabled)) return E_FAIL;
    // The access list given, kept as the real service keeps it.
    if (V_VT(&sddl) == VT_BSTR && SysStringLen(V_BSTR(&sddl)) > 0 &&
        !store->setSecurity(resolved, fromBstr(V_BSTR(&sddl)))) {
      return E_FAIL;
    }
    return task ? give(newRegisteredTask(resolved), task) : S_OK;
  }

  HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition*, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                                   VARIANT, IRegisteredTask**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }

 private:
  // The full path `path` names from here, and the store, or why there is none.
  HRESULT locate(BSTR path, std::wstring& resolved, std::optional<TaskStore>& store) const {
    const std::optional<std::wstring> full = resolvePath(path_, fromBstr(path));
    if (!full) return kInvalidName;
    store = currentStore();
    if (!store) return kNoStore;
    resolved = *full;
    return S_OK;
  }

  std::wstring path_;
};

}  // namespace

ITaskFolder* newTaskFolder(const std::wstring& path) { return new TaskFolder(path); }

}  // namespace velmora::taskdouble
