// Little Navmap's own flight plans (the real files: planimport_test.cpp).
#include "files/lnmplan.h"

#include <gtest/gtest.h>

#include "importtest.h"

using namespace kestrun;
using namespace kestrun::test;

TEST(ImportLnmPlan, AWaypointWithoutAValidPositionIsRefusedWithItsLine) {
    const std::string head = "<LittleNavmap>\n<Flightplan>\n<Waypoints>\n"
                             "<Waypoint><Ident>A</Ident><Pos Lon=\"-1.5\" Lat=\"2\"/></Waypoint>\n";
    const std::string tail = "</Waypoints>\n</Flightplan>\n</LittleNavmap>\n";
    struct Case {
        std::string Waypoint, Message;
    } cases[] = {
        {"<Waypoint><Ident>B</Ident></Waypoint>\n", "x.lnmpln:5: '' is not a valid latitude"},
        {"<Waypoint>\n<Pos Lon=\"181\" Lat=\"0\"/></Waypoint>\n",
         "x.lnmpln:6: '181' is not a valid longitude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Waypoint);
        EXPECT_EQ(RefusalOf([&](TWayPointList& plan) {
                      ImportLnmPlan(plan, head + c.Waypoint + tail, "x.lnmpln");
                  }),
                  c.Message);
    }
}
