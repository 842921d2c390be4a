#include "files/planfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/cp1251.h"
#include "base/velparser.h"
#include "importtest.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

struct World {
    World() {
        BeaconList.Add("1", Cp("Москва"), "MSK", "", "N", "55", "58.0", "E", "37", "25.0");
        BeaconList.Add("2", Cp("Рязань"), "RZN", "", "N", "54", "38.0", "E", "39", "34.0");
        BeaconList.Add("3", Cp("Рязань"), "RZ2", "", "N", "44", "30.0", "E", "39", "30.0");
    }
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
};

void AddPoint(TWayPointList& plan, const std::string& name, const std::string& coords) {
    TWayPoint& w = plan.AddWayPoint();
    w.SetName(name);
    w.SetPos(StrToGeoPoint(coords));
}

// The plan that the hand-written fixtures describe.
void BuildThree(World& w, TSupPointKind kind) {
    AddPoint(w.WayPointList, "UUEE", Cp("N55°58.35’ E037°24.68’"));
    AddPoint(w.WayPointList, Cp("Точка 1"), Cp("N54°37.80’ E038°05.10’"));
    AddPoint(w.WayPointList, "URSS", Cp("N43°26.98’ E039°57.25’"));
    w.WayPointList[1].SetBeacon(1);
    w.WayPointList.SupPoint = kind;
    w.WayPointList.CalcPlan();
}

void OpenText(TWayPointList& plan, const std::string& text) {
    std::istringstream in(text);
    OpenPlanFile(plan, in);
}

} // namespace

TEST(PlanFile, SavedBytesMatchTheHandWrittenFixtures) {
    struct Case {
        TSupPointKind kind;
        const char* fixture;
    } cases[] = {{spEndWaypoint, "planfile/three-endwaypoint.rbf"},
                 {spTraverse, "planfile/three-traverse.rbf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        World w;
        BuildThree(w, c.kind);
        TempDir dir;
        SavePlanFile(w.WayPointList, dir.File("plan.rbf"));
        EXPECT_EQ(ReadBytes(dir.File("plan.rbf")), ReadBytes(TestData(c.fixture)));
    }
}

TEST(PlanFile, RoundTripKeepsNamesPositionsBeaconAndSupportPoint) {
    for (TSupPointKind kind : {spEndWaypoint, spTraverse}) {
        SCOPED_TRACE(int(kind));
        World a;
        BuildThree(a, kind);
        // A southern and western waypoint survives too (written as N350*..., E330*...).
        AddPoint(a.WayPointList, "SW", Cp("s10°00.00’ w030°00.00’"));
        TempDir dir;
        SavePlanFile(a.WayPointList, dir.File("p.rbf"));

        World b;
        b.WayPointList.SupPoint = kind == spTraverse ? spEndWaypoint : spTraverse;
        OpenPlanFile(b.WayPointList, dir.File("p.rbf"));
        ASSERT_EQ(b.WayPointList.Count(), 4);
        EXPECT_EQ(b.WayPointList.SupPoint, kind);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const TWayPoint& x = a.WayPointList[i];
            const TWayPoint& y = b.WayPointList[i];
            EXPECT_EQ(y.Name, x.Name);
            EXPECT_EQ(GeoPointToStr(y.Pos), GeoPointToStr(x.Pos));
            EXPECT_EQ(WayPointLatStr(y.Pos), WayPointLatStr(x.Pos));
            EXPECT_NEAR(static_cast<double>(y.Pos.Lat), static_cast<double>(x.Pos.Lat), 1e-6);
            EXPECT_NEAR(static_cast<double>(y.Pos.Lon), static_cast<double>(x.Pos.Lon), 1e-6);
            EXPECT_EQ(y.BeaconIndex, i == 1 ? 1 : -1);
        }
        EXPECT_EQ(b.WayPointList[1].BeaconPos, a.BeaconList[1].Position);
        EXPECT_EQ(ReadBytes(dir.File("p.rbf")), FormatPlanFile(b.WayPointList));
        // The lines are numbered 0 .. n-1, as other readers of the file expect; a shifted
        // count would still read back in order and pass the round trip above.
        std::istringstream saved(ReadBytes(dir.File("p.rbf")));
        std::string line;
        std::getline(saved, line); // SupPoint
        int n = 0;
        for (; std::getline(saved, line); ++n)
            EXPECT_TRUE(line.starts_with("waypoint." + std::to_string(n) + "=")) << line;
        EXPECT_EQ(n, 4);
    }
}

TEST(PlanFile, SupPointLine) {
    const std::string wp = "waypoint.0=\"A\", N1*00.00\x92, E002*00.00\x92, \"\"\r\n";
    struct Case {
        std::string text;
        TSupPointKind before, after;
    } cases[] = {{"SupPoint=Traverse\r\n" + wp, spEndWaypoint, spTraverse},
                 {"SupPoint=traverse\r\n" + wp, spEndWaypoint, spTraverse}, // any letter case
                 {"\xEF\xBB\xBFSupPoint=TRAVERSE\r\n" + wp, spEndWaypoint, spTraverse}, // BOM
                 {"SupPoint=Traverse \r\n" + wp, spTraverse, spEndWaypoint}, // trailing blank
                 {"SupPoint=\"Traverse\"\r\n" + wp, spTraverse, spEndWaypoint},
                 {"SupPoint = Traverse\r\n" + wp, spEndWaypoint, spTraverse},
                 {wp, spTraverse, spTraverse}, // no SupPoint line: unchanged
                 {wp, spEndWaypoint, spEndWaypoint}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        w.WayPointList.SupPoint = c.before;
        OpenText(w.WayPointList, c.text);
        EXPECT_EQ(w.WayPointList.SupPoint, c.after);
        EXPECT_EQ(w.WayPointList.Count(), 1);
    }
}

TEST(PlanFile, OpeningReplacesThePlan) {
    World w;
    for (int i = 0; i < 5; ++i) w.WayPointList.AppendWayPoint();
    OpenText(w.WayPointList, "SupPoint=Endwaypoint\r\n"
                             "waypoint.0=\"A\", N1*00.00\x92, E002*00.00\x92, \"\"\r\n"
                             "waypoint.1=\"B\", N2*00.00\x92, E003*00.00\x92, \"\"\r\n");
    ASSERT_EQ(w.WayPointList.Count(), 2);
    EXPECT_EQ(w.WayPointList[1].Name, "B");
}

TEST(PlanFile, BeaconsAreFoundByExactNameAndMissingOnesReported) {
    World w;
    std::istringstream in(Cp("waypoint.0=\"A\", N50*00.00’, E039*00.00’, \"Рязань\"\r\n"
                             "waypoint.1=\"B\", N2*00.00’, E003*00.00’, \"рязань\"\r\n"
                             "waypoint.2=\"C\", N3*00.00’, E004*00.00’, \"Нигде\"\r\n"
                             "waypoint.3=\"  D\", N4*00.00’, E005*00.00’, \"Москва\"\r\n"
                             "waypoint.4=\"E\", N49*00.00’, E039*00.00’, \"Рязань\"\r\n"
                             "waypoint.5=\"G\", N5*00.00’, E006*00.00’, \"X\"\r\n"
                             "waypoint.5=\"F\", N5*00.00’, E006*00.00’, \"\"\r\n"));
    const std::vector<TMissingBeacon> missing = OpenPlanFile(w.WayPointList, in);
    ASSERT_EQ(w.WayPointList.Count(), 6);
    // Of two beacons of that name, the one nearest the waypoint: 4.6 degrees to the north
    // against 5.5 to the south, and 5.6 against 4.5 (the first of them is no better a guess).
    EXPECT_EQ(w.WayPointList[0].BeaconIndex, 1);
    EXPECT_EQ(w.WayPointList[4].BeaconIndex, 2);
    EXPECT_EQ(w.WayPointList[1].BeaconIndex, -1); // case matters
    EXPECT_EQ(w.WayPointList[2].BeaconIndex, -1);
    EXPECT_EQ(w.WayPointList[3].BeaconIndex, 0);
    EXPECT_EQ(w.WayPointList[3].Name, "D"); // leading blanks inside the quotes are dropped
    // The legs without their beacon are named; a line read again for the same waypoint
    // replaces what the earlier one reported.
    ASSERT_EQ(missing.size(), 2u);
    EXPECT_EQ(missing[0].WayPoint, 1);
    EXPECT_EQ(missing[0].Name, "B");
    EXPECT_EQ(missing[0].BeaconName, Cp("рязань"));
    EXPECT_EQ(missing[1].WayPoint, 2);
    EXPECT_EQ(missing[1].Name, "C");
    EXPECT_EQ(missing[1].BeaconName, Cp("Нигде"));
}

// However a waypoint is named, the saved plan opens with the same names and saves to the same
// bytes: what the file cannot hold is changed as the name is set, and every name that a file
// gives back is kept as it is.
TEST(PlanFile, NamesAsSetSurviveSaveAndOpen) {
    struct Case {
        std::string set, kept;
    } cases[] = {
        {"a,b", "a,b"},
        {"ABC  ", "ABC  "},
        {Cp("Точка #1; x'"), Cp("Точка #1; x'")},
        {"say \"hi\" now", "say 'hi' now"},
        {"\"", "'"},
        {"#1", "1"},
        {" # #X", "X"},
        {"  lead", "lead"},
        {"tab\there\r\nCR LF\x1F", "tab here  CR LF "},
        {std::string("nul\0x", 5), "nul x"},
        {"\t#", ""},
    };
    World w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kept);
        TWayPoint& p = w.WayPointList.AddWayPoint();
        p.SetName(c.set);
        EXPECT_EQ(p.Name, c.kept);
        p.SetPos(StrToGeoPoint(Cp("N01°00.00’ E002°00.00’")));
    }
    TempDir dir;
    SavePlanFile(w.WayPointList, dir.File("names.rbf"));
    World r;
    OpenPlanFile(r.WayPointList, dir.File("names.rbf"));
    ASSERT_EQ(r.WayPointList.Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < r.WayPointList.Count(); ++i)
        EXPECT_EQ(r.WayPointList[i].Name, cases[i].kept);
    EXPECT_EQ(FormatPlanFile(r.WayPointList), ReadBytes(dir.File("names.rbf")));
}

TEST(PlanFile, OddFilesOpenWithoutHanging) {
    struct Case {
        std::string text;
        int count;
    } cases[] = {
        {"", 0},
        {"SupPoint=Traverse\r\n", 0},
        {"# a comment\r\nPilot=me\r\nwaypoint.0=\"A\", N1*0\x92, E2*0\x92, \"\"\r\n\r\n\r\n  \r\n",
         1},
        {"waypoint.0=\"A\", N1*0\x92, E2*0\x92, \"\"", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        w.WayPointList.AppendWayPoint();
        OpenText(w.WayPointList, c.text);
        EXPECT_EQ(w.WayPointList.Count(), c.count);
    }
}

TEST(PlanFile, BrokenFileLeavesPlanAndSupPointAsTheyWere) {
    const std::string good = "waypoint.0=\"A\", N1*00.00\x92, E2*00.00\x92, \"\"\r\n";
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {"SupPoint=Traverse\r\n" + good + "waypoint.1=\"B\", N1*00.00', E2*00.00\x92, \"\"\r\n",
         MsgExpectedSymbol('\x92')},
        {"SupPoint=Traverse\r\nwaypoint1=\"B\"", MsgExpectedSymbol('.')},
        {"waypoint.=\"B\"", "'' is not a valid integer value"},
        {"waypoint.0\"B\"", MsgExpectedSymbol('=')},
        {"waypoint.0=\"B\", N*00.00\x92, E2*00.00\x92, \"\"", "'' is not a valid integer value"},
        {"waypoint.0=\"B\", N1 00.00\x92, E2*00.00\x92, \"\"", MsgExpectedSymbol('*')},
        {"waypoint.0=\"B\", N1*..\x92, E2*00.00\x92, \"\"",
         "'..' is not a valid floating point value"},
        {"waypoint.0=\"B\"", MsgExpectedSymbol(',')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        BuildThree(w, spEndWaypoint);
        const std::string before = FormatPlanFile(w.WayPointList);
        EXPECT_EQ(MessageOf([&] { OpenText(w.WayPointList, c.text); }), c.message);
        EXPECT_EQ(FormatPlanFile(w.WayPointList), before);
    }
    World w;
    EXPECT_EQ(MessageOf([&] { OpenPlanFile(w.WayPointList, "/nonexistent/p.rbf"); }),
              "Cannot open file /nonexistent/p.rbf");
}

TEST(PlanFile, EmptyPlanAndFailedSave) {
    World w;
    EXPECT_EQ(FormatPlanFile(w.WayPointList), "SupPoint=Endwaypoint\r\n");
    TempDir dir;
    const std::string file = dir.File("keep.rbf");
    WriteBytes(file, "old");
    EXPECT_EQ(MessageOf([&] { SavePlanFile(w.WayPointList, dir.Path); }),
              "Cannot create file " + dir.Path);
    EXPECT_EQ(MessageOf([&] { SavePlanFile(w.WayPointList, dir.File("no/such/p.rbf")); }),
              "Cannot create file " + dir.File("no/such/p.rbf"));
    EXPECT_EQ(ReadBytes(file), "old");
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path)) ++entries;
    EXPECT_EQ(entries, 1u);
}

// Hostile and hand-edited plan files: each fault is reported on its line, never read on into
// the next line, and nothing is lost or misplaced silently.
TEST(PlanFile, BrokenLinesAreReportedWithTheirPlace) {
    const std::string a = Cp("waypoint.0=\"A\", N53*53.28’, E027*32.00’, \"\"\r\n");
    struct Case {
        std::string text, message;
        int line;
    } cases[] = {
        {"SupPoint=Traverse\r\n" + std::string("waypoint.0=\"A\0", 14), kMsgBadFormat, 2},
        // A name without quotes, or an empty value, does not take the next line with it.
        {a + Cp("waypoint.1=UMMS, N53*53.28’, E027*32.00’, \"\"\r\n") + a, MsgExpectedSymbol(','),
         2},
        {Cp("waypoint.0=\"UMMS, N53*53.28’, E027*32.00’, \r\n") + a, MsgExpectedSymbol('"'), 1},
        {"waypoint.0=\r\n" + a, MsgExpectedSymbol(','), 1},
        {a + Cp("waypoint.1=\"B\", N100*00.00’, E000*00.00’, \"\"\r\n"),
         MsgBadLatitude(Cp("N100*00.00’")), 2},
        {Cp("\r\n\r\nwaypoint.1=\"B\", N269*59.00’, E000*00.00’, \"\"\r\n"),
         MsgBadLatitude(Cp("N269*59.00’")), 3},
        {Cp("waypoint.1=\"B\", N0*00.00’, E360*00.01’, \"\"\r\n"),
         MsgBadLongitude(Cp("E360*00.01’")), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        ExpectFileRefusal("p.rbf", c.text, c.message, c.line,
                          [&](const std::string& file) { OpenPlanFile(w.WayPointList, file); });
    }
}

TEST(PlanFile, WaypointsArePlacedByTheirIndex) {
    auto line = [](int n, const char* name) {
        return "waypoint." + std::to_string(n) + "=\"" + name +
               "\", N1*00.00\x92, E2*00.00\x92, \"\"\r\n";
    };
    struct Case {
        std::string text, names;
    } cases[] = {
        {line(1, "B") + line(0, "A") + line(2, "C"), "ABC"},
        {line(0, "A") + line(5, "C") + line(1, "B"), "ABC"},
        {line(0, "A") + line(1, "B") + line(0, "Z"), "ZB"}, // a repeated index replaces
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        World w;
        OpenText(w.WayPointList, c.text);
        std::string names;
        for (int i = 0; i < w.WayPointList.Count(); ++i) names += w.WayPointList[i].Name;
        EXPECT_EQ(names, c.names);
    }
}

TEST(PlanFile, PolesAndTheLastMeridianOpenAndCompute) {
    World w;
    // The South Pole as the plan file writes it (270 degrees), the North Pole, and a longitude
    // a hair below 360 degrees as it is written.
    OpenText(w.WayPointList, Cp("waypoint.0=\"S\", N270*00.00’, E000*00.00’, \"\"\r\n"
                                "waypoint.1=\"N\", N90*00.00’, E360*00.00’, \"\"\r\n"
                                "waypoint.2=\"E\", N10*00.00’, E359*59.99’, \"\"\r\n"));
    ASSERT_EQ(w.WayPointList.Count(), 3);
    w.WayPointList.CalcPlan();
    EXPECT_EQ(w.WayPointList[1].Pos.Lon, 0);
    const double pi = static_cast<double>(kPi);
    EXPECT_NEAR(w.WayPointList.TotalDist, pi * 6378.137 + 80 * pi / 180 * 6378.137, 1e-6);
    EXPECT_EQ(Cp("S90°00.00’ E000°00.00’"), GeoPointToStr(w.WayPointList[0].Pos));

    // A longitude a hair west of Greenwich is written as the meridian 0, and reads back as the
    // same text (a whole turn, E360*00.00’, would come back as E000*00.00’).
    World a;
    AddPoint(a.WayPointList, "W", Cp("N10°00.00’ W000°00.001’"));
    const std::string text = FormatPlanFile(a.WayPointList);
    EXPECT_NE(text.find(Cp("E000*00.00’")), std::string::npos) << text;
    World b;
    OpenText(b.WayPointList, text);
    EXPECT_EQ(FormatPlanFile(b.WayPointList), text);
}

TEST(PlanFile, BeaconsWithoutANameTravelByTheirIdentifier) {
    World a;
    a.BeaconList.Add("7", "", "ABC", "", "N", "50", "0", "E", "30", "0");
    AddPoint(a.WayPointList, "P", Cp("N50°10.00’ E030°00.00’"));
    AddPoint(a.WayPointList, "Q", Cp("N51°10.00’ E030°00.00’"));
    a.WayPointList[0].SetBeacon(3);
    const std::string text = FormatPlanFile(a.WayPointList);
    EXPECT_NE(text.find("\"ABC\"\r\n"), std::string::npos) << text;
    World b;
    b.BeaconList.Add("7", "", "ABC", "", "N", "50", "0", "E", "30", "0");
    OpenText(b.WayPointList, text);
    EXPECT_EQ(b.WayPointList[0].BeaconIndex, 3);
    EXPECT_EQ(FormatPlanFile(b.WayPointList), text);
}
