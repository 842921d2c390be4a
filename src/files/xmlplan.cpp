#include "files/xmlplan.h"

#include <cstring>

#include "base/cp1251.h"
#include "base/error.h"
#include "files/planimport.h"

namespace kestrun {

void LoadXmlPlan(pugi::xml_document& doc, const TXmlPlanBytes& bytes,
                 const std::filesystem::path& file) {
    // The plans' texts are kept in their elements rather than in a node of their own: the
    // readers take each element's text (child_value), and a tree of 40 % fewer nodes is built
    // and walked faster.
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_embed_pcdata;
    const std::string_view text = bytes.Text;
    pugi::xml_parse_result result = bytes.Lent
                                        ? doc.load_buffer_inplace(bytes.Lent, text.size(), kOptions)
                                        : doc.load_buffer(text.data(), text.size(), kOptions);
    if (!result) {
        // The offset counts bytes of the buffer as given when no conversion took place, which
        // is the case for UTF-8; for other encodings the line is the nearest known.
        std::size_t offset = result.offset < 0 ? 0 : static_cast<std::size_t>(result.offset);
        RaiseOnLine(file, LineOfOffset(text, offset),
                    std::string("Malformed XML: ") + result.description());
    }
}

int LineOfNode(const pugi::xml_node& node, std::string_view bytes) {
    std::ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? 1 : LineOfOffset(bytes, static_cast<std::size_t>(offset));
}

std::string XmlText1251(const char* utf8) {
    std::string buffer;
    return std::string(XmlText1251(utf8, buffer));
}

std::string_view XmlText1251(const char* utf8, std::string& buffer) {
    // Identifiers are nearly always ASCII, the same bytes in both.
    std::size_t n = 0;
    bool ascii = true;
    for (; utf8[n]; ++n) ascii = ascii && static_cast<unsigned char>(utf8[n]) < 0x80;
    if (ascii) return std::string_view(utf8, n);
    buffer = Utf8ToCp1251(std::string_view(utf8, n));
    return buffer;
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
