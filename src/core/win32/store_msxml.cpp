#include "core/win32/store_msxml.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "core/win32/store_reading.h"
#include "core/win32/xml_document.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

constexpr wchar_t kContainerPath[] = L"/config/toolvelmora";
constexpr wchar_t kNewDocument[] = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config><toolvelmora/></config>";

bool sameAttributes(const DisabledItem& a, const DisabledItem& b) {
  return a.path == b.path && a.valuename == b.valuename && a.valuedata == b.valuedata && a.valuetype == b.valuetype;
}

bool sameRecords(const std::vector<StoredItem>& a, const std::vector<StoredItem>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const StoredItem& x, const StoredItem& y) {
    return x.ordinal == y.ordinal && sameAttributes(x.item, y.item);
  });
}

// The element at `ordinal` among the items of the kind, if it still holds
// exactly the listed attributes.
ComPtr<IXMLDOMNode> locate(IXMLDOMDocument* doc, RecordKind kind, const StoredItem& item) {
  auto list = selectAll(doc, widen(selectionPath(kind)));
  if (!list) return {};
  long length = 0;
  if (FAILED(list->get_length(&length)) || item.ordinal >= static_cast<std::size_t>(length)) return {};
  ComPtr<IXMLDOMNode> node;
  if (list->get_item(static_cast<long>(item.ordinal), node.put()) != S_OK || !node) return {};
  ComPtr<IXMLDOMElement> element;
  if (FAILED(node->QueryInterface(kIidDomElement, element.putVoid())) || !element) return {};
  const auto path = attribute(element.get(), L"path");
  const auto name = attribute(element.get(), L"valuename");
  const auto data = attribute(element.get(), L"valuedata");
  if (!path || !name || !data ||
      !sameAttributes(DisabledItem{*path, *name, *data, attribute(element.get(), L"valuetype").value_or("")}, item.item)) {
    return {};
  }
  return node;
}

// The listed record the change is about, if the records still hold it.
std::vector<StoredItem>::iterator recordOf(std::vector<StoredItem>& records, const StoredItem& item) {
  const auto at = std::find_if(records.begin(), records.end(), [&](const StoredItem& r) { return r.ordinal == item.ordinal; });
  return at != records.end() && sameAttributes(at->item, item.item) ? at : records.end();
}

StoreStatus storeStatusOf(FileWrite written) {
  switch (written) {
    case FileWrite::Written: return StoreStatus::Ok;
    case FileWrite::FolderRefused: return StoreStatus::AccessDenied;
    case FileWrite::ReadOnly:  // the user's own lock, no matter of rights
    case FileWrite::Failed: break;
  }
  return StoreStatus::WriteFailed;
}

}  // namespace

struct MsxmlStore::Edit {
  bool startsStore = false;  // a missing file is started afresh (an add)
  // Makes the change in the document and in the records it listed before:
  // the records are then what the saved file must list.
  std::function<StoreStatus(IXMLDOMDocument* doc, std::vector<StoredItem>& records)> apply;
};

const std::vector<StoredItem>* MsxmlStore::Listing::of(RecordKind kind, const std::string& now) const {
  if (bytes != now) return nullptr;
  static const std::vector<StoredItem> kNone;
  const auto known = kinds.find(kind.element);
  return known != kinds.end() ? &known->second : everyKind ? &kNone : nullptr;
}

StoreStatus MsxmlStore::list(RecordKind kind, std::vector<StoredItem>& out) {
  // Only bytes that were the same before and after a reading are remembered,
  // so a listing served from memory is what reading the file now would give.
  const std::optional<std::string> before = readFileBytes(path_);
  if (before) {
    if (const std::vector<StoredItem>* known = kept_.of(kind, *before)) {
      out = *known;
      return StoreStatus::Ok;
    }
  }
  if (!before || kept_.bytes != *before) kept_ = Listing{};
  if (!before) {
    if (presence(widen(path_)) != Presence::Missing) return StoreStatus::Unreadable;
    out.clear();  // no store yet: nothing disabled
    return StoreStatus::Ok;
  }
  // Every family lists its own kind from the same file: one reading serves all.
  ItemsByKind every;
  const std::optional<StoreStatus> whole = readEveryKind(*before, every);
  std::vector<StoredItem> items;
  if (whole) {
    if (*whole != StoreStatus::Ok) return *whole;
    if (auto listed = every.find(kind.element); listed != every.end()) items = listed->second;
  } else if (const StoreStatus status = readStore(*before, kind, items); status != StoreStatus::Ok) {
    return status;
  }
  out = items;
  if (std::optional<std::string> after = readFileBytes(path_); after && *after == *before) {
    kept_.bytes = std::move(*after);
    if (whole) {
      kept_.kinds = std::move(every);
      kept_.everyKind = true;
    } else {
      kept_.kinds.insert_or_assign(std::string(kind.element), std::move(items));
    }
  }
  return StoreStatus::Ok;
}

// One change: the file is read once and parsed once by MSXML; the records
// before come from the listing kept for these bytes, or from the listing's
// reader. What is saved is read back by that same reader from the very bytes
// before they are written, and must list the records before with exactly the
// one change: a file whose structure would put the change, or any other
// record, elsewhere is refused like one that does not parse. After the save
// those records are the listing of the file.
StoreStatus MsxmlStore::change(RecordKind kind, const Edit& edit) {
  ComScope com;
  ComPtr<IXMLDOMDocument> doc = createDocument();
  if (!doc) return StoreStatus::Unreadable;
  std::vector<StoredItem> records;
  if (const std::optional<std::string> before = readFileBytes(path_)) {
    if (!loadBytes(doc.get(), *before)) return StoreStatus::Unreadable;
    if (const std::vector<StoredItem>* known = kept_.of(kind, *before)) {
      records = *known;
    } else if (const StoreStatus read = readStore(*before, kind, records, doc.get()); read != StoreStatus::Ok) {
      return read;
    }
  } else if (presence(widen(path_)) != Presence::Missing) {
    return StoreStatus::Unreadable;
  } else if (!edit.startsStore) {
    return StoreStatus::Vanished;
  } else {
    VARIANT_BOOL ok = VARIANT_FALSE;
    Bstr text{std::wstring(kNewDocument)};
    if (FAILED(doc->loadXML(text.get(), &ok)) || ok != VARIANT_TRUE) return StoreStatus::WriteFailed;
  }

  if (const StoreStatus edited = edit.apply(doc.get(), records); edited != StoreStatus::Ok) return edited;
  std::optional<std::string> bytes = serialise(doc.get());
  if (!bytes || bytes->empty()) return StoreStatus::WriteFailed;
  std::vector<StoredItem> readBack;
  // Bytes that do not read as a store at all hold a text XML cannot carry.
  if (readStore(*bytes, kind, readBack) != StoreStatus::Ok) return StoreStatus::WriteFailed;
  if (!sameRecords(readBack, records)) return StoreStatus::Unreadable;
  const StoreStatus saved = storeStatusOf(writeFileAtomically(path_, *bytes));
  if (saved == StoreStatus::Ok) {
    // The other kinds are read again from the new bytes when they are asked for.
    kept_ = Listing{std::move(*bytes), {}, false};
    kept_.kinds.emplace(std::string(kind.element), std::move(readBack));
  }
  return saved;
}

StoreStatus MsxmlStore::add(RecordKind kind, const DisabledItem& item) {
  Edit edit;
  edit.startsStore = true;
  edit.apply = [&](IXMLDOMDocument* doc, std::vector<StoredItem>& records) {
    ComPtr<IXMLDOMNode> container = selectSingle(doc, kContainerPath);
    if (!container) {
      ComPtr<IXMLDOMElement> root;
      ComPtr<IXMLDOMElement> created;
      Bstr name(L"toolvelmora");
      if (doc->get_documentElement(root.put()) != S_OK || FAILED(doc->createElement(name.get(), created.put())) ||
          FAILED(root->appendChild(created.get(), container.put())) || !container) {
        return StoreStatus::WriteFailed;
      }
    }
    // The new item follows those of the first container and precedes those
    // of any later one.
    long place = 0;
    auto mine = selectAll(container.get(), widen(kind.element));
    if (!mine || FAILED(mine->get_length(&place))) return StoreStatus::WriteFailed;

    ComPtr<IXMLDOMElement> element;
    Bstr name(widen(kind.element));
    if (FAILED(doc->createElement(name.get(), element.put())) || !element) return StoreStatus::WriteFailed;
    // Attribute order as older files have it: path, valuedata, valuename.
    if (!setAttribute(element.get(), L"path", item.path) || !setAttribute(element.get(), L"valuedata", item.valuedata) ||
        !setAttribute(element.get(), L"valuename", item.valuename) ||
        (!item.valuetype.empty() && !setAttribute(element.get(), L"valuetype", item.valuetype))) {
      return StoreStatus::WriteFailed;
    }
    ComPtr<IXMLDOMNode> appended;
    if (FAILED(container->appendChild(element.get(), appended.put()))) return StoreStatus::WriteFailed;

    const auto ordinal = static_cast<std::size_t>(place);
    for (StoredItem& r : records) r.ordinal += r.ordinal >= ordinal ? 1 : 0;
    const auto at = std::find_if(records.begin(), records.end(), [&](const StoredItem& r) { return r.ordinal > ordinal; });
    records.insert(at, StoredItem{ordinal, item});
    return StoreStatus::Ok;
  };
  return change(kind, edit);
}

StoreStatus MsxmlStore::remove(RecordKind kind, const StoredItem& item) {
  Edit edit;
  edit.apply = [&](IXMLDOMDocument* doc, std::vector<StoredItem>& records) {
    auto node = locate(doc, kind, item);
    const auto record = recordOf(records, item);
    if (!node || record == records.end()) return StoreStatus::Vanished;
    // Its own parent: with several containers the item may sit in any of them.
    ComPtr<IXMLDOMNode> parent;
    ComPtr<IXMLDOMNode> removed;
    if (node->get_parentNode(parent.put()) != S_OK || !parent || FAILED(parent->removeChild(node.get(), removed.put()))) {
      return StoreStatus::WriteFailed;
    }
    records.erase(record);
    for (StoredItem& r : records) r.ordinal -= r.ordinal > item.ordinal ? 1 : 0;
    return StoreStatus::Ok;
  };
  return change(kind, edit);
}

StoreStatus MsxmlStore::update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                               const std::string& valuedata, const std::optional<std::string>& valuetype) {
  Edit edit;
  edit.apply = [&](IXMLDOMDocument* doc, std::vector<StoredItem>& records) {
    auto node = locate(doc, kind, item);
    auto element = node.as<IXMLDOMElement>(kIidDomElement);
    const auto record = recordOf(records, item);
    if (!element || record == records.end()) return StoreStatus::Vanished;
    if (valuename && !setAttribute(element.get(), L"valuename", *valuename)) return StoreStatus::WriteFailed;
    if (!setAttribute(element.get(), L"valuedata", valuedata)) return StoreStatus::WriteFailed;
    if (valuetype && !valuetype->empty() && !setAttribute(element.get(), L"valuetype", *valuetype)) {
      return StoreStatus::WriteFailed;
    }
    if (valuetype && valuetype->empty()) {
      Bstr n{std::wstring(L"valuetype")};
      if (FAILED(element->removeAttribute(n.get()))) return StoreStatus::WriteFailed;
    }
    if (valuename) record->item.valuename = *valuename;
    record->item.valuedata = valuedata;
    if (valuetype) record->item.valuetype = *valuetype;
    return StoreStatus::Ok;
  };
  return change(kind, edit);
}

}  // namespace velmora::win32
