#include "scheduledtasks/win32/task_scheduler_win32.h"

#include <shellapi.h>

#include <cstring>

#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "scheduledtasks/win32/task_xml.h"

namespace velmora::win32 {

namespace {

// Declared here: the import library does not carry them.
const CLSID kTaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
const IID kTaskServiceIid = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

// Deep enough for any real tree; a folder that holds itself (a broken
// implementation) cannot loop for ever.
constexpr int kMaxFolderDepth = 32;

std::string text(const Bstr& b) { return narrow(b.str()); }

VARIANT empty() {
  VARIANT v;
  automation::variantInit(&v);
  return v;
}

VARIANT index(long i) {
  VARIANT v = empty();
  V_VT(&v) = VT_I4;
  V_I4(&v) = i;
  return v;
}

TaskStatus readInfo(IRegisteredTask* task, RegisteredTaskInfo& out) {
  Bstr name, path, xml;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  HRESULT hr = task->get_Name(name.put());
  if (SUCCEEDED(hr)) hr = task->get_Path(path.put());
  if (SUCCEEDED(hr)) hr = task->get_Enabled(&enabled);
  if (SUCCEEDED(hr)) hr = task->get_Xml(xml.put());
  if (FAILED(hr)) return taskStatusOf(hr);
  // Its access list, kept with a removed task so that Undo gives it the
  // same; a scheduler that does not tell (Wine's) leaves it empty.
  Bstr sddl;
  if (FAILED(task->GetSecurityDescriptor(DACL_SECURITY_INFORMATION, sddl.put()))) (void)sddl.put();
  out = RegisteredTaskInfo{text(path), text(name), enabled != VARIANT_FALSE, text(xml), text(sddl)};
  return TaskStatus::Ok;
}

TaskStatus listFolder(ITaskFolder* folder, int depth, std::vector<RegisteredTaskInfo>& out) {
  ComPtr<IRegisteredTaskCollection> tasks;
  HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN, tasks.put());
  if (FAILED(hr)) return taskStatusOf(hr);
  LONG count = 0;
  if (FAILED(hr = tasks->get_Count(&count))) return taskStatusOf(hr);
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IRegisteredTask> task;
    if (FAILED(tasks->get_Item(index(i), task.put())) || !task) continue;
    RegisteredTaskInfo info;
    // A task that cannot be read (another account's) is left out, not the list.
    if (readInfo(task.get(), info) == TaskStatus::Ok) out.push_back(std::move(info));
  }
  if (depth >= kMaxFolderDepth) return TaskStatus::Ok;
  ComPtr<ITaskFolderCollection> folders;
  if (FAILED(hr = folder->GetFolders(0, folders.put()))) return taskStatusOf(hr);
  if (FAILED(hr = folders->get_Count(&count))) return taskStatusOf(hr);
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ITaskFolder> sub;
    if (FAILED(folders->get_Item(index(i), sub.put())) || !sub) continue;
    // A folder that refuses this user hides its tasks, not the others.
    const TaskStatus status = listFolder(sub.get(), depth + 1, out);
    if (status == TaskStatus::Unavailable) return status;
  }
  return TaskStatus::Ok;
}

// "\Vendor\Updater Task" -> "\Vendor" and "Updater Task".
std::pair<std::string, std::string> splitPath(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {"\\", path};
  return {slash == 0 ? std::string("\\") : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

TaskStatus taskStatusOf(HRESULT hr) {
  if (SUCCEEDED(hr)) return TaskStatus::Ok;
  switch (hr) {
    case E_ACCESSDENIED: return TaskStatus::AccessDenied;
    case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND): return TaskStatus::NotFound;
    // Not implemented (Wine's enumeration), or no service to talk to.
    case E_NOTIMPL:
    case REGDB_E_CLASSNOTREG:
    case HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE):
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE): return TaskStatus::Unavailable;
    default: return TaskStatus::Failed;
  }
}

TaskStatus TaskSchedulerWin32::connect() {
  if (service_) return TaskStatus::Ok;
  ComPtr<ITaskService> service;
  HRESULT hr = CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kTaskServiceIid, service.putVoid());
  if (FAILED(hr) || !service) return TaskStatus::Unavailable;
  // This computer, as the user who runs Velmora.
  if (FAILED(hr = service->Connect(empty(), empty(), empty(), empty()))) {
    return hr == E_ACCESSDENIED ? TaskStatus::AccessDenied : TaskStatus::Unavailable;
  }
  service_ = std::move(service);
  return TaskStatus::Ok;
}

TaskStatus TaskSchedulerWin32::rootFolder(ComPtr<ITaskFolder>& root) {
  if (const TaskStatus status = connect(); status != TaskStatus::Ok) return status;
  Bstr path(L"\\");
  return taskStatusOf(service_->GetFolder(path.get(), root.put()));
}

TaskStatus TaskSchedulerWin32::task(const std::string& path, ComPtr<IRegisteredTask>& out) {
  ComPtr<ITaskFolder> root;
  if (const TaskStatus status = rootFolder(root); status != TaskStatus::Ok) return status;
  Bstr p(widen(path));
  const HRESULT hr = root->GetTask(p.get(), out.put());
  if (SUCCEEDED(hr) && !out) return TaskStatus::NotFound;
  return taskStatusOf(hr);
}

TaskStatus TaskSchedulerWin32::listTasks(std::vector<RegisteredTaskInfo>& out) {
  ComPtr<ITaskFolder> root;
  if (const TaskStatus status = rootFolder(root); status != TaskStatus::Ok) return status;
  std::vector<RegisteredTaskInfo> tasks;
  const TaskStatus status = listFolder(root.get(), 0, tasks);
  if (status == TaskStatus::Ok) out = std::move(tasks);
  // The root folder itself must list: a scheduler that cannot (Wine's) has no list at all.
  return status == TaskStatus::NotFound ? TaskStatus::Unavailable : status;
}

TaskStatus TaskSchedulerWin32::readTask(const std::string& path, RegisteredTaskInfo& out) {
  ComPtr<IRegisteredTask> t;
  if (const TaskStatus status = task(path, t); status != TaskStatus::Ok) return status;
  return readInfo(t.get(), out);
}

TaskStatus TaskSchedulerWin32::setEnabled(const std::string& path, bool enabled) {
  ComPtr<IRegisteredTask> t;
  if (const TaskStatus status = task(path, t); status != TaskStatus::Ok) return status;
  return taskStatusOf(t->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE));
}

TaskStatus TaskSchedulerWin32::deleteTask(const std::string& path) {
  ComPtr<ITaskFolder> root;
  if (const TaskStatus status = rootFolder(root); status != TaskStatus::Ok) return status;
  const auto [folderPath, name] = splitPath(path);
  // The root asked for itself by "\" is refused by some implementations (Wine's).
  ComPtr<ITaskFolder> folder = root;
  if (folderPath != "\\") {
    Bstr f(widen(folderPath));
    if (const HRESULT hr = root->GetFolder(f.get(), folder.put()); FAILED(hr)) return taskStatusOf(hr);
  }
  Bstr n(widen(name));
  return taskStatusOf(folder->DeleteTask(n.get(), 0));
}

TaskStatus TaskSchedulerWin32::registerTask(const std::string& path, const std::string& xml,
                                           const std::string& securityDescriptor) {
  ComPtr<ITaskFolder> root;
  if (const TaskStatus status = rootFolder(root); status != TaskStatus::Ok) return status;
  Bstr p(widen(path));
  Bstr x(widen(xml));
  Bstr s(widen(securityDescriptor));
  VARIANT sddl = empty();
  if (!securityDescriptor.empty()) {
    V_VT(&sddl) = VT_BSTR;
    V_BSTR(&sddl) = s.get();
  }
  ComPtr<IRegisteredTask> registered;
  // No credentials of our own: the definition's principal holds. TASK_CREATE
  // never replaces a task that appeared meanwhile.
  const HRESULT hr = root->RegisterTask(p.get(), x.get(), TASK_CREATE, empty(), empty(), TASK_LOGON_NONE, sddl,
                                        registered.put());
  return taskStatusOf(hr);
}

std::optional<TaskDefinition> TaskSchedulerWin32::readDefinition(const std::string& xml) {
  return parseTaskDefinition(xml);
}

std::string TaskSchedulerWin32::comServer(const std::string& classId) {
  // Several tasks often share a handler: each class is looked up once.
  if (const auto it = comServers_.find(classId); it != comServers_.end()) return it->second;
  std::string dll;
  if (classId.size() == 38) {
    const std::wstring key = L"CLSID\\" + widen(classId) + L"\\InprocServer32";
    // The scheduler's host is a 64-bit process: the 64-bit registration
    // first; a class registered for 32-bit programs only is still the
    // handler's file. The merged view of the classes (the user's over the
    // machine's), as COM reads it.
    for (const REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}}) {
      HKEY opened = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) continue;
      const RegKey server(opened);
      // RRF_RT_REG_SZ takes an expandable value too, expanded (with
      // RRF_RT_REG_EXPAND_SZ Windows asks for RRF_NOEXPAND and refuses).
      const DWORD flags = RRF_RT_REG_SZ;
      DWORD size = 0;
      if (RegGetValueW(server.get(), nullptr, nullptr, flags, nullptr, nullptr, &size) != ERROR_SUCCESS) continue;
      std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
      size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
      if (RegGetValueW(server.get(), nullptr, nullptr, flags, nullptr, value.data(), &size) != ERROR_SUCCESS) continue;
      dll = narrow(value.c_str());
      // Some installers quote the path.
      if (dll.size() >= 2 && dll.front() == '"' && dll.back() == '"') dll = dll.substr(1, dll.size() - 2);
      if (!dll.empty()) break;
    }
  }
  return comServers_.emplace(classId, dll).first->second;
}

bool TaskSchedulerWin32::writeCopy(const std::string& filePath, const std::string& xml) {
  // UTF-16 with its mark, as the definition declares itself, so the copy is
  // the scheduler's text exactly.
  const std::wstring wide = widen(xml);
  std::string bytes("\xFF\xFE", 2);
  bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  // The copies' folder is made by whoever keeps the first copy.
  const std::size_t slash = filePath.find_last_of('\\');
  if (slash != std::string::npos) CreateDirectoryW(widen(filePath.substr(0, slash)).c_str(), nullptr);
  return writeFileAtomically(filePath, bytes) == FileWrite::Written;
}

bool TaskSchedulerWin32::readCopy(const std::string& filePath, std::string& xml) {
  const std::optional<std::string> bytes = readFileBytes(filePath);
  if (!bytes || bytes->size() < 2 || bytes->size() % 2 != 0 || bytes->compare(0, 2, "\xFF\xFE", 2) != 0) return false;
  std::wstring wide((bytes->size() - 2) / 2, L'\0');
  std::memcpy(wide.data(), bytes->data() + 2, wide.size() * sizeof(wchar_t));
  xml = narrow(wide);
  return true;
}

bool TaskSchedulerWin32::openConsole() {
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"taskschd.msc", nullptr, nullptr, SW_SHOWNORMAL)) >
         32;
}

}  // namespace velmora::win32
