// What the readers and writers of XML flight plans share: parsing from memory with a located
// refusal of malformed text, and the conversion of texts between XML and the program's code page.
#pragma once

#include <filesystem>

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace kestrun {

/// Parses XML held in memory (UTF-8, UTF-16 or Latin-1, with or without a byte-order mark,
/// as the declaration and the bytes tell). A malformed text is refused with the parser's
/// description, "Malformed XML: DESCRIPTION", placed at the file and the line where it stopped.
void LoadXmlPlan(pugi::xml_document& doc, std::string_view bytes,
                 const std::filesystem::path& file);

/// The 1-based line of `node` in the bytes it was parsed from (1 when unknown).
int LineOfNode(const pugi::xml_node& node, std::string_view bytes);

/// Text of the XML (UTF-8) in code page 1251, the program's text: characters that the code
/// page lacks become "?".
std::string XmlText1251(const char* utf8);

/// A text of the program (code page 1251) as XML character data or attribute value, UTF-8:
/// "&", "<", ">", '"' and "'" as entities, and control characters that XML 1.0 does not allow
/// (all below 32 except tab, line feed and carriage return) as "?".
std::string XmlEscape(std::string_view cp1251);

} // namespace kestrun
