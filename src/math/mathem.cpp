#include "math/mathem.h"

#include <cmath>

#include "math/matrix.h"

namespace kestrun {

namespace {

using Real = long double;

/// Arc cosine as ArcTan2(sqrt(1 - x*x), x). Rounding can push a cosine just outside [-1, 1]
/// (coincident, antipodal or along-meridian cases); the argument is clamped so that such a
/// case gives 0 or pi instead of a NaN.
Real ArcCos(Real x) {
    if (x > 1) x = 1;
    if (x < -1) x = -1;
    return std::atan2(static_cast<double>(std::sqrt(1 - x * x)), static_cast<double>(x));
}

} // namespace

TVector3 UnitVector(const TGeoPoint& p) {
    TVector3 u =
        TVector3::CreateSpherical(static_cast<double>(p.Lon), static_cast<double>(p.Lat), 1);
    u.GetCoord(0);
    return u;
}

TVector3 MeridianNormal(const TGeoPoint& p) {
    TVector3 e = TVector3::CreateSpherical(static_cast<double>(p.Lon - kPi2), 0, 1);
    e.GetCoord(0);
    return e;
}

double CentralAngleOf(TVector3 ua, TVector3 ub) {
    // The scalar product of a unit vector with itself may round just below 1, which would put a
    // position some 1e-4 km away from itself; coincident positions are exactly 0 apart.
    if (ua.GetCoord(0) == ub.GetCoord(0) && ua.GetCoord(1) == ub.GetCoord(1) &&
        ua.GetCoord(2) == ub.GetCoord(2))
        return 0;
    return static_cast<double>(ArcCos(ua.Dot(ub)));
}

double CourseOf(TVector3 ua, TVector3 n, TVector3 e) {
    const Real nLen = n.Length();
    if (nLen == 0) return 0;
    const Real ratio = Real(n.Dot(e)) / (Real(e.GetRadius()) * nLen);
    const Real c = ArcCos(ratio);
    // n x e lies along +u(A) exactly when the course is in the eastern half.
    TVector3 along = n.Cross(e);
    // |u(A) + a| as AddInPlace followed by GetRadius would give it, without the angles that
    // Assign would compute and nothing here reads.
    const TVector3 sum = ua.Add(along);
    if (sum.Length() >= 1) return static_cast<double>(c);
    return static_cast<double>(k2Pi - c);
}

TGeoPoint TraverseOf(TVector3 n, TVector3 up) {
    const Real lonN = n.GetLon();
    const Real latN = n.GetLat();
    const TRotMat r1 = TRotMat::CreateRotY(static_cast<double>(kPi2 - latN));
    const TRotMat r2 = TRotMat::CreateRotZ(static_cast<double>(lonN));
    const TRotMat r3 = TRotMat::CreateRotY(static_cast<double>(-(kPi2 - latN)));
    const TRotMat r4 = TRotMat::CreateRotZ(static_cast<double>(-lonN));
    // In the rotated frame the pole of the leg is +z and the leg lies on the equator; the foot
    // of the perpendicular from P is P moved along its meridian onto the equator.
    up.Rotate(r2);
    up.Rotate(r1);
    up.SetLat(0);
    up.Rotate(r3);
    up.Rotate(r4);
    TGeoPoint t;
    t.Lat = up.GetLat();
    t.Lon = up.GetLon();
    return t;
}

double CentralAngle(const TSpherePoint& a, const TSpherePoint& b) {
    return CentralAngleOf(a.U, b.U);
}

double InitialCourse(const TSpherePoint& a, const TSpherePoint& b) {
    return CourseOf(a.U, Pole(a, b), a.E);
}

double CentralAngle(const TGeoPoint& a, const TGeoPoint& b) {
    return CentralAngleOf(UnitVector(a), UnitVector(b));
}

double InitialCourse(const TGeoPoint& a, const TGeoPoint& b) {
    TVector3 ua = UnitVector(a), ub = UnitVector(b);
    return CourseOf(ua, ua.Cross(ub), MeridianNormal(a));
}

double CourseRelTo(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& r) {
    TVector3 ua = UnitVector(a), ub = UnitVector(b);
    return CourseOf(ua, ua.Cross(ub), MeridianNormal(r));
}

void TraversePoint(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& p, TGeoPoint& t) {
    TVector3 ua = UnitVector(a), ub = UnitVector(b);
    t = TraverseOf(ua.Cross(ub), UnitVector(p));
}

} // namespace kestrun
