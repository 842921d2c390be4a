// X-Plane's flight plans in both layouts.
#include "files/xplanefms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

struct World {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

} // namespace

TEST(ImportXPlaneFms, BothLayoutsWithAnyLineEnds) {
    struct Case {
        std::string Bytes;
    } cases[] = {
        {"I\n3 version\n1\n1\n1 UUEE 0.000000 55.972642 37.414589\n3 KLN 0 -55.5 -38.95\n"},
        {"A\r3 version\r1\r1\r1 UUEE 0.000000 55.972642 37.414589\r3 KLN 0 -55.5 -38.95\r"},
        {"\xEF\xBB\xBF"
         "A\r\n1100 Version\r\nCYCLE 2511\r\nADEP UUEE\r\nNUMENR 2\r\n"
         "1 UUEE ADEP 630.000000 55.972642 37.414589\r\n\r\n3\tKLN\tDRCT\t0\t-55.5\t-38.95"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        World w;
        ImportXPlaneFms(w.WayPointList, c.Bytes, "x.fms");
        ASSERT_EQ(w.WayPointList.Count(), 2);
        EXPECT_EQ(w.WayPointList[0].Name, "UUEE");
        EXPECT_EQ(w.WayPointList[1].Name, "KLN");
        EXPECT_NEAR(static_cast<double>(w.WayPointList[0].Pos.Lat), 55.972642 * M_PI / 180, 1e-15);
        EXPECT_NEAR(static_cast<double>(w.WayPointList[1].Pos.Lat), 2 * M_PI - 55.5 * M_PI / 180,
                    1e-15);
        EXPECT_NEAR(static_cast<double>(w.WayPointList[1].Pos.Lon), 2 * M_PI - 38.95 * M_PI / 180,
                    1e-15);
    }
}

TEST(ImportXPlaneFms, RefusalsNameTheLine) {
    const std::string v3 = "I\n3 version\n1\n2\n1 UUEE 0 55.9 37.4\n";
    const std::string v11 = "I\n1100 Version\nADEP UUEE\n1 UUEE ADEP 630 55.9 37.4\n";
    struct Case {
        std::string Bytes, Message;
    } cases[] = {
        {"", "x.fms:1: Not an X-Plane flight plan: the header is missing"},
        {"[flightplan]\n", "x.fms:1: Not an X-Plane flight plan: the first line must be "
                           "\"I\" or \"A\""},
        {"I\n2 version\n", "x.fms:2: Not an X-Plane flight plan: the second line must be "
                           "\"3 version\" or \"1100 Version\""},
        // A line of the other layout is refused, never read with shifted fields.
        {v3 + "3 KLN DRCT 0 55.3 38.9\n", "x.fms:6: A waypoint line has 5 fields (type "
                                          "ident altitude latitude longitude), this one 6"},
        {v11 + "3 KLN 0 55.3 38.9\n", "x.fms:5: A waypoint line has 6 fields (type ident "
                                      "via altitude latitude longitude), this one 5"},
        {v3 + "0 ---- 0 0 0\n", "x.fms:6: Unknown waypoint type '0' (known: 1, 2, 3, 11, 28)"},
        {v3 + "11 X 0 91 0\n", "x.fms:6: '91' is not a valid latitude"},
        {v3 + "11 X 0 1 1,5\n", "x.fms:6: '1,5' is not a valid longitude"},
        {"I\n3 version\n1\n0\n", "No waypoint found in file x.fms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        World w;
        w.WayPointList.AppendWayPoint();
        EXPECT_EQ(PlacedMessageOf([&] { ImportXPlaneFms(w.WayPointList, c.Bytes, "x.fms"); }),
                  c.Message);
        EXPECT_EQ(w.WayPointList.Count(), 1);
    }
}
