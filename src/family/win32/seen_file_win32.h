#pragma once
// seen.xml through the program's XML machinery: read with MSXML, written
// whole and atomically (a temporary file beside it, then MoveFileEx with
// replace-existing and write-through); a file that does not read as a list
// is reported Unreadable and never written over. Dates in the user's
// short date format, in local time.
#include <string>

#include "family/seen_entries.h"

namespace velmora::win32 {

class Win32SeenFile : public SeenFile {
 public:
  // `path`: the file; its folder is made when a write needs it.
  explicit Win32SeenFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  [[nodiscard]] SeenStatus read(SeenList& out) override;
  [[nodiscard]] SeenStatus write(const SeenListView& list) override;
  [[nodiscard]] std::string now() override;
  [[nodiscard]] std::string localDate(const std::string& utc) override;

 private:
  std::string path_;
};

}  // namespace velmora::win32
