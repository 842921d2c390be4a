#include "math/mathem.h"

#include <cmath>

#include "math/matrix.h"

namespace kestrun {

namespace {

using Real = long double;

/// The unit vector of a position; both angles are rounded to double on the way in.
TVector3 UnitVector(const TGeoPoint& p) {
    return TVector3::CreateSpherical(static_cast<double>(p.Lon), static_cast<double>(p.Lat), 1);
}

/// Arc cosine as ArcTan2(sqrt(1 - x*x), x). Rounding can push a cosine just outside [-1, 1]
/// (coincident, antipodal or along-meridian cases); the argument is clamped so that such a
/// case gives 0 or pi instead of a NaN.
Real ArcCos(Real x) {
    if (x > 1) x = 1;
    if (x < -1) x = -1;
    return std::atan2(static_cast<double>(std::sqrt(1 - x * x)), static_cast<double>(x));
}

/// Course of the great circle from A to B against the meridian of ref, with the east/west
/// decision made on u(A).
double CourseAgainst(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& ref) {
    TVector3 ua = UnitVector(a);
    TVector3 ub = UnitVector(b);
    TVector3 n = ua.Cross(ub);
    const Real nLen = n.Length();
    if (nLen == 0) return 0;
    // The meridian normal of the reference position: horizontal, pointing west.
    TVector3 e = TVector3::CreateSpherical(static_cast<double>(ref.Lon - kPi2), 0, 1);
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

} // namespace

double CentralAngle(const TGeoPoint& a, const TGeoPoint& b) {
    TVector3 ua = UnitVector(a);
    TVector3 ub = UnitVector(b);
    // The scalar product of a unit vector with itself may round just below 1, which would put a
    // position some 1e-4 km away from itself; coincident positions are exactly 0 apart.
    if (ua.GetCoord(0) == ub.GetCoord(0) && ua.GetCoord(1) == ub.GetCoord(1) &&
        ua.GetCoord(2) == ub.GetCoord(2))
        return 0;
    return static_cast<double>(ArcCos(ua.Dot(ub)));
}

double InitialCourse(const TGeoPoint& a, const TGeoPoint& b) {
    return CourseAgainst(a, b, a);
}

double CourseRelTo(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& r) {
    return CourseAgainst(a, b, r);
}

void TraversePoint(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& p, TGeoPoint& t) {
    TVector3 ua = UnitVector(a);
    TVector3 ub = UnitVector(b);
    TVector3 n = ua.Cross(ub);
    const Real lonN = n.GetLon();
    const Real latN = n.GetLat();
    const TRotMat r1 = TRotMat::CreateRotY(static_cast<double>(kPi2 - latN));
    const TRotMat r2 = TRotMat::CreateRotZ(static_cast<double>(lonN));
    const TRotMat r3 = TRotMat::CreateRotY(static_cast<double>(-(kPi2 - latN)));
    const TRotMat r4 = TRotMat::CreateRotZ(static_cast<double>(-lonN));
    // In the rotated frame the pole of the leg is +z and the leg lies on the equator; the foot
    // of the perpendicular from P is P moved along its meridian onto the equator.
    TVector3 v = UnitVector(p);
    v.Rotate(r2);
    v.Rotate(r1);
    v.SetLat(0);
    v.Rotate(r3);
    v.Rotate(r4);
    t.Lat = v.GetLat();
    t.Lon = v.GetLon();
}

double Normalize2Pi(double x) {
    if (x < 0) return static_cast<double>(x + k2Pi);
    if (x > k2Pi) return static_cast<double>(x - k2Pi);
    return x;
}

double NormalizePi(double x) {
    if (x > kPi) return static_cast<double>(x - k2Pi);
    if (x < -kPi) return static_cast<double>(x + k2Pi);
    return x;
}

} // namespace kestrun
