// A geographic position in radians, as extended reals.
#pragma once

#include <cmath>

namespace kestrun {

/// Latitude, then longitude, radians, extended precision. Typed and imported positions keep
/// southern latitudes and western longitudes as 2*pi minus their magnitude; beacon positions
/// have negative southern latitudes; every consumer accepts all these forms.
struct TGeoPoint {
    long double Lat = 0;
    long double Lon = 0;
};

inline bool operator==(const TGeoPoint& a, const TGeoPoint& b) {
    return a.Lat == b.Lat && a.Lon == b.Lon;
}

/// Whether every computation gives the same on a as on b: unlike ==, +0 and -0 differ (so do
/// their sines), and a NaN is the same as a NaN.
inline bool IsSamePoint(const TGeoPoint& a, const TGeoPoint& b) {
    auto same = [](long double x, long double y) {
        return x == y ? std::signbit(x) == std::signbit(y) : x != x && y != y;
    };
    return same(a.Lat, b.Lat) && same(a.Lon, b.Lon);
}

} // namespace kestrun
