#include "files/fsxplan.h"

#include <cmath>
#include <string>

#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/planimport.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                  1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                  1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};

// A number as written: Mantissa / 10^Scale.
struct TDecimal {
    unsigned long long Mantissa = 0;
    int Scale = 0;
    long double Value() const { return static_cast<long double>(Mantissa) / kPow10[Scale]; }
};

// A left-to-right reader of one WorldPosition text, up to its terminating zero (XML text
// holds no zero byte, and the import so needs no length of it).
class TPosScanner {
public:
    explicit TPosScanner(const char* text) : P_(text) {}

    void SkipBlanks() {
        while (*P_ == ' ' || *P_ == '\t' || *P_ == '\r' || *P_ == '\n') ++P_;
    }
    bool Take(char what) {
        SkipBlanks();
        if (*P_ != what) return false;
        ++P_;
        return true;
    }
    // One of the letters (upper or lower case); returns it in upper case, or 0.
    char TakeLetter(char a, char b) {
        SkipBlanks();
        const char c = UpperAscii(*P_);
        if (c != a && c != b) return 0;
        ++P_;
        return c;
    }
    // Digits with at most one decimal separator, "." or ",", between digits, as an integer
    // over a power of ten: exact for up to 19 digits; more are refused.
    bool Number(TDecimal& d) {
        SkipBlanks();
        const char* p = P_;
        unsigned long long mantissa = 0;
        while (IsDigit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        if (p == P_) return false;
        int digits = static_cast<int>(p - P_);
        int scale = 0;
        if ((*p == '.' || *p == ',') && IsDigit(p[1])) {
            const char* fraction = ++p;
            while (IsDigit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
            scale = static_cast<int>(p - fraction);
            digits += scale;
        }
        P_ = p;
        if (digits > 19) return false;
        d.Mantissa = mantissa;
        d.Scale = scale;
        return true;
    }
    bool TakeDegreeSign() {
        // UTF-8 "°", a lone Latin-1 byte 0xB0, or the "*" of older plans.
        SkipBlanks();
        if (*P_ == '\xB0' || *P_ == '*') {
            ++P_;
            return true;
        }
        if (*P_ == '\xC2' && P_[1] == '\xB0') {
            P_ += 2;
            return true;
        }
        return false;
    }

private:
    const char* P_;
};

// One coordinate as written: degrees, minutes and seconds.
struct TDms {
    TDecimal Deg, Min, Sec;
};

//   N53° 38' 1.22"   (one coordinate, after its letter; the caller reads the comma between
//   the two). False when the text is no such coordinate. Only integers here: the conversion
//   comes once both coordinates are read.
bool ReadDms(TPosScanner& c, TDms& dms) {
    return c.Number(dms.Deg) && c.TakeDegreeSign() && c.Number(dms.Min) && c.Take('\'') &&
           c.Number(dms.Sec) && c.Take('"');
}

long double DmsDegrees(const TDms& dms) {
    const TDecimal &deg = dms.Deg, &min = dms.Min, &sec = dms.Sec;
    if (deg.Scale == 0 && min.Scale == 0 && sec.Scale <= 12 && deg.Mantissa <= 360 &&
        min.Mantissa <= 60 && sec.Mantissa < 60'000'000'000'000) {
        // Whole degrees and minutes, as every writer puts them: the angle in units of the
        // seconds' last digit is an exact integer, and one division rounds it once.
        static constexpr unsigned long long kUnitsPerSecond[] = {1ULL,
                                                                 10ULL,
                                                                 100ULL,
                                                                 1'000ULL,
                                                                 10'000ULL,
                                                                 100'000ULL,
                                                                 1'000'000ULL,
                                                                 10'000'000ULL,
                                                                 100'000'000ULL,
                                                                 1'000'000'000ULL,
                                                                 10'000'000'000ULL,
                                                                 100'000'000'000ULL,
                                                                 1'000'000'000'000ULL};
        unsigned long long units =
            (deg.Mantissa * 60 + min.Mantissa) * 60 * kUnitsPerSecond[sec.Scale] + sec.Mantissa;
        // Below 2^63 by the bounds above: loaded as a signed integer, which needs no fix-up.
        // The units of a degree, exact as doubles (below 2^53), which load faster than
        // extended values; the division is still done in extended precision.
        static constexpr double kUnitsPerDegree[] = {3600e0,  3600e1,  3600e2, 3600e3, 3600e4,
                                                     3600e5,  3600e6,  3600e7, 3600e8, 3600e9,
                                                     3600e10, 3600e11, 3600e12};
        return static_cast<long double>(static_cast<long long>(units)) / kUnitsPerDegree[sec.Scale];
    }
    return (sec.Value() / 60 + min.Value()) / 60 + deg.Value();
}

std::string Field(std::string_view text, std::size_t& from) {
    std::size_t comma = text.find(',', from);
    std::string_view f =
        text.substr(from, comma == std::string_view::npos ? text.npos : comma - from);
    from = comma == std::string_view::npos ? text.size() : comma + 1;
    return std::string(f);
}

// The parts of an ATCWaypoint that the plan takes, found in one pass over its children (and
// over those of its ICAO element).
struct TAtcWaypoint {
    pugi::xml_node Position; // null when the waypoint has none
    bool HasPosition = false;
    const char* Ident = "";
};

// Compared here rather than through strcmp: the import compares a handful of short names per
// waypoint, and with the wanted name's length known the comparison unrolls into a few
// instructions per byte. The terminating zero is compared too, so a longer name differs; the
// comparison stops at the first difference, so it never reads past the end of `name`.
template <std::size_t N> bool IsNamed(const char* name, const char (&wanted)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (name[i] != wanted[i]) return false;
    return true;
}

// The elements of `parent` in order, then a null node. Every node test of pugixml is a call
// into the library; an element has a name, so only a node without one (text between elements,
// or the end) needs the test.
template <class F> void ForEachElement(const pugi::xml_node& parent, F&& f) {
    for (pugi::xml_node c = parent.first_child();; c = c.next_sibling()) {
        const char* name = c.name();
        if (!*name) {
            if (!c) return;
            continue;
        }
        if (!f(c, name)) return;
    }
}

TAtcWaypoint Parts(const pugi::xml_node& wp) {
    TAtcWaypoint parts;
    bool icao = false;
    ForEachElement(wp, [&](const pugi::xml_node& c, const char* name) {
        if (!parts.HasPosition && IsNamed(name, "WorldPosition")) {
            parts.Position = c;
            parts.HasPosition = true;
        } else if (!icao && IsNamed(name, "ICAO")) {
            icao = true;
            ForEachElement(c, [&](const pugi::xml_node& i, const char* iname) {
                if (!IsNamed(iname, "ICAOIdent")) return true;
                parts.Ident = i.child_value();
                return false;
            });
        }
        // Writers put the ICAO element last; what may follow it is not read.
        return !(parts.HasPosition && icao);
    });
    return parts;
}

// The name as the plan shows it: the ICAO identifier, else the id attribute; converted into
// `buffer` only when it is not ASCII.
std::string_view WayPointName(const pugi::xml_node& wp, const TAtcWaypoint& parts,
                              std::string& buffer) {
    if (*parts.Ident) return XmlText1251(parts.Ident, buffer);
    return XmlText1251(wp.attribute("id").value(), buffer);
}

} // namespace

std::optional<TGeoPoint> ParseWorldPosition(const char* text) {
    long double lat, lon;
    TPosScanner c(text);
    if (char ns = c.TakeLetter('N', 'S')) {
        //   N53° 38' 1.22",E9° 59' 6.80",+000040.75
        //   |               |             |
        //   latitude        longitude     altitude (not used)
        TDms a, b;
        char ew = 0;
        if (!ReadDms(c, a) || !c.Take(',') || !(ew = c.TakeLetter('E', 'W')) || !ReadDms(c, b))
            return std::nullopt;
        lat = DmsDegrees(a);
        lon = DmsDegrees(b);
        if (ns == 'S') lat = -lat;
        if (ew == 'W') lon = -lon;
    } else {
        //   54.285833 , -130.444678,+116.0
        const std::string_view decimal = text;
        std::size_t from = 0;
        std::optional<long double> la = ParseDecimal(Field(decimal, from));
        std::optional<long double> lo = ParseDecimal(Field(decimal, from));
        if (!la || !lo) return std::nullopt;
        lat = *la;
        lon = *lo;
    }
    if (!(std::fabs(lat) <= 90) || !(std::fabs(lon) <= 180)) return std::nullopt;
    return DegreesToGeoPoint(lat, lon);
}

void RaiseNoPositions(int unplaced, int total, const std::filesystem::path& file) {
    RaiseNamingFile(Format("%d of %d waypoints in file ",
                           {static_cast<long long>(unplaced), static_cast<long long>(total)}),
                    file,
                    " have no position (a plan saved by MSFS 2024 names its waypoints without "
                    "coordinates, which cannot be placed without the simulator's navigation "
                    "database); export the plan with positions and import it again");
}

void ImportFsxPlan(TWayPointList& plan, const TXmlPlanBytes& bytes,
                   const std::filesystem::path& file) {
    pugi::xml_document doc;
    LoadXmlPlan(doc, bytes, file);
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    int total = 0, unplaced = 0;
    std::string name;
    const pugi::xml_node route = doc.child("SimBase.Document").child("FlightPlan.FlightPlan");
    ForEachElement(route, [&](const pugi::xml_node& wp, const char* element) {
        if (!IsNamed(element, "ATCWaypoint")) return true;
        ++total;
        const TAtcWaypoint parts = Parts(wp);
        const pugi::xml_node& position = parts.Position;
        if (!parts.HasPosition) {
            ++unplaced;
            return true;
        }
        std::optional<TGeoPoint> pos = ParseWorldPosition(position.child_value());
        if (!pos)
            RaiseOnLine(file, LineOfNode(position, bytes.Text),
                        Format("Bad position '%s' of waypoint %d",
                               {std::string_view(XmlText1251(position.child_value())),
                                static_cast<long long>(total)}));
        TWayPoint& w = read.AddWayPoint();
        w.SetName(TrimBlanks(WayPointName(wp, parts, name)));
        w.SetPos(*pos);
        return true;
    });
    if (unplaced > 0) RaiseNoPositions(unplaced, total, file);
    TakeImportedWayPoints(plan, read, file);
}

} // namespace kestrun
