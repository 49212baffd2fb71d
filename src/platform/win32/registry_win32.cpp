#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

HKEY rootHandle(RootKey root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(root))));
}

RegStatus status(LSTATUS s) {
  switch (s) {
    case ERROR_SUCCESS: return RegStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED: return RegStatus::AccessDenied;
    default: return RegStatus::Failed;
  }
}

// The change is made once the set or delete succeeded; the flush only asks
// for it to reach the disk now. Reporting a failed flush as a failed change
// would make callers undo a change that happened.
// Every key is opened in the 64-bit view: a path names one key whatever the
// build. "Software\\WOW6432Node\\..." then is the 32-bit view's key, so a row
// is always written back to the key it was read from, never redirected.
constexpr REGSAM kView = KEY_WOW64_64KEY;

void flush(HKEY key) { (void)RegFlushKey(key); }

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The text of string data up to its first zero, whether or not the data
// carries a terminator.
std::string textOf(DWORD type, const std::vector<BYTE>& data, DWORD size) {
  if (!isStringType(type)) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(data.data());
  std::size_t n = size / sizeof(wchar_t);
  std::size_t len = 0;
  while (len < n && w[len] != L'\0') ++len;
  return narrow(std::wstring_view(w, len));
}

// The data of any other type as it is stored.
std::vector<std::uint8_t> bytesOf(DWORD type, const std::vector<BYTE>& data, DWORD size) {
  if (isStringType(type)) return {};
  return std::vector<std::uint8_t>(data.begin(), data.begin() + size);
}

// Opens a key to change its values, creating it when allowed.
LSTATUS openForWriting(RootKey root, const std::string& subkey, KeyCreation creation, RegKey& key) {
  if (creation == KeyCreation::CreateKey) {
    return RegCreateKeyExW(rootHandle(root), widen(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE | KEY_QUERY_VALUE | kView, nullptr, key.put(), nullptr);
  }
  return RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE | kView, key.put());
}

}  // namespace

RegStatus Win32Registry::enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);
  DWORD maxName = 0, maxData = 0;
  s = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                       &maxData, nullptr, nullptr);
  if (s != ERROR_SUCCESS) return status(s);
  std::vector<wchar_t> name(maxName + 2);
  std::vector<BYTE> data(maxData + sizeof(wchar_t));
  std::vector<RegValue> values;
  for (DWORD index = 0;; ++index) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = 0;
    s = RegEnumValueW(key.get(), index, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (s == ERROR_MORE_DATA) {
      // The key grew while we read it: size the buffers again and retry.
      if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                           &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return RegStatus::Failed;
      name.resize(std::max<std::size_t>(name.size() * 2, maxName + 2));
      data.resize(std::max<std::size_t>(data.size() * 2, maxData + sizeof(wchar_t)));
      --index;
      continue;
    }
    if (s == ERROR_NO_MORE_ITEMS) break;
    if (s != ERROR_SUCCESS) return status(s);
    values.push_back(RegValue{narrow(std::wstring_view(name.data(), nameLen)), type, textOf(type, data, dataLen),
                              bytesOf(type, data, dataLen)});
  }
  out = std::move(values);
  return RegStatus::Ok;
}

RegStatus Win32Registry::queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);
  const std::wstring wname = widen(name);
  std::vector<BYTE> data(256);
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    s = RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type, data.data(), &size);
    if (s == ERROR_MORE_DATA) {
      data.resize(size + sizeof(wchar_t));
      continue;
    }
    if (s != ERROR_SUCCESS) return status(s);
    out = RegValue{name, type, textOf(type, data, size), bytesOf(type, data, size)};
    return RegStatus::Ok;
  }
}

RegStatus Win32Registry::setText(RootKey root, const std::string& subkey, const std::string& name,
                                 const std::string& data, std::uint32_t type, KeyCreation creation) {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return RegStatus::Failed;
  RegKey key;
  LSTATUS s = openForWriting(root, subkey, creation, key);
  if (s != ERROR_SUCCESS) return status(s);
  const std::wstring text = widen(data);
  s = RegSetValueExW(key.get(), widen(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (s != ERROR_SUCCESS) return status(s);
  flush(key.get());
  return RegStatus::Ok;
}

RegStatus Win32Registry::setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                  const std::vector<std::uint8_t>& data, std::uint32_t type, KeyCreation creation) {
  if (isStringType(type)) return RegStatus::Failed;
  RegKey key;
  LSTATUS s = openForWriting(root, subkey, creation, key);
  if (s != ERROR_SUCCESS) return status(s);
  s = RegSetValueExW(key.get(), widen(name).c_str(), 0, type, data.empty() ? nullptr : data.data(),
                     static_cast<DWORD>(data.size()));
  if (s != ERROR_SUCCESS) return status(s);
  flush(key.get());
  return RegStatus::Ok;
}

RegStatus Win32Registry::deleteValue(RootKey root, const std::string& subkey, const std::string& name) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);
  s = RegDeleteValueW(key.get(), widen(name).c_str());
  if (s != ERROR_SUCCESS) return status(s);
  flush(key.get());
  return RegStatus::Ok;
}

}  // namespace velmora::win32
