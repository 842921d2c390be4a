#include "math/matrix.h"

#include <cmath>
#include <numbers>
#include <random>
#include <type_traits>

#include <gtest/gtest.h>

#include "testutil.h"

namespace kestrun {
namespace {

using test::kPiD;

// Vectors and matrices are plain values: copying is a memberwise copy, nothing is allocated.
static_assert(std::is_trivially_copyable_v<TVector3>);
static_assert(std::is_trivially_copyable_v<TRotMat>);

TEST(TVector3, DefaultVectorReadsAsZeros) {
    TVector3 v;
    EXPECT_FALSE(v.CartValid());
    EXPECT_FALSE(v.SphValid());
    EXPECT_EQ(v.GetLon(), 0.0);
    EXPECT_EQ(v.GetLat(), 0.0);
    EXPECT_EQ(v.GetRadius(), 0.0);
    TVector3 w;
    EXPECT_EQ(w.GetCoord(0), 0.0);
    EXPECT_EQ(w.GetCoord(1), 0.0);
    EXPECT_EQ(w.GetCoord(2), 0.0);
}

TEST(TVector3, SphericalFormOfCartesianVectors) {
    struct Case {
        double x, y, z, lon, lat, radius;
    };
    const double s2 = std::sqrt(2.0);
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0},                     // zero vector: no error, all zero
        {0, 0, 5, 0, kPiD / 2, 5},              // north on the z axis
        {0, 0, -2, 0, -kPiD / 2, 2},            // south on the z axis
        {1, 0, 0, 0, 0, 1},                     // Greenwich on the equator
        {0, 1, 0, kPiD / 2, 0, 1},              // 90 E
        {-1, 0, 0, kPiD, 0, 1},                 // 180
        {0, -1, 0, 3 * kPiD / 2, 0, 1},         // 90 W comes out as 3pi/2, never negative
        {1, -1, s2, 7 * kPiD / 4, kPiD / 4, 2}, // north-west quadrant
        {-1, -1, -s2, 5 * kPiD / 4, -kPiD / 4, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z);
        TVector3 v = TVector3::CreateCartesian(c.x, c.y, c.z);
        EXPECT_TRUE(v.CartValid());
        EXPECT_FALSE(v.SphValid());
        EXPECT_NEAR(v.GetLon(), c.lon, 1e-15);
        EXPECT_NEAR(v.GetLat(), c.lat, 1e-15);
        EXPECT_NEAR(v.GetRadius(), c.radius, 1e-15);
        EXPECT_TRUE(v.SphValid());
        EXPECT_TRUE(v.CartValid());
    }
}

TEST(TVector3, LongitudeOfNegativeYLiesBetweenPiAndTwoPi) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> d(-1, 1);
    for (int k = 0; k < 1000; ++k) {
        const double x = d(rng), y = -std::abs(d(rng)) - 1e-9, z = d(rng);
        TVector3 v = TVector3::CreateCartesian(x, y, z);
        const double lon = v.GetLon();
        EXPECT_GT(lon, kPiD);
        EXPECT_LT(lon, 2 * kPiD);
        EXPECT_NEAR(lon, std::atan2(y, x) + 2 * kPiD, 1e-14);
    }
}

TEST(TVector3, CartesianFormOfSphericalVectors) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> lonD(0, 2 * kPiD), latD(-kPiD / 2, kPiD / 2);
    for (int k = 0; k < 1000; ++k) {
        const double lon = lonD(rng), lat = latD(rng);
        TVector3 v = TVector3::CreateSpherical(lon, lat, 1);
        EXPECT_TRUE(v.SphValid());
        EXPECT_FALSE(v.CartValid());
        EXPECT_NEAR(v.GetCoord(0), std::cos(lat) * std::cos(lon), 4e-16);
        EXPECT_NEAR(v.GetCoord(1), std::cos(lat) * std::sin(lon), 4e-16);
        EXPECT_NEAR(v.GetCoord(2), std::sin(lat), 4e-16);
        EXPECT_TRUE(v.CartValid());
        // And back: a copy that only knows its cartesian form finds the same angles.
        TVector3 w = TVector3::CreateCartesian(v.GetCoord(0), v.GetCoord(1), v.GetCoord(2));
        EXPECT_NEAR(w.GetLon(), lon, 1e-14);
        EXPECT_NEAR(w.GetLat(), lat, 1e-14);
        EXPECT_NEAR(w.GetRadius(), 1, 1e-15);
    }
}

// The cartesian form agrees with the extended-precision sines and cosines of the angles to the
// last bit or so of a stored double.
TEST(TVector3, CartesianFormMatchesExtendedSinesAndCosines) {
    std::mt19937_64 rng(13);
    std::uniform_real_distribution<double> angle(-20, 20), radius(0, 3);
    for (int k = 0; k < 200000; ++k) {
        const double lon = k % 7 ? angle(rng) : std::ldexp(angle(rng), -(k % 40));
        const double lat = angle(rng), r = k % 3 ? 1 : radius(rng);
        TVector3 v = TVector3::CreateSpherical(lon, lat, r);
        const long double t = cosl(lat) * r;
        const long double expected[3] = {cosl(lon) * t, sinl(lon) * t, sinl(lat) * r};
        for (int i = 0; i < 3; ++i) {
            const double tolerance = 2.5e-16 * std::max(1.0L, std::fabs(expected[i]) * 4);
            ASSERT_NEAR(v.GetCoord(i), static_cast<double>(expected[i]), tolerance)
                << i << " " << lon << " " << lat;
        }
    }
}

TEST(TVector3, LengthIsTheRadiusWithoutTheAngles) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> d(-2, 2);
    for (int k = 0; k < 10000; ++k) {
        TVector3 v = TVector3::CreateCartesian(d(rng), d(rng), d(rng));
        const double len = v.Length();
        EXPECT_FALSE(v.SphValid());
        EXPECT_EQ(len, v.GetRadius());
    }
    TVector3 s = TVector3::CreateSpherical(1, 1, 2.5);
    EXPECT_EQ(s.Length(), 2.5);
    EXPECT_EQ(TVector3().Length(), 0.0);
}

TEST(TVector3, SettersWithTheStoredValueChangeNothing) {
    TVector3 v = TVector3::CreateCartesian(1, 2, 3);
    v.GetLat(); // both forms current
    v.SetCoord(1, 2);
    EXPECT_TRUE(v.SphValid());
    EXPECT_TRUE(v.CartValid());
    v.SetLat(v.GetLat());
    EXPECT_TRUE(v.SphValid());
    EXPECT_TRUE(v.CartValid());

    v.SetCoord(1, 5); // a new coordinate makes the spherical form stale
    EXPECT_FALSE(v.SphValid());
    EXPECT_TRUE(v.CartValid());
    EXPECT_NEAR(v.GetRadius(), std::sqrt(35.0), 1e-15);

    v.SetLat(0); // a new latitude makes the cartesian form stale
    EXPECT_FALSE(v.CartValid());
    EXPECT_NEAR(v.GetCoord(2), 0, 1e-15);
    EXPECT_NEAR(std::hypot(v.GetCoord(0), v.GetCoord(1)), std::sqrt(35.0), 1e-14);
}

// Regression: the latitude is compared with the vector's current latitude. A stale field that
// held the new value by chance (0 for a vector made from its cartesian form) must not make the
// call a no-op.
TEST(TVector3, SetLatOnStaleSphericalForm) {
    TVector3 v = TVector3::CreateCartesian(1, 0, 1); // latitude pi/4, stale field 0
    v.SetLat(0);
    EXPECT_NEAR(v.GetCoord(0), std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(v.GetCoord(1), 0, 1e-15);
    EXPECT_NEAR(v.GetCoord(2), 0, 1e-15);
}

TEST(TVector3, AssignRefreshesStaleSourceAndCopiesFlags) {
    TVector3 src = TVector3::CreateCartesian(0, -3, 0);
    TVector3 dst = TVector3::CreateSpherical(1, 1, 1);
    dst.Assign(src);
    EXPECT_TRUE(src.SphValid());
    EXPECT_EQ(dst.SphValid(), src.SphValid());
    EXPECT_EQ(dst.CartValid(), src.CartValid());
    EXPECT_NEAR(dst.GetLon(), 3 * kPiD / 2, 1e-15);
    EXPECT_EQ(dst.GetRadius(), 3.0);
    EXPECT_EQ(dst.GetCoord(1), -3.0);

    // A source that only knows its spherical form hands over a stale cartesian form, which
    // the copy then computes for itself.
    TVector3 sph = TVector3::CreateSpherical(kPiD / 2, 0, 2);
    TVector3 copy;
    copy.Assign(sph);
    EXPECT_FALSE(copy.CartValid());
    EXPECT_NEAR(copy.GetCoord(0), 0, 1e-15);
    EXPECT_NEAR(copy.GetCoord(1), 2, 1e-15);
}

TEST(TVector3, SumDotAndCross) {
    TVector3 a = TVector3::CreateCartesian(1, 2, 3);
    TVector3 b = TVector3::CreateCartesian(-4, 5, 0.5);
    TVector3 s = a.Add(b);
    EXPECT_EQ(s.GetCoord(0), -3.0);
    EXPECT_EQ(s.GetCoord(1), 7.0);
    EXPECT_EQ(s.GetCoord(2), 3.5);
    EXPECT_EQ(a.Dot(b), -4 + 10 + 1.5);
    TVector3 c = a.Cross(b);
    EXPECT_EQ(c.GetCoord(0), 2 * 0.5 - 3 * 5);
    EXPECT_EQ(c.GetCoord(1), 3 * -4 - 1 * 0.5);
    EXPECT_EQ(c.GetCoord(2), 1 * 5 - 2 * -4);
    EXPECT_EQ(c.Dot(a), 0.0);
    EXPECT_EQ(c.Dot(b), 0.0);
    a.AddInPlace(b);
    EXPECT_EQ(a.GetCoord(0), -3.0);
    EXPECT_NEAR(a.GetRadius(), std::sqrt(9 + 49 + 12.25), 1e-14);
}

TEST(TVector3, CrossOfEqualVectorsIsExactlyZero) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> lonD(0, 2 * kPiD), latD(-kPiD / 2, kPiD / 2);
    for (int k = 0; k < 1000; ++k) {
        TVector3 a = TVector3::CreateSpherical(lonD(rng), latD(rng), 1);
        TVector3 b = a;
        TVector3 n = a.Cross(b);
        EXPECT_EQ(n.GetRadius(), 0.0);
    }
}

TEST(TRotMat, RotationsMoveLongitudeAndLatitude) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> lonD(0, 2 * kPiD), latD(-1.2, 1.2), angD(-0.3, 0.3);
    for (int k = 0; k < 500; ++k) {
        const double lon = lonD(rng), lat = latD(rng), a = angD(rng);
        SCOPED_TRACE(testing::Message() << lon << " " << lat << " " << a);
        // Z lowers the longitude by a and keeps the latitude.
        TVector3 v = TVector3::CreateSpherical(lon, lat, 1);
        TRotMat rz = TRotMat::CreateRotZ(a);
        TVector3 w = rz.Multiply(v);
        EXPECT_TRUE(w.CartValid());
        EXPECT_FALSE(w.SphValid());
        const double dLon = std::remainder(w.GetLon() - (lon - a), 2 * kPiD);
        EXPECT_NEAR(dLon, 0, 1e-14);
        EXPECT_NEAR(w.GetLat(), lat, 1e-14);
        // Y raises the latitude of a vector at longitude 0.
        TVector3 g = TVector3::CreateSpherical(0, lat, 1);
        TVector3 h = TRotMat::CreateRotY(a).Multiply(g);
        EXPECT_NEAR(h.GetLat(), lat + a, 1e-14);
        EXPECT_NEAR(std::remainder(h.GetLon(), 2 * kPiD), 0, 1e-14);
        // The negated angles undo the rotations.
        TVector3 r = TVector3::CreateSpherical(lon, lat, 1);
        r.Rotate(TRotMat::CreateRotZ(a));
        r.Rotate(TRotMat::CreateRotY(a));
        EXPECT_TRUE(r.SphValid());
        EXPECT_TRUE(r.CartValid());
        r.Rotate(TRotMat::CreateRotY(-a));
        r.Rotate(TRotMat::CreateRotZ(-a));
        EXPECT_NEAR(r.GetCoord(0), v.GetCoord(0), 1e-15);
        EXPECT_NEAR(r.GetCoord(1), v.GetCoord(1), 1e-15);
        EXPECT_NEAR(r.GetCoord(2), v.GetCoord(2), 1e-15);
    }
}

TEST(TRotMat, MatrixRows) {
    const double a = 0.3;
    TRotMat y = TRotMat::CreateRotY(a);
    TRotMat z = TRotMat::CreateRotZ(a);
    const double c = std::cos(a), s = std::sin(a);
    const double wantY[3][3] = {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
    const double wantZ[3][3] = {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(y.M[i][j], wantY[i][j], 1e-16) << i << "," << j;
            EXPECT_NEAR(z.M[i][j], wantZ[i][j], 1e-16) << i << "," << j;
        }
}

} // namespace
} // namespace kestrun
