// The GPX export: valid GPX 1.1 as its schema says, positions on the globe's usual ranges.
#include "files/gpxexport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>

#include "base/cp1251.h"
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

// xmllint's verdict on a file under the GPX 1.1 schema: its exit status and messages.
int Validate(const TempDir& dir, const std::string& file, std::string& messages) {
    std::string cmd = "xmllint --noout --schema '" + TestData("gpx/gpx-1.1.xsd") + "' '" + file +
                      "' 2>'" + dir.File("xmllint.txt") + "'";
    int status = std::system(cmd.c_str());
    messages = ReadBytes(dir.File("xmllint.txt"));
    return status;
}

} // namespace

TEST(ExportGpx, ValidGpxWithPositionsInTheGlobesUsualRanges) {
    KESTRUN_REQUIRE(MissingTool("xmllint", "libxml2-utils"));
    struct Case {
        long double LatDeg, LonDeg; // as stored, in degrees
        const char* Name;
        const char* Lat;
        const char* Lon;
    } cases[] = {
        {350, 330, "SCEL", "-10.000000", "-30.000000"},       // 2*pi minus the magnitude
        {-10, 180, "A&B<\"C\"", "-10.000000", "-180.000000"}, // the schema wants lon < 180
        {95, 10, "МОСКВА", "85.000000", "-170.000000"},       // typed past the pole: over it
        {265, 0, "", "-85.000000", "-180.000000"},
        {0, 179.9999999L, "E", "0.000000", "-180.000000"}, // not rounded up to 180
    };
    World w;
    for (const auto& c : cases) {
        TWayPoint& p = w.WayPointList.AddWayPoint();
        p.Pos = {c.LatDeg * kPiL / 180, c.LonDeg * kPiL / 180};
        p.Name = Cp(c.Name);
    }
    TempDir dir;
    ExportGpx(w.WayPointList, dir.File("out.gpx"));
    std::string messages;
    EXPECT_EQ(Validate(dir, dir.File("out.gpx"), messages), 0) << messages;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(dir.File("out.gpx").c_str()));
    pugi::xml_node rte = doc.child("gpx").child("rte");
    EXPECT_STREQ(rte.child_value("name"), "SCEL - E");
    int i = 0;
    for (pugi::xml_node p : rte.children("rtept")) {
        ASSERT_LT(i, 5);
        SCOPED_TRACE(i);
        EXPECT_STREQ(p.child_value("name"), cases[i].Name);
        EXPECT_EQ(p.child("name").empty(), *cases[i].Name == 0); // no name, no element
        EXPECT_STREQ(p.attribute("lat").value(), cases[i].Lat);
        EXPECT_STREQ(p.attribute("lon").value(), cases[i].Lon);
        ++i;
    }
    EXPECT_EQ(i, 5);
    std::string bytes = ReadBytes(dir.File("out.gpx"));
    EXPECT_EQ(bytes.substr(bytes.size() - 8), "</gpx>\r\n"); // CR LF, as every file written

    // The check itself can fail: a longitude of 180 is outside the schema's range.
    bytes.replace(bytes.find("lon=\"-180.000000\""), 17, "lon=\"180.000000\"");
    WriteBytes(dir.File("bad.gpx"), bytes);
    EXPECT_NE(Validate(dir, dir.File("bad.gpx"), messages), 0);
}
