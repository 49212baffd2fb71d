#include "core/win32/xml_document.h"

#include <xmllite.h>

#include <algorithm>

#include "core/win32/xml_file.h"
#include "core/win32/xml_reader.h"
#include "core/xml_scan.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

// Our own copies: msxml2.h maps CLSID_DOMDocument to a different class.
constexpr GUID kClsidDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

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

}  // namespace

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

bool loadBytes(IXMLDOMDocument* doc, const std::string& bytes) {
  ComPtr<IStream> stream = streamOf(bytes);
  if (!stream) return false;
  Variant source;
  source.setUnknown(stream.get());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  return SUCCEEDED(doc->load(source.get(), &loaded)) && loaded == VARIANT_TRUE;
}

Presence presence(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return Presence::There;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::Missing : Presence::Unknown;
}

bool hasRoot(IXMLDOMDocument* doc, std::wstring_view wanted) {
  ComPtr<IXMLDOMElement> root;
  Bstr name;
  return doc->get_documentElement(root.put()) == S_OK && root && SUCCEEDED(root->get_tagName(name.put())) &&
         name.str() == wanted;
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

namespace {

// A node's attributes in document order; false when one cannot be read.
bool attributesOf(IXMLDOMNode* node, XmlAttributes& out) {
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  if (FAILED(node->get_attributes(attributes.put())) || !attributes) return false;
  long count = 0;
  if (FAILED(attributes->get_length(&count))) return false;
  XmlAttributes read;
  for (long a = 0; a < count; ++a) {
    ComPtr<IXMLDOMNode> attribute;
    Bstr name;
    Variant value;
    if (attributes->get_item(a, attribute.put()) != S_OK || !attribute || FAILED(attribute->get_nodeName(name.put())) ||
        FAILED(attribute->get_nodeValue(value.put())) || V_VT(&value.get()) != VT_BSTR) {
      return false;
    }
    BSTR b = V_BSTR(&value.get());
    read.emplace_back(narrow(name.str()), narrow(std::wstring_view(b ? b : L"", b ? automation::stringLength(b) : 0)));
  }
  out = std::move(read);
  return true;
}

enum class Quick { Loaded, NotRoot, LeftToMsxml };

std::wstring_view textOf(const WCHAR* text, UINT length) { return text ? std::wstring_view(text, length) : L""; }

// The element or attribute the reader is on, when it has a plain name (no
// prefix, no namespace; not a namespace declaration).
std::optional<std::wstring> plainName(IXmlReader* reader) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetPrefix(&text, &length)) || length != 0) return std::nullopt;
  if (FAILED(reader->GetNamespaceUri(&text, &length)) || length != 0) return std::nullopt;
  if (FAILED(reader->GetQualifiedName(&text, &length))) return std::nullopt;
  std::wstring name(textOf(text, length));
  if (name.empty() || name == L"xmlns") return std::nullopt;
  return name;
}

// The reader's attributes; nothing when one is not plain or comes twice
// (MSXML decides those).
std::optional<XmlAttributes> plainAttributes(IXmlReader* reader) {
  XmlAttributes read;
  std::vector<std::wstring> names;
  for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
    auto name = plainName(reader);
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (!name || FAILED(reader->GetValue(&value, &length))) return std::nullopt;
    read.emplace_back(narrow(*name), narrow(textOf(value, length)));
    names.push_back(std::move(*name));
  }
  reader->MoveToElement();
  std::sort(names.begin(), names.end());
  if (std::adjacent_find(names.begin(), names.end()) != names.end()) return std::nullopt;
  return read;
}

// XmlLite's reading of a plain file (core/xml_scan.h): what MSXML reads of
// it, without starting MSXML, which a start-up never does. Anything with a
// prefix, a namespace or an attribute twice is left to MSXML.
Quick quickElements(const std::string& bytes, std::wstring_view root, std::wstring_view element,
                    std::vector<XmlAttributes>& out, XmlAttributes* rootAttributes) {
  if (!plainXml(bytes)) return Quick::LeftToMsxml;
  ComPtr<IXmlReader> reader = createXmlReader();
  ComPtr<IStream> stream = streamOf(bytes);
  if (!reader || !stream || FAILED(reader->SetInput(stream.as<IUnknown>(kIidUnknown).get()))) {
    return Quick::LeftToMsxml;
  }
  WholeTextCheck whole{std::string_view(bytes)};
  std::size_t depth = 0;
  bool rooted = false;
  XmlAttributes rootRead;
  std::vector<XmlAttributes> read;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (!whole.node()) return Quick::LeftToMsxml;
    if (type == XmlNodeType_EndElement) {
      if (depth > 0) --depth;
      continue;
    }
    if (type == XmlNodeType_Comment || type == XmlNodeType_CDATA || type == XmlNodeType_ProcessingInstruction) {
      const WCHAR* value = nullptr;
      UINT length = 0;
      if (FAILED(reader->GetValue(&value, &length))) return Quick::LeftToMsxml;
      whole.markupValue(textOf(value, length));
      continue;
    }
    if (type != XmlNodeType_Element) continue;
    const bool empty = reader->IsEmptyElement() != FALSE;
    const auto name = plainName(reader.get());
    if (!name) return Quick::LeftToMsxml;
    auto attributes = plainAttributes(reader.get());
    if (!attributes) return Quick::LeftToMsxml;
    if (depth == 0) {
      if (*name != root) return Quick::NotRoot;
      rooted = true;
      rootRead = std::move(*attributes);
    } else if (depth == 1 && *name == element) {
      read.push_back(std::move(*attributes));
    }
    if (!empty) {
      whole.openElement();
      ++depth;
    }
  }
  if (hr != S_FALSE || !rooted || !whole.whole()) return Quick::LeftToMsxml;
  out = std::move(read);
  if (rootAttributes) *rootAttributes = std::move(rootRead);
  return Quick::Loaded;
}

}  // namespace

bool parsesWithRoot(const std::string& bytes, std::wstring_view root) {
  // As the next reading will read them: without starting MSXML where
  // XmlLite is sure (a close that saves what it saw never needs it).
  std::vector<XmlAttributes> none;
  switch (quickElements(bytes, root, L"", none, nullptr)) {
    case Quick::Loaded: return true;
    case Quick::NotRoot: return false;
    case Quick::LeftToMsxml: break;
  }
  auto doc = createDocument();
  return doc && loadBytes(doc.get(), bytes) && hasRoot(doc.get(), root);
}

XmlFileState readXmlElements(const std::string& file, std::wstring_view root, std::wstring_view element,
                             std::vector<XmlAttributes>& out, XmlAttributes* rootAttributes) {
  const std::wstring path = widen(file);
  if (const Presence there = presence(path); there != Presence::There) {
    return there == Presence::Missing ? XmlFileState::Missing : XmlFileState::Unreadable;
  }
  if (const auto bytes = readFileBytes(file)) {
    switch (quickElements(*bytes, root, element, out, rootAttributes)) {
      case Quick::Loaded: return XmlFileState::Loaded;
      case Quick::NotRoot: return XmlFileState::Unreadable;
      case Quick::LeftToMsxml: break;
    }
  }
  auto doc = createDocument();
  Variant source;
  if (!doc || !source.setString(path)) return XmlFileState::Unreadable;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (FAILED(doc->load(source.get(), &loaded)) || loaded != VARIANT_TRUE || !hasRoot(doc.get(), root)) {
    return XmlFileState::Unreadable;
  }
  XmlAttributes rootRead;
  if (rootAttributes) {
    ComPtr<IXMLDOMElement> top;
    if (FAILED(doc->get_documentElement(top.put())) || !top || !attributesOf(top.get(), rootRead)) {
      return XmlFileState::Unreadable;
    }
  }
  auto nodes = selectAll(doc.get(), L"/" + std::wstring(root) + L"/" + std::wstring(element));
  long length = 0;
  if (!nodes || FAILED(nodes->get_length(&length))) return XmlFileState::Unreadable;
  std::vector<XmlAttributes> read;
  read.reserve(static_cast<std::size_t>(length));
  for (long i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> node;
    XmlAttributes one;
    if (nodes->get_item(i, node.put()) != S_OK || !node || !attributesOf(node.get(), one)) {
      return XmlFileState::Unreadable;
    }
    read.push_back(std::move(one));
  }
  out = std::move(read);
  if (rootAttributes) *rootAttributes = std::move(rootRead);
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
