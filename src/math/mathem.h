// Spherical navigation functions on the unit sphere. Distances in km are the central angle
// times kEarthRadiusKm (DistanceKm, DistanceKmOf).
#pragma once

#include "math/angles.h"
#include "math/geopoint.h"
#include "math/matrix.h"

namespace kestrun {

inline constexpr double kEarthRadiusKm = 6378.137;

/// Angle between A and B seen from the Earth's centre, radians in [0, pi]; exactly 0 for
/// coincident positions.
double CentralAngle(const TGeoPoint& a, const TGeoPoint& b);

/// True course at A of the great circle from A to B, radians clockwise from north, [0, 2pi];
/// 0 when the leg's pole u(A) x u(B) is exactly zero (coincident positions). For antipodal
/// positions the great circle is undetermined and the course is whatever rounding leaves.
double InitialCourse(const TGeoPoint& a, const TGeoPoint& b);

/// Course of the great circle from A to B measured against the meridian of R, [0, 2pi].
double CourseRelTo(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& r);

/// The point of the great circle through A and B nearest to P (on the whole circle, not only
/// the segment); latitude in [-pi/2, pi/2], longitude in [0, 2pi).
void TraversePoint(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& p, TGeoPoint& t);

/// x brought into [0, 2pi] by at most one whole turn. Inline: every declination lookup and
/// every leg takes it.
inline double Normalize2Pi(double x) {
    if (x < 0) return static_cast<double>(x + k2Pi);
    if (x > k2Pi) return static_cast<double>(x - k2Pi);
    return x;
}
/// x brought into [-pi, pi] by at most one whole turn.
inline double NormalizePi(double x) {
    if (x > kPi) return static_cast<double>(x - k2Pi);
    if (x < -kPi) return static_cast<double>(x + k2Pi);
    return x;
}

// The same functions on unit vectors, for callers that use the vectors of one position many
// times (the plan computes each waypoint's vectors once per pass, the beacon index each
// beacon's once per load). Results are bit-identical to the functions above called on the
// positions.

/// u(P): the unit vector of a position, cartesian form current.
TVector3 UnitVector(const TGeoPoint& p);
/// e(P): the horizontal unit vector at P's meridian pointing west, cartesian form current.
TVector3 MeridianNormal(const TGeoPoint& p);
/// CentralAngle of two unit vectors.
double CentralAngleOf(TVector3 ua, TVector3 ub);
/// Course at A of the great circle with pole n = u(A) x u(B) against the meridian of normal e:
/// InitialCourse with e = e(A), CourseRelTo with e = e(R).
double CourseOf(TVector3 ua, TVector3 n, TVector3 e);
/// TraversePoint of the position with unit vector up on the great circle with pole n.
TGeoPoint TraverseOf(TVector3 n, TVector3 up);

/// A position with its unit vector u(P) and meridian normal e(P), made once and handed to the
/// overloads below as often as the position is met: they give exactly what the functions on
/// the position give, without its sines and cosines.
struct TSpherePoint {
    TSpherePoint() = default; // latitude 0, longitude 0
    explicit TSpherePoint(const TGeoPoint& p) : Pos(p), U(UnitVector(p)), E(MeridianNormal(p)) {}
    TGeoPoint Pos;
    TVector3 U = UnitVector(TGeoPoint{});
    TVector3 E = MeridianNormal(TGeoPoint{});
};

double CentralAngle(const TSpherePoint& a, const TSpherePoint& b);
double InitialCourse(const TSpherePoint& a, const TSpherePoint& b);
/// The pole u(A) x u(B) of the great circle from A to B.
inline TVector3 Pole(const TSpherePoint& a, const TSpherePoint& b) {
    TVector3 ua = a.U, ub = b.U;
    return ua.Cross(ub);
}

/// Central angle times the Earth radius, rounded to double.
inline double DistanceKm(const TGeoPoint& a, const TGeoPoint& b) {
    return CentralAngle(a, b) * kEarthRadiusKm;
}
/// DistanceKm of the positions of two unit vectors.
inline double DistanceKmOf(TVector3 ua, TVector3 ub) {
    return CentralAngleOf(ua, ub) * kEarthRadiusKm;
}
inline double DistanceKm(const TSpherePoint& a, const TSpherePoint& b) {
    return DistanceKmOf(a.U, b.U);
}

} // namespace kestrun
