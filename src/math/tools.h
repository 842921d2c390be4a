// Text forms of positions: the display form N55°58.35’ E037°24.68’, its parser, the asterisk
// form N55*58.35’ of plan files and printouts, and the split of angles into their parts.
// All texts are code page 1251: the degree sign is 0xB0 and the closing mark 0x92.
#pragma once

#include <string>
#include <string_view>

#include "math/geopoint.h"

namespace kestrun {

inline constexpr char kDegreeSign = '\xB0';
inline constexpr char kClosingMark = '\x92';

/// Parses the display form; southern and western values become 2*pi minus their magnitude.
/// Raises "Bad format!", the conversion messages or "Range check error" on malformed text.
TGeoPoint StrToGeoPoint(std::string_view text);
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

} // namespace kestrun
