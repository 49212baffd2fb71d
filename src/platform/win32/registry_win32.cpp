#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/file_time.h"
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

// A change is made once the set or delete succeeded, and the families read
// it back before it counts. Nothing flushes the hive: Windows writes it
// lazily and keeps it consistent, and RegFlushKey writes the whole hive to
// disk at every call, which Windows documents as costly and unneeded.
// Every key is opened in the 64-bit view: a path names one key whatever the
// build. "Software\\WOW6432Node\\..." then is the 32-bit view's key, so a row
// is always written back to the key it was read from, never redirected.
constexpr REGSAM kView = KEY_WOW64_64KEY;

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

namespace {

// What RegQueryInfoKey says of a key's values. Any write of a value changes
// the last-write time; the counts and sizes catch what the time's resolution
// could hide.
struct KeyStamp {
  DWORD values = 0, maxName = 0, maxData = 0;
  FILETIME written{};
  bool operator==(const KeyStamp& o) const {
    return values == o.values && maxName == o.maxName && maxData == o.maxData &&
           written.dwLowDateTime == o.written.dwLowDateTime && written.dwHighDateTime == o.written.dwHighDateTime;
  }
};

LSTATUS stampOf(HKEY key, KeyStamp& out) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &out.values, &out.maxName,
                          &out.maxData, nullptr, &out.written);
}

// The values of an open key from index `first` up to `end` (to the last
// when none), in the registry's order.
LSTATUS readValueRange(HKEY key, KeyStamp stamp, DWORD first, std::optional<DWORD> end, std::vector<RegValue>& out) {
  LSTATUS s = ERROR_SUCCESS;
  std::vector<wchar_t> name(stamp.maxName + 2);
  std::vector<BYTE> data(stamp.maxData + sizeof(wchar_t));
  std::vector<RegValue> values;
  values.reserve(end ? *end - first : stamp.values - std::min(first, stamp.values));
  for (DWORD index = first; !end || index < *end; ++index) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = 0;
    s = RegEnumValueW(key, index, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (s == ERROR_MORE_DATA) {
      // The key grew while we read it: size the buffers again and retry.
      if (stampOf(key, stamp) != ERROR_SUCCESS) return ERROR_GEN_FAILURE;
      name.resize(std::max<std::size_t>(name.size() * 2, stamp.maxName + 2));
      data.resize(std::max<std::size_t>(data.size() * 2, stamp.maxData + sizeof(wchar_t)));
      --index;
      continue;
    }
    if (s == ERROR_NO_MORE_ITEMS) break;
    if (s != ERROR_SUCCESS) return s;
    values.push_back(RegValue{narrow(std::wstring_view(name.data(), nameLen)), type, textOf(type, data, dataLen),
                              bytesOf(type, data, dataLen)});
  }
  out = std::move(values);
  return ERROR_SUCCESS;
}

// A key of thousands of values is read in up to four ranges at once: under
// Wine every value is a round trip to the server (16,000 values: 630 ms
// read by one thread, 430 ms by four).
constexpr DWORD kValuesPerReader = 2048;
constexpr DWORD kMostReaders = 4;

// Every value of an open key, in the registry's order.
LSTATUS readValues(HKEY key, std::vector<RegValue>& out) {
  KeyStamp stamp;
  LSTATUS s = stampOf(key, stamp);
  if (s != ERROR_SUCCESS) return s;
  const DWORD readers = std::min(kMostReaders, stamp.values / kValuesPerReader);
  if (readers <= 1) return readValueRange(key, stamp, 0, std::nullopt, out);
  std::vector<std::vector<RegValue>> parts(readers);
  std::vector<LSTATUS> statuses(readers, ERROR_SUCCESS);
  const DWORD share = stamp.values / readers;
  const auto readRange = [&](DWORD r) {
    const DWORD first = r * share;
    // The last range runs to the end, however many values there are by then.
    const std::optional<DWORD> end = r + 1 < readers ? std::optional<DWORD>(first + share) : std::nullopt;
    statuses[r] = readValueRange(key, stamp, first, end, parts[r]);
  };
  {
    std::vector<std::thread> others;
    std::vector<DWORD> here{0};
    for (DWORD r = 1; r < readers; ++r) {
      // A thread the system will not start leaves its range to this one.
      try {
        others.emplace_back(readRange, r);
      } catch (const std::system_error&) {
        here.push_back(r);
      }
    }
    for (const DWORD r : here) readRange(r);
    for (std::thread& t : others) t.join();
  }
  // A value added or deleted meanwhile moved the others' indices under the
  // ranges: the key is read again in one go.
  KeyStamp after;
  if (const LSTATUS now = stampOf(key, after); now != ERROR_SUCCESS) return now;
  if (!(after == stamp)) return readValueRange(key, after, 0, std::nullopt, out);
  for (const LSTATUS st : statuses) {
    if (st != ERROR_SUCCESS) return st;
  }
  std::vector<RegValue> all = std::move(parts[0]);
  for (DWORD r = 1; r < readers; ++r) {
    all.insert(all.end(), std::make_move_iterator(parts[r].begin()), std::make_move_iterator(parts[r].end()));
  }
  out = std::move(all);
  return ERROR_SUCCESS;
}

// Not tied to the thread that asks (Windows 8 and later); where the flag is
// not known the notice is asked for without it, and the thread's end then
// only costs one more read.
constexpr DWORD kThreadAgnostic = 0x10000000;

// Asks Windows to signal `changed` at the key's next change of a value.
bool watch(HKEY key, HANDLE changed) {
  const DWORD filter = REG_NOTIFY_CHANGE_LAST_SET;  // a value added, changed or deleted
  if (RegNotifyChangeKeyValue(key, FALSE, filter | kThreadAgnostic, changed, TRUE) == ERROR_SUCCESS) return true;
  return RegNotifyChangeKeyValue(key, FALSE, filter, changed, TRUE) == ERROR_SUCCESS;
}

}  // namespace

// A refresh lists the same keys again and again, and under Wine every value
// read is a round trip to the server (16,000 values: most of a second). A
// key's listing is kept with the key open and a change notice asked for
// before the read, so any change made during or after the read, by anyone,
// is seen: the next listing reads the key again. A deleted key fails the
// stamp check, and so does a change the notice has not reached yet.
struct Win32Registry::Listings {
  struct Kept {
    RegKey key;
    KernelHandle changed;
    KeyStamp stamp;
    std::vector<RegValue> values;

    [[nodiscard]] bool current() const {
      KeyStamp now;
      return WaitForSingleObject(changed.get(), 0) == WAIT_TIMEOUT && stampOf(key.get(), now) == ERROR_SUCCESS &&
             now == stamp;
    }
  };
  std::mutex mutex;
  std::map<std::pair<RootKey, std::string>, Kept> kept;
  std::size_t reads = 0;
};

Win32Registry::Win32Registry() : listings_(std::make_unique<Listings>()) {}
Win32Registry::~Win32Registry() = default;

std::size_t Win32Registry::listingsRead() const {
  std::lock_guard<std::mutex> lock(listings_->mutex);
  return listings_->reads;
}

RegStatus Win32Registry::enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) {
  std::lock_guard<std::mutex> lock(listings_->mutex);
  const auto id = std::make_pair(root, subkey);
  if (auto known = listings_->kept.find(id); known != listings_->kept.end()) {
    if (known->second.current()) {
      out = known->second.values;
      return RegStatus::Ok;
    }
    listings_->kept.erase(known);
  }

  RegKey key;
  const std::wstring path = widen(subkey);
  LSTATUS s = RegOpenKeyExW(rootHandle(root), path.c_str(), 0, KEY_QUERY_VALUE | KEY_NOTIFY | kView, key.put());
  bool watchable = s == ERROR_SUCCESS;
  // A key we may read but not watch is read every time.
  if (s == ERROR_ACCESS_DENIED) s = RegOpenKeyExW(rootHandle(root), path.c_str(), 0, KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);

  KernelHandle changed;
  KeyStamp before;
  if (watchable) {
    changed.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    watchable = changed && watch(key.get(), changed.get()) && stampOf(key.get(), before) == ERROR_SUCCESS;
  }
  ++listings_->reads;
  std::vector<RegValue> values;
  s = readValues(key.get(), values);
  if (s != ERROR_SUCCESS) return status(s);

  Listings::Kept kept{std::move(key), std::move(changed), before, {}};
  if (watchable && kept.current()) {
    kept.values = values;
    listings_->kept.emplace(id, std::move(kept));
  }
  out = std::move(values);
  return RegStatus::Ok;
}

RegStatus Win32Registry::keyWritten(RootKey root, const std::string& subkey, std::string& out) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);
  KeyStamp stamp;
  if ((s = stampOf(key.get(), stamp)) != ERROR_SUCCESS) return status(s);
  std::string written = utcStampOf(stamp.written);
  if (written.empty()) return RegStatus::Failed;
  out = std::move(written);
  return RegStatus::Ok;
}

// Not kept like the values' listings: the key it serves (RunOnceEx) is
// normally absent or holds a few subkeys, read once per listing.
RegStatus Win32Registry::enumerateSubkeys(RootKey root, const std::string& subkey, std::vector<std::string>& out) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | kView,
                            key.put());
  if (s != ERROR_SUCCESS) return status(s);
  DWORD maxName = 0;
  s = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr);
  if (s != ERROR_SUCCESS) return status(s);
  // A key name has at most 255 characters; the buffer only grows should a
  // subkey of a longer name appear while we read.
  std::vector<wchar_t> name(std::max<DWORD>(maxName, 255) + 2);
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    DWORD len = static_cast<DWORD>(name.size());
    s = RegEnumKeyExW(key.get(), index, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
      --index;
      continue;
    }
    if (s == ERROR_NO_MORE_ITEMS) break;
    if (s != ERROR_SUCCESS) return status(s);
    names.push_back(narrow(std::wstring_view(name.data(), len)));
  }
  out = std::move(names);
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
  return RegStatus::Ok;
}

RegStatus Win32Registry::deleteValue(RootKey root, const std::string& subkey, const std::string& name) {
  RegKey key;
  LSTATUS s = RegOpenKeyExW(rootHandle(root), widen(subkey).c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE | kView, key.put());
  if (s != ERROR_SUCCESS) return status(s);
  s = RegDeleteValueW(key.get(), widen(name).c_str());
  if (s != ERROR_SUCCESS) return status(s);
  return RegStatus::Ok;
}

}  // namespace velmora::win32
