#include "files/basemap.h"

#include <cmath>

#include <gtest/gtest.h>

#include "base/error.h"
#include "math/mapgeom.h"
#include "testutil.h"

namespace kestrun {
namespace {

using test::MessageOf;

const std::string kShipped = std::string(KESTRUN_SHIPPED_DATA) + "/naturalearth-50m.bin";

// Inside an odd number of rings (a ray eastwards in the plane of longitude and latitude; good
// for places away from the 180th meridian).
bool OnLand(const TBaseMap& map, double lat, double lon) {
    bool inside = false;
    for (const auto& ring : map.LandRings)
        for (std::size_t i = 1; i < ring.size(); ++i) {
            const TLatLonDeg a = ring[i - 1], b = ring[i];
            if ((a.LatDeg > lat) != (b.LatDeg > lat) &&
                lon < a.LonDeg + (lat - a.LatDeg) * (b.LonDeg - a.LonDeg) / (b.LatDeg - a.LatDeg))
                inside = !inside;
        }
    return inside;
}

TEST(BaseMap, ShippedMapHoldsTheWorldsLandAndBorders) {
    const TBaseMap map = ReadBaseMap(kShipped);
    EXPECT_EQ(map.LandRings.size(), 1421u);
    EXPECT_EQ(map.Borders.size(), 362u);
    EXPECT_TRUE(OnLand(map, 55.75, 37.62));  // Moscow
    EXPECT_TRUE(OnLand(map, 52.29, 104.28)); // Irkutsk
    EXPECT_FALSE(OnLand(map, 40, -40));      // the Atlantic
    EXPECT_FALSE(OnLand(map, 42, 51));       // the Caspian Sea, a hole in Eurasia
    // The coastline leaves out only the edges that close Antarctica round the pole.
    std::size_t ringPoints = 0, coastPoints = 0;
    for (const auto& r : map.LandRings) ringPoints += r.size();
    for (const auto& c : map.Coastlines) coastPoints += c.size();
    EXPECT_GT(coastPoints, ringPoints - 300);
    EXPECT_LT(coastPoints, ringPoints);

    // Wherever a map's seam runs (Chukotka - Alaska: 165 degrees west), no line crosses the
    // map, and the land's area in the plane stays the same.
    double areas[3];
    int k = 0;
    for (double centre : {0.0, -165.0, 71.0}) {
        SCOPED_TRACE(centre);
        const TMapDomain domain{centre, -90, 90};
        std::vector<TDomainLine> pieces;
        for (const auto* layer : {&map.Coastlines, &map.Borders})
            for (const auto& line : *layer) ClipLineToDomain(line, domain, pieces);
        double longest = 0;
        for (const TDomainLine& p : pieces)
            for (std::size_t i = 1; i < p.size(); ++i)
                longest = std::max(longest, std::fabs(p[i].X - p[i - 1].X));
        EXPECT_LT(longest, 10);
        pieces.clear();
        for (const auto& ring : map.LandRings) ClipRingToDomain(ring, domain, 1, pieces);
        double area = 0;
        for (const TDomainLine& r : pieces)
            for (std::size_t i = 0; i < r.size(); ++i) {
                const TDomainPoint p = r[i], q = r[(i + 1) % r.size()];
                area += (p.X * q.Y - q.X * p.Y) / 2;
            }
        areas[k++] = area;
    }
    EXPECT_NEAR(areas[1], areas[0], 1e-9 * std::fabs(areas[0]));
    EXPECT_NEAR(areas[2], areas[0], 1e-9 * std::fabs(areas[0]));
}

TEST(BaseMap, SmallMapReadsItsPointsAndRefusesDamage) {
    // One ring of three points and its closing point, one border of two points: differences
    // in thousandths of a degree, 2d or -2d - 1, in 7-bit groups.
    using namespace std::string_literals;
    const std::string ring = "\x01\x04"s + "\x80\x01\x02"s       // (0.064, 0.001)
                             + "\x04\x03"s                       // (0.066, -0.001)
                             + "\x83\x01\x02"s                   // (0, 0)
                             + "\x7F\x01"s;                      // (-0.064, -0.001)
    const std::string border = "\x01\x02"s + "\xC0\xFC\x15\x00"s // (180, 0)
                               + "\x01\x01"s;                    // (179.999, -0.001)
    const std::string good = "KBMAP1" + ring + border;
    const TBaseMap map = ParseBaseMap(good);
    ASSERT_EQ(map.LandRings.size(), 1u);
    ASSERT_EQ(map.LandRings[0].size(), 4u);
    EXPECT_DOUBLE_EQ(map.LandRings[0][0].LonDeg, 0.064);
    EXPECT_DOUBLE_EQ(map.LandRings[0][1].LatDeg, -0.001);
    EXPECT_DOUBLE_EQ(map.LandRings[0][3].LonDeg, -0.064);
    ASSERT_EQ(map.Borders.size(), 1u);
    EXPECT_DOUBLE_EQ(map.Borders[0][0].LonDeg, 180);
    EXPECT_DOUBLE_EQ(map.Borders[0][1].LatDeg, -0.001);
    EXPECT_EQ(map.Coastlines.size(), 1u);

    for (const std::string& bad : {"KBMAP2" + ring + border, good + '\0', good.substr(0, 20),
                                   "KBMAP1" + ring + "\x01\x02\xC2\xFC\x15\x00\x01\x01"s,
                                   "KBMAP1\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01"s}) {
        SCOPED_TRACE(bad.size());
        EXPECT_EQ(MessageOf([&] { ParseBaseMap(bad); }), kMsgBadFormat);
    }
    test::TempDir dir;
    EXPECT_EQ(MessageOf([&] { ReadBaseMap(dir.File("none.bin")); }),
              "Cannot open file " + dir.File("none.bin"));
}

} // namespace
} // namespace kestrun
