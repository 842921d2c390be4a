// The KML export: the route, a placemark per waypoint with its leg's values, the beacons and
// their lines to the support points.
#include "files/kmlexport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "files/beaconfile.h"
#include "files/fpimport.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

std::vector<pugi::xml_node> Placemarks(const pugi::xml_node& document, const char* folder) {
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node f : document.children("Folder"))
        if (std::string(f.child_value("name")) == folder)
            for (pugi::xml_node p : f.children("Placemark")) found.push_back(p);
    return found;
}

// "lon,lat,0 lon,lat,0" as numbers.
std::vector<double> Numbers(const char* coordinates) {
    std::vector<double> v;
    std::string s(coordinates);
    for (char& c : s)
        if (c == ',') c = ' ';
    std::istringstream in(s);
    for (double x; in >> x;) v.push_back(x);
    return v;
}

} // namespace

TEST(ExportKml, RouteWaypointsBeaconsAndBeaconLines) {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList(BeaconList, MagDecGrid);
    LoadBeaconFile(BeaconList, TestData("cli/beacons.csv"));
    ImportFlightPlan(WayPointList, TestData("plans/fs2004.pln"));
    // Tula lies off the first leg; Sochi stands at the end of the second.
    WayPointList[0].SetBeacon(1);
    WayPointList[1].SetBeacon(2);
    WayPointList.CalcPlan();
    ASSERT_EQ(WayPointList[0].RSBNMode, rmSRP);
    ASSERT_EQ(WayPointList[1].RSBNMode, rmAzimuthTo);

    TempDir dir;
    ExportKml(WayPointList, dir.File("plan.kml"));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(dir.File("plan.kml").c_str()));
    pugi::xml_node document = doc.child("kml").child("Document");
    EXPECT_STREQ(document.child_value("name"), "UUEE - URSS");

    auto route = Placemarks(document, "Route");
    ASSERT_EQ(route.size(), 1u);
    EXPECT_EQ(
        Numbers(route[0].child("LineString").child_value("coordinates")),
        (std::vector<double>{37.411333, 55.9725, 0, 38.085, 54.63, 0, 39.954167, 43.449667, 0}));

    auto waypoints = Placemarks(document, "Waypoints");
    ASSERT_EQ(waypoints.size(), 3u);
    EXPECT_STREQ(waypoints[1].child_value("name"), "MR");
    // The leg's values as the grid shows them: courses, distance, beacon and mode.
    std::string leg = waypoints[0].child_value("description");
    for (const char* cell :
         {"<td>ЗИПУ</td><td>163.8</td>", "<td>Дист.</td><td>155.4</td>", // 155.42 km on the sphere
          "<td>Маяк РСБН</td><td>Тула, [TUL],  [2]</td>", "<td>Режим</td><td>СРП</td>"})
        EXPECT_NE(leg.find(cell), std::string::npos) << cell << " in " << leg;
    // The last waypoint has no leg.
    EXPECT_EQ(std::string(waypoints[2].child_value("description")).find("<table>"),
              std::string::npos);

    auto beacons = Placemarks(document, "Beacons");
    ASSERT_EQ(beacons.size(), 2u);
    EXPECT_STREQ(beacons[0].child_value("name"), "Тула");
    EXPECT_EQ(Numbers(beacons[0].child("Point").child_value("coordinates")),
              (std::vector<double>{37.616667, 54.2, 0}));
    EXPECT_STREQ(beacons[1].child_value("name"), "Сочи");

    // From the beacon off the route to the leg's support point, here its end waypoint; the
    // leg flown to Sochi has none.
    auto lines = Placemarks(document, "Beacon lines");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Numbers(lines[0].child("LineString").child_value("coordinates")),
              (std::vector<double>{37.616667, 54.2, 0, 38.085, 54.63, 0}));

    // The beacons of a .cfg database have no name: they go by their identifier.
    BeaconList[1].Name.clear();
    ASSERT_TRUE(doc.load_string(FormatKml(WayPointList).c_str()));
    document = doc.child("kml").child("Document");
    EXPECT_STREQ(Placemarks(document, "Beacons")[0].child_value("name"), "TUL");
    EXPECT_STREQ(Placemarks(document, "Beacon lines")[0].child_value("name"), "UUEE - MR: TUL");
}
