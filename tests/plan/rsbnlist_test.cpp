// Beacon records and the picker annotations.
#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "plan/rsbnlist.h"
#include "plan_world.h"
#include "testutil.h"

namespace kestrun::test {
namespace {

// Degrees and minutes as radians, the reference for every position below.
double Rad(double deg, double min = 0) {
    return (deg + min / 60) * kDeg;
}

// --- Records --------------------------------------------------------------------------

TEST(RSBNRec, PositionFromTheTenTexts) {
    struct Case {
        const char *latH, *latD, *latM, *lonH, *lonD, *lonM;
        double lat, lon;
    };
    const Case cases[] = {
        {"N", "55", "58.35", "E", "037", "24.68", Rad(55, 58.35), Rad(37, 24.68)},
        {"S", "33", "52.5", "E", "151", "12.6", -Rad(33, 52.5), Rad(151, 12.6)},
        {"s", "33", "52.5", "w", "151", "12.6", -Rad(33, 52.5), 2 * kPiD - Rad(151, 12.6)},
        {"South", "1", "0", "West", "2", "0", -Rad(1), 2 * kPiD - Rad(2)},
        {"N", "-5", "30", "E", "-10", "45", Rad(-5, 30), Rad(-10, 45)}, // as .cfg files give
        {"S", "89", "60", "W", "179", "60.0", -Rad(90), kPiD},          // 60 minutes stand
        {"N", " +7 ", "1e1", "E", "0", ".5", Rad(7, 10), Rad(0, 0.5)},
        {"n", "0", "0", "e", "0", "0", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.latH) + c.latD + " " + c.latM);
        TRSBNRec r("1", "N", "I", "X", c.latH, c.latD, c.latM, c.lonH, c.lonD, c.lonM);
        EXPECT_NEAR(static_cast<double>(r.Position.Lat), c.lat, 1e-14);
        EXPECT_NEAR(static_cast<double>(r.Position.Lon), c.lon, 1e-14);
        EXPECT_EQ(r.LatDegrees, c.latD);
        EXPECT_EQ(r.LonMinutes, c.lonM);
        EXPECT_EQ(r.LegDistance, 0);
        EXPECT_FALSE(r.Annotated);
        EXPECT_EQ(r.LegNearness, rmNone);
    }
}

TEST(RSBNRec, ConversionErrorsAndTheListStaysClean) {
    struct Case {
        const char *latH, *latD, *latM, *lonH, *lonD, *lonM;
        std::string message;
    };
    const Case cases[] = {
        {"N", "5x", "0", "E", "37", "0", "'5x' is not a valid integer value"},
        {"N", "55", "1,5", "E", "37", "0", "'1,5' is not a valid floating point value"},
        {"N", "55", "", "E", "37", "0", "'' is not a valid floating point value"},
        {"N", "55", "0", "E", "", "0", "'' is not a valid integer value"},
        {"", "55", "0", "E", "37", "0", "Range check error"},
        {"N", "55", "0", "", "37", "0", "Range check error"},
        // The minutes are converted before the degrees, the latitude before the longitude.
        {"N", "x", "y", "E", "37", "0", "'y' is not a valid floating point value"},
        {"", "55", "0", "E", "bad", "0", "Range check error"},
        // Letters of neither hemisphere, positions beyond a pole or 180 degrees, no number.
        {"X", "-5", "30", "E", "-10", "45", MsgBadLatitude("X-5*30")},
        {"N", "5", "30", "N", "10", "45", MsgBadLongitude("N10*45")},
        {"N", "95", "0", "E", "10", "0", MsgBadLatitude("N95*0")},
        {"S", "89", "75.00", "E", "10", "0", MsgBadLatitude("S89*75.00")},
        {"N", "5", "0", "E", "-180", "-0.01", MsgBadLongitude("E-180*-0.01")},
        {"N", "5", "1e4000", "E", "10", "0", MsgBadLatitude("N5*1e4000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TRSBNList list;
        list.Add("1", "First", "F", "", "N", "1", "0", "E", "1", "0");
        EXPECT_EQ(MessageOf([&] {
                      list.Add("2", "Bad", "B", "", c.latH, c.latD, c.latM, c.lonH, c.lonD, c.lonM);
                  }),
                  c.message);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list[0].Name, "First");
    }
}

// --- Picker annotations ---------------------------------------------------------------

TEST(AnnotateBeacons, NearnessAndDistanceFromTheLegEnd) {
    TWorld w;
    TWayPoint& start = w.Add(Geo(50, 30));
    TWayPoint& end = w.Add(Direct(start.Pos, 90, 40));
    TGeoPoint belowStart, belowEnd;
    const TGeoPoint atStart = FirstAtOrBeyond(start.Pos, 270, 3.0, &belowStart);
    const TGeoPoint atEnd = FirstAtOrBeyond(end.Pos, 90, 3.0, &belowEnd);
    ASSERT_GE(DistanceKm(start.Pos, atStart), 3.0);
    ASSERT_LT(DistanceKm(start.Pos, belowStart), 3.0);
    // A short leg: a beacon between its ends stands within 3 km of both.
    TWayPoint& shortEnd = w.Add(Direct(start.Pos, 90, 4));
    const TGeoPoint nearBoth = Direct(Direct(start.Pos, 90, 2), 0, 1);

    struct Case {
        const char* name;
        TGeoPoint pos;
        const TWayPoint* legEnd;
        TRSBNMode want;
    };
    const Case cases[] = {
        {"3.0 km before the start", atStart, &end, rmSRP},
        {"just under 3 km before the start", belowStart, &end, rmAzimuthFrom},
        {"3.0 km beyond the end", atEnd, &end, rmSRP},
        {"just under 3 km beyond the end", belowEnd, &end, rmAzimuthTo},
        {"near both ends", nearBoth, &shortEnd, rmAzimuthFrom},
        {"far away", Geo(10, 10), &end, rmSRP},
    };
    for (const Case& c : cases) w.AddBeacon(c.pos, c.name);
    w.Beacons.AnnotateBeacons(start, end);
    for (int i = 0; i < w.Beacons.Count(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (c.legEnd != &end) continue;
        EXPECT_TRUE(w.Beacons[i].Annotated);
        EXPECT_EQ(w.Beacons[i].LegNearness, c.want);
        EXPECT_NEAR(w.Beacons[i].LegDistance, Inverse(c.pos, end.Pos).km, 1e-6);
    }
    w.Beacons.AnnotateBeacons(start, shortEnd);
    EXPECT_EQ(w.Beacons[4].LegNearness, rmAzimuthFrom);
    EXPECT_EQ(w.Beacons[4].Name, "near both ends"); // the list is not reordered

    const double kept = w.Beacons[5].LegDistance;
    w.Beacons.ClearBeaconAnnotations();
    for (int i = 0; i < w.Beacons.Count(); ++i) EXPECT_FALSE(w.Beacons[i].Annotated);
    EXPECT_EQ(w.Beacons[5].LegDistance, kept);
}

} // namespace
} // namespace kestrun::test
