#include "math/mapgeom.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>

#include <gtest/gtest.h>

#include "testutil.h"

namespace kestrun {
namespace {

using test::kDeg;

const GeographicLib::Geodesic kSphere(6378137, 0);

TGeoPoint Deg(double lat, double lon) {
    return {static_cast<long double>(lat * kDeg), static_cast<long double>(lon * kDeg)};
}

// Signed area of a ring in the plane of the domain, square degrees (shoelace).
double PlaneArea(const TDomainLine& ring) {
    double a = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const TDomainPoint p = ring[i], q = ring[(i + 1) % ring.size()];
        a += p.X * q.Y - q.X * p.Y;
    }
    return a / 2;
}

TEST(MapGeom, DestinationPointAndCircleAgreeWithGeographicLib) {
    // Start, course, distance; the pole start leaves along the meridian its longitude names.
    const struct {
        double Lat, Lon, CourseDeg, Km;
    } cases[] = {{55.97, 37.41, 0, 360},  {55.97, 37.41, 123.4, 360}, {-33.9, 151.2, 270, 5000},
                 {64.7, 177.7, 75, 1200}, {0, 0, 90, 10000},          {90, 30, 0, 1000},
                 {-90, 0, 45, 2000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CourseDeg);
        const TLatLonDeg got =
            GeoPointToDegrees(DestinationPoint(Deg(c.Lat, c.Lon), c.CourseDeg * kDeg, c.Km));
        double lat, lon;
        kSphere.Direct(c.Lat, c.Lon, c.CourseDeg, c.Km * 1000, lat, lon);
        EXPECT_NEAR(got.LatDeg, lat, 1e-9);
        EXPECT_NEAR(std::remainder(got.LonDeg - lon, 360.0), 0, 1e-9);
    }
    // Every point of a reach circle 360 km from its beacon, the circle closed.
    const std::vector<TGeoPoint> circle = GeodesicCircle(Deg(64.7, 177.7), 360, 90);
    ASSERT_EQ(circle.size(), 91u);
    EXPECT_TRUE(circle.front() == circle.back());
    for (const TGeoPoint& p : circle) {
        const TLatLonDeg d = GeoPointToDegrees(p);
        double s;
        kSphere.Inverse(64.7, 177.7, d.LatDeg, d.LonDeg, s);
        EXPECT_NEAR(s, 360000, 1e-5);
    }
}

TEST(MapGeom, DensifiedGreatCircleRunsAlongTheGeodesicInEvenSteps) {
    const TGeoPoint a = Deg(55.97, 37.41), b = Deg(52.27, 104.39);
    const std::vector<TGeoPoint> points = DensifyGreatCircle(a, b, 50);
    double total;
    kSphere.Inverse(55.97, 37.41, 52.27, 104.39, total);
    // Steps that add up to the whole distance lie on the geodesic, in order.
    ASSERT_EQ(points.size(), static_cast<std::size_t>(std::ceil(total / 50000)) + 1);
    EXPECT_TRUE(points.front() == a && points.back() == b);
    double sum = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const TLatLonDeg p = GeoPointToDegrees(points[i - 1]), q = GeoPointToDegrees(points[i]);
        double s;
        kSphere.Inverse(p.LatDeg, p.LonDeg, q.LatDeg, q.LonDeg, s);
        EXPECT_NEAR(s, total / double(points.size() - 1), 1e-3);
        sum += s;
    }
    EXPECT_NEAR(sum, total, 1e-3);
    EXPECT_EQ(DensifyGreatCircle(a, a, 50).size(), 2u);
}

TEST(MapGeom, LinesAreCutAtTheSeamAndTheBand) {
    const TMapDomain pacific{0, -60, 60}; // seam along the 180th meridian
    std::vector<TDomainLine> out;
    // Across the seam eastwards, then out of the band: three pieces, each end on the cut.
    ClipLineToDomain({{10, 170}, {30, -170}, {50, -160}, {70, -150}, {50, -140}}, pacific, out);
    ASSERT_EQ(out.size(), 3u);
    ASSERT_EQ(out[0].size(), 2u);
    EXPECT_NEAR(out[0][1].X, 180, 1e-12);
    EXPECT_NEAR(out[0][1].Y, 20, 1e-12);
    EXPECT_NEAR(out[1][0].X, -180, 1e-12);
    EXPECT_NEAR(out[1][0].Y, 20, 1e-12);
    ASSERT_EQ(out[1].size(), 4u);
    EXPECT_NEAR(out[1][3].X, -155, 1e-12);
    EXPECT_NEAR(out[1][3].Y, 60, 1e-12);
    EXPECT_NEAR(out[2][0].X, -145, 1e-12);
    // The same line on a map centred on the 180th meridian stays in one piece.
    out.clear();
    ClipLineToDomain({{10, 170}, {30, -170}, {50, -160}}, {180, -60, 60}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0][1].X, 10, 1e-12);
}

TEST(MapGeom, RingsKeepTheirAreaWhereverTheSeamRuns) {
    // A square across the 180th meridian, 20 by 10 degrees, and a cap round the South Pole
    // from 70 degrees south (its longitudes wind once round).
    const std::vector<TLatLonDeg> square = {{0, 170}, {0, -170}, {10, -170}, {10, 170}, {0, 170}};
    std::vector<TLatLonDeg> cap;
    for (int lon = 180; lon > -180; lon -= 10) cap.push_back({-70, double(lon)});
    for (double centre : {0.0, 180.0, 71.0, -100.0}) {
        SCOPED_TRACE(centre);
        std::vector<TDomainLine> out;
        ClipRingToDomain(square, {centre, -90, 90}, 1, out);
        double area = 0;
        for (const TDomainLine& r : out) area += PlaneArea(r);
        EXPECT_NEAR(std::fabs(area), 200, 1e-9);
        out.clear();
        ClipRingToDomain(cap, {centre, -90, 90}, 1, out);
        area = 0;
        for (const TDomainLine& r : out) {
            area += PlaneArea(r);
            for (std::size_t i = 0; i < r.size(); ++i) {
                const TDomainPoint p = r[i], q = r[(i + 1) % r.size()];
                EXPECT_LE(std::max(std::fabs(p.X - q.X), std::fabs(p.Y - q.Y)), 1 + 1e-9);
            }
        }
        EXPECT_NEAR(std::fabs(area), 360 * 20, 1e-9);
    }
    // The band cuts the cap to the 10 degrees between 80 and 70 south.
    std::vector<TDomainLine> out;
    ClipRingToDomain(cap, {0, -80, 90}, 1, out);
    double area = 0;
    for (const TDomainLine& r : out) area += PlaneArea(r);
    EXPECT_NEAR(std::fabs(area), 360 * 10, 1e-9);
}

} // namespace
} // namespace kestrun
