// TEMPORARY scaffolding so the program links while the MSXML store is built.
#include "core/win32/store_msxml.h"

namespace velmora::win32 {

StoreStatus MsxmlStore::list(ItemKind, std::vector<StoredItem>& out) {
  out.clear();
  return StoreStatus::Unreadable;
}
StoreStatus MsxmlStore::add(ItemKind, const DisabledItem&) { return StoreStatus::WriteFailed; }
StoreStatus MsxmlStore::remove(ItemKind, const StoredItem&) { return StoreStatus::WriteFailed; }
StoreStatus MsxmlStore::update(ItemKind, const StoredItem&, const std::optional<std::string>&, const std::string&) {
  return StoreStatus::WriteFailed;
}
bool xmlParserInstalled() { return true; }

}  // namespace velmora::win32
