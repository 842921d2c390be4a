// The XML flight plans of FSX, Prepar3D and MSFS (the real files: planimport_test.cpp).
#include "files/fsxplan.h"

#include <gtest/gtest.h>

#include "importtest.h"

using namespace kestrun;
using namespace kestrun::test;

TEST(ParseWorldPosition, BothFormsAndTheirVariants) {
    struct Case {
        const char* Text;
        double LatDeg, LonDeg;
    } cases[] = {
        {"N53° 38' 1.22\",E9° 59' 6.80\",+000040.75", 53 + 38 / 60.0 + 1.22 / 3600,
         9 + 59 / 60.0 + 6.80 / 3600},
        // A decimal comma in the seconds and the altitude (Plan-G).
        {"N36° 44' 38,05\",W6° 3' 53,62\",+000078,00", 36 + 44 / 60.0 + 38.05 / 3600,
         -(6 + 3 / 60.0 + 53.62 / 3600)},
        {"s33° 52' 0.00\", w70° 0' 0\"", -(33 + 52 / 60.0), -70},
        {"N10* 30' 0\",E20* 0' 0\"", 10.5, 20}, // the asterisk of older plans
        {"54.285833 , -130.444678,+116.0", 54.285833, -130.444678},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        auto p = ParseWorldPosition(c.Text);
        ASSERT_TRUE(p.has_value());
        EXPECT_NEAR(static_cast<double>(p->Lat), StoredRad(c.LatDeg), 1e-15);
        EXPECT_NEAR(static_cast<double>(p->Lon), StoredRad(c.LonDeg), 1e-15);
    }
    for (const char* bad :
         {"", "N53° 38' 1.22\"", "N53 38' 1.22\",E9° 59' 6.80\"", "N53° 38' 1.22\",N9° 59' 6.80\"",
          "N53° 38' \",E9° 59' 6.80\"", "54.28", "N91° 0' 0\",E9° 0' 0\"", "45,180.5", "nan,1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseWorldPosition(bad).has_value());
    }
}

TEST(ImportFsxPlan, RefusalsLeaveThePlan) {
    const std::string head = "<SimBase.Document>\r\n<FlightPlan.FlightPlan>\r\n"
                             "<ATCWaypoint id=\"A\"><WorldPosition>1,2</WorldPosition>"
                             "</ATCWaypoint>\r\n";
    const std::string tail = "</FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n";
    struct Case {
        std::string Waypoint, Message;
    } cases[] = {
        {"<ATCWaypoint>\r\n<WorldPosition>N1 0 0,E1 0 0</WorldPosition></ATCWaypoint>\r\n",
         "x.pln:5: Bad position 'N1 0 0,E1 0 0' of waypoint 2"},
        {"<ATCWaypoint><ICAO><ICAOIdent>NEKLO</ICAOIdent></ICAO></ATCWaypoint>\r\n",
         "1 of 2 waypoints in file x.pln have no position (a plan saved by MSFS 2024 names its "
         "waypoints without coordinates, which cannot be placed without the simulator's "
         "navigation database); export the plan with positions and import it again"},
        {"<ATCWaypoint>\r\n", "x.pln:5: Malformed XML: Start-end tags mismatch"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Waypoint);
        EXPECT_EQ(RefusalOf([&](TWayPointList& plan) {
                      ImportFsxPlan(plan, head + c.Waypoint + tail, "x.pln");
                  }),
                  c.Message);
    }
}
