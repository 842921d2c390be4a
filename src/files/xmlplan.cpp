#include "files/xmlplan.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/planimport.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

using namespace std::string_view_literals;

enum class TEncoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Latin1, Cp1251 };

struct TMarkedEncoding {
    TEncoding Encoding;
    std::size_t MarkSize;
};

// The encoding that a byte-order mark tells, or the first character "<" of a UTF-16 or UTF-32
// text without one; nothing for any other text.
std::optional<TMarkedEncoding> MarkedEncoding(std::string_view b) {
    if (b.starts_with("\xEF\xBB\xBF")) return TMarkedEncoding{TEncoding::Utf8, 3};
    if (b.starts_with("\xFF\xFE\0\0"sv)) return TMarkedEncoding{TEncoding::Utf32LE, 4};
    if (b.starts_with("\0\0\xFE\xFF"sv)) return TMarkedEncoding{TEncoding::Utf32BE, 4};
    if (b.starts_with("\xFF\xFE")) return TMarkedEncoding{TEncoding::Utf16LE, 2};
    if (b.starts_with("\xFE\xFF")) return TMarkedEncoding{TEncoding::Utf16BE, 2};
    if (b.starts_with("<\0\0\0"sv)) return TMarkedEncoding{TEncoding::Utf32LE, 0};
    if (b.starts_with("\0\0\0<"sv)) return TMarkedEncoding{TEncoding::Utf32BE, 0};
    if (b.starts_with("<\0"sv)) return TMarkedEncoding{TEncoding::Utf16LE, 0};
    if (b.starts_with("\0<"sv)) return TMarkedEncoding{TEncoding::Utf16BE, 0};
    return std::nullopt;
}

// The 8-bit encoding that the declaration names:
//   <?xml version="1.0" encoding="windows-1251"?>
// UTF-8 for any other name, and when there is none.
TEncoding DeclaredEncoding(std::string_view text) {
    if (!text.starts_with("<?xml")) return TEncoding::Utf8;
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return TEncoding::Utf8;
    std::string_view rest = TrimBlanks(declaration.substr(at + 8));
    if (!rest.starts_with('=')) return TEncoding::Utf8;
    rest = TrimBlanks(rest.substr(1));
    if (rest.empty() || (rest[0] != '"' && rest[0] != '\'')) return TEncoding::Utf8;
    const std::string_view name = rest.substr(1, rest.find(rest[0], 1) - 1);
    if (SameText(name, "windows-1251") || SameText(name, "cp1251")) return TEncoding::Cp1251;
    if (SameText(name, "ISO-8859-1") || SameText(name, "latin1")) return TEncoding::Latin1;
    return TEncoding::Utf8;
}

// One character of a UTF-16 or UTF-32 text: `size` bytes from `at`.
char32_t CodeUnit(std::string_view text, std::size_t at, std::size_t size, bool littleEndian) {
    char32_t c = 0;
    for (std::size_t k = 0; k < size; ++k) {
        const auto byte = static_cast<unsigned char>(text[at + (littleEndian ? k : size - 1 - k)]);
        c |= static_cast<char32_t>(byte) << (8 * k);
    }
    return c;
}

// Whether a piece of text is ASCII: its bytes are or-ed together, many at a time.
constexpr std::size_t kAsciiBlock = 64;
bool IsAscii(std::string_view piece) {
    unsigned char any = 0;
    for (char c : piece) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// The text of an XML plan as UTF-8, pugixml's own encoding, so that the offsets it reports
// count the bytes of the one text that the lines of refusals are counted in. A UTF-8 text is
// checked and returned as it stands; any other is converted into `converted`. A character that
// is not valid in the text's encoding is refused at its line, never turned into another.
std::string_view Utf8Text(std::string_view bytes, const std::filesystem::path& file,
                          std::string& converted) {
    const std::optional<TMarkedEncoding> marked = MarkedEncoding(bytes);
    const TEncoding encoding = marked ? marked->Encoding : DeclaredEncoding(bytes);
    const std::string_view text = bytes.substr(marked ? marked->MarkSize : 0);
    // `before` is the UTF-8 text before the fault.
    auto refuse = [&](std::string_view before, const char* name) {
        RaiseOnLine(file, LineOfOffset(before, before.size()),
                    std::string("Malformed XML: text that is not valid ") + name);
    };
    switch (encoding) {
    case TEncoding::Utf8: {
        // Blocks of ASCII, nearly all of a plan, are passed over whole; the others are checked
        // one character at a time.
        char32_t c;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t end = std::min(i + kAsciiBlock, text.size());
            if (IsAscii(text.substr(i, end - i))) {
                i = end;
                continue;
            }
            for (std::size_t n; i < end; i += n)
                if ((n = static_cast<unsigned char>(text[i]) < 0x80
                             ? 1
                             : Utf8Sequence(text, i, c)) == 0)
                    refuse(text.substr(0, i), "UTF-8");
        }
        return text;
    }
    case TEncoding::Latin1:
        for (char b : text) AppendUtf8(converted, static_cast<unsigned char>(b));
        return converted;
    case TEncoding::Cp1251:
        for (char b : text) {
            const char16_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
            if (c == kCp1251Replacement) refuse(converted, "windows-1251");
            AppendUtf8(converted, c);
        }
        return converted;
    case TEncoding::Utf16LE:
    case TEncoding::Utf16BE: {
        const bool little = encoding == TEncoding::Utf16LE;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            if (i + 1 == text.size()) refuse(converted, "UTF-16");
            char32_t c = CodeUnit(text, i, 2, little);
            // A surrogate pair, high then low, stands for one character beyond U+FFFF.
            if (c >= 0xD800 && c <= 0xDBFF && i + 3 < text.size()) {
                const char32_t low = CodeUnit(text, i + 2, 2, little);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            if (c >= 0xD800 && c <= 0xDFFF) refuse(converted, "UTF-16");
            AppendUtf8(converted, c);
        }
        return converted;
    }
    case TEncoding::Utf32LE:
    case TEncoding::Utf32BE:
        for (std::size_t i = 0; i < text.size(); i += 4) {
            if (i + 3 >= text.size()) refuse(converted, "UTF-32");
            const char32_t c = CodeUnit(text, i, 4, encoding == TEncoding::Utf32LE);
            if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) refuse(converted, "UTF-32");
            AppendUtf8(converted, c);
        }
        return converted;
    }
    return text;
}

// One XML plan being read: its UTF-8 text, in which the lines of refusals are counted, and
// the file that messages name.
struct TXmlSource {
    std::string_view Text;
    const std::filesystem::path& File;

    [[noreturn]] void RaiseAt(const pugi::xml_node& node, std::string_view message) const {
        const std::ptrdiff_t offset = node.offset_debug();
        RaiseOnLine(File, offset < 0 ? 1 : LineOfOffset(Text, static_cast<std::size_t>(offset)),
                    message);
    }
};

// All the character data of an element and of the elements in it, as XPath's string value
// gives it: comments and CDATA sections cut a text into several nodes.
std::string ElementText(const pugi::xml_node& element) {
    // Nearly always the one text node there is.
    const pugi::xml_node first = element.first_child();
    if (first.type() == pugi::node_pcdata && !first.next_sibling()) return first.value();
    struct TTextWalker : pugi::xml_tree_walker {
        std::string Text;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
                Text += node.value();
            return true;
        }
    } walker;
    pugi::xml_node node = element;
    node.traverse(walker);
    return walker.Text;
}

// The child element of that name. A second one would leave it open which is the plan: it is
// refused at its line rather than passed over.
pugi::xml_node OnlyChild(const TXmlSource& source, const pugi::xml_node& parent, const char* name) {
    const pugi::xml_node child = parent.child(name);
    if (const pugi::xml_node second = child.next_sibling(name))
        source.RaiseAt(second,
                       std::string("A second ") + name + " element makes the plan ambiguous");
    return child;
}

// The waypoint's name as the plan keeps it: code page 1251, without the blanks around it.
std::string WayPointName(const std::string& utf8) {
    return std::string(TrimBlanks(Utf8ToCp1251(utf8)));
}

[[noreturn]] void RaiseNoPositions(int unplaced, int total, const std::filesystem::path& file) {
    RaiseNamingFile(Format("%d of %d waypoints in file ",
                           {static_cast<long long>(unplaced), static_cast<long long>(total)}),
                    file,
                    " have no position (a plan saved by MSFS 2024 names its waypoints without "
                    "coordinates, which cannot be placed without the simulator's navigation "
                    "database); export the plan with positions and import it again");
}

void ReadFsxPlan(const TXmlSource& source, const pugi::xml_node& document, TWayPointList& read) {
    int total = 0, unplaced = 0;
    for (const pugi::xml_node& wp :
         OnlyChild(source, document, "FlightPlan.FlightPlan").children("ATCWaypoint")) {
        ++total;
        const pugi::xml_node position = wp.child("WorldPosition");
        if (!position) {
            ++unplaced;
            continue;
        }
        const std::string text = ElementText(position);
        const std::optional<TGeoPoint> pos = ParseWorldPosition(text);
        if (!pos)
            source.RaiseAt(position, Format("Bad position '%s' of waypoint %d",
                                            {std::string_view(Utf8ToCp1251(text)),
                                             static_cast<long long>(total)}));
        std::string name = ElementText(wp.child("ICAO").child("ICAOIdent"));
        if (name.empty()) name = wp.attribute("id").value();
        TWayPoint& w = read.AddWayPoint();
        w.SetName(WayPointName(name));
        w.SetPos(*pos);
    }
    if (unplaced > 0) RaiseNoPositions(unplaced, total, source.File);
}

void ReadLnmPlan(const TXmlSource& source, const pugi::xml_node& document, TWayPointList& read) {
    const pugi::xml_node flightplan = OnlyChild(source, document, "Flightplan");
    for (const pugi::xml_node& wp :
         OnlyChild(source, flightplan, "Waypoints").children("Waypoint")) {
        //   <Pos Lon="8.546506" Lat="50.024780" Alt="354.00"/>
        const pugi::xml_node pos = wp.child("Pos");
        const char* latText = pos.attribute("Lat").value();
        const char* lonText = pos.attribute("Lon").value();
        const std::optional<long double> lat = TryStrToFloat(latText);
        const std::optional<long double> lon = TryStrToFloat(lonText);
        if (!lat || !(std::fabs(*lat) <= 90))
            source.RaiseAt(pos ? pos : wp, MsgBadLatitude(Utf8ToCp1251(latText)));
        if (!lon || !(std::fabs(*lon) <= 180))
            source.RaiseAt(pos ? pos : wp, MsgBadLongitude(Utf8ToCp1251(lonText)));
        TWayPoint& w = read.AddWayPoint();
        w.SetName(WayPointName(ElementText(wp.child("Ident"))));
        w.SetPos(DegreesToGeoPoint(*lat, *lon));
    }
}

// One coordinate after its letter, 53° 38' 1.22" (the text moves on past it), in degrees;
// nothing when it is none or its minutes or seconds reach 60.
std::optional<long double> DmsDegrees(std::string_view& text) {
    const std::size_t sign = std::min(text.find("\xC2\xB0"), text.find('*'));
    const std::size_t minutes = text.find('\'', sign);
    const std::size_t seconds = text.find('"', minutes);
    if (seconds == std::string_view::npos) return std::nullopt;
    const std::size_t minutesFrom = sign + (text[sign] == '*' ? 1 : 2);
    // Some planners write a decimal comma.
    auto number = [](std::string_view piece) {
        if (piece.find(',') == std::string_view::npos) return TryStrToFloat(piece);
        std::string s(piece);
        std::replace(s.begin(), s.end(), ',', '.');
        return TryStrToFloat(s);
    };
    const std::optional<long double> deg = number(text.substr(0, sign)),
                                     min = number(text.substr(minutesFrom, minutes - minutesFrom)),
                                     sec = number(text.substr(minutes + 1, seconds - minutes - 1));
    text.remove_prefix(seconds + 1);
    if (!deg || !min || !sec || !(*deg >= 0) || !(*min >= 0 && *min < 60) ||
        !(*sec >= 0 && *sec < 60))
        return std::nullopt;
    return (*sec / 60 + *min) / 60 + *deg;
}

} // namespace

bool IsXmlText(std::string_view bytes) {
    if (const std::optional<TMarkedEncoding> marked = MarkedEncoding(bytes))
        if (marked->Encoding != TEncoding::Utf8) return true;
    return TrimBlanks(SkipByteOrderMark(bytes)).starts_with('<');
}

void ImportXmlPlan(TWayPointList& plan, std::string_view bytes, const std::filesystem::path& file) {
    std::string converted;
    const TXmlSource source{Utf8Text(bytes, file, converted), file};
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(source.Text.data(), source.Text.size(),
                                                          pugi::parse_default, pugi::encoding_utf8);
    if (!result) {
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        RaiseOnLine(file, LineOfOffset(source.Text, offset),
                    std::string("Malformed XML: ") + result.description());
    }
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    if (std::string_view(doc.document_element().name()).starts_with("LittleNavmap"))
        ReadLnmPlan(source, OnlyChild(source, doc, "LittleNavmap"), read);
    else
        ReadFsxPlan(source, OnlyChild(source, doc, "SimBase.Document"), read);
    TakeImportedWayPoints(plan, read, file);
}

std::optional<TGeoPoint> ParseWorldPosition(std::string_view text) {
    text = TrimBlanks(text);
    long double lat, lon;
    const char ns = text.empty() ? 0 : UpperAscii(text.front());
    if (ns == 'N' || ns == 'S') {
        //   N53° 38' 1.22",E9° 59' 6.80",+000040.75
        //   |               |             |
        //   latitude        longitude     altitude (not used)
        text.remove_prefix(1);
        const std::optional<long double> latDeg = DmsDegrees(text);
        text = TrimBlanks(text);
        if (!latDeg || !text.starts_with(',')) return std::nullopt;
        text = TrimBlanks(text.substr(1));
        const char ew = text.empty() ? 0 : UpperAscii(text.front());
        if (ew != 'E' && ew != 'W') return std::nullopt;
        text.remove_prefix(1);
        const std::optional<long double> lonDeg = DmsDegrees(text);
        if (!lonDeg) return std::nullopt;
        lat = ns == 'S' ? -*latDeg : *latDeg;
        lon = ew == 'W' ? -*lonDeg : *lonDeg;
    } else {
        //   54.285833 , -130.444678,+116.0
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) return std::nullopt;
        const std::string_view rest = text.substr(comma + 1);
        const std::optional<long double> latDeg = TryStrToFloat(text.substr(0, comma)),
                                         lonDeg = TryStrToFloat(rest.substr(0, rest.find(',')));
        if (!latDeg || !lonDeg) return std::nullopt;
        lat = *latDeg;
        lon = *lonDeg;
    }
    if (!(std::fabs(lat) <= 90) || !(std::fabs(lon) <= 180)) return std::nullopt;
    return DegreesToGeoPoint(lat, lon);
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
