// The XML flight plans of FSX, Prepar3D and MSFS.
#include "files/fsxplan.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/cp1251.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

constexpr double kPiD = 3.14159265358979323846;

double Stored(double deg) {
    double rad = std::fabs(deg) * kPiD / 180;
    return deg < 0 ? 2 * kPiD - rad : rad;
}

struct World {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

std::string Plan(const std::string& waypoints) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<SimBase.Document Type=\"AceXML\" version=\"1,0\">\r\n"
           "<FlightPlan.FlightPlan>\r\n" +
           waypoints + "</FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n";
}

} // namespace

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
        {"-33.5,151.25", -33.5, 151.25},
        {"N90° 0' 0\",W180° 0' 0\"", 90, -180},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        auto p = ParseWorldPosition(c.Text);
        ASSERT_TRUE(p.has_value());
        EXPECT_NEAR(static_cast<double>(p->Lat), Stored(c.LatDeg), 1e-15);
        EXPECT_NEAR(static_cast<double>(p->Lon), Stored(c.LonDeg), 1e-15);
    }
    for (const char* bad :
         {"", "N53° 38' 1.22\"", "N53 38' 1.22\",E9° 59' 6.80\"", "N53° 38' 1.22\",N9° 59' 6.80\"",
          "X53° 38' 1.22\",E9° 59' 6.80\"", "N53° 38' \",E9° 59' 6.80\"", "54.28", "54.28,abc",
          "N91° 0' 0\",E9° 0' 0\"", "45,180.5", "nan,1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseWorldPosition(bad).has_value());
    }
}

TEST(ImportFsxPlan, NamesFromTheIcaoIdentElseTheIdInTheProgramsCodePage) {
    World w;
    ImportFsxPlan(w.WayPointList,
                  Plan("<ATCWaypoint id=\"Hamburg\"><WorldPosition>N1° 0' 0\",E1° 0' 0\"</"
                       "WorldPosition><ICAO><ICAOIdent>EDDH</ICAOIdent></ICAO></ATCWaypoint>\r\n"
                       "<ATCWaypoint id=\"Шереметьево\"><WorldPosition>1,2</WorldPosition>"
                       "<ICAO><ICAORegion>UU</ICAORegion></ICAO></ATCWaypoint>\r\n"
                       "<ATCWaypoint><WorldPosition>3,4</WorldPosition></ATCWaypoint>\r\n"),
                  "x.pln");
    ASSERT_EQ(w.WayPointList.Count(), 3);
    EXPECT_EQ(w.WayPointList[0].Name, "EDDH");
    EXPECT_EQ(w.WayPointList[1].Name, Cp("Шереметьево"));
    EXPECT_EQ(w.WayPointList[2].Name, "");
    EXPECT_NEAR(static_cast<double>(w.WayPointList[2].Pos.Lon), Stored(4), 1e-15);
}

TEST(ImportFsxPlan, RefusalsNameTheFileAndLeaveThePlan) {
    const std::string good = "<ATCWaypoint id=\"A\"><WorldPosition>1,2</WorldPosition>"
                             "</ATCWaypoint>\r\n";
    struct Case {
        std::string Bytes, Message;
    } cases[] = {
        {Plan(good + "<ATCWaypoint id=\"B\">\r\n<WorldPosition>N1 0 0,E1 0 0</WorldPosition>"
                     "</ATCWaypoint>\r\n"),
         "x.pln:6: Bad position 'N1 0 0,E1 0 0' of waypoint 2"},
        {Plan(good + "<ATCWaypoint><ICAO><ICAOIdent>NEKLO</ICAOIdent></ICAO></ATCWaypoint>\r\n"),
         "1 of 2 waypoints in file x.pln have no position (a plan saved by MSFS 2024 names its "
         "waypoints without coordinates, which cannot be placed without the simulator's "
         "navigation database); export the plan with positions and import it again"},
        {Plan(good + "<ATCWaypoint>\r\n"), "x.pln:6: Malformed XML: Start-end tags mismatch"},
        {"<?xml version=\"1.0\"?>\r\n<FlightPlan/>", "No waypoint found in file x.pln"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        World w;
        w.WayPointList.AppendWayPoint();
        w.WayPointList[0].Name = "KEEP";
        EXPECT_EQ(PlacedMessageOf([&] { ImportFsxPlan(w.WayPointList, c.Bytes, "x.pln"); }),
                  c.Message);
        ASSERT_EQ(w.WayPointList.Count(), 1);
        EXPECT_EQ(w.WayPointList[0].Name, "KEEP");
    }
}
