// The simulators' flight plans written back: every kind read again by the program's own import.
#include "files/planexport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/cp1251.h"
#include "files/fpimport.h"
#include "math/bglmag.h"
#include "math/tools.h"
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

struct TKind {
    const char* File;
    void (*Export)(const TWayPointList&, const std::filesystem::path&);
    bool KeepsNames; // X-Plane takes no blank in an ident, and no empty one
};
const TKind kKinds[] = {
    {"r.pln", ExportPln, true}, {"r.fms", ExportFms, false}, {"r.lnmpln", ExportLnmPlan, true}};

bool HaveXmllint() {
    return std::system("command -v xmllint >/dev/null 2>&1") == 0;
}

// Each kind written and imported again: the same waypoints, names where the kind keeps them,
// positions within half a second of arc; the XML kinds well-formed by xmllint.
void ExpectRoundTrip(const TWayPointList& plan) {
    TempDir dir;
    for (const TKind& k : kKinds) {
        SCOPED_TRACE(k.File);
        const std::string path = dir.File(k.File);
        k.Export(plan, path);
        if (path.ends_with("pln") && HaveXmllint()) {
            EXPECT_EQ(std::system(("xmllint --noout '" + path + "'").c_str()), 0);
        }
        World back;
        ImportFlightPlan(back.WayPointList, path);
        ASSERT_EQ(back.WayPointList.Count(), plan.Count());
        for (int i = 0; i < plan.Count(); ++i) {
            SCOPED_TRACE(i);
            std::string name = plan[i].Name;
            if (!k.KeepsNames) std::replace(name.begin(), name.end(), ' ', '_');
            if (k.KeepsNames || !name.empty()) {
                EXPECT_EQ(back.WayPointList[i].Name, name);
            }
            const TLatLonDeg a = GeoPointToDegrees(plan[i].Pos);
            const TLatLonDeg b = GeoPointToDegrees(back.WayPointList[i].Pos);
            EXPECT_LE(std::fabs(a.LatDeg - b.LatDeg) * 3600, 0.5);
            EXPECT_LE(std::fabs(std::remainder(a.LonDeg - b.LonDeg, 360.0)) * 3600, 0.5);
        }
    }
}

} // namespace

TEST(ExportPlan, EverySampleThatImportsComesBackFromEachKind) {
    const std::filesystem::path plans = std::string(KESTRUN_SHARED_DATA) + "/plans";
    if (!std::filesystem::exists(plans)) GTEST_SKIP() << "sample plans not present";
    int imported = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(plans)) {
        const std::string ext = e.path().extension().string();
        if (!SameText(ext, ".pln") && !SameText(ext, ".fms") && !SameText(ext, ".lnmpln")) continue;
        SCOPED_TRACE(e.path().string());
        World w;
        try {
            ImportFlightPlan(w.WayPointList, e.path());
        } catch (const EKestrunError&) {
            continue; // refused samples are the import's tests
        }
        ++imported;
        ExpectRoundTrip(w.WayPointList);
    }
    EXPECT_GE(imported, 13);
}

TEST(ExportPlan, NamesNoSimulatorIdentifierAndPositionsAtTheEdges) {
    struct Point {
        const char* Name;
        double LatDeg, LonDeg;
    } points[] = {
        {"UUEE", 55.972642, 37.414589},
        {"A&B <C>", -33.5, -70.25},
        {"МОСКВА", 55 + 59 / 60.0 + 59.996 / 3600, 179.9999999}, // seconds carry into minutes
        {"", 10, 20},
        {"ELEVENCHARS", -89.9999999, -180},
    };
    World w;
    for (const Point& p : points) {
        TWayPoint& wp = w.WayPointList.AddWayPoint();
        wp.SetName(Cp(p.Name));
        wp.SetPos({StoredRad(p.LatDeg), StoredRad(p.LonDeg)});
    }
    ExpectRoundTrip(w.WayPointList);

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(FormatPln(w.WayPointList).c_str()));
    const pugi::xml_node root = doc.child("SimBase.Document");
    EXPECT_STREQ(root.attribute("Type").value(), "AceXML");
    EXPECT_STREQ(root.attribute("version").value(), "1,0");
    EXPECT_STREQ(root.first_child().name(), "Descr");
    std::vector<std::string> header;
    std::vector<pugi::xml_node> atc;
    for (pugi::xml_node c : root.child("FlightPlan.FlightPlan").children())
        (std::string(c.name()) == "ATCWaypoint" ? atc.push_back(c) : header.push_back(c.name()));
    EXPECT_EQ(header, (std::vector<std::string>{"Title", "FPType", "RouteType", "CruisingAlt",
                                                "DepartureID", "DepartureLLA", "DestinationID",
                                                "DestinationLLA", "Descr", "DepartureName",
                                                "DestinationName", "AppVersion"}));
    EXPECT_STREQ(root.child("FlightPlan.FlightPlan").child_value("Title"), "UUEE to ELEVENCHARS");
    ASSERT_EQ(atc.size(), 5u);
    EXPECT_STREQ(atc[1].attribute("id").value(), "A&B <C>");
    EXPECT_STREQ(atc[2].attribute("id").value(), "МОСКВА");
    EXPECT_STREQ(atc[2].child_value("WorldPosition"),
                 "N56\xC2\xB0 0' 0.00\",E180\xC2\xB0 0' 0.00\",+000000.00");
    for (std::size_t i = 0; i < atc.size(); ++i)
        EXPECT_EQ(atc[i].child("ICAO").empty(), i != 0) << i; // only UUEE is an identifier
    EXPECT_STREQ(atc[0].child("ICAO").child_value("ICAOIdent"), "UUEE");

    const std::string fms = FormatFms(w.WayPointList, 2511);
    EXPECT_EQ(fms.substr(0, fms.find("28 ")), "I\r\n1100 Version\r\nCYCLE 2511\r\nDEP UUEE\r\n"
                                              "DES ELEVENCHARS\r\nNUMENR 5\r\n");
    EXPECT_NE(fms.find("\r\n28 A&B_<C> DRCT 0.000000 -33.500000 -70.250000\r\n"),
              std::string::npos);
    EXPECT_NE(fms.find("\r\n28 +10.000_+020.000 DRCT 0.000000 10.000000 20.000000\r\n"),
              std::string::npos);
}

// Reference dates: the cycles' published effective dates.
TEST(AiracCycle, CountedFromTheFirstCycleBeginningInTheYear) {
    using namespace std::chrono;
    struct Case {
        sys_days Day;
        int Cycle;
    } cases[] = {{2019y / December / 31, 1913}, {2020y / January / 2, 2001},
                 {2021y / January / 27, 2014},  {2021y / January / 28, 2101},
                 {2025y / October / 30, 2511},  {2026y / December / 8, 2612}};
    for (const Case& c : cases) EXPECT_EQ(AiracCycle(c.Day), c.Cycle) << c.Cycle;
}
