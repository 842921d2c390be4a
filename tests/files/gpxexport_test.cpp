// The GPX export: valid GPX 1.1 as its schema says, positions on the globe's usual ranges.
#include "files/gpxexport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>

#include "base/cp1251.h"
#include "files/fpimport.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

constexpr long double kPiL = 3.1415926535897932385L;

struct World {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

// xmllint's verdict on a file under the GPX 1.1 schema: its exit status and messages.
int Validate(const TempDir& dir, const std::string& file, std::string& messages) {
    std::string cmd = "xmllint --noout --schema '" + TestData("gpx/gpx-1.1.xsd") + "' '" + file +
                      "' 2>'" + dir.File("xmllint.txt") + "'";
    int status = std::system(cmd.c_str());
    messages = ReadBytes(dir.File("xmllint.txt"));
    return status;
}

bool HaveXmllint() {
    return std::system("command -v xmllint >/dev/null 2>&1") == 0;
}

} // namespace

TEST(ExportGpx, ValidatesAgainstTheSchemaAndKeepsThePositions) {
    if (!HaveXmllint()) GTEST_SKIP() << "xmllint not installed (Debian libxml2-utils)";
    TempDir dir;
    // South, west, a name that needs escaping and one in Cyrillic, the date line.
    WriteBytes(dir.File("in.fms"), "I\n3 version\n1\n4\n"
                                   "1 SCEL 0 -33.392975 -70.785803\n"
                                   "28 A&B<\"C\" 0 10.5 180\n"
                                   "11 МОСКВА 0 55.75 37.616667\n"
                                   "11 X 0 -89.5 -179.999999\n");
    World w;
    ImportFlightPlan(w.WayPointList, dir.File("in.fms"));
    ExportGpx(w.WayPointList, dir.File("out.gpx"));
    std::string messages;
    EXPECT_EQ(Validate(dir, dir.File("out.gpx"), messages), 0) << messages;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(dir.File("out.gpx").c_str()));
    pugi::xml_node rte = doc.child("gpx").child("rte");
    EXPECT_STREQ(rte.child_value("name"), "SCEL - X");
    struct Point {
        const char* Name;
        double Lat, Lon;
    } expected[] = {{"SCEL", -33.392975, -70.785803},
                    {"A&B<\"C\"", 10.5, -180}, // 180 east is written -180: the schema wants < 180
                    {"МОСКВА", 55.75, 37.616667},
                    {"X", -89.5, -179.999999}};
    int i = 0;
    for (pugi::xml_node p : rte.children("rtept")) {
        ASSERT_LT(i, 4);
        SCOPED_TRACE(expected[i].Name);
        EXPECT_STREQ(p.child_value("name"), expected[i].Name);
        EXPECT_NEAR(p.attribute("lat").as_double(), expected[i].Lat, 5e-7);
        EXPECT_NEAR(p.attribute("lon").as_double(), expected[i].Lon, 5e-7);
        ++i;
    }
    EXPECT_EQ(i, 4);
    // Every line ends with CR LF, as all files the program writes.
    std::string bytes = ReadBytes(dir.File("out.gpx"));
    EXPECT_EQ(bytes.substr(bytes.size() - 8), "</gpx>\r\n");

    // The check itself can fail: a longitude of 180 is outside the schema's range.
    std::string bad = bytes;
    bad.replace(bad.find("lon=\"-180.000000\""), 17, "lon=\"180.000000\"");
    WriteBytes(dir.File("bad.gpx"), bad);
    EXPECT_NE(Validate(dir, dir.File("bad.gpx"), messages), 0);
}

TEST(ExportGpx, StoredFormsComeOutAsSignedDegrees) {
    struct Case {
        long double LatDeg, LonDeg; // as stored, in degrees
        const char* Lat;
        const char* Lon;
    } cases[] = {
        {350, 330, "-10.000000", "-30.000000"}, // 2*pi minus the magnitude
        {-10, 30, "-10.000000", "30.000000"},   // a beacon's negative latitude
        {95, 10, "85.000000", "-170.000000"},   // typed past the pole: over it, on the far side
        {265, 0, "-85.000000", "-180.000000"},
    };
    World w;
    for (const auto& c : cases) {
        w.WayPointList.AddWayPoint().Pos = {c.LatDeg * kPiL / 180, c.LonDeg * kPiL / 180};
    }
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(FormatGpx(w.WayPointList).c_str()));
    int i = 0;
    for (pugi::xml_node p : doc.child("gpx").child("rte").children("rtept")) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(p.attribute("lat").value(), cases[i].Lat);
        EXPECT_STREQ(p.attribute("lon").value(), cases[i].Lon);
        EXPECT_FALSE(p.child("name")); // no name, no element
        ++i;
    }
    EXPECT_EQ(i, 4);
}
