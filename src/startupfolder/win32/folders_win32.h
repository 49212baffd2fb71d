#pragma once
#include "startupfolder/folder_port.h"

namespace velmora::win32 {

// Folders and files through the W functions.
class Win32Folders : public FolderPort {
 public:
  [[nodiscard]] FileStatus list(const std::string& folder, std::vector<FolderEntry>& out) override;
  bool exists(const std::string& path) override;
  [[nodiscard]] FileStatus removeFile(const std::string& path) override;
  [[nodiscard]] FileStatus copyFile(const std::string& from, const std::string& to, IfExists ifExists) override;
  [[nodiscard]] FileStatus moveFile(const std::string& from, const std::string& to, IfExists ifExists) override;
  [[nodiscard]] FileStatus setVisibility(const std::string& path, Visibility visibility) override;
  [[nodiscard]] FileStatus makeFolder(const std::string& path) override;
};

}  // namespace velmora::win32
