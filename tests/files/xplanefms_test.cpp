// X-Plane's flight plans (the real files of both layouts: planimport_test.cpp).
#include "files/xplanefms.h"

#include <gtest/gtest.h>

#include "importtest.h"

using namespace kestrun;
using namespace kestrun::test;

TEST(ImportXPlaneFms, OldMacintoshLineEndsAndSouthWest) {
    TRSBNList beacons;
    TMagDecGrid grid;
    TWayPointList plan(beacons, grid);
    ImportXPlaneFms(
        plan, "A\r3 version\r1\r1\r1 UUEE 0 55.972642 37.414589\r3 KLN 0 -55.5 -38.95\r", "x.fms");
    ASSERT_EQ(plan.Count(), 2);
    EXPECT_EQ(plan[1].Name, "KLN");
    EXPECT_NEAR(static_cast<double>(plan[1].Pos.Lat), StoredRad(-55.5), 1e-15);
    EXPECT_NEAR(static_cast<double>(plan[1].Pos.Lon), StoredRad(-38.95), 1e-15);
}

TEST(ImportXPlaneFms, RefusalsNameTheLine) {
    const std::string v3 = "I\n3 version\n1\n2\n1 UUEE 0 55.9 37.4\n";
    const std::string v11 = "I\n1100 Version\nADEP UUEE\n1 UUEE ADEP 630 55.9 37.4\n";
    struct Case {
        std::string Bytes, Message;
    } cases[] = {
        {"", "x.fms:1: Not an X-Plane flight plan: the header is missing"},
        {"I\n2 version\n", "x.fms:2: Not an X-Plane flight plan: the second line must be "
                           "\"3 version\" or \"1100 Version\""},
        // A line of the other layout is refused, never read with shifted fields.
        {v3 + "3 KLN DRCT 0 55.3 38.9\n", "x.fms:6: A waypoint line has 5 fields (type ident "
                                          "altitude latitude longitude), this one 6"},
        {v11 + "3 KLN 0 55.3 38.9\n", "x.fms:5: A waypoint line has 6 fields (type ident via "
                                      "altitude latitude longitude), this one 5"},
        {v3 + "0 ---- 0 0 1\n", "x.fms:6: Unknown waypoint type '0' (known: 1, 2, 3, 11, 28)"},
        {v3 + "11 X 0 1 1,5\n", "x.fms:6: '1,5' is not a valid longitude"},
        {"I\n3 version\n1\n0\n", "No waypoint found in file x.fms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        EXPECT_EQ(RefusalOf([&](TWayPointList& plan) { ImportXPlaneFms(plan, c.Bytes, "x.fms"); }),
                  c.Message);
    }
}

// Every type the reader takes, and some it does not; padding entries after the waypoints and a
// sixth field of older "3 version" files are passed over.
TEST(ImportXPlaneFms, WaypointTypesPaddingAndASixthField) {
    const std::string v3 = "I\n3 version\n1\n2\n1 UUEE 0 55.9 37.4\n";
    struct Case {
        std::string Line;
        int Count; // waypoints read, 0 for a refusal
    } cases[] = {
        {"1 A 0 1 2", 2},
        {"2 A 0 1 2", 2},
        {"3 A 0 1 2", 2},
        {"11 A 0 1 2", 2},
        {"28 A 0 1 2", 2},
        {"0 A 0 1 2", 0},
        {"4 A 0 1 2", 0},
        {"12 A 0 1 2", 0},
        {"01 A 0 1 2", 0},
        {"-1 A 0 1 2", 0},
        {"1 A 0 1 2 0.000000", 2},
        {"0 ---- 0 0.000000 0.000000\n0 ---- 0 0.000000 0.000000 0.000000", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        TRSBNList beacons;
        TMagDecGrid grid;
        TWayPointList plan(beacons, grid);
        const std::string bytes = v3 + c.Line + "\n";
        const std::string message = MessageOf([&] { ImportXPlaneFms(plan, bytes, "x.fms"); });
        EXPECT_EQ(message == "<no error>" ? plan.Count() : 0, c.Count) << message;
    }
}
