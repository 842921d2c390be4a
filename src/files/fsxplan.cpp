#include "files/fsxplan.h"

#include <cmath>
#include <cstring>
#include <string>

#include "base/error.h"
#include "base/numconv.h"
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

// A left-to-right reader of one WorldPosition text.
class TPosCursor {
public:
    explicit TPosCursor(std::string_view text) : S_(text) {}

    void SkipBlanks() {
        while (I_ < S_.size() &&
               (S_[I_] == ' ' || S_[I_] == '\t' || S_[I_] == '\r' || S_[I_] == '\n'))
            ++I_;
    }
    bool Take(std::string_view what) {
        SkipBlanks();
        if (!S_.substr(I_).starts_with(what)) return false;
        I_ += what.size();
        return true;
    }
    // One of the letters (upper or lower case); returns it in upper case, or 0.
    char TakeLetter(char a, char b) {
        SkipBlanks();
        if (I_ >= S_.size()) return 0;
        char c = S_[I_];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != a && c != b) return 0;
        ++I_;
        return c;
    }
    // Digits with at most one decimal separator, "." or ",", as an integer over a power of
    // ten: exact for up to 19 digits.
    std::optional<TDecimal> Number() {
        SkipBlanks();
        TDecimal d;
        int digits = 0;
        bool point = false;
        for (; I_ < S_.size(); ++I_) {
            char c = S_[I_];
            if (IsDigit(c)) {
                if (++digits > 19) return std::nullopt;
                d.Mantissa = d.Mantissa * 10 + static_cast<unsigned>(c - '0');
                if (point) ++d.Scale;
            } else if ((c == '.' || c == ',') && !point && digits > 0 && I_ + 1 < S_.size() &&
                       IsDigit(S_[I_ + 1])) {
                point = true;
            } else {
                break;
            }
        }
        if (digits == 0) return std::nullopt;
        return d;
    }
    bool TakeDegreeSign() {
        // UTF-8 "°", a lone Latin-1 byte 0xB0, or the "*" of older plans.
        return Take("\xC2\xB0") || Take("\xB0") || Take("*");
    }

private:
    std::string_view S_;
    std::size_t I_ = 0;
};

//   N53° 38' 1.22"   (one coordinate; the caller reads the comma between the two)
std::optional<long double> ReadDms(TPosCursor& c, char positive, char negative) {
    char letter = c.TakeLetter(positive, negative);
    if (!letter) return std::nullopt;
    auto deg = c.Number();
    if (!deg || !c.TakeDegreeSign()) return std::nullopt;
    auto min = c.Number();
    if (!min || !c.Take("'")) return std::nullopt;
    auto sec = c.Number();
    if (!sec || !c.Take("\"")) return std::nullopt;
    long double value;
    if (deg->Scale == 0 && min->Scale == 0 && sec->Scale <= 12 && deg->Mantissa <= 360 &&
        min->Mantissa <= 60 && sec->Mantissa < 60'000'000'000'000) {
        // Whole degrees and minutes, as every writer puts them: the angle in units of the
        // seconds' last digit is an exact integer, and one division rounds it once.
        unsigned long long unitsPerSecond = 1;
        for (int i = 0; i < sec->Scale; ++i) unitsPerSecond *= 10;
        unsigned long long units =
            (deg->Mantissa * 60 + min->Mantissa) * 60 * unitsPerSecond + sec->Mantissa;
        value = static_cast<long double>(units) / (3600 * kPow10[sec->Scale]);
    } else {
        value = (sec->Value() / 60 + min->Value()) / 60 + deg->Value();
    }
    return letter == negative ? -value : value;
}

std::string Field(std::string_view text, std::size_t& from) {
    std::size_t comma = text.find(',', from);
    std::string_view f =
        text.substr(from, comma == std::string_view::npos ? text.npos : comma - from);
    from = comma == std::string_view::npos ? text.size() : comma + 1;
    return std::string(f);
}

// The parts of an ATCWaypoint that the plan takes, found in one pass over its children.
struct TAtcWaypoint {
    pugi::xml_node Position, Icao;
};

TAtcWaypoint Parts(const pugi::xml_node& wp) {
    TAtcWaypoint parts;
    for (pugi::xml_node c = wp.first_child(); c; c = c.next_sibling()) {
        const char* name = c.name();
        if (!parts.Position && std::strcmp(name, "WorldPosition") == 0)
            parts.Position = c;
        else if (!parts.Icao && std::strcmp(name, "ICAO") == 0)
            parts.Icao = c;
    }
    return parts;
}

// The name as the plan shows it: the ICAO identifier, else the id attribute.
std::string WayPointName(const pugi::xml_node& wp, const pugi::xml_node& icao) {
    const char* ident = icao.child_value("ICAOIdent");
    if (*ident) return XmlText1251(ident);
    return XmlText1251(wp.attribute("id").value());
}

} // namespace

std::optional<TGeoPoint> ParseWorldPosition(std::string_view text) {
    std::optional<long double> lat, lon;
    if (TPosCursor probe(text); probe.TakeLetter('N', 'S')) {
        //   N53° 38' 1.22",E9° 59' 6.80",+000040.75
        //   |               |             |
        //   latitude        longitude     altitude (not used)
        TPosCursor c(text);
        lat = ReadDms(c, 'N', 'S');
        if (lat && c.Take(",")) lon = ReadDms(c, 'E', 'W');
    } else {
        //   54.285833 , -130.444678,+116.0
        std::size_t from = 0;
        lat = ParseDecimal(Field(text, from));
        lon = ParseDecimal(Field(text, from));
    }
    if (!lat || !lon || !(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180)) return std::nullopt;
    return DegreesToGeoPoint(*lat, *lon);
}

void RaiseNoPositions(int unplaced, int total, const std::filesystem::path& file) {
    RaiseNamingFile(Format("%d of %d waypoints in file ",
                           {static_cast<long long>(unplaced), static_cast<long long>(total)}),
                    file,
                    " have no position (a plan saved by MSFS 2024 names its waypoints without "
                    "coordinates, which cannot be placed without the simulator's navigation "
                    "database); export the plan with positions and import it again");
}

void ImportFsxPlan(TWayPointList& plan, std::string_view bytes, const std::filesystem::path& file) {
    pugi::xml_document doc;
    LoadXmlPlan(doc, bytes, file);
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    int total = 0, unplaced = 0;
    for (const pugi::xml_node& wp :
         doc.child("SimBase.Document").child("FlightPlan.FlightPlan").children("ATCWaypoint")) {
        ++total;
        const TAtcWaypoint parts = Parts(wp);
        const pugi::xml_node& position = parts.Position;
        if (!position) {
            ++unplaced;
            continue;
        }
        std::optional<TGeoPoint> pos = ParseWorldPosition(position.child_value());
        if (!pos)
            RaiseOnLine(file, LineOfNode(position, bytes),
                        Format("Bad position '%s' of waypoint %d",
                               {std::string_view(XmlText1251(position.child_value())),
                                static_cast<long long>(total)}));
        TWayPoint& w = read.AddWayPoint();
        w.Name = PlanName(WayPointName(wp, parts.Icao));
        w.SetPos(*pos);
    }
    if (unplaced > 0) RaiseNoPositions(unplaced, total, file);
    TakeImportedWayPoints(plan, read, file);
}

} // namespace kestrun
