#include "wine/support/task_double.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/wide.h"
#include "wine/task_double/task_store.h"

namespace velmora::testing {

using win32::narrow;
using win32::widen;

namespace {

constexpr wchar_t kClassPath[] = L"Software\\Classes\\CLSID\\{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}";
constexpr wchar_t kServerKey[] = L"Software\\Classes\\CLSID\\{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}\\InprocServer32";
constexpr const wchar_t* kSwitches[] = {L"IgnoreEnable", L"DenyChanges", L"RefuseEnumeration", L"ListDelayMs",
                                       L"DefinitionDelayMs"};

// A copy of what was there before, kept until it is put back, so that a test
// that crashed with the double in place is undone by the next one.
constexpr wchar_t kBackupKey[] = L"Software\\VelmoraTest\\TaskDoubleSaved";

bool keyExists(const wchar_t* subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool readValue(HKEY root, const wchar_t* subkey, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
  const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY;
  DWORD size = 0;
  if (RegGetValueW(root, subkey, name.c_str(), flags, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  data.resize(size);
  if (RegGetValueW(root, subkey, name.c_str(), flags, &type, data.data(), &size) != ERROR_SUCCESS) return false;
  data.resize(size);
  return true;
}

// One value as it was before the double was put in place.
struct SavedValue {
  const wchar_t* subkey;
  std::wstring name;
  bool existed = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;

  std::wstring backupName() const { return std::wstring(subkey == kServerKey ? L"server|" : L"class|") + name; }

  void putBack() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
    if (existed) {
      RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    } else {
      RegDeleteValueW(key, name.c_str());
    }
    RegCloseKey(key);
  }
};

std::vector<SavedValue> valuesToSave() {
  std::vector<SavedValue> values{{kServerKey, L""}, {kServerKey, L"ThreadingModel"}, {kClassPath, L"TasksFolder"}};
  for (const wchar_t* name : kSwitches) values.push_back({kClassPath, name});
  return values;
}

DWORD dwordOf(const std::vector<BYTE>& data) {
  DWORD value = 0;
  if (data.size() == sizeof value) std::memcpy(&value, data.data(), sizeof value);
  return value;
}

void setValue(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  LSTATUS s = RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                              &key, nullptr);
  if (s == ERROR_SUCCESS) {
    s = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  if (s != ERROR_SUCCESS) ADD_FAILURE() << "could not set " << narrow(subkey) << "\\" << narrow(name) << ": " << s;
}

void setString(const wchar_t* subkey, const wchar_t* name, const std::wstring& text) {
  setValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Removes a key this object made, with what is below it.
void deleteKey(const wchar_t* parent, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeW(key, name);
  RegCloseKey(key);
}

taskdouble::TaskStore storeAt(const std::string& folder) { return taskdouble::TaskStore(widen(folder)); }

std::wstring schedulerPath(const std::string& path) {
  const std::optional<std::wstring> resolved = taskdouble::resolvePath(L"\\", widen(path));
  if (!resolved) ADD_FAILURE() << "not a scheduler path: " << path;
  return resolved.value_or(L"\\");
}

}  // namespace

const wchar_t* const TaskDoubleInstalled::kClassKey = kClassPath;

struct TaskDoubleInstalled::Saved {
  bool classKeyExisted = false;
  bool serverKeyExisted = false;
  DWORD process = 0;
  std::vector<SavedValue> values = valuesToSave();

  static Saved current() {
    Saved saved;
    saved.classKeyExisted = keyExists(kClassPath);
    saved.serverKeyExisted = keyExists(kServerKey);
    saved.process = GetCurrentProcessId();
    for (SavedValue& v : saved.values) v.existed = readValue(HKEY_LOCAL_MACHINE, v.subkey, v.name, v.type, v.data);
    return saved;
  }

  static std::optional<Saved> backup() {
    Saved saved;
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!readValue(HKEY_CURRENT_USER, kBackupKey, L"ClassKeyExisted", type, data)) return std::nullopt;
    saved.classKeyExisted = dwordOf(data) != 0;
    if (readValue(HKEY_CURRENT_USER, kBackupKey, L"ServerKeyExisted", type, data))
      saved.serverKeyExisted = dwordOf(data) != 0;
    if (readValue(HKEY_CURRENT_USER, kBackupKey, L"Process", type, data)) saved.process = dwordOf(data);
    for (SavedValue& v : saved.values)
      v.existed = readValue(HKEY_CURRENT_USER, kBackupKey, v.backupName(), v.type, v.data);
    return saved;
  }

  void writeBackup() const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      ADD_FAILURE() << "could not keep a copy of the scheduler's registration";
      return;
    }
    for (const auto& [name, value] : {std::pair{L"ClassKeyExisted", DWORD{classKeyExisted}},
                                      std::pair{L"ServerKeyExisted", DWORD{serverKeyExisted}},
                                      std::pair{L"Process", process}}) {
      RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    for (const SavedValue& v : values) {
      if (v.existed)
        RegSetValueExW(key, v.backupName().c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    }
    RegCloseKey(key);
  }

  void putBack() const {
    for (const SavedValue& value : values) value.putBack();
    if (!classKeyExisted) {
      deleteKey(L"Software\\Classes\\CLSID", L"{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}");
    } else if (!serverKeyExisted) {
      deleteKey(kClassPath, L"InprocServer32");
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
  }
};

std::wstring TaskDoubleInstalled::dllPath() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.rfind(L'\\') + 1) + L"velmora_task_double.dll";
}

TaskDoubleInstalled::TaskDoubleInstalled() {
  if (const std::optional<Saved> left = Saved::backup()) {
    // Two at once would each put the other's double back.
    if (left->process == GetCurrentProcessId()) ADD_FAILURE() << "the double is in place already";
    left->putBack();
  }
  saved_ = std::make_unique<Saved>(Saved::current());
  saved_->writeBackup();

  if (GetFileAttributesW(dllPath().c_str()) == INVALID_FILE_ATTRIBUTES)
    ADD_FAILURE() << "the double is not built: " << narrow(dllPath());
  setString(kServerKey, L"", dllPath());
  setString(kServerKey, L"ThreadingModel", L"Both");
  setString(kClassPath, L"TasksFolder", widen(folder()));
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassPath, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
    for (const wchar_t* name : kSwitches) RegDeleteValueW(key, name);
    RegCloseKey(key);
  }
}

TaskDoubleInstalled::~TaskDoubleInstalled() { saved_->putBack(); }

void TaskDoubleInstalled::addTask(const std::string& path, const std::string& xml, bool enabled) const {
  if (!storeAt(folder()).writeTask(schedulerPath(path), widen(xml), enabled))
    ADD_FAILURE() << "could not add the task " << path;
}

bool TaskDoubleInstalled::taskExists(const std::string& path) const {
  return storeAt(folder()).taskExists(schedulerPath(path));
}

bool TaskDoubleInstalled::taskEnabled(const std::string& path) const {
  return storeAt(folder()).enabled(schedulerPath(path));
}

std::string TaskDoubleInstalled::taskXml(const std::string& path) const {
  return narrow(storeAt(folder()).readTask(schedulerPath(path)).value_or(L""));
}

void TaskDoubleInstalled::setSwitch(const std::string& name, bool on) const { setNumber(name, on ? 1 : 0); }

void TaskDoubleInstalled::setNumber(const std::string& name, DWORD value) const {
  const std::wstring wide = widen(name);
  bool known = false;
  for (const wchar_t* s : kSwitches) known = known || wide == s;
  if (!known) {
    ADD_FAILURE() << "the double has no setting " << name;
    return;
  }
  setValue(kClassPath, wide.c_str(), REG_DWORD, &value, sizeof value);
}

}  // namespace velmora::testing
