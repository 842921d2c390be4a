#include "files/navihelper.h"

#include <gtest/gtest.h>

#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

struct World {
    World() { BeaconList.Add("12", "Kilo", "KL", "", "N", "55", "0", "E", "37", "0"); }
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

TWayPoint& Leg(TWayPointList& plan, const char* name, double trueDeg, double magDeg, double km) {
    TWayPoint& w = plan.AddWayPoint();
    w.Name = name;
    w.TrueCourse = trueDeg * kDeg;
    w.MagCourse = magDeg * kDeg;
    w.Distance = km;
    return w;
}

} // namespace

TEST(NaviHelper, LegWithoutBeacon) {
    World w;
    Leg(w.WayPointList, "ABC", 123.44, 112.34, 45.68);
    Leg(w.WayPointList, "DEF", 0, 0, 0);
    EXPECT_EQ(FormatNaviHelper(w.WayPointList), "  1. [ABC-DEF], t123.4, m112.3, 45.7, []\r\n");
}

TEST(NaviHelper, LegWithBeaconInEachMode) {
    struct Case {
        TRSBNMode mode;
        const char* line;
    } cases[] = {
        {rmSRP, "  1. [A-B], t10.0, m8.0, 100.0, [KL], S,45.5, 60.3, 12.1, 135.0, 20.0\r\n"},
        {rmAzimuthTo, "  1. [A-B], t10.0, m8.0, 100.0, [KL], T,45.5, 60.3, 12.1, 135.0, 20.0\r\n"},
        {rmAzimuthFrom,
         "  1. [A-B], t10.0, m8.0, 100.0, [KL], F,45.5, 60.3, 12.1, 135.0, 20.0\r\n"},
        {rmNone, "  1. [A-B], t10.0, m8.0, 100.0, [KL], ,45.5, 60.3, 12.1, 135.0, 20.0\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        World w;
        TWayPoint& p = Leg(w.WayPointList, "A", 10, 8, 100);
        Leg(w.WayPointList, "B", 0, 0, 0);
        p.SetBeacon(0);
        p.RSBNMode = c.mode;
        p.RSBNAzimuth = 45.5 * kDeg;
        p.RSBNOrbit = 60.26;
        p.RSBNPlannedCourse = 12.06 * kDeg;
        p.RSBNTargetAngle = 135 * kDeg;
        p.RSBNTargetDistance = 19.96;
        EXPECT_EQ(FormatNaviHelper(w.WayPointList), c.line);
    }
}

TEST(NaviHelper, LineCountsAndWideNumbers) {
    World w;
    EXPECT_EQ(FormatNaviHelper(w.WayPointList), "");
    Leg(w.WayPointList, "ONLY", 1, 1, 1);
    EXPECT_EQ(FormatNaviHelper(w.WayPointList), "");
    for (int i = 1; i < 1001; ++i) Leg(w.WayPointList, "[X-Y]", 370, -5, 0.04);
    std::string text = FormatNaviHelper(w.WayPointList);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 1000u);
    // Names are written as they are; angles are not normalised.
    EXPECT_EQ(text.substr(0, 42), "  1. [ONLY-[X-Y]], t1.0, m1.0, 1.0, []\r\n  ");
    EXPECT_NE(text.find("\r\n1000. [[X-Y]-[X-Y]], t370.0, m-5.0, 0.0, []\r\n"), std::string::npos);
}

TEST(NaviHelper, BeaconIndexOutsideTheListIsNoBeacon) {
    World w;
    TWayPoint& p = Leg(w.WayPointList, "A", 10, 8, 100);
    Leg(w.WayPointList, "B", 0, 0, 0);
    p.BeaconIndex = 7; // left over from a longer list
    EXPECT_EQ(FormatNaviHelper(w.WayPointList), "  1. [A-B], t10.0, m8.0, 100.0, []\r\n");
}

TEST(NaviHelper, WritesTheFileOrKeepsTheOldOne) {
    World w;
    Leg(w.WayPointList, "ABC", 123.44, 112.34, 45.68);
    Leg(w.WayPointList, "DEF", 0, 0, 0);
    TempDir dir;
    ExportNaviHelper(w.WayPointList, dir.File("navi_helper.txt"));
    EXPECT_EQ(ReadBytes(dir.File("navi_helper.txt")), FormatNaviHelper(w.WayPointList));
    const std::string bad = dir.File("missing/navi_helper.txt");
    EXPECT_EQ(MessageOf([&] { ExportNaviHelper(w.WayPointList, bad); }),
              "Cannot create file " + bad);
}
