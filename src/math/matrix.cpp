#include "math/matrix.h"

#include <cmath>

#include "math/angles.h"

namespace kestrun {

namespace {

using Real = long double; // intermediate arithmetic; fields are rounded to double on store

} // namespace

TVector3 TVector3::CreateCartesian(double x, double y, double z) {
    TVector3 v;
    v.X_ = x;
    v.Y_ = y;
    v.Z_ = z;
    v.CartValid_ = true;
    return v;
}

TVector3 TVector3::CreateSpherical(double lon, double lat, double radius) {
    TVector3 v;
    v.Lon_ = lon;
    v.Lat_ = lat;
    v.Radius_ = radius;
    v.SphValid_ = true;
    return v;
}

double TVector3::RadiusFromCartesian() const {
    const double s = static_cast<double>(Real(X_) * X_ + Real(Y_) * Y_);
    return static_cast<double>(std::sqrt(Real(Z_) * Z_ + s));
}

void TVector3::ToSpherical() {
    const double s = static_cast<double>(Real(X_) * X_ + Real(Y_) * Y_);
    Radius_ = RadiusFromCartesian();
    if (X_ == 0 && Y_ == 0) {
        Lon_ = 0;
    } else {
        Lon_ = std::atan2(Y_, X_);
        // Longitudes run from 0 to 2pi, never negative.
        if (Lon_ < 0) Lon_ = static_cast<double>(Lon_ + k2Pi);
    }
    const double h = static_cast<double>(std::sqrt(Real(s)));
    if (Z_ == 0 && h == 0) {
        Lat_ = 0;
    } else {
        Lat_ = std::atan2(Z_, h);
    }
}

void TVector3::ToCartesian() {
    // Double-precision sines and cosines (correctly rounded in practice) cost a tenth of the
    // extended ones; the products are still formed in extended precision and rounded on store.
    double sinLat, cosLat, sinLon, cosLon;
    ::sincos(Lat_, &sinLat, &cosLat);
    ::sincos(Lon_, &sinLon, &cosLon);
    const double t = static_cast<double>(Real(cosLat) * Radius_);
    X_ = static_cast<double>(Real(cosLon) * t);
    Y_ = static_cast<double>(Real(sinLon) * t);
    Z_ = static_cast<double>(Real(sinLat) * Radius_);
}

double TVector3::GetCoord(int index) {
    if (!CartValid_) {
        ToCartesian();
        CartValid_ = true;
    }
    switch (index) {
    case 0:
        return X_;
    case 1:
        return Y_;
    default:
        return Z_;
    }
}

void TVector3::SetCoord(int index, double value) {
    double& field = index == 0 ? X_ : index == 1 ? Y_ : Z_;
    if (field != value) {
        field = value;
        SphValid_ = false;
    }
}

double TVector3::GetLon() {
    if (!SphValid_) {
        ToSpherical();
        SphValid_ = true;
    }
    return Lon_;
}

double TVector3::GetLat() {
    if (!SphValid_) {
        ToSpherical();
        SphValid_ = true;
    }
    return Lat_;
}

double TVector3::GetRadius() {
    if (!SphValid_) {
        ToSpherical();
        SphValid_ = true;
    }
    return Radius_;
}

double TVector3::Length() const {
    if (SphValid_) return Radius_;
    return RadiusFromCartesian(); // from raw zeros for a vector with neither form: 0
}

void TVector3::SetLat(double value) {
    // Compare with the current latitude, not with a stale field: a stale field that happens to
    // hold the value would otherwise make the call do nothing.
    if (!SphValid_) {
        ToSpherical();
        SphValid_ = true;
    }
    if (Lat_ != value) {
        Lat_ = value;
        CartValid_ = false;
    }
}

void TVector3::AddInPlace(TVector3& v) {
    TVector3 sum = Add(v);
    Assign(sum);
}

void TVector3::Rotate(const TRotMat& r) {
    TVector3 w = r.Multiply(*this);
    Assign(w);
}

void TVector3::Assign(TVector3& v) {
    X_ = v.X_;
    Y_ = v.Y_;
    Z_ = v.Z_;
    Lon_ = v.GetLon();
    Lat_ = v.Lat_;
    Radius_ = v.Radius_;
    CartValid_ = v.CartValid_;
    SphValid_ = v.SphValid_;
}

TVector3 TVector3::Add(TVector3& v) {
    const double x = static_cast<double>(Real(GetCoord(0)) + v.GetCoord(0));
    const double y = static_cast<double>(Real(GetCoord(1)) + v.GetCoord(1));
    const double z = static_cast<double>(Real(GetCoord(2)) + v.GetCoord(2));
    return CreateCartesian(x, y, z);
}

double TVector3::Dot(TVector3& v) {
    const Real sum = Real(GetCoord(0)) * v.GetCoord(0) + Real(GetCoord(1)) * v.GetCoord(1) +
                     Real(GetCoord(2)) * v.GetCoord(2);
    return static_cast<double>(sum);
}

TVector3 TVector3::Cross(TVector3& v) {
    const Real x = GetCoord(0), y = GetCoord(1), z = GetCoord(2);
    const Real vx = v.GetCoord(0), vy = v.GetCoord(1), vz = v.GetCoord(2);
    return CreateCartesian(static_cast<double>(y * vz - z * vy),
                           static_cast<double>(z * vx - x * vz),
                           static_cast<double>(x * vy - y * vx));
}

TRotMat TRotMat::CreateRotY(double a) {
    double s, c;
    ::sincos(a, &s, &c);
    TRotMat r;
    r.M[0][0] = c;
    r.M[0][2] = -s;
    r.M[1][1] = 1;
    r.M[2][0] = s;
    r.M[2][2] = c;
    return r;
}

TRotMat TRotMat::CreateRotZ(double a) {
    double s, c;
    ::sincos(a, &s, &c);
    TRotMat r;
    r.M[0][0] = c;
    r.M[0][1] = s;
    r.M[1][0] = -s;
    r.M[1][1] = c;
    r.M[2][2] = 1;
    return r;
}

TVector3 TRotMat::Multiply(TVector3& v) const {
    // A zero vector with a current cartesian form, filled coordinate by coordinate: the same
    // state as an empty vector completed with SetCoord and marked cartesian.
    TVector3 w = TVector3::CreateCartesian(0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        double sum = 0;
        for (int j = 0; j < 3; ++j) sum = static_cast<double>(sum + Real(v.GetCoord(j)) * M[i][j]);
        w.SetCoord(i, sum);
    }
    return w;
}

} // namespace kestrun
