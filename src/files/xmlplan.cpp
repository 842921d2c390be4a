#include "files/xmlplan.h"

#include <cstring>

#include "base/cp1251.h"
#include "base/error.h"
#include "files/planimport.h"

namespace kestrun {

void LoadXmlPlan(pugi::xml_document& doc, std::string_view bytes,
                 const std::filesystem::path& file) {
    pugi::xml_parse_result result = doc.load_buffer(bytes.data(), bytes.size());
    if (!result) {
        // The offset counts bytes of the buffer as given when no conversion took place, which
        // is the case for UTF-8; for other encodings the line is the nearest known.
        std::size_t offset = result.offset < 0 ? 0 : static_cast<std::size_t>(result.offset);
        RaiseOnLine(file, LineOfOffset(bytes, offset),
                    std::string("Malformed XML: ") + result.description());
    }
}

int LineOfNode(const pugi::xml_node& node, std::string_view bytes) {
    std::ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? 1 : LineOfOffset(bytes, static_cast<std::size_t>(offset));
}

std::string XmlText1251(const char* utf8) {
    // Identifiers are nearly always ASCII, the same bytes in both.
    std::size_t n = 0;
    bool ascii = true;
    for (; utf8[n]; ++n) ascii = ascii && static_cast<unsigned char>(utf8[n]) < 0x80;
    return ascii ? std::string(utf8, n) : Utf8ToCp1251(std::string_view(utf8, n));
}

std::string XmlEscape(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size());
    for (char c : Cp1251ToUtf8(cp1251)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            bool allowed =
                static_cast<unsigned char>(c) >= 32 || c == '\t' || c == '\n' || c == '\r';
            out += allowed ? c : '?';
        }
    }
    return out;
}

} // namespace kestrun
