// Geometry for drawing the plan on a map: points along great circles and around beacons on the
// plan's sphere (radius kEarthRadiusKm), and the cutting of lines and areas given in longitude
// and latitude to the part of the globe that a map projection shows.
#pragma once

#include <vector>

#include "math/geopoint.h"
#include "math/tools.h"

namespace kestrun {

/// The position reached from `from` after distKm along the great circle that leaves it on the
/// true course courseRad (radians clockwise from north; any value). Latitude in [-pi/2, pi/2],
/// longitude in [0, 2pi). From a pole the course is taken as from a start just off the pole on
/// the meridian of from's longitude L: it leads along the meridian L + pi - courseRad from the
/// north pole and along L + courseRad from the south pole.
TGeoPoint DestinationPoint(const TGeoPoint& from, double courseRad, double distKm);

/// Points of the great circle from a to b: a first, b last, and between them as many points,
/// equally spaced, as keep every step at most maxStepKm (> 0). Coincident positions give a
/// and b; antipodal ones (whose great circle is undetermined) give a and b alone as well.
std::vector<TGeoPoint> DensifyGreatCircle(const TGeoPoint& a, const TGeoPoint& b, double maxStepKm);

/// The circle of radius radiusKm around center on the sphere: n >= 3 points at courses
/// 0, 2pi/n, ... from the centre, the first point repeated at the end to close it.
std::vector<TGeoPoint> GeodesicCircle(const TGeoPoint& center, double radiusKm, int n);

/// The part of the globe a map shows, degrees: every longitude within 180 of CentralLonDeg
/// (the meridian opposite it is the map's seam, where the map is cut), and latitudes from
/// LatMinDeg to LatMaxDeg.
struct TMapDomain {
    double CentralLonDeg = 0;
    double LatMinDeg = -90;
    double LatMaxDeg = 90;
};

/// A point of a map's domain, degrees: X the longitude east of the central meridian in
/// [-180, 180], Y the latitude.
struct TDomainPoint {
    double X = 0;
    double Y = 0;
};

using TDomainLine = std::vector<TDomainPoint>;

/// X of a longitude (degrees, any value): the longitude east of the central meridian, in
/// [-180, 180).
double DomainX(const TMapDomain& domain, double lonDeg);

/// A line through the given positions (each step taken the short way round the globe) cut to
/// the domain: the pieces that lie in it are appended to `out`, in order. A piece ends where
/// the line crosses the seam or leaves the latitude band, at the crossing point.
void ClipLineToDomain(const std::vector<TLatLonDeg>& line, const TMapDomain& domain,
                      std::vector<TDomainLine>& out);

/// An area ring cut to the domain. The ring is given by its corners, each edge taken the short
/// way round the globe, as Natural Earth's land comes in world-atlas: it may cross the seam or
/// the 180th meridian, and a ring whose longitudes wind once round the globe encloses the pole
/// on the side of the equator where its corners lie on average (Antarctica). Appended to
/// `out`: the rings (not closed, at least 3 points) of its part that lies in the domain, with
/// no edge longer than maxStepDeg (longer edges, such as those the cut makes along the seam
/// and the band's edges, are divided evenly), so that a projection that curves meridians and
/// parallels draws them curved.
void ClipRingToDomain(const std::vector<TLatLonDeg>& ring, const TMapDomain& domain,
                      double maxStepDeg, std::vector<TDomainLine>& out);

} // namespace kestrun
