#include "native/namespaced_tree.h"

#include <pugixml.hpp>

#include <map>

namespace velmora::testing {
namespace {

using Prefixes = std::map<std::string, std::string>;  // prefix ("" the default) -> URI

bool build(const pugi::xml_node& node, Prefixes prefixes, XmlElement& out) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    const std::string name = a.name();
    if (name == "xmlns") prefixes[""] = a.value();
    if (name.rfind("xmlns:", 0) == 0) prefixes[name.substr(6)] = a.value();
  }
  const std::string qualified = node.name();
  const std::size_t colon = qualified.find(':');
  const std::string prefix = colon == std::string::npos ? "" : qualified.substr(0, colon);
  const auto bound = prefixes.find(prefix);
  if (bound == prefixes.end() && !prefix.empty()) return false;
  out.name = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
  out.namespaceUri = bound == prefixes.end() ? "" : bound->second;
  // An unprefixed attribute takes no default namespace.
  for (const pugi::xml_attribute& a : node.attributes()) {
    const std::string name = a.name();
    if (name == "xmlns" || name.rfind("xmlns:", 0) == 0) continue;
    const std::size_t at = name.find(':');
    std::string uri;
    if (at != std::string::npos) {
      const auto p = prefixes.find(name.substr(0, at));
      if (p == prefixes.end()) return false;
      uri = p->second;
    }
    XmlAttribute attribute{at == std::string::npos ? name : name.substr(at + 1), uri, a.value()};
    if (out.attribute(attribute.name, attribute.namespaceUri)) return false;
    out.attributes.push_back(std::move(attribute));
  }
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) out.text += child.value();
    if (child.type() != pugi::node_element) continue;
    out.children.emplace_back();
    if (!build(child, prefixes, out.children.back())) return false;
  }
  return true;
}

}  // namespace

std::optional<XmlElement> namespacedTree(const std::string& xml) {
  pugi::xml_document doc;
  // The declaration may say UTF-16: the bytes are UTF-8 all the same.
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_doctype;
  if (!doc.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8)) return std::nullopt;
  for (const pugi::xml_node& n : doc.children()) {
    if (n.type() == pugi::node_doctype) return std::nullopt;
  }
  XmlElement root;
  if (!doc.document_element() || !build(doc.document_element(), Prefixes{{"xml", "http://www.w3.org/XML/1998/namespace"}}, root)) {
    return std::nullopt;
  }
  return root;
}

}  // namespace velmora::testing
