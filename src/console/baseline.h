#pragma once
// A baseline: a listing velmorac wrote earlier, in any of its formats, read
// back for a comparison. A script may have filtered it or written it again
// with its own tools; what counts is each record's fields, by name.
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "console/listed_entry.h"
#include "core/xml_text.h"

namespace velmora {

// An XML listing's <entry> records (under an <entries> root) as the XML
// parser hands them out; nothing when the text is no such document.
using XmlListingReader = std::function<std::optional<std::vector<XmlFields>>()>;

// The entries of a baseline. Its format is told by its text: JSON opens
// with "{", XML with "<", a header row with a tab is TSV, any other CSV.
// Nothing when it does not read as a listing: a record without id, family,
// place, name, command or enabled (true or false), or a text cut short.
std::optional<std::vector<ListedEntry>> readBaseline(std::string_view text, const XmlListingReader& xml);

}  // namespace velmora
