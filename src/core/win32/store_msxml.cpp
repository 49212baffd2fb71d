#include "core/win32/store_msxml.h"

#include <windows.h>
#include <msxml2.h>
#include <objidl.h>
#include <xmllite.h>

#include <optional>
#include <vector>

#include "platform/win32/com_ptr.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

// Our own copies: msxml2.h maps CLSID_DOMDocument to a different class.
constexpr GUID kClsidDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr wchar_t kContainerPath[] = L"/config/toolvelmora";
constexpr wchar_t kNewDocument[] = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config><toolvelmora/></config>";

ComPtr<IXMLDOMDocument> createDocument() {
  ComPtr<IXMLDOMDocument> doc;
  if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                              kIidDomDocument, doc.putVoid()))) {
    return {};
  }
  // Loading must be synchronous, and config.xml is plain data: no DTD
  // processing, no external entities.
  if (FAILED(doc->put_async(VARIANT_FALSE)) || FAILED(doc->put_resolveExternals(VARIANT_FALSE)) ||
      FAILED(doc->put_validateOnParse(VARIANT_FALSE))) {
    return {};
  }
  // XPath numbering and syntax; the default pattern language differs.
  if (auto doc2 = doc.as<IXMLDOMDocument2>(kIidDomDocument2)) {
    Variant lang;
    Bstr name(L"SelectionLanguage");
    if (!lang.setString(L"XPath") || FAILED(doc2->setProperty(name.get(), lang.get()))) return {};
    Variant prohibit;
    V_VT(prohibit.put()) = VT_BOOL;
    V_BOOL(&prohibit.get()) = VARIANT_TRUE;
    Bstr dtd(L"ProhibitDTD");
    doc2->setProperty(dtd.get(), prohibit.get());  // not every parser version knows it
  } else {
    return {};
  }
  return doc;
}

bool sameAttributes(const DisabledItem& a, const DisabledItem& b) {
  return a.path == b.path && a.valuename == b.valuename && a.valuedata == b.valuedata && a.valuetype == b.valuetype;
}

std::optional<std::string> attribute(IXMLDOMElement* element, const wchar_t* name) {
  Bstr n{std::wstring(name)};
  Variant value;
  if (element->getAttribute(n.get(), value.put()) != S_OK) return std::nullopt;
  if (V_VT(&value.get()) != VT_BSTR && FAILED(automation::variantChangeType(&value.get(), &value.get(), 0, VT_BSTR))) {
    return std::nullopt;
  }
  BSTR b = V_BSTR(&value.get());
  return narrow(std::wstring_view(b ? b : L"", b ? automation::stringLength(b) : 0));
}

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

bool setAttribute(IXMLDOMElement* element, const wchar_t* name, const std::string& value) {
  Bstr n{std::wstring(name)};
  Variant v;
  V_VT(v.put()) = VT_BSTR;
  const std::wstring w = widen(value);
  V_BSTR(&v.get()) = automation::allocString(w.data(), static_cast<UINT>(w.size()));
  if (!V_BSTR(&v.get())) return false;
  return SUCCEEDED(element->setAttribute(n.get(), v.get()));
}

ComPtr<IXMLDOMNode> selectSingle(IXMLDOMNode* from, const std::wstring& path) {
  Bstr p(path);
  ComPtr<IXMLDOMNode> node;
  if (from->selectSingleNode(p.get(), node.put()) != S_OK) return {};
  return node;
}

ComPtr<IXMLDOMNodeList> selectAll(IXMLDOMNode* from, const std::wstring& path) {
  Bstr p(path);
  ComPtr<IXMLDOMNodeList> list;
  if (FAILED(from->selectNodes(p.get(), list.put()))) return {};
  return list;
}

DWORD attributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// Whether the file is there; one that cannot be looked at is neither there
// nor missing. Parsers fail alike for missing, empty and malformed files:
// only a missing one may be started afresh.
enum class Presence { There, Missing, Unknown };
Presence presence(const std::wstring& path) {
  if (attributesOf(path) != INVALID_FILE_ATTRIBUTES) return Presence::There;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::Missing : Presence::Unknown;
}

// We always write UTF-8. A file that declared another encoding gets a UTF-8
// declaration: Wine's msxml3 writes UTF-8 bytes under any declaration, which
// would leave a file that no longer parses.
void declareUtf8(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMNode> first;
  if (doc->get_firstChild(first.put()) != S_OK || !first) return;
  DOMNodeType type = NODE_INVALID;
  Bstr name;
  if (FAILED(first->get_nodeType(&type)) || type != NODE_PROCESSING_INSTRUCTION ||
      FAILED(first->get_nodeName(name.put())) || name.str() != L"xml") {
    return;
  }
  Bstr target(L"xml");
  Bstr data(L"version=\"1.0\" encoding=\"UTF-8\"");
  ComPtr<IXMLDOMProcessingInstruction> declaration;
  ComPtr<IXMLDOMNode> old;
  if (SUCCEEDED(doc->createProcessingInstruction(target.get(), data.get(), declaration.put())) && declaration) {
    doc->replaceChild(declaration.get(), first.get(), old.put());
  }
}

ComPtr<IStream> streamOf(const std::string& bytes) {
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return {};
  ULONG written = 0;
  LARGE_INTEGER zero{};
  if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) || written != bytes.size() ||
      FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
    return {};
  }
  return stream;
}

// The document as the bytes of a file.
std::optional<std::string> serialise(IXMLDOMDocument* doc) {
  declareUtf8(doc);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return std::nullopt;
  Variant target;
  target.setUnknown(stream.get());
  if (FAILED(doc->save(target.get()))) return std::nullopt;
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER zero{};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return std::nullopt;
  ULONG got = 0;
  if (!bytes.empty() && (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got)) ||
                         got != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

// Writes the whole file beside the old one, flushes it, then swaps it in. A
// failure at any point leaves the old file as it was. AccessDenied only when
// the folder refuses the new file: a replace refused because another program
// holds config.xml open is no matter of rights.
StoreStatus saveAtomically(IXMLDOMDocument* doc, const std::wstring& target) {
  const DWORD existing = attributesOf(target);
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) return StoreStatus::WriteFailed;
  const auto bytes = serialise(doc);
  if (!bytes || bytes->empty() || !parsesWithRoot(*bytes, L"config")) return StoreStatus::WriteFailed;

  const std::size_t cut = target.find_last_of(L"\\/:");
  std::wstring folder = cut == std::wstring::npos ? std::wstring(L".") : target.substr(0, cut + 1);
  wchar_t temp[MAX_PATH + 1] = {};
  // The folder may be longer than GetTempFileNameW accepts; name it ourselves then.
  std::wstring tempPath;
  if (folder.size() < MAX_PATH - 14 && GetTempFileNameW(folder.c_str(), L"vcf", 0, temp) != 0) {
    tempPath = temp;
  } else {
    tempPath = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  }
  bool ok = false;
  {
    FileHandle h(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
      const DWORD error = GetLastError();
      DeleteFileW(tempPath.c_str());  // GetTempFileNameW may have made it
      return saveRefusal(error);
    }
    DWORD written = 0;
    ok = WriteFile(h.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr) &&
         written == bytes->size() && FlushFileBuffers(h.get());
  }
  if (ok) ok = MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(tempPath.c_str());
  return ok ? StoreStatus::Ok : StoreStatus::WriteFailed;
}

enum class Opened { Loaded, Missing, Unreadable };

struct Document {
  ComPtr<IXMLDOMDocument> doc;
  Opened state = Opened::Unreadable;
};

// Loads the file and checks that it is a store (root "config").
Document open(const std::wstring& path) {
  Document d;
  d.doc = createDocument();
  if (!d.doc) return d;
  if (const Presence there = presence(path); there != Presence::There) {
    d.state = there == Presence::Missing ? Opened::Missing : Opened::Unreadable;
    return d;
  }
  Variant source;
  if (!source.setString(path)) return d;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (FAILED(d.doc->load(source.get(), &loaded)) || loaded != VARIANT_TRUE) return d;
  ComPtr<IXMLDOMElement> root;
  if (d.doc->get_documentElement(root.put()) != S_OK || !root) return d;
  Bstr name;
  if (FAILED(root->get_tagName(name.put())) || name.str() != L"config") return d;
  d.state = Opened::Loaded;
  return d;
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
  const auto found = readItem(node.get());
  if (!found || !sameAttributes(*found, item.item)) return {};
  return node;
}

// --- Listing through XmlLite --------------------------------------------
// A listing reads the whole file and changes nothing, and MSXML with urlmon
// and wininet is about 3 MB and 10 ms to start under Wine. XmlLite (a small
// forward-only reader of the system's own) reads what a listing needs;
// whenever it does not read the file to its end cleanly (a DTD, an encoding
// it does not know, anything malformed) MSXML decides, so the result is
// always what MSXML would give. Changes still go through MSXML.

constexpr IID kIidXmlReader = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

ComPtr<IXmlReader> createReader() {
  using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
  static const Create create = systemFunction<Create>(L"xmllite.dll", "CreateXmlReader");
  ComPtr<IXmlReader> reader;
  if (!create || FAILED(create(kIidXmlReader, reader.putVoid(), nullptr))) return {};
  if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return {};
  return reader;
}

std::wstring_view textOf(const WCHAR* text, UINT length) { return text ? std::wstring_view(text, length) : L""; }

// The element or attribute the reader is on: whether it has no prefix and no
// namespace, and its local name.
bool plainName(IXmlReader* reader, std::wstring_view& local) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetPrefix(&text, &length)) || length != 0) return false;
  if (FAILED(reader->GetNamespaceUri(&text, &length)) || length != 0) return false;
  if (FAILED(reader->GetLocalName(&text, &length))) return false;
  local = textOf(text, length);
  return true;
}

std::optional<DisabledItem> readItemAttributes(IXmlReader* reader) {
  std::optional<std::string> path, name, data, type;
  for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
    std::wstring_view local;
    if (!plainName(reader, local)) continue;
    std::optional<std::string>* slot = local == L"path"        ? &path
                                       : local == L"valuename" ? &name
                                       : local == L"valuedata" ? &data
                                       : local == L"valuetype" ? &type
                                                               : nullptr;
    if (!slot) continue;
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (FAILED(reader->GetValue(&value, &length))) return std::nullopt;
    *slot = narrow(textOf(value, length));
  }
  reader->MoveToElement();
  if (!path || !name || !data) return std::nullopt;
  return DisabledItem{*path, *name, *data, type.value_or("")};
}

enum class Quick { Listed, RootIsOther, NotRead };

// Files XmlLite is not asked to read. Wine's XmlLite turns referenced
// whitespace in attributes into spaces and cuts references beyond the first
// 65,536 characters; MSXML writes a tab or line break in an attribute as a
// reference. Such files, wide-character files (the scan below is by bytes)
// and raw control characters XML does not allow go to MSXML, and so does any
// document type declaration: MSXML is the one set to refuse DTDs and never
// to fetch what one names.
bool leftToMsxml(const std::string& bytes) {
  if (bytes.find("&#") != std::string::npos || bytes.find("<!DOCTYPE") != std::string::npos) return true;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') return true;
  }
  return false;
}

// The items `/config/toolvelmora/<element>` of the bytes, in document order,
// numbered as MSXML's selection numbers them (skipped ones counted too).
Quick quickListing(const std::string& bytes, RecordKind kind, std::vector<StoredItem>& out) {
  if (leftToMsxml(bytes)) return Quick::NotRead;
  ComPtr<IXmlReader> reader = createReader();
  ComPtr<IStream> stream = streamOf(bytes);
  if (!reader || !stream) return Quick::NotRead;
  if (FAILED(reader->SetInput(stream.as<IUnknown>(kIidUnknown).get()))) return Quick::NotRead;
  const std::wstring element = widen(kind.element);
  // One entry per open element: whether the path so far matches.
  std::vector<bool> open;
  std::vector<StoredItem> items;
  std::size_t ordinal = 0;
  bool rootIsConfig = false;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_EndElement) {
      if (!open.empty()) open.pop_back();
      continue;
    }
    if (type != XmlNodeType_Element) continue;
    const bool empty = reader->IsEmptyElement() != FALSE;
    std::wstring_view local;
    const bool plain = plainName(reader.get(), local);
    const std::size_t level = open.size();
    bool matches = false;
    if (level == 0) {
      // MSXML's check is on the qualified name; its selection then needs no namespace.
      const WCHAR* qualified = nullptr;
      UINT length = 0;
      if (FAILED(reader->GetQualifiedName(&qualified, &length))) return Quick::NotRead;
      rootIsConfig = textOf(qualified, length) == L"config";
      if (!rootIsConfig) return Quick::RootIsOther;
      matches = plain;
    } else if (level == 1) {
      matches = open[0] && plain && local == L"toolvelmora";
    } else if (level == 2 && open[1] && plain && local == element) {
      if (auto item = readItemAttributes(reader.get())) items.push_back(StoredItem{ordinal, std::move(*item)});
      ++ordinal;
    }
    if (!empty) open.push_back(matches);
  }
  if (hr != S_FALSE || !rootIsConfig) return Quick::NotRead;
  out = std::move(items);
  return Quick::Listed;
}

StoreStatus statusFor(Opened state) {
  return state == Opened::Missing ? StoreStatus::Vanished : StoreStatus::Unreadable;
}

}  // namespace

StoreStatus MsxmlStore::list(RecordKind kind, std::vector<StoredItem>& out) {
  // Only bytes that were the same before and after a parse are remembered,
  // so a listing served from memory is what parsing the file now would give.
  const std::optional<std::string> before = readFileBytes(path_);
  auto known = listings_.find(kind.element);
  if (before && known != listings_.end() && known->second.bytes == *before) {
    out = known->second.items;
    return StoreStatus::Ok;
  }
  if (known != listings_.end()) listings_.erase(known);
  if (!before && presence(widen(path_)) == Presence::Missing) {
    out.clear();  // no store yet: nothing disabled
    return StoreStatus::Ok;
  }
  StoreStatus status = StoreStatus::Unreadable;  // a file of another root is no store, for MSXML too
  switch (before ? quickListing(*before, kind, out) : Quick::NotRead) {
    case Quick::Listed: status = StoreStatus::Ok; break;
    case Quick::RootIsOther: break;
    case Quick::NotRead: status = parse(kind, out); break;
  }
  if (status != StoreStatus::Ok || !before) return status;
  if (std::optional<std::string> after = readFileBytes(path_); after && *after == *before) {
    listings_[std::string(kind.element)] = Listing{std::move(*after), out};
  }
  return status;
}

StoreStatus MsxmlStore::parse(RecordKind kind, std::vector<StoredItem>& out) {
  ComScope com;
  Document d = open(widen(path_));
  if (d.state == Opened::Missing) {
    out.clear();
    return StoreStatus::Ok;
  }
  if (d.state != Opened::Loaded) return StoreStatus::Unreadable;
  auto list = selectAll(d.doc.get(), widen(selectionPath(kind)));
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

StoreStatus MsxmlStore::add(RecordKind kind, const DisabledItem& item) {
  ComScope com;
  const std::wstring path = widen(path_);
  Document d = open(path);
  if (d.state == Opened::Missing) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    Bstr text{std::wstring(kNewDocument)};
    if (FAILED(d.doc->loadXML(text.get(), &ok)) || ok != VARIANT_TRUE) return StoreStatus::WriteFailed;
  } else if (d.state != Opened::Loaded) {
    return StoreStatus::Unreadable;
  }

  ComPtr<IXMLDOMNode> container = selectSingle(d.doc.get(), kContainerPath);
  if (!container) {
    ComPtr<IXMLDOMElement> root;
    ComPtr<IXMLDOMElement> created;
    Bstr name(L"toolvelmora");
    if (d.doc->get_documentElement(root.put()) != S_OK || FAILED(d.doc->createElement(name.get(), created.put())) ||
        FAILED(root->appendChild(created.get(), container.put())) || !container) {
      return StoreStatus::WriteFailed;
    }
  }

  ComPtr<IXMLDOMElement> element;
  Bstr name(widen(kind.element));
  if (FAILED(d.doc->createElement(name.get(), element.put())) || !element) return StoreStatus::WriteFailed;
  // Attribute order as older files have it: path, valuedata, valuename.
  if (!setAttribute(element.get(), L"path", item.path) || !setAttribute(element.get(), L"valuedata", item.valuedata) ||
      !setAttribute(element.get(), L"valuename", item.valuename) ||
      (!item.valuetype.empty() && !setAttribute(element.get(), L"valuetype", item.valuetype))) {
    return StoreStatus::WriteFailed;
  }
  ComPtr<IXMLDOMNode> appended;
  if (FAILED(container->appendChild(element.get(), appended.put()))) return StoreStatus::WriteFailed;
  return saveAtomically(d.doc.get(), path);
}

StoreStatus MsxmlStore::remove(RecordKind kind, const StoredItem& item) {
  ComScope com;
  const std::wstring path = widen(path_);
  Document d = open(path);
  if (d.state != Opened::Loaded) return statusFor(d.state);
  auto node = locate(d.doc.get(), kind, item);
  if (!node) return StoreStatus::Vanished;
  // Its own parent: with several containers the item may sit in any of them.
  ComPtr<IXMLDOMNode> parent;
  ComPtr<IXMLDOMNode> removed;
  if (node->get_parentNode(parent.put()) != S_OK || !parent || FAILED(parent->removeChild(node.get(), removed.put()))) {
    return StoreStatus::WriteFailed;
  }
  return saveAtomically(d.doc.get(), path);
}

StoreStatus MsxmlStore::update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                               const std::string& valuedata, const std::optional<std::string>& valuetype) {
  ComScope com;
  const std::wstring path = widen(path_);
  Document d = open(path);
  if (d.state != Opened::Loaded) return statusFor(d.state);
  auto node = locate(d.doc.get(), kind, item);
  if (!node) return StoreStatus::Vanished;
  auto element = node.as<IXMLDOMElement>(kIidDomElement);
  if (!element) return StoreStatus::Vanished;
  if (valuename && !setAttribute(element.get(), L"valuename", *valuename)) return StoreStatus::WriteFailed;
  if (!setAttribute(element.get(), L"valuedata", valuedata)) return StoreStatus::WriteFailed;
  if (valuetype && !valuetype->empty() && !setAttribute(element.get(), L"valuetype", *valuetype)) {
    return StoreStatus::WriteFailed;
  }
  if (valuetype && valuetype->empty()) {
    Bstr n{std::wstring(L"valuetype")};
    if (FAILED(element->removeAttribute(n.get()))) return StoreStatus::WriteFailed;
  }
  return saveAtomically(d.doc.get(), path);
}

StoreStatus saveRefusal(unsigned long error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return StoreStatus::AccessDenied;
    default: return StoreStatus::WriteFailed;
  }
}

namespace {

bool hasRoot(IXMLDOMDocument* doc, std::wstring_view wanted) {
  ComPtr<IXMLDOMElement> root;
  Bstr name;
  return doc->get_documentElement(root.put()) == S_OK && root && SUCCEEDED(root->get_tagName(name.put())) &&
         name.str() == wanted;
}

}  // namespace

bool parsesWithRoot(const std::string& bytes, std::wstring_view root) {
  auto doc = createDocument();
  auto stream = streamOf(bytes);
  if (!doc || !stream) return false;
  Variant source;
  source.setUnknown(stream.get());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  return SUCCEEDED(doc->load(source.get(), &loaded)) && loaded == VARIANT_TRUE && hasRoot(doc.get(), root);
}

XmlFileState readXmlElements(const std::string& file, std::wstring_view root, std::wstring_view element,
                             std::vector<XmlAttributes>& out) {
  const std::wstring path = widen(file);
  if (const Presence there = presence(path); there != Presence::There) {
    return there == Presence::Missing ? XmlFileState::Missing : XmlFileState::Unreadable;
  }
  auto doc = createDocument();
  Variant source;
  if (!doc || !source.setString(path)) return XmlFileState::Unreadable;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (FAILED(doc->load(source.get(), &loaded)) || loaded != VARIANT_TRUE || !hasRoot(doc.get(), root)) {
    return XmlFileState::Unreadable;
  }
  auto nodes = selectAll(doc.get(), L"/" + std::wstring(root) + L"/" + std::wstring(element));
  long length = 0;
  if (!nodes || FAILED(nodes->get_length(&length))) return XmlFileState::Unreadable;
  std::vector<XmlAttributes> read;
  read.reserve(static_cast<std::size_t>(length));
  for (long i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> node;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (nodes->get_item(i, node.put()) != S_OK || !node || FAILED(node->get_attributes(attributes.put())) ||
        !attributes) {
      return XmlFileState::Unreadable;
    }
    long count = 0;
    if (FAILED(attributes->get_length(&count))) return XmlFileState::Unreadable;
    XmlAttributes one;
    for (long a = 0; a < count; ++a) {
      ComPtr<IXMLDOMNode> attribute;
      Bstr name;
      Variant value;
      if (attributes->get_item(a, attribute.put()) != S_OK || !attribute ||
          FAILED(attribute->get_nodeName(name.put())) || FAILED(attribute->get_nodeValue(value.put())) ||
          V_VT(&value.get()) != VT_BSTR) {
        return XmlFileState::Unreadable;
      }
      BSTR b = V_BSTR(&value.get());
      one.emplace_back(narrow(name.str()), narrow(std::wstring_view(b ? b : L"", b ? automation::stringLength(b) : 0)));
    }
    read.push_back(std::move(one));
  }
  out = std::move(read);
  return XmlFileState::Loaded;
}

bool xmlParserInstalled() {
  // The document class registered with its server, looked up without
  // loading it: a start-up that only lists never starts MSXML.
  wchar_t server[MAX_PATH] = {};
  DWORD size = sizeof server;
  const LSTATUS s = RegGetValueW(HKEY_CLASSES_ROOT, L"CLSID\\{2933BF90-7B36-11D2-B20E-00C04F983E60}\\InprocServer32",
                                 nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, server, &size);
  return s == ERROR_MORE_DATA || (s == ERROR_SUCCESS && server[0] != L'\0');
}

}  // namespace velmora::win32
