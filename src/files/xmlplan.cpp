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
    // The parser puts a zero after the copy it makes and ends the text at the first zero;
    // given the bytes themselves it would take their last byte for that end instead, and read
    // a text cut by a zero byte differently. So the lent bytes go with the zero that follows
    // them. UTF-16 and UTF-32 texts are converted into a buffer of the parser's own anyway,
    // where that zero would count as part of the text: they are parsed from a copy.
    auto wide = [&] {
        const auto b0 = static_cast<unsigned char>(text[0]),
                   b1 = static_cast<unsigned char>(text[1]);
        return b0 == 0 || b1 == 0 || (b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE);
    };
    pugi::xml_parse_result result =
        bytes.Lent && text.size() >= 2 && !wide()
            ? doc.load_buffer_inplace(bytes.Lent, text.size() + 1, kOptions)
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
