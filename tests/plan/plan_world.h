// A fresh plan world for each test, and the independent references the plan tests check
// against: GeographicLib on a sphere of the system's Earth radius.
#pragma once

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>

#include <cmath>
#include <memory>
#include <string>

#include "math/bglmag.h"
#include "math/geopoint.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

namespace kestrun::test {

inline const GeographicLib::Geodesic& Sphere() {
    static const GeographicLib::Geodesic g(6378137.0, 0.0);
    return g;
}

/// Position from signed degrees (north and east positive), as beacon records store it.
inline TGeoPoint Geo(double latDeg, double lonDeg) {
    return TGeoPoint{static_cast<long double>(latDeg) * kPi / 180,
                     static_cast<long double>(lonDeg) * kPi / 180};
}

/// The same position in the typed form: south and west as 2*pi minus the magnitude.
inline TGeoPoint Typed(double latDeg, double lonDeg) {
    TGeoPoint p = Geo(latDeg, lonDeg);
    if (p.Lat < 0) p.Lat += k2Pi;
    if (p.Lon < 0) p.Lon += k2Pi;
    return p;
}

/// Signed degrees of any stored form, for GeographicLib.
inline double LatDeg(const TGeoPoint& p) {
    double d = static_cast<double>(p.Lat) / kDeg;
    return d > 180 ? d - 360 : d;
}
inline double LonDeg(const TGeoPoint& p) {
    return static_cast<double>(p.Lon) / kDeg;
}

/// Angle in [0, 2*pi) from GeographicLib degrees.
inline double Course(double deg) {
    double r = std::fmod(deg * kDeg, 2 * kPiD);
    return r < 0 ? r + 2 * kPiD : r;
}

/// Difference of two angles folded into (-pi, pi], for comparing courses near 0 and 2*pi.
inline double AngleDiff(double a, double b) {
    const double twoPi = 2 * kPiD;
    double d = std::fmod(a - b, twoPi);
    if (d > twoPi / 2) d -= twoPi;
    if (d <= -twoPi / 2) d += twoPi;
    return d;
}

struct TInverse {
    double km;   // length of the great circle arc
    double azi1; // course at the start, radians [0, 2pi)
    double azi2; // course at the end (forward), radians [0, 2pi)
};

inline TInverse Inverse(const TGeoPoint& a, const TGeoPoint& b) {
    double s12, azi1, azi2;
    Sphere().Inverse(LatDeg(a), LonDeg(a), LatDeg(b), LonDeg(b), s12, azi1, azi2);
    return {s12 / 1000, Course(azi1), Course(azi2)};
}

/// The point `km` from `from` along the course `aziDeg`.
inline TGeoPoint Direct(const TGeoPoint& from, double aziDeg, double km) {
    double lat, lon;
    Sphere().Direct(LatDeg(from), LonDeg(from), aziDeg, km * 1000, lat, lon);
    return Geo(lat, lon);
}

/// The point along the course `aziDeg` from `from` closest to `km` whose distance as the
/// system computes it is not below `km`; `justBelow` receives the point one step nearer.
inline TGeoPoint FirstAtOrBeyond(const TGeoPoint& from, double aziDeg, double km,
                                 TGeoPoint* justBelow = nullptr) {
    double lo = km * 0.999, hi = km * 1.001;
    for (int i = 0; i < 200 && lo < hi; ++i) {
        double mid = lo + (hi - lo) / 2;
        if (mid == lo || mid == hi) break;
        if (DistanceKm(from, Direct(from, aziDeg, mid)) >= km)
            hi = mid;
        else
            lo = mid;
    }
    if (justBelow) *justBelow = Direct(from, aziDeg, lo);
    return Direct(from, aziDeg, hi);
}

/// A plan with its own beacon list and declination grid.
struct TWorld {
    std::unique_ptr<TMagDecGrid> Grid = std::make_unique<TMagDecGrid>();
    TRSBNList Beacons;
    TWayPointList Plan{Beacons, *Grid};

    /// Appends a waypoint at p without recomputing.
    TWayPoint& Add(const TGeoPoint& p, const std::string& name = {}) {
        TWayPoint& w = Plan.AddWayPoint();
        w.Name = name;
        w.SetPos(p);
        return w;
    }
    /// Appends a beacon at p; returns its index.
    int AddBeacon(const TGeoPoint& p, const std::string& name = "B") {
        Beacons.Records.push_back(TRSBNRec("1", name, "ID", "", "N", "0", "0", "E", "0", "0"));
        Beacons.Records.back().Position = p;
        return Beacons.Count() - 1;
    }
};

} // namespace kestrun::test
