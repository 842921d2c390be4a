// A geographic position in radians, as extended reals.
#pragma once

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

} // namespace kestrun
