#pragma once
// An XML element as a namespace-aware reader gives it. The platform's
// reader (XmlLite) builds the tree; portable code reads it, so the rules are
// the same, and tested natively, everywhere.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// An attribute by its local name and the URI of its namespace: empty for an
// unprefixed one, which takes no default namespace. Namespace declarations
// are not attributes here.
struct XmlAttribute {
  std::string name;
  std::string namespaceUri;
  std::string value;
};

// Its local name, the URI of its namespace (empty for none), its text (the
// concatenated character data directly inside it, entities resolved), its
// child elements in document order and its attributes.
struct XmlElement {
  std::string name;
  std::string namespaceUri;
  std::string text;
  std::vector<XmlElement> children;
  std::vector<XmlAttribute> attributes = {};

  // The value of the attribute `local` in namespace `ns` (none: unprefixed);
  // null when the element has none.
  const std::string* attribute(std::string_view local, std::string_view ns = {}) const {
    for (const XmlAttribute& a : attributes) {
      if (a.name == local && a.namespaceUri == ns) return &a.value;
    }
    return nullptr;
  }
};

}  // namespace velmora
