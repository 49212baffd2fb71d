#pragma once
// config.xml through MSXML. Every call reads the file afresh; a listing is
// read as store_reading.h says (XmlLite where it reads what MSXML reads) and
// answered from memory while the file keeps the bytes it came from. A change
// is made in MSXML's document, and saved only when the bytes it would write
// read back, through the listing's own reader, as exactly the records before
// with the one change; they are then written atomically (files_win32.h).
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store.h"
#include "core/win32/xml_file.h"

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
  // The latest listings, with the file's bytes they came from: a refresh of
  // an unchanged config.xml is not parsed again, nor is it for each kind when
  // one reading listed them all (`everyKind`: a kind not kept has no items).
  struct Listing {
    std::string bytes;
    std::map<std::string, std::vector<StoredItem>, std::less<>> kinds;
    bool everyKind = false;
    [[nodiscard]] const std::vector<StoredItem>* of(RecordKind kind, const std::string& now) const;
  };
  // A change to the document and to the records it must then list
  // (store_msxml.cpp).
  struct Edit;
  StoreStatus change(RecordKind kind, const Edit& edit);

  std::string path_;
  Listing kept_;
};

}  // namespace velmora::win32
