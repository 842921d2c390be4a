// Text forms of positions: the display form N55°58.35’ E037°24.68’, its parser, the asterisk
// form N55*58.35’ of plan files and printouts, and the split of angles into their parts.
// All texts are code page 1251: the degree sign is 0xB0 and the closing mark 0x92.
#pragma once

#include <string>
#include <string_view>

#include "math/angles.h"
#include "math/geopoint.h"
#include "math/mathem.h"

namespace kestrun {

inline constexpr char kDegreeSign = '\xB0';
inline constexpr char kClosingMark = '\x92';

/// Parses the display form; southern and western values become 2*pi minus their magnitude.
/// Raises "Bad format!", the conversion messages or "Range check error" on malformed text, and
/// "'%s' is not a valid latitude" (or longitude) for a position beyond the pole or beyond 180
/// degrees. If an exception is thrown, no position is produced.
TGeoPoint StrToGeoPoint(std::string_view text);
/// Whether an angle of the hemisphere forms (typed text, simulator plans, beacon files) is a
/// position: the letter one of N and S for a latitude, E and W for a longitude, in either case;
/// the magnitude in radians (from DegMinToRad) finite and at most 90 (latitude) or 180 degrees
/// (longitude). Minutes of 60 or more pass as long as the whole stays in range.
bool IsHemisphereAngle(bool latitude, char letter, long double radians);
/// Whether an angle of the plan file's form, the stored angle 0 to 360 degrees (in radians),
/// is a position: finite, and for a latitude not between 90 and 270 degrees (which lie beyond
/// a pole).
bool IsStoredAngle(bool latitude, long double radians);
/// Raises "'%s' is not a valid latitude" (or longitude) naming the value as written.
[[noreturn]] void RaiseBadAngle(bool latitude, std::string_view text);

/// Display form: latitude text, one blank, longitude text.
std::string GeoPointToStr(const TGeoPoint& p);
/// Asterisk forms with the stored angle's degrees ("N350*00.00’" for 10 degrees south).
std::string WayPointLatStr(const TGeoPoint& p);
std::string WayPointLonStr(const TGeoPoint& p);

/// Degrees and minutes texts as radians (DegMinToRad). The minutes are converted first: with
/// both texts bad, theirs is the error raised ("'%s' is not a valid floating point value").
long double DegMinTextsToRad(std::string_view degrees, std::string_view minutes);

/// An angle in degrees as degrees, minutes and whole seconds (ties to even), with carries; a
/// negative angle puts its sign on the first non-zero part.
void SplitDegrees(double x, int& degrees, int& minutes, int& seconds);
/// As SplitDegrees, the seconds turned into hundredths of a minute.
void SplitDegreesHundredths(double x, int& degrees, int& minutes, int& hundredths);

/// Signed decimal degrees (north and east positive) in the form the plan keeps imported
/// positions: radians, southern latitudes and western longitudes as 2*pi minus their magnitude.
/// Inline: the importers convert every waypoint through it.
inline TGeoPoint DegreesToGeoPoint(long double latDeg, long double lonDeg) {
    auto stored = [](long double deg) {
        const long double angle = DegMinToRad(deg < 0 ? -deg : deg, 0);
        return deg < 0 ? static_cast<long double>(Normalize2Pi(static_cast<double>(-angle)))
                       : angle;
    };
    return {stored(latDeg), stored(lonDeg)};
}

/// Signed decimal degrees of a position in any stored form, on the globe's usual ranges:
/// latitude in [-90, 90], longitude in [-180, 180). A latitude past a pole (a typed N95 degrees)
/// comes back on the far side of the pole, as the spherical functions read it.
struct TLatLonDeg {
    double LatDeg = 0;
    double LonDeg = 0;
};
TLatLonDeg GeoPointToDegrees(const TGeoPoint& p);

/// A longitude, or a difference of longitudes, in degrees (any finite value) brought into
/// [-180, 180) by whole turns; the turns are taken off exactly.
double WrapLonDeg(double lonDeg);

} // namespace kestrun
