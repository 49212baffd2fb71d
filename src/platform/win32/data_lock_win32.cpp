#include "platform/win32/data_lock_win32.h"

#include <windows.h>
#include <sddl.h>

#include <cstdint>

#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// Everyone may wait for it and release what they hold; only the
// administrators and SYSTEM may do more.
constexpr const wchar_t* kLockRights = L"D:(A;;0x00100001;;;WD)(A;;GA;;;BA)(A;;GA;;;SY)";

}  // namespace

MutexDataLock::MutexDataLock(const std::string& folder, unsigned long waitMs)
    : name_(nameFor(folder)), waitMs_(waitMs) {}

std::wstring MutexDataLock::nameFor(const std::string& folder) {
  std::wstring path = widen(folder);
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  // Upper-cased as Windows compares paths, then FNV-1a 64 of the UTF-16.
  if (!path.empty()) {
    CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  }
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const wchar_t c : path) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 0x100000001b3ull;
  }
  wchar_t text[17] = {};
  for (int i = 15; i >= 0; --i, hash >>= 4) text[i] = L"0123456789abcdef"[hash & 0xF];
  return std::wstring(L"Global\\Velmora-data-") + text;
}

bool MutexDataLock::acquire() {
  if (!mutex_) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockRights, SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    mutex_.reset(CreateMutexW(descriptor ? &attributes : nullptr, FALSE, name_.c_str()));
    if (descriptor) LocalFree(descriptor);
    // Made by a Velmora whose rights let this one wait but not create.
    if (!mutex_) mutex_.reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name_.c_str()));
    if (!mutex_) return false;
  }
  const DWORD waited = WaitForSingleObject(mutex_.get(), waitMs_);
  // Abandoned: a Velmora ended while it held the lock. Its change either
  // reached the file whole or not at all (every write replaces the file),
  // so the file is sound to go on with.
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void MutexDataLock::release() {
  if (mutex_) ReleaseMutex(mutex_.get());
}

}  // namespace velmora::win32
