#include "scheduledtasks/win32/task_xml.h"

#include <windows.h>
#include <xmllite.h>

#include <vector>

#include "core/win32/xml_document.h"
#include "core/win32/xml_reader.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

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

// The element the reader is on, without children or text; nothing when its
// prefix is not declared (Wine's XmlLite then keeps the prefix in the
// written name only, where Windows' refuses the document).
std::optional<XmlElement> elementOf(IXmlReader* reader) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetPrefix(&text, &length))) return std::nullopt;
  const std::wstring prefix(textOf(text, length));
  if (FAILED(reader->GetNamespaceUri(&text, &length))) return std::nullopt;
  const std::wstring uri(textOf(text, length));
  if (FAILED(reader->GetLocalName(&text, &length))) return std::nullopt;
  const std::wstring local(textOf(text, length));
  if (FAILED(reader->GetQualifiedName(&text, &length))) return std::nullopt;
  const std::wstring_view qualified = textOf(text, length);
  if ((!prefix.empty() && uri.empty()) || (prefix.empty() && qualified != local)) return std::nullopt;
  return XmlElement{narrow(local), narrow(uri), {}, {}};
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
      std::optional<XmlElement> element = elementOf(reader);
      if (!element) return std::nullopt;
      XmlElement* placed = nullptr;
      if (open.empty()) {
        if (root) return std::nullopt;
        placed = &root.emplace(std::move(*element));
      } else {
        placed = &open.back()->children.emplace_back(std::move(*element));
      }
      if (!reader->IsEmptyElement()) {
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

std::optional<TaskDefinition> parseTaskDefinition(std::wstring_view xml) {
  ComPtr<IXmlReader> reader = createXmlReader();
  ComPtr<IUnknown> input = utf16Input(xml);
  if (!reader || !input || FAILED(reader->SetInput(input.get()))) return std::nullopt;
  const std::optional<XmlElement> root = treeOf(reader.get(), xml);
  return root ? readTaskDefinition(*root) : std::nullopt;
}

std::optional<TaskDefinition> parseTaskDefinition(const std::string& utf8) {
  return parseTaskDefinition(std::wstring_view(widen(utf8)));
}

}  // namespace velmora::win32
