#pragma once
#include "family/program_file.h"

namespace velmora::win32 {

// Program files as Windows finds them: the process's environment, file
// attributes, SearchPath, App Paths (64-bit view) and version resources.
class Win32ProgramFiles : public ProgramFileLookup {
 public:
  [[nodiscard]] std::string expand(const std::string& text) override;
  [[nodiscard]] bool isFile(const std::string& path) override;
  [[nodiscard]] std::optional<std::string> findBareName(const std::string& name) override;
  [[nodiscard]] std::string companyName(const std::string& path) override;
  // A path on a drive letter whose drive Windows knows as fixed.
  [[nodiscard]] bool isLocal(const std::string& path) override;
  [[nodiscard]] bool opensByExtension(const std::string& extension) override;
};

}  // namespace velmora::win32
