// The simulators' flight plans written back: every kind read again by the program's own import.
#include "files/planexport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/cp1251.h"
#include "files/fpimport.h"
#include "importtest.h"
#include "math/tools.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

// Each kind written and imported again: the same waypoints, names where the kind keeps them
// (X-Plane's idents take no blank, and are never empty), positions within half a second of arc;
// the XML kinds well-formed by xmllint.
void ExpectRoundTrip(const TWayPointList& plan) {
    TempDir dir;
    for (auto [file, write] : {std::make_pair("r.pln", &ExportPln),
                               {"r.fms", &ExportFms},
                               {"r.lnmpln", &ExportLnmPlan}}) {
        SCOPED_TRACE(file);
        write(plan, dir.File(file));
        const bool fms = file == std::string("r.fms");
        EXPECT_TRUE(fms || std::system(("xmllint --noout " + dir.File(file)).c_str()) == 0);
        TWayPointList back(plan.Beacons(), plan.Grid());
        ImportFlightPlan(back, dir.File(file));
        ASSERT_EQ(back.Count(), plan.Count());
        for (int i = 0; i < plan.Count(); ++i) {
            std::string name = plan[i].Name;
            if (fms) std::replace(name.begin(), name.end(), ' ', '_');
            EXPECT_TRUE(back[i].Name == name || (fms && name.empty())) << i;
            const TLatLonDeg a = GeoPointToDegrees(plan[i].Pos), b = GeoPointToDegrees(back[i].Pos);
            EXPECT_LE(std::fabs(a.LatDeg - b.LatDeg) * 3600, 0.5) << i;
            EXPECT_LE(std::fabs(std::remainder(a.LonDeg - b.LonDeg, 360.0)) * 3600, 0.5) << i;
        }
    }
}

} // namespace

TEST(ExportPlan, EverySampleThatImportsComesBackFromEachKind) {
    KESTRUN_REQUIRE(MissingSharedData("plans"));
    KESTRUN_REQUIRE(MissingTool("xmllint", "libxml2-utils"));
    const std::filesystem::path samples = SharedData("plans");
    int imported = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(samples)) {
        SCOPED_TRACE(e.path().string());
        TRSBNList beacons;
        TMagDecGrid grid;
        TWayPointList plan(beacons, grid);
        // Notes, folders and the refused samples, which the import's tests take, are passed.
        if (MessageOf([&] { ImportFlightPlan(plan, e.path()); }) != "<no error>") continue;
        ++imported;
        ASSERT_NO_FATAL_FAILURE(ExpectRoundTrip(plan));
    }
    EXPECT_GE(imported, 14);
}

TEST(ExportPlan, NamesNoSimulatorTakesAndPositionsAtTheEdges) {
    KESTRUN_REQUIRE(MissingTool("xmllint", "libxml2-utils"));
    TRSBNList beacons;
    TMagDecGrid grid;
    TWayPointList plan(beacons, grid);
    for (auto [name, lat, lon] : {std::make_tuple("UUEE", 55.972642, 37.414589),
                                  {"A&B <C>", -33.5, -70.25},
                                  {"МОСКВА", 55 + 59 / 60.0 + 59.996 / 3600, 179.9999999},
                                  {"", 10.0, 20.0},
                                  {"ELEVENCHARS", -89.9999999, -180.0}}) {
        TWayPoint& w = plan.AddWayPoint();
        w.SetName(Cp(name));
        w.SetPos({StoredRad(lat), StoredRad(lon)});
    }
    ASSERT_NO_FATAL_FAILURE(ExpectRoundTrip(plan));
    // The header in the simulators' order; an ICAO identifier only for a name that is one;
    // seconds that carry into the minutes and those into the degrees.
    const std::string pln = FormatPln(plan);
    std::size_t at = 0;
    for (const char* e :
         {"<Descr>AceXML", "<Title>UUEE to ELEVENCHARS<", "<FPType>IFR<", "<RouteType>HighAlt<",
          "<CruisingAlt>", "<DepartureID>UUEE<", "<DepartureLLA>", "<DestinationID>",
          "<DestinationLLA>", "<Descr>UUEE, ELEVENCHARS<", "<DepartureName>", "<DestinationName>",
          "<AppVersionMajor>", "<ICAOIdent>UUEE<", "id=\"A&amp;B &lt;C&gt;\"",
          "N56\xC2\xB0 0' 0.00\",E180\xC2\xB0 0' 0.00\",+000000.00<"})
        ASSERT_NE(at = pln.find(e, at), std::string::npos) << e;
    EXPECT_EQ(pln.find("<ICAO>", pln.find("<ICAO>") + 1), std::string::npos);
    const std::string fms = FormatFms(plan, 2511);
    EXPECT_EQ(fms.substr(0, fms.find("28 UUEE DRCT 0.000000 55.972642 37.414589\r\n")),
              "I\r\n1100 Version\r\nCYCLE 2511\r\nDEP UUEE\r\nDES ELEVENCHARS\r\nNUMENR 5\r\n");
    EXPECT_NE(fms.find("\n28 +10.000_+020.000 DRCT 0.000000 10.000000 20.000000\r\n"), fms.npos);
}

// Reference: the cycles' published effective dates; 2020 had fourteen.
TEST(AiracCycle, CountedFromTheFirstCycleBeginningInTheYear) {
    using namespace std::chrono;
    EXPECT_EQ(AiracCycle(2020y / January / 2), 2001);
    EXPECT_EQ(AiracCycle(2021y / January / 27), 2014);
    EXPECT_EQ(AiracCycle(2021y / January / 28), 2101);
}
