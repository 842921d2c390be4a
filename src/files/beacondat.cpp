#include "files/beacondat.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/planimport.h"

namespace kestrun {

namespace {

// The record keeps a coordinate as hemisphere, degrees and minutes texts, from which it
// computes its position.
struct TDegMinTexts {
    std::string Hemisphere, Degrees, Minutes;
};

// A decimal coordinate ("-28.4067", checked by Coordinate) as the record's texts ("W", "28",
// "24.4020"). The fraction becomes minutes on its digits (times 60 is times 6 and one place
// to the left), so that no rounding comes in before the record's own conversion.
TDegMinTexts DecimalToDegMin(std::string_view text, char positive, char negative) {
    TDegMinTexts t;
    t.Hemisphere = std::string(1, text.front() == '-' ? negative : positive);
    if (text.front() == '-' || text.front() == '+') text.remove_prefix(1);
    const std::size_t dot = text.find('.');
    t.Degrees = dot == 0 ? std::string("0") : std::string(text.substr(0, dot));
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (fraction.empty()) {
        t.Minutes = "0";
        return t;
    }
    std::string times6(fraction.size() + 1, '0');
    int carry = 0;
    for (std::size_t i = fraction.size(); i-- > 0;) {
        const int v = (fraction[i] - '0') * 6 + carry;
        times6[i + 1] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    times6[0] = static_cast<char>('0' + carry);
    if (fraction.size() > 1) times6.insert(times6.size() - (fraction.size() - 1), 1, '.');
    t.Minutes = std::move(times6);
    return t;
}

// A coordinate field: a number within +-`limit` degrees, or the latitude's (longitude's)
// refusal.
TDegMinTexts Coordinate(std::string_view text, bool latitude) {
    const double limit = latitude ? 90 : 180;
    // Its digits become the record's texts: a number with an exponent is no coordinate here.
    const std::optional<long double> deg = TryStrToFloat(text);
    if (!deg || text.find_first_of("eE") != std::string_view::npos || !(std::fabs(*deg) <= limit))
        Raise(latitude ? MsgBadLatitude(text) : MsgBadLongitude(text));
    return latitude ? DecimalToDegMin(text, 'N', 'S') : DecimalToDegMin(text, 'E', 'W');
}

void ReadStation(TRSBNList& list, std::string_view line) {
    //   37|PSKOV|NP|117.80|57.7850|28.4067|47.0
    //   0  1     2  3      4       5       6
    std::array<std::string_view, 7> f;
    std::size_t count = 0, from = 0;
    for (;;) {
        const std::size_t bar = line.find('|', from);
        const std::string_view field = line.substr(from, bar - from);
        if (count < f.size()) f[count] = TrimBlanks(field);
        ++count;
        if (bar == std::string_view::npos) break;
        from = bar + 1;
    }
    if (count != f.size())
        Raise(Format("A beacon line has 7 fields separated by \"|\" (channel, name, identifier, "
                     "frequency, latitude, longitude, elevation), this one %d",
                     {static_cast<long long>(count)}));
    const TDegMinTexts lat = Coordinate(f[4], true);
    const TDegMinTexts lon = Coordinate(f[5], false);
    // The frequency and the elevation must be numbers, but are not kept.
    StrToFloat(f[3]);
    StrToFloat(f[6]);
    list.Add(f[0], f[1], f[2], {}, lat.Hemisphere, lat.Degrees, lat.Minutes, lon.Hemisphere,
             lon.Degrees, lon.Minutes);
}

} // namespace

void LoadBeaconsDat(TRSBNList& list, const std::filesystem::path& path) {
    LoadBeaconsDat(list, ReadFileBytes(path), path);
}

void LoadBeaconsDat(TRSBNList& list, std::string_view bytes, const std::filesystem::path& path) {
    const std::string_view text = SkipByteOrderMark(bytes);
    bool any = false;
    int lineNo = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::string_view line = TrimBlanks(NextLine(text, from));
        ++lineNo;
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        try {
            ReadStation(list, line);
        } catch (EKestrunError& e) {
            SetPlace(e, path.native(), lineNo);
            throw;
        }
        any = true;
    }
    // An empty list would leave every leg without a beacon, and the user without a word why.
    if (!any) RaiseNamingFile("No beacon found in file ", path);
}

} // namespace kestrun
