#pragma once
// Bytes of an XML file that every parser reads alike. Under Wine, XmlLite
// reads past faults MSXML refuses (bytes that are no UTF-8, a declared
// encoding the bytes are not in, undefined entities and bare ampersands in
// text, attributes without space between them, names XML does not allow,
// an instruction named xml) and reads some values otherwise (referenced
// whitespace in attributes becomes spaces, references beyond U+FFFF are
// cut). A fast reader takes only bytes these checks pass and leaves the rest
// to the full parser. Files as the program writes them pass. A check may
// refuse more than it must: that only costs the full parser.
#include <string_view>

namespace velmora {

// Every character is UTF-8 of one XML allows (no overlong form, surrogate,
// U+FFFE, U+FFFF, beyond U+10FFFF, or control other than tab and line
// ends), and every reference is one of the five named ones.
bool plainXmlCharacters(std::string_view bytes);
// Every tag has names of plain ASCII (not starting with a digit) and white
// space before each attribute; the declaration, if any, opens the file and
// names UTF-8 or no encoding; no other instruction is named xml; there is no
// document type; and there is an element, each closed as often as opened
// (a file cut short has one open, or none at all).
bool plainXmlMarkup(std::string_view bytes);
// Both.
bool plainXml(std::string_view bytes);

}  // namespace velmora
