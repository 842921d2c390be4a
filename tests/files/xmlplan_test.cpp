// The XML flight plans of FSX, Prepar3D, MSFS and Little Navmap (the real files:
// planimport_test.cpp).
#include "files/xmlplan.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "files/planimport.h"
#include "importtest.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

// The names a plan imports to, "A;B;", or its refusal.
std::string Imported(const std::string& bytes, const std::string& file) {
    TRSBNList beacons;
    TMagDecGrid grid;
    TWayPointList plan(beacons, grid);
    const std::string refusal = PlacedMessageOf([&] { ImportFlightPlanBytes(plan, bytes, file); });
    std::string names;
    for (int i = 0; i < plan.Count(); ++i) names += plan[i].Name + ";";
    return refusal == "<no error>" ? names : refusal;
}

// The second waypoint's name is cut by a comment and a CDATA section.
const std::string kFsx =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document>\r\n"
    "<FlightPlan.FlightPlan>\r\n"
    "<ATCWaypoint id=\"A\"><WorldPosition>1,2</WorldPosition></ATCWaypoint>\r\n"
    "<ATCWaypoint id=\"B\">\r\n<WorldPosition>3,4</WorldPosition>\r\n"
    "<ICAO><ICAOIdent>UU<!-- x -->E<![CDATA[E]]></ICAOIdent></ICAO>\r\n"
    "</ATCWaypoint>\r\n</FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n";

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
          "N53° 38' \",E9° 59' 6.80\"", "54.28", "N91° 0' 0\",E9° 0' 0\"", "45,180.5", "nan,1",
          // Minutes and seconds of 60 and more are no angle.
          "N55° 99' 0.00\",E37° 0' 0\"", "N55° 58' 600.0\",E37° 0' 0\"", "N55° 60' 0\",E37° 0' 0\"",
          "N55° 0' 60\",E37° 0' 0\""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseWorldPosition(bad).has_value());
    }
}

TEST(ImportXmlPlan, FsxRefusalsLeaveThePlan) {
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
                      ImportXmlPlan(plan, head + c.Waypoint + tail, "x.pln");
                  }),
                  c.Message);
    }
}

TEST(ImportXmlPlan, LittleNavmapWaypointWithoutAValidPositionIsRefusedWithItsLine) {
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
                      ImportXmlPlan(plan, head + c.Waypoint + tail, "x.lnmpln");
                  }),
                  c.Message);
    }
}

// Guards against plans sent to the wrong reader or read with lines off: UTF-16 and UTF-32 with
// and without a byte-order mark import as UTF-8 does, and a refusal names the line.
TEST(ImportXmlPlan, EveryUnicodeEncoding) {
    std::string bad = kFsx;
    bad.replace(bad.find("3,4"), 3, "x");
    for (const char* encoding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        for (const char* mark : {"", "\xEF\xBB\xBF"}) {
            SCOPED_TRACE(std::string(encoding) + (*mark ? " with a mark" : ""));
            EXPECT_EQ(Imported(Iconv(mark + kFsx, "UTF-8", encoding).value(), "x.pln"), "A;UUEE;");
            EXPECT_EQ(Imported(Iconv(mark + bad, "UTF-8", encoding).value(), "x.pln"),
                      "x.pln:6: Bad position 'x' of waypoint 2");
        }
    }
}

// Guards against names turned into question marks: the declared code page 1251 is read, and a
// text not valid in its encoding is refused at its line.
TEST(ImportXmlPlan, DeclaredCodePageAndInvalidText) {
    std::string cp1251 = kFsx;
    cp1251.replace(cp1251.find("UTF-8"), 5, "windows-1251");
    cp1251.replace(cp1251.find("UU<!-- x -->E<![CDATA[E]]>"), 26, Cp("Шереметьево"));
    EXPECT_EQ(Imported(cp1251, "x.pln"), "A;" + Cp("Шереметьево") + ";");
    std::string undefined = cp1251, broken = kFsx;
    undefined.insert(undefined.find("<WorldPosition>3,4"), "\x98");
    broken.insert(broken.find("<WorldPosition>3,4"), "\xFF");
    EXPECT_EQ(Imported(undefined, "x.pln"),
              "x.pln:6: Malformed XML: text that is not valid windows-1251");
    EXPECT_EQ(Imported(broken, "x.pln"), "x.pln:6: Malformed XML: text that is not valid UTF-8");
}

// The content decides the kind, not the name; a second plan in a file is refused, never
// dropped; numbers in Qt's exponent form are read.
TEST(ImportXmlPlan, ContentAmbiguityAndExponents) {
    EXPECT_EQ(Imported(kFsx, "x.lnmpln"), "A;UUEE;");
    std::string two = kFsx;
    two.insert(two.find("</SimBase.Document>"), "<FlightPlan.FlightPlan/>\r\n");
    EXPECT_EQ(Imported(two, "x.pln"),
              "x.pln:10: A second FlightPlan.FlightPlan element makes the plan ambiguous");
    const std::string lnm = "<LittleNavmap>\n<Flightplan>\n<Waypoints>\n<Waypoint>"
                            "<Ident>A<!-- -->B</Ident><Pos Lon=\"3.75e1\" Lat=\"1e-05\"/>"
                            "</Waypoint>\n</Waypoints>\n";
    EXPECT_EQ(Imported(lnm + "</Flightplan>\n</LittleNavmap>\n", "x.pln"), "AB;");
    EXPECT_EQ(Imported(lnm + "<Waypoints/>\n</Flightplan>\n</LittleNavmap>\n", "x.lnmpln"),
              "x.lnmpln:6: A second Waypoints element makes the plan ambiguous");
}
