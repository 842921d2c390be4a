// 3-vectors with a lazily kept cartesian and spherical form, and rotations about y and z.
// Frame: +x to (0, 0), +y to (0, 90E), +z to the north pole. Value types: no heap.
#pragma once

namespace kestrun {

class TRotMat;

class TVector3 {
public:
    TVector3() = default; // every field 0, both forms invalid; reads as zeros
    static TVector3 CreateCartesian(double x, double y, double z);
    /// Spherical form in this argument order: longitude, latitude, radius (radians).
    static TVector3 CreateSpherical(double lon, double lat, double radius);

    double GetCoord(int index); // 0, 1, 2: X, Y, Z (brings the cartesian form up to date)
    void SetCoord(int index, double value);
    double GetLon(); // [0, 2pi)
    double GetLat(); // [-pi/2, pi/2]
    double GetRadius();
    /// The value GetRadius returns, without bringing the angles up to date: the spherical form
    /// is left as it is. For the course computations, which need only lengths.
    double Length() const;
    void SetLat(double value);

    void AddInPlace(TVector3& v);
    void Rotate(const TRotMat& r);
    void Assign(TVector3& v);
    TVector3 Add(TVector3& v);
    double Dot(TVector3& v);
    TVector3 Cross(TVector3& v);

    bool SphValid() const { return SphValid_; }
    bool CartValid() const { return CartValid_; }
    /// Raw fields, as stored (no conversion).
    double RawX() const { return X_; }
    double RawY() const { return Y_; }
    double RawZ() const { return Z_; }

private:
    double RadiusFromCartesian() const;
    void ToSpherical();
    void ToCartesian();

    double X_ = 0, Y_ = 0, Z_ = 0;
    double Lon_ = 0, Lat_ = 0, Radius_ = 0;
    bool SphValid_ = false;
    bool CartValid_ = false;
};

class TRotMat {
public:
    /// Rows (c, 0, -s), (0, 1, 0), (s, 0, c): raises the latitude of a vector at longitude 0.
    static TRotMat CreateRotY(double a);
    /// Rows (c, s, 0), (-s, c, 0), (0, 0, 1): lowers the longitude of a vector by a.
    static TRotMat CreateRotZ(double a);
    /// W = M * v, each partial sum rounded to double; W has only its cartesian form.
    TVector3 Multiply(TVector3& v) const;

    double M[3][3] = {};
};

} // namespace kestrun
