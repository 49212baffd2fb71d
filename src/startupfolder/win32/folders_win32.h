#pragma once
#include "startupfolder/folder_port.h"

namespace velmora::win32 {

// Folders and files through the W functions.
class Win32Folders : public FolderPort {
 public:
  FileStatus list(const std::string& folder, std::vector<FolderEntry>& out) override;
  bool exists(const std::string& path) override;
  FileStatus removeFile(const std::string& path) override;
  FileStatus copyFile(const std::string& from, const std::string& to, bool replace) override;
  FileStatus moveFile(const std::string& from, const std::string& to, bool replace) override;
  FileStatus setHidden(const std::string& path, bool hidden) override;
  FileStatus makeFolder(const std::string& path) override;
};

}  // namespace velmora::win32
