#pragma once
// Packaged apps seeded into the test prefix as Windows records them (Wine
// has neither the package functions nor the AppModel keys): each package's
// folder with its AppxManifest.xml in a throwaway folder, its entry under
// Repository\Packages naming that folder, the tasks' State values under
// SystemAppData, and the policies. Everything it wrote goes at the end.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/packaged_app_samples.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {

inline constexpr const wchar_t* kPoliciesKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

class SeededPackages {
 public:
  SeededPackages() = default;
  SeededPackages(const SeededPackages&) = delete;
  SeededPackages& operator=(const SeededPackages&) = delete;
  ~SeededPackages() {
    for (const std::string& key : keys_) RegDeleteTreeW(HKEY_CURRENT_USER, win32::widen(key).c_str());
    for (const auto& [root, name] : policies_) RegDeleteKeyValueW(root, kPoliciesKey, win32::widen(name).c_str());
  }

  std::string folderOf(const SamplePackage& p) const { return dir_.file(p.fullName); }

  // Records the package as installed; its folder holds its manifest (as
  // UTF-8 with a byte-order mark, or as UTF-16 when `utf16`) unless
  // `withFolder` is false.
  void install(const SamplePackage& p, bool withFolder = true, bool utf16 = false) {
    const std::string key = kSamplePackagesKey + "\\" + p.fullName;
    keys_.push_back(key);
    const std::wstring folder = win32::widen(folderOf(p));
    RegSetKeyValueW(HKEY_CURRENT_USER, win32::widen(key).c_str(), L"PackageRootFolder", REG_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    if (!withFolder) return;
    CreateDirectoryW(folder.c_str(), nullptr);
    if (p.manifest.empty()) return;
    std::string bytes;
    if (utf16) {
      const std::wstring text = win32::widen(p.manifest);
      bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    } else {
      bytes = "\xEF\xBB\xBF" + p.manifest;
    }
    writeFile(folderOf(p) + "\\AppxManifest.xml", bytes);
  }
  // A file in the package's folder (a program the manifest names).
  void addFile(const SamplePackage& p, const std::string& relative, const std::string& bytes) {
    const std::string path = folderOf(p) + "\\" + relative;
    CreateDirectoryW(win32::widen(path.substr(0, path.rfind('\\'))).c_str(), nullptr);
    writeFile(path, bytes);
  }
  void setState(const SamplePackage& p, const std::string& task, DWORD state) {
    const std::string familyKey = kSampleStatesKey + "\\" + p.family;
    keys_.push_back(familyKey);
    RegSetKeyValueW(HKEY_CURRENT_USER, win32::widen(familyKey + "\\" + task).c_str(), L"State", REG_DWORD, &state,
                    sizeof state);
  }
  // A task's value as it is now: none when missing.
  std::optional<DWORD> value(const SamplePackage& p, const std::string& task, const wchar_t* name) const {
    DWORD v = 0, size = sizeof v;
    const std::wstring key = win32::widen(kSampleStatesKey + "\\" + p.family + "\\" + task);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return v;
  }
  std::optional<DWORD> state(const SamplePackage& p, const std::string& task) const {
    return value(p, task, L"State");
  }
  void setPolicy(HKEY root, const std::string& name, DWORD value) {
    policies_.emplace_back(root, name);
    RegSetKeyValueW(root, kPoliciesKey, win32::widen(name).c_str(), REG_DWORD, &value, sizeof value);
  }

 private:
  TempDir dir_;
  std::vector<std::string> keys_;
  std::vector<std::pair<HKEY, std::string>> policies_;
};

}  // namespace velmora::testing
