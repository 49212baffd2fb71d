#include "core/win32/xml_tree.h"

#include <windows.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "core/win32/xml_document.h"
#include "core/win32/xml_reader.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

constexpr std::wstring_view kXmlnsUri = L"http://www.w3.org/2000/xmlns/";

std::wstring_view textOf(const WCHAR* text, UINT length) { return text ? std::wstring_view(text, length) : L""; }

// The text as UTF-16 for a reader told so outright: the characters are
// decoded already, so whatever encoding the declaration names (UTF-16 as
// the scheduler writes, or UTF-8 as a file would) must not be obeyed.
ComPtr<IUnknown> utf16Input(std::wstring_view xml) {
  using Create = HRESULT(WINAPI*)(IUnknown*, IMalloc*, LPCWSTR, BOOL, LPCWSTR, IXmlReaderInput**);
  static const Create create = systemFunction<Create>(L"xmllite.dll", "CreateXmlReaderInputWithEncodingName");
  const std::string bytes(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
  ComPtr<IStream> stream = streamOf(bytes);
  ComPtr<IUnknown> input;
  if (!create || !stream) return {};
  if (FAILED(create(stream.as<IUnknown>(kIidUnknown).get(), nullptr, L"utf-16", FALSE, nullptr, input.put()))) {
    return {};
  }
  return input;
}

struct Name {
  std::wstring uri;
  std::wstring local;
};

// The name of the node the reader is on; nothing when its prefix is not
// declared (Wine's XmlLite then keeps the prefix in the written name only,
// where Windows' refuses the document).
std::optional<Name> nameOf(IXmlReader* reader) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetPrefix(&text, &length))) return std::nullopt;
  const std::wstring prefix(textOf(text, length));
  if (FAILED(reader->GetNamespaceUri(&text, &length))) return std::nullopt;
  Name name{std::wstring(textOf(text, length)), {}};
  if (FAILED(reader->GetLocalName(&text, &length))) return std::nullopt;
  name.local = textOf(text, length);
  if (FAILED(reader->GetQualifiedName(&text, &length))) return std::nullopt;
  const std::wstring_view qualified = textOf(text, length);
  if ((!prefix.empty() && name.uri.empty()) || (prefix.empty() && qualified != name.local)) return std::nullopt;
  return name;
}

// The attributes of the element the reader is on, namespace declarations
// left out; the reader is back on the element after. False for an
// undeclared prefix or an attribute given twice.
bool readAttributes(IXmlReader* reader, XmlElement& element) {
  HRESULT hr = S_OK;
  for (hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
    const std::optional<Name> name = nameOf(reader);
    if (!name) return false;
    if (name->uri == kXmlnsUri || (name->uri.empty() && name->local == L"xmlns")) continue;
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (FAILED(reader->GetValue(&value, &length))) return false;
    XmlAttribute attribute{narrow(name->local), narrow(name->uri), narrow(textOf(value, length))};
    if (element.attribute(attribute.name, attribute.namespaceUri)) return false;
    element.attributes.push_back(std::move(attribute));
  }
  return SUCCEEDED(hr) && SUCCEEDED(reader->MoveToElement());
}

std::optional<XmlElement> treeOf(IXmlReader* reader, std::wstring_view xml) {
  WholeTextCheck check(xml);
  std::optional<XmlElement> root;
  // The open elements, innermost last. Only the innermost gains children,
  // so the places of the others stay put.
  std::vector<XmlElement*> open;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (!check.node()) return std::nullopt;
    if (type == XmlNodeType_Element) {
      const std::optional<Name> name = nameOf(reader);
      if (!name) return std::nullopt;
      XmlElement element{narrow(name->local), narrow(name->uri), {}, {}};
      if (!readAttributes(reader, element)) return std::nullopt;
      XmlElement* placed = nullptr;
      if (open.empty()) {
        if (root) return std::nullopt;
        placed = &root.emplace(std::move(element));
      } else {
        placed = &open.back()->children.emplace_back(std::move(element));
      }
      if (!reader->IsEmptyElement()) {
        if (open.size() >= kMostXmlDepth) return std::nullopt;
        check.openElement();
        open.push_back(placed);
      }
    } else if (type == XmlNodeType_EndElement) {
      if (!open.empty()) open.pop_back();
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace ||
               type == XmlNodeType_Comment || type == XmlNodeType_ProcessingInstruction) {
      const WCHAR* value = nullptr;
      UINT length = 0;
      if (FAILED(reader->GetValue(&value, &length))) return std::nullopt;
      const std::wstring_view v = textOf(value, length);
      if (type != XmlNodeType_Text && type != XmlNodeType_Whitespace) check.markupValue(v);
      if (type == XmlNodeType_Comment || type == XmlNodeType_ProcessingInstruction) continue;
      if (!open.empty()) open.back()->text += narrow(v);
    } else if (type == XmlNodeType_DocumentType) {
      return std::nullopt;
    }
  }
  if (hr != S_FALSE || !open.empty() || !check.whole()) return std::nullopt;
  return root;
}

}  // namespace

std::optional<XmlElement> readXmlTree(std::wstring_view xml) {
  ComPtr<IXmlReader> reader = createXmlReader();
  ComPtr<IUnknown> input = utf16Input(xml);
  if (!reader || !input || FAILED(reader->SetInput(input.get()))) return std::nullopt;
  return treeOf(reader.get(), xml);
}

}  // namespace velmora::win32
