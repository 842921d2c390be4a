#include "files/fpimport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "base/cp1251.h"
#include "base/velparser.h"
#include "importtest.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

// The exact angle of degrees and minutes; the reader's own rounding may differ in the last bit.
long double Rad(long double deg, long double min) {
    return (min / 60 + deg) * kPiL / 180;
}
constexpr long double kAngleTolerance = 1e-18L;
// Southern and western values are stored as 2*pi minus their magnitude.
double Folded(long double deg, long double min) {
    return static_cast<double>(2 * kPiL) - static_cast<double>(Rad(deg, min));
}

struct World {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

void ImportText(TWayPointList& plan, const std::string& text) {
    std::istringstream in(text);
    ImportFlightPlan(plan, in);
}

} // namespace

TEST(ImportFlightPlan, Fs2004LayoutTakesTheFourthField) {
    World w;
    ImportFlightPlan(w.WayPointList, TestData("plans/fs2004.pln"));
    ASSERT_EQ(w.WayPointList.Count(), 3);
    EXPECT_EQ(w.WayPointList[0].Name, "UUEE");
    EXPECT_EQ(w.WayPointList[1].Name, "MR"); // not the region's RUMIN
    EXPECT_EQ(w.WayPointList[2].Name, "URSS");
    EXPECT_NEAR(w.WayPointList[0].Pos.Lat, Rad(55, 58.35L), kAngleTolerance);
    EXPECT_NEAR(w.WayPointList[0].Pos.Lon, Rad(37, 24.68L), kAngleTolerance);
    EXPECT_NEAR(w.WayPointList[2].Pos.Lat, Rad(43, 26.98L), kAngleTolerance);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.WayPointList[i].BeaconIndex, -1);
}

TEST(ImportFlightPlan, Fs2002LayoutWithSouthernAndWesternPositions) {
    World w;
    ImportFlightPlan(w.WayPointList, TestData("plans/fs2002.pln"));
    ASSERT_EQ(w.WayPointList.Count(), 3);
    EXPECT_EQ(w.WayPointList[0].Name, "SCEL");
    EXPECT_EQ(w.WayPointList[1].Name, "DOGPA");
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[0].Pos.Lat), Folded(33, 23.55L));
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[0].Pos.Lon), Folded(70, 47.17L));
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[1].Pos.Lon), Folded(70, 0));
}

TEST(ImportFlightPlan, LayoutFlagNeedsAppVersionStartingWithNine) {
    // Each layout's line read under the other layout fails or gives another name.
    const std::string fs2004 = "waypoint.0=RG, ID1, , ID4, A, N10* 00.00', E20* 00.00', +0,\r\n";
    const std::string fs2002 = "waypoint.0=ID1, A, N10* 00.00', E20* 00.00', +0,\r\n";
    struct Case {
        const char* header;
        bool flag;
    } cases[] = {{"AppVersion=9.1\r\n", true},
                 {"AppVersion = 9\r\n", true}, // blanks around "=" are allowed
                 {"AppVersion=8.0\r\n", false},
                 {"AppVersion=\"9.1\"\r\n", false}, // the quote is the first character
                 {"appversion=9.1\r\n", false},     // the key's capitalisation is exact
                 {"APPVERSION=9.1\r\n", false},
                 {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        World w;
        ImportText(w.WayPointList,
                   std::string("[flightplan]\r\n") + c.header + (c.flag ? fs2004 : fs2002));
        ASSERT_EQ(w.WayPointList.Count(), 1);
        EXPECT_EQ(w.WayPointList[0].Name, c.flag ? "ID4" : "ID1");
        EXPECT_NEAR(w.WayPointList[0].Pos.Lat, Rad(10, 0), kAngleTolerance);
        World other;
        EXPECT_EQ(MessageOf([&] {
                      ImportText(other.WayPointList, std::string("[flightplan]\r\n") + c.header +
                                                         (c.flag ? fs2002 : fs2004));
                  }),
                  MsgExpectedSymbol('*'));
    }
}

TEST(ImportFlightPlan, RepeatedIndicesAndCutIdentifiers) {
    World w;
    ImportFlightPlan(w.WayPointList, TestData("plans/indices.pln"));
    ASSERT_EQ(w.WayPointList.Count(), 3);
    // Placed by index: the later waypoint.1 replaced the first, waypoint.0 stands first.
    EXPECT_EQ(w.WayPointList[0].Name, "UUEE");
    EXPECT_NEAR(w.WayPointList[0].Pos.Lat, Rad(55, 58.35L), kAngleTolerance);
    EXPECT_EQ(w.WayPointList[1].Name, "AB"); // cut at the hyphen
    EXPECT_EQ(w.WayPointList[2].Name, "");   // Cyrillic letters are no identifier characters
    EXPECT_NEAR(w.WayPointList[2].Pos.Lat, Rad(58, 0), kAngleTolerance);
}

TEST(ImportFlightPlan, BrokenFileLeavesThePlanAsItWas) {
    World w;
    ImportFlightPlan(w.WayPointList, TestData("plans/fs2004.pln"));
    w.WayPointList.CalcPlan();
    const double total = w.WayPointList.TotalDist;
    EXPECT_EQ(MessageOf([&] { ImportFlightPlan(w.WayPointList, TestData("plans/broken.pln")); }),
              MsgExpectedSymbol('*'));
    ASSERT_EQ(w.WayPointList.Count(), 3);
    EXPECT_EQ(w.WayPointList[1].Name, "MR");
    w.WayPointList.CalcPlan();
    EXPECT_EQ(w.WayPointList.TotalDist, total);
}

TEST(ImportFlightPlan, ErrorMessages) {
    struct Case {
        const char* text;
        std::string message;
    } cases[] = {
        {"waypoint0=A, A, N1* 0', E1* 0',", MsgExpectedSymbol('.')},
        {"waypoint.=A, A, N1* 0', E1* 0',", "'' is not a valid integer value"},
        {"waypoint.0 A, A, N1* 0', E1* 0',", MsgExpectedSymbol('=')},
        {"waypoint.0=A, A, N* 0', E1* 0',", "'' is not a valid integer value"},
        {"waypoint.0=A, A, N1* ', E1* 0',", "'' is not a valid floating point value"},
        {"waypoint.0=A, A, N1* 1.2.3', E1* 0',", "'1.2.3' is not a valid floating point value"},
        {"waypoint.0=A, A, N1* 0, E1* 0',", MsgExpectedSymbol('\'')},
        {"waypoint.0=A, A", MsgExpectedSymbol(',')}, // the skip to a comma stops at the end
        {"AppVersion=", "Range check error"},
        // An empty value never takes the next line as its own.
        {"AppVersion=\r\n9\r\nwaypoint.0=A, A, N1* 0', E1* 0',", "Range check error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        EXPECT_EQ(MessageOf([&] { ImportText(w.WayPointList, c.text); }), c.message);
        EXPECT_EQ(w.WayPointList.Count(), 0);
    }
    World w;
    EXPECT_EQ(MessageOf([&] { ImportFlightPlan(w.WayPointList, "/nonexistent/x.pln"); }),
              "Cannot open file /nonexistent/x.pln");
}

TEST(ImportFlightPlan, FilesWithoutWaypointLinesGiveAnEmptyPlan) {
    for (const char* text :
         {"", "[flightplan]\r\ntitle=x\r\n\r\n", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<a>\n</a>",
          "#waypoint.0=A, A, N1* 0', E1* 0',\r\n"}) {
        SCOPED_TRACE(text);
        World w;
        w.WayPointList.AppendWayPoint();
        ImportText(w.WayPointList, text);
        EXPECT_EQ(w.WayPointList.Count(), 0);
    }
}

TEST(ImportFlightPlan, LooksUpTheDeclinationOfEachWaypoint) {
    World w;
    // 2 degrees east everywhere on the grid.
    for (auto& g : w.MagDecGrid.Grid) g = static_cast<std::int16_t>(2 * 32768 / 180);
    ImportFlightPlan(w.WayPointList, TestData("plans/fs2004.pln"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(w.WayPointList[i].MagDecl * 180 / kPiD, 364.0 * 180 / 32768, 1e-9);
}

TEST(ImportFlightPlan, RealFs2004PlanFromTheSimulator) {
    KESTRUN_REQUIRE(MissingSharedData("plans/flightplan-fs9.pln"));
    const std::string path = SharedData("plans/flightplan-fs9.pln");
    World w;
    ImportFlightPlan(w.WayPointList, path);
    ASSERT_EQ(w.WayPointList.Count(), 13);
    EXPECT_EQ(w.WayPointList[0].Name, "EGPB");
    EXPECT_EQ(w.WayPointList[5].Name, "PTH");
    EXPECT_EQ(w.WayPointList[12].Name, "EISG");
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[12].Pos.Lon), Folded(8, 35.95L));
}

// Hostile and hand-edited simulator plans: faults reported on their line, nothing read on into
// the next line, waypoints placed by index, both poles, the letters and ranges of positions.
TEST(ImportFlightPlan, HostileFiles) {
    const std::string a = "waypoint.0=A, A, N53* 53.28', E27* 32.00', +0,\r\n";
    struct Case {
        std::string text, message;
        int line;
    } cases[] = {
        {"[flightplan]\r\n" + std::string("waypoint.0=A\0", 13), kMsgBadFormat, 2},
        {"AppVersion=\r\n" + a, kMsgRangeCheck, 1},
        {a + "waypoint.1=B, A, N90* 00.01', E27* 32.00', +0,\r\n", MsgBadLatitude("N90* 00.01'"),
         2},
        {a + a + "waypoint.2=B, A, N1* 0', E180* 0.1', +0,", MsgBadLongitude("E180* 0.1'"), 3},
        {"waypoint.0=B, A, X1* 0', E1* 0', +0,", MsgBadLatitude("X1* 0'"), 1},
        {"waypoint.0=B, A, N1* 0', N1* 0', +0,", MsgBadLongitude("N1* 0'"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        ExpectFileRefusal("x.pln", c.text, c.message, c.line,
                          [&](const std::string& file) { ImportFlightPlan(w.WayPointList, file); });
    }

    World w;
    ImportText(w.WayPointList, "\xEF\xBB\xBFwaypoint.2=C, A, S90* 00.00', w180* 00.00', +0,\r\n"
                               "waypoint.0=A, A, n90* 00.00', e0* 00.00', +0,\r\n"
                               "waypoint.1=B, A, s89* 60.00', W1* 0', +0,\r\n");
    ASSERT_EQ(w.WayPointList.Count(), 3);
    EXPECT_EQ(w.WayPointList[0].Name, "A");
    EXPECT_EQ(w.WayPointList[2].Name, "C");
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[2].Pos.Lat), Folded(90, 0));
    EXPECT_DOUBLE_EQ(static_cast<double>(w.WayPointList[1].Pos.Lon), Folded(1, 0));
    w.WayPointList.CalcPlan();
    EXPECT_NEAR(w.WayPointList.TotalDist, static_cast<double>(kPiL) * 6378.137, 1e-6);
}
