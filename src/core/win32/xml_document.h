#pragma once
// MSXML documents as the program uses them: made never to process a document
// type or fetch anything, loaded from and saved to bytes, with the few calls
// the store and the history need. Text is UTF-8 on this side.
#include <windows.h>
#include <msxml2.h>
#include <objidl.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/com_ptr.h"

namespace velmora::win32 {

// Our own copy: msxml2.h's names map to other classes.
inline constexpr IID kIidDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Loading synchronous, selections in XPath, no DTD, no external entities;
// null when MSXML is not there.
ComPtr<IXMLDOMDocument> createDocument();
// Parses the bytes as a file's content would be; false when they do not parse.
[[nodiscard]] bool loadBytes(IXMLDOMDocument* doc, const std::string& bytes);
// The document as the bytes of a file, in UTF-8 and declared so.
std::optional<std::string> serialise(IXMLDOMDocument* doc);
ComPtr<IStream> streamOf(const std::string& bytes);

// Whether the file is there; one that cannot be looked at is neither there
// nor missing. Parsers fail alike for missing, empty and malformed files:
// only a missing one may be started afresh.
enum class Presence { There, Missing, Unknown };
Presence presence(const std::wstring& path);

bool hasRoot(IXMLDOMDocument* doc, std::wstring_view wanted);
std::optional<std::string> attribute(IXMLDOMElement* element, const wchar_t* name);
[[nodiscard]] bool setAttribute(IXMLDOMElement* element, const wchar_t* name, const std::string& value);
ComPtr<IXMLDOMNode> selectSingle(IXMLDOMNode* from, const std::wstring& path);
ComPtr<IXMLDOMNodeList> selectAll(IXMLDOMNode* from, const std::wstring& path);

}  // namespace velmora::win32
