#include "core/win32/store_reading.h"

#include <xmllite.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/win32/xml_reader.h"
#include "core/xml_scan.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

// Under Wine, XmlLite reads past faults MSXML refuses and reads some values
// otherwise; core/xml_scan.h finds such bytes, and MSXML reads them.
bool leftToMsxml(const std::string& bytes) { return !plainXml(bytes); }

// --- The XmlLite pass ----------------------------------------------------
// It runs on every file, also when MSXML reads the values: it finds what
// makes a file no store, which MSXML under Wine cannot always see (it drops
// an undeclared prefix), and it leaves what MSXML refuses (an attribute
// twice) to MSXML.

std::wstring_view textOf(const WCHAR* text, UINT length) { return text ? std::wstring_view(text, length) : L""; }

// The name of the element or attribute the reader is on.
struct Name {
  std::wstring_view prefix, uri, local, qualified;
  bool plain() const { return prefix.empty() && uri.empty(); }
  // "xml" and "xmlns" are bound without a declaration. Wine's XmlLite keeps
  // an undeclared prefix in the written name only.
  bool undeclared() const {
    return (!prefix.empty() && uri.empty() && prefix != L"xml" && prefix != L"xmlns") ||
           (prefix.empty() && qualified != local);
  }
};

std::optional<Name> nameOf(IXmlReader* reader) {
  Name n;
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetPrefix(&text, &length))) return std::nullopt;
  n.prefix = textOf(text, length);
  if (FAILED(reader->GetNamespaceUri(&text, &length))) return std::nullopt;
  n.uri = textOf(text, length);
  if (FAILED(reader->GetLocalName(&text, &length))) return std::nullopt;
  n.local = textOf(text, length);
  if (FAILED(reader->GetQualifiedName(&text, &length))) return std::nullopt;
  n.qualified = textOf(text, length);
  return n;
}

std::uint64_t hashOf(std::uint64_t seed, std::wstring_view a, std::wstring_view b) {
  std::uint64_t h = seed;
  for (std::wstring_view part : {a, std::wstring_view(L"\x1"), b}) {
    for (const wchar_t c : part) h = (h ^ static_cast<std::uint16_t>(c)) * 0x100000001B3ull;
  }
  return h;
}

enum class Quick { Listed, NoStore, LeftToMsxml };

// The element's attributes: each name declared (else no store), none twice
// by its written or its namespace name (else MSXML decides; a mere clash of
// hashes only costs that). `item` receives the four of an item when given.
Quick attributes(IXmlReader* reader, std::vector<std::uint64_t>& seen, std::optional<DisabledItem>* item) {
  seen.clear();
  std::optional<std::string> path, name, data, type;
  for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
    const std::optional<Name> n = nameOf(reader);
    if (!n) return Quick::LeftToMsxml;
    if (n->undeclared()) return Quick::NoStore;
    seen.push_back(hashOf(0xCBF29CE484222325ull, n->prefix, n->local));
    seen.push_back(hashOf(0x84222325CBF29CE4ull, n->uri, n->local));
    if (!item || !n->plain()) continue;
    std::optional<std::string>* slot = n->local == L"path"        ? &path
                                       : n->local == L"valuename" ? &name
                                       : n->local == L"valuedata" ? &data
                                       : n->local == L"valuetype" ? &type
                                                                  : nullptr;
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (slot && FAILED(reader->GetValue(&value, &length))) return Quick::LeftToMsxml;
    if (slot) *slot = narrow(textOf(value, length));
  }
  reader->MoveToElement();
  std::sort(seen.begin(), seen.end());
  if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) return Quick::LeftToMsxml;
  if (item && path && name && data) *item = DisabledItem{*path, *name, *data, type.value_or("")};
  return Quick::Listed;
}

// The items `/config/toolvelmora/<element>` of the bytes, by element name:
// of the one `element` named, or of every element when it is null. Read with
// values only when `values` (else at best LeftToMsxml).
Quick quickListing(const std::string& bytes, const std::wstring* element, bool values, ItemsByKind& out) {
  ComPtr<IXmlReader> reader = createXmlReader();
  ComPtr<IStream> stream = streamOf(bytes);
  if (!reader || !stream) return Quick::LeftToMsxml;
  if (FAILED(reader->SetInput(stream.as<IUnknown>(kIidUnknown).get()))) return Quick::LeftToMsxml;
  std::vector<bool> open;  // one entry per open element: whether the path so far matches
  std::vector<std::uint64_t> seen;
  ItemsByKind items;
  std::map<std::wstring, std::size_t, std::less<>> ordinals;  // per element name
  bool rooted = false;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_EndElement) {
      if (!open.empty()) open.pop_back();
      continue;
    }
    if (type != XmlNodeType_Element) continue;
    const bool empty = reader->IsEmptyElement() != FALSE;
    const std::optional<Name> name = nameOf(reader.get());
    if (!name) return Quick::LeftToMsxml;
    if (name->undeclared()) return Quick::NoStore;
    // The name's text lasts only until the reader moves to the attributes.
    const bool plain = name->plain();
    const bool config = name->local == L"config", container = name->local == L"toolvelmora";
    const std::size_t level = open.size();
    const bool item = level == 2 && open[1] && plain && (!element || name->local == *element);
    const std::wstring itemName = item ? std::wstring(name->local) : std::wstring();
    std::optional<DisabledItem> read;
    if (const Quick a = attributes(reader.get(), seen, item && values ? &read : nullptr); a != Quick::Listed) return a;
    bool matches = false;
    if (level == 0) {
      // A root in a namespace would hand it to every element a change adds.
      if (!plain || !config) return Quick::NoStore;
      rooted = matches = true;
    } else if (level == 1 && container) {
      if (!plain) return Quick::NoStore;
      matches = true;
    } else if (item) {
      std::size_t& ordinal = ordinals[itemName];
      if (read) items[narrow(itemName)].push_back(StoredItem{ordinal, std::move(*read)});
      ++ordinal;
    }
    if (!empty) open.push_back(matches);
  }
  if (hr != S_FALSE || !rooted || !values) return Quick::LeftToMsxml;
  out = std::move(items);
  return Quick::Listed;
}

// --- MSXML -----------------------------------------------------------------

// The attributes of an item element; nothing when one of the three that
// every item has is missing. valuetype is optional (empty: REG_SZ).
std::optional<DisabledItem> readItem(IXMLDOMNode* node) {
  ComPtr<IXMLDOMElement> element;
  if (FAILED(node->QueryInterface(kIidDomElement, element.putVoid())) || !element) return std::nullopt;
  auto path = attribute(element.get(), L"path");
  auto name = attribute(element.get(), L"valuename");
  auto data = attribute(element.get(), L"valuedata");
  if (!path || !name || !data) return std::nullopt;
  return DisabledItem{*path, *name, *data, attribute(element.get(), L"valuetype").value_or("")};
}

bool inNamespace(IXMLDOMNode* node) {
  Bstr uri;
  return FAILED(node->get_namespaceURI(uri.put())) || !uri.str().empty();
}

// The same rule as the XmlLite pass, for what it could not read: a root
// named config in no namespace, no container in one.
bool storeShape(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMElement> root;
  if (!hasRoot(doc, L"config") || doc->get_documentElement(root.put()) != S_OK || inNamespace(root.get())) return false;
  ComPtr<IXMLDOMNode> child;
  for (HRESULT hr = root->get_firstChild(child.put()); hr == S_OK && child;) {
    Bstr base;
    DOMNodeType type = NODE_INVALID;
    if (FAILED(child->get_nodeType(&type)) || FAILED(child->get_baseName(base.put()))) return false;
    if (type == NODE_ELEMENT && base.str() == L"toolvelmora" && inNamespace(child.get())) return false;
    ComPtr<IXMLDOMNode> next;
    hr = child->get_nextSibling(next.put());
    child = next;
  }
  return true;
}

StoreStatus msxmlListing(IXMLDOMDocument* doc, RecordKind kind, std::vector<StoredItem>& out) {
  if (!storeShape(doc)) return StoreStatus::Unreadable;
  auto list = selectAll(doc, widen(selectionPath(kind)));
  if (!list) return StoreStatus::Unreadable;
  std::vector<StoredItem> items;
  std::size_t ordinal = 0;
  for (;;) {
    ComPtr<IXMLDOMNode> node;
    if (list->nextNode(node.put()) != S_OK || !node) break;
    // Counted even when skipped, so that ordinals name the same element later.
    if (auto item = readItem(node.get())) items.push_back(StoredItem{ordinal, std::move(*item)});
    ++ordinal;
  }
  out = std::move(items);
  return StoreStatus::Ok;
}

}  // namespace

StoreStatus readStore(const std::string& bytes, RecordKind kind, std::vector<StoredItem>& out,
                      IXMLDOMDocument* loaded) {
  // Markup that is not whole (a file cut short) never reaches XmlLite: Wine's
  // stops the whole program on some of it (an assertion) and goes round in
  // circles on more, where MSXML simply refuses it.
  if (plainXmlMarkup(bytes)) {
    const std::wstring element = widen(kind.element);
    ItemsByKind items;
    switch (quickListing(bytes, &element, !leftToMsxml(bytes), items)) {
      case Quick::Listed: {
        const auto listed = items.find(kind.element);
        if (listed == items.end()) {
          out.clear();
        } else {
          out = std::move(listed->second);
        }
        return StoreStatus::Ok;
      }
      case Quick::NoStore: return StoreStatus::Unreadable;
      case Quick::LeftToMsxml: break;
    }
  }
  ComScope com;
  ComPtr<IXMLDOMDocument> own;
  if (!loaded) {
    own = createDocument();
    if (!own || !loadBytes(own.get(), bytes)) return StoreStatus::Unreadable;
    loaded = own.get();
  }
  return msxmlListing(loaded, kind, out);
}

std::optional<StoreStatus> readEveryKind(const std::string& bytes, ItemsByKind& out) {
  // What readStore would leave to MSXML is left to it, one kind at a time.
  if (!plainXmlMarkup(bytes) || leftToMsxml(bytes)) return std::nullopt;
  switch (quickListing(bytes, nullptr, true, out)) {
    case Quick::Listed: return StoreStatus::Ok;
    case Quick::NoStore: return StoreStatus::Unreadable;
    case Quick::LeftToMsxml: break;
  }
  return std::nullopt;
}

}  // namespace velmora::win32
