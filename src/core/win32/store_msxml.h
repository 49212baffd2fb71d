#pragma once
// config.xml through MSXML. Every call reads the file afresh (a listing of
// bytes already parsed is answered from memory; a listing is read with
// XmlLite when it can, MSXML deciding whenever XmlLite does not finish) and saves atomically (temporary file in the same folder, then a write-through
// replace), so an interrupted save leaves the old file whole.
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  // The latest listing of each kind, with the file's bytes it came from: a
  // refresh of an unchanged config.xml is not parsed again.
  struct Listing {
    std::string bytes;
    std::vector<StoredItem> items;
  };
  StoreStatus parse(RecordKind kind, std::vector<StoredItem>& out);

  std::string path_;
  std::map<std::string, Listing, std::less<>> listings_;  // by element name
};

// How a save that could not create its file beside config.xml ends, from the
// Windows error: AccessDenied when the folder refuses it for lack of rights
// (as Program Files does without administrator rights), WriteFailed
// otherwise.
StoreStatus saveRefusal(unsigned long error);

// A plain XML file of one root whose child elements keep their data in
// attributes (the change history), read through the same parser.
enum class XmlFileState { Loaded, Missing, Unreadable };
using XmlAttributes = std::vector<std::pair<std::string, std::string>>;
// Every `element` child of the root, its attributes in document order. On
// anything but Loaded `out` is untouched; a file whose root is not `root`
// is Unreadable.
XmlFileState readXmlElements(const std::string& path, std::wstring_view root, std::wstring_view element,
                             std::vector<XmlAttributes>& out);
// Whether the bytes parse as an XML document with that root.
bool parsesWithRoot(const std::string& bytes, std::wstring_view root);

// True when the MSXML document class is registered with its server
// (checked at start-up, without loading it).
bool xmlParserInstalled();

}  // namespace velmora::win32
