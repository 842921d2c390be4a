// What the readers and writers of XML flight plans share: parsing from memory with a located
// refusal of malformed text, and the conversion of texts between XML and the program's code page.
#pragma once

#include <filesystem>

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace kestrun {

/// The bytes of an XML plan as its reader gets them. Bytes the caller keeps are parsed from a
/// copy. Bytes lent by a caller that no longer needs them (Lend) are parsed where they stand,
/// which saves a copy of the whole file, and are left changed: a line counted in them after
/// the parse may be off, so such a caller places a refusal by the file itself.
struct TXmlPlanBytes {
    TXmlPlanBytes(std::string_view text) : Text(text) {}
    TXmlPlanBytes(const std::string& text) : Text(text) {}
    /// `bytes` must be followed by a zero byte (a string's own, a TFileBuffer's), which goes
    /// with them.
    static TXmlPlanBytes Lend(char* bytes, std::size_t size) {
        TXmlPlanBytes lent(std::string_view(bytes, size));
        lent.Lent = bytes;
        return lent;
    }

    std::string_view Text;
    char* Lent = nullptr; // Text's own bytes, when they may be changed
};

/// Parses XML held in memory (UTF-8, UTF-16 or Latin-1, with or without a byte-order mark,
/// as the declaration and the bytes tell). A malformed text is refused with the parser's
/// description, "Malformed XML: DESCRIPTION", placed at the file and the line where it stopped.
/// The document refers to the bytes when they are lent: they must outlive it.
void LoadXmlPlan(pugi::xml_document& doc, const TXmlPlanBytes& bytes,
                 const std::filesystem::path& file);

/// The 1-based line of `node` in the bytes it was parsed from (1 when unknown).
int LineOfNode(const pugi::xml_node& node, std::string_view bytes);

/// Text of the XML (UTF-8) in code page 1251, the program's text: characters that the code
/// page lacks become "?".
std::string XmlText1251(const char* utf8);
/// The same without a copy where none is needed: an ASCII text (the bytes are the same in both)
/// is returned as it stands, any other is converted into `buffer`.
std::string_view XmlText1251(const char* utf8, std::string& buffer);

/// A text of the program (code page 1251) as XML character data or attribute value, UTF-8:
/// "&", "<", ">", '"' and "'" as entities, and control characters that XML 1.0 does not allow
/// (all below 32 except tab, line feed and carriage return) as "?".
std::string XmlEscape(std::string_view cp1251);

} // namespace kestrun
