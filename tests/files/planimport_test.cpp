// Import of flight plans of every kind, on real files of today's simulators and planners.
#include "files/planimport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "files/fpimport.h"
#include "files/planfile.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

double Dms(double d, double m, double s) {
    return d + m / 60 + s / 3600;
}

struct World {
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

std::string Shared(const std::string& rel) {
    return SharedData("plans/" + rel);
}

struct Expected {
    int Index;
    const char* Name;
    double LatDeg, LonDeg; // signed decimal degrees, as the file or its notes give them
};

} // namespace

TEST(ImportFlightPlanFile, EverySampleImportsToItsWaypoints) {
    KESTRUN_REQUIRE(MissingSharedData("plans/BPRL2.pln"));
    struct Case {
        const char* File;
        int Count;
        std::vector<Expected> Points;
    } cases[] = {
        {"flightplan-fs9.pln", 13, {{12, "EISG", 54.280333, -8.599167}}},
        {"transcribed/avsim-485794-LSGG-EGMC-fsnavigator.pln", 7, {{6, "EGMC", 51.571333, 0.6955}}},
        {"BPRL2.pln", 28, {{27, "PAWG", 56.484333, -132.369833}}},
        {"IFR Zurich (LSZH) to Dublin (EIDW).pln",
         32,
         {{31, "EIDW", Dms(53, 25, 17.01), -Dms(6, 16, 12.00)}}},
        // Plan-G writes no ICAO element for user waypoints: the id attribute names them.
        {"test.pln", 13, {{3, "C0 W1", Dms(36, 36, 43.99), -Dms(5, 35, 33.82)}}},
        {"modern/IFR Hamburg - Fuhlsbuettel (EDDH) to Fiumicino (LIRF).pln",
         42,
         {{41, "LIRF", Dms(41, 48, 1.00), Dms(12, 14, 20.00)}}},
        // The first id is the airport's name ("Hamburg"), its ICAOIdent the identifier.
        {"modern/MSFS EDDH EDDF.PLN", 25, {{0, "EDDH", Dms(53, 38, 1.22), Dms(9, 59, 6.80)}}},
        {"modern/flightplan-procs.pln", 17, {{16, "LOWW", Dms(48, 6, 37.00), Dms(16, 34, 11.00)}}},
        {"modern/EDDF-LIRF.fms", 10, {{9, "LIRF", 41.810809, 12.250897}}},
        // The header's count (17) is one short: every waypoint line counts.
        {"modern/test_flightplan.fms", 18, {{1, "+53.000_+007.000", 53.0, -7.0}}},
        {"modern/UUEE-UWKD-xp11.fms", 5, {{4, "UWKD", 55.606186, 49.278728}}},
        // A user waypoint without an Ident keeps an empty name.
        {"modern/flightplan.lnmpln", 9, {{2, "", 47.6766, -120.848}}},
        {"modern/test_direct.lnmpln", 9, {{8, "LIRF", 41.800278, 12.238889}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        World w;
        ImportFlightPlan(w.WayPointList, Shared(c.File));
        ASSERT_EQ(w.WayPointList.Count(), c.Count);
        for (const Expected& e : c.Points) {
            SCOPED_TRACE(e.Index);
            const TWayPoint& p = w.WayPointList[e.Index];
            EXPECT_EQ(p.Name, e.Name);
            // Six decimals of a degree in the notes; the files themselves are exact.
            EXPECT_NEAR(static_cast<double>(p.Pos.Lat), StoredRad(e.LatDeg), 1e-8);
            EXPECT_NEAR(static_cast<double>(p.Pos.Lon), StoredRad(e.LonDeg), 1e-8);
            EXPECT_EQ(p.BeaconIndex, -1);
        }
    }
}

TEST(ImportFlightPlanFile, RefusedSamplesLeaveThePlanAsItWas) {
    KESTRUN_REQUIRE(MissingSharedData("plans/BPRL2.pln"));
    struct Case {
        const char* File;
        std::string Message;
        int Line; // of the failure's place, 0 for none
    } cases[] = {
        // Another program's INI layout: no waypoint line.
        {"LIDTLSZS_FSC.pln", "No waypoint found in file " + Shared("LIDTLSZS_FSC.pln"), 0},
        {"modern/Empty Flightplan.lnmpln",
         "No waypoint found in file " + Shared("modern/Empty Flightplan.lnmpln"), 0},
        // xmllint stops at the same line, 47, where an attribute has no value.
        {"modern/flightplan_all_broken.lnmpln", "Malformed XML: Error parsing element attribute",
         47},
        {"modern/EDDF EDDM MSFS24.pln",
         "4 of 4 waypoints in file " + Shared("modern/EDDF EDDM MSFS24.pln") +
             " have no position (a plan saved by MSFS 2024 names its waypoints without "
             "coordinates, which cannot be placed without the simulator's navigation database); "
             "export the plan with positions and import it again",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        World w;
        ImportFlightPlan(w.WayPointList, TestData("plans/fs2004.pln"));
        try {
            ImportFlightPlan(w.WayPointList, Shared(c.File));
            ADD_FAILURE() << "not refused";
        } catch (const EKestrunError& e) {
            EXPECT_EQ(e.what(), c.Message);
            EXPECT_EQ(ErrorWhere(e),
                      Shared(c.File) + (c.Line ? ":" + std::to_string(c.Line) : std::string()));
        }
        ASSERT_EQ(w.WayPointList.Count(), 3);
        EXPECT_EQ(w.WayPointList[1].Name, "MR");
    }
}

TEST(ImportFlightPlanFile, KindByContentThenByExtensionInAnyCase) {
    const std::string fsx = "<?xml version=\"1.0\"?><SimBase.Document/>";
    const std::string fms = "I\r\n1100 Version\r\n";
    const std::string ini = "[flightplan]\r\nwaypoint.0=A, A, N1* 0', E1* 0',\r\n";
    struct Case {
        const char* Name;
        std::string Bytes;
        TPlanFormat Format;
    } cases[] = {
        {"a.PLN", "\xEF\xBB\xBF \r\n" + fsx, TPlanFormat::Xml}, // mark and blanks before "<"
        {"a.txt", "<?xml version=\"1.0\"?>\n<!-- x -->\n<LittleNavmap/>", TPlanFormat::Xml},
        {"a.fms", std::string("\xFE\xFF\0I", 4), TPlanFormat::Xml}, // UTF-16 with a mark
        {"a.pln", std::string("<\0\0\0", 4), TPlanFormat::Xml},     // UTF-32 without one
        {"a.pln", fms, TPlanFormat::XPlaneFms},
        {"a.FMS", ini, TPlanFormat::XPlaneFms}, // refused there, with the line
        {"dir.fms/a.pln", ini, TPlanFormat::Fs2004},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DetectPlanFormat(c.Name, c.Bytes), c.Format);
    }
}

// An XML plan imports from its file as from the same bytes in memory: a refusal names the
// file's own line (line feeds inside tags and attributes counted), a good plan gives the same
// waypoints, and a text cut by a zero byte ends there, not where the file ends.
TEST(ImportFlightPlanFile, XmlFromAFileIsReadAsFromMemoryAndRefusedAtItsOwnLine) {
    const std::string head = "<SimBase.Document>\r\n<FlightPlan.FlightPlan>\r\n"
                             "<ATCWaypoint\nid=\"A\nB\">\r\n"
                             "<WorldPosition>1,2</WorldPosition></ATCWaypoint>\r\n";
    const std::string tail = "</FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n";
    TempDir dir;
    const std::string file = dir.File("x.pln");
    using namespace std::string_literals;
    struct Case {
        std::string Rest, Message;
    } cases[] = {
        {"<ATCWaypoint>\r\n<WorldPosition>bad</WorldPosition></ATCWaypoint>\r\n" + tail,
         file + ":8: Bad position 'bad' of waypoint 2"},
        {"<ATCWaypoint>\r\n" + tail, file + ":8: Malformed XML: Start-end tags mismatch"},
        {tail, "<no error>"},
        {"</FlightPlan.FlightPlan>\r\n</SimBase.Document\0>"s,
         file + ":8: Malformed XML: Error parsing end element tag"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        WriteBytes(file, head + c.Rest);
        World fromFile, fromMemory;
        EXPECT_EQ(PlacedMessageOf([&] { ImportFlightPlan(fromFile.WayPointList, file); }),
                  c.Message);
        EXPECT_EQ(PlacedMessageOf([&] {
                      ImportFlightPlanBytes(fromMemory.WayPointList, ReadBytes(file), file);
                  }),
                  c.Message);
        ASSERT_EQ(fromFile.WayPointList.Count(), fromMemory.WayPointList.Count());
        for (int i = 0; i < fromFile.WayPointList.Count(); ++i) {
            EXPECT_EQ(fromFile.WayPointList[i].Name, fromMemory.WayPointList[i].Name);
            EXPECT_TRUE(fromFile.WayPointList[i].Pos == fromMemory.WayPointList[i].Pos);
        }
    }
}

// Names of other programs may hold what the plan file cannot: they are kept so that a saved
// plan opens with the same names.
TEST(ImportFlightPlanFile, NamesSurviveSavingThePlan) {
    World w;
    ImportFlightPlanBytes(w.WayPointList,
                          "<LittleNavmap><Flightplan><Waypoints>"
                          "<Waypoint><Ident>&quot;A&quot;&#9;B</Ident><Pos Lat=\"1\" Lon=\"2\"/>"
                          "</Waypoint><Waypoint><Ident> #C </Ident><Pos Lat=\"1\" Lon=\"3\"/>"
                          "</Waypoint></Waypoints></Flightplan></LittleNavmap>",
                          "x.lnmpln");
    std::istringstream saved(FormatPlanFile(w.WayPointList));
    World back;
    OpenPlanFile(back.WayPointList, saved);
    ASSERT_EQ(back.WayPointList.Count(), 2);
    EXPECT_EQ(back.WayPointList[0].Name, "'A' B");
    EXPECT_EQ(back.WayPointList[1].Name, "C");
}
