#pragma once
// config.xml through MSXML. Every call loads the file afresh and saves
// atomically (temporary file in the same folder, then a write-through
// replace), so an interrupted save leaves the old file whole.
#include <string>

#include "core/store.h"

namespace velmora::win32 {

class MsxmlStore : public DisabledEntryStore {
 public:
  explicit MsxmlStore(std::string configPath) : path_(std::move(configPath)) {}
  const std::string& path() const { return path_; }

  [[nodiscard]] StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override;
  [[nodiscard]] StoreStatus add(RecordKind kind, const DisabledItem& item) override;
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override;
  [[nodiscard]] StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                                   const std::string& valuedata,
                                   const std::optional<std::string>& valuetype) override;

 private:
  std::string path_;
};

// True when the MSXML document class can be created (checked at start-up).
bool xmlParserInstalled();

}  // namespace velmora::win32
