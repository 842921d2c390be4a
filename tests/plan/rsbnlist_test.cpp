// Beacon records, the two beacon file forms with their exact errors, the all-or-nothing
// reload, and the picker annotations.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "files/velparser.h"
#include "plan/rsbnlist.h"
#include "plan_world.h"
#include "testutil.h"

namespace kestrun::test {
namespace {

constexpr double kPiD = 3.14159265358979323846;

std::string Fixture(const std::string& name) {
    return std::string(KESTRUN_TEST_DATA) + "/beacons/" + name;
}

// Degrees and minutes as radians, the reference for every position below.
double Rad(double deg, double min = 0) {
    return (deg + min / 60) * kDeg;
}

// --- Records --------------------------------------------------------------------------

TEST(RSBNRec, PositionFromTheTenTexts) {
    struct Case {
        const char *latH, *latD, *latM, *lonH, *lonD, *lonM;
        double lat, lon;
    };
    const Case cases[] = {
        {"N", "55", "58.35", "E", "037", "24.68", Rad(55, 58.35), Rad(37, 24.68)},
        {"S", "33", "52.5", "E", "151", "12.6", -Rad(33, 52.5), Rad(151, 12.6)},
        {"s", "33", "52.5", "w", "151", "12.6", -Rad(33, 52.5), 2 * kPiD - Rad(151, 12.6)},
        {"South", "1", "0", "West", "2", "0", -Rad(1), 2 * kPiD - Rad(2)},
        {"X", "-5", "30", "Q", "-10", "45", Rad(-5, 30), Rad(-10, 45)},
        {"N", " +7 ", "1e1", "E", "0", ".5", Rad(7, 10), Rad(0, 0.5)},
        {"n", "0", "0", "e", "0", "0", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.latH) + c.latD + " " + c.latM);
        TRSBNRec r("1", "N", "I", "X", c.latH, c.latD, c.latM, c.lonH, c.lonD, c.lonM);
        EXPECT_NEAR(static_cast<double>(r.Position.Lat), c.lat, 1e-14);
        EXPECT_NEAR(static_cast<double>(r.Position.Lon), c.lon, 1e-14);
        EXPECT_EQ(r.LatDegrees, c.latD);
        EXPECT_EQ(r.LonMinutes, c.lonM);
        EXPECT_EQ(r.LegDistance, 0);
        EXPECT_FALSE(r.Annotated);
        EXPECT_EQ(r.LegNearness, rmNone);
    }
}

TEST(RSBNRec, ConversionErrorsAndTheListStaysClean) {
    struct Case {
        const char *latH, *latD, *latM, *lonH, *lonD, *lonM;
        std::string message;
    };
    const Case cases[] = {
        {"N", "5x", "0", "E", "37", "0", "'5x' is not a valid integer value"},
        {"N", "55", "1,5", "E", "37", "0", "'1,5' is not a valid floating point value"},
        {"N", "55", "", "E", "37", "0", "'' is not a valid floating point value"},
        {"N", "55", "0", "E", "", "0", "'' is not a valid integer value"},
        {"", "55", "0", "E", "37", "0", "Range check error"},
        {"N", "55", "0", "", "37", "0", "Range check error"},
        // The minutes are converted before the degrees, the latitude before the longitude.
        {"N", "x", "y", "E", "37", "0", "'y' is not a valid floating point value"},
        {"", "55", "0", "E", "bad", "0", "Range check error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TRSBNList list;
        list.Add("1", "First", "F", "", "N", "1", "0", "E", "1", "0");
        EXPECT_EQ(MessageOf([&] {
                      list.Add("2", "Bad", "B", "", c.latH, c.latD, c.latM, c.lonH, c.lonD, c.lonM);
                  }),
                  c.message);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list[0].Name, "First");
    }
}

// --- CSV form -------------------------------------------------------------------------

TEST(BeaconsCsv, LoadsEveryLayoutOfTheForm) {
    TRSBNList list;
    list.LoadBeaconsCsv(Fixture("good.csv"));
    ASSERT_EQ(list.Count(), 5);
    struct Want {
        std::string number, name, ident, extra;
        double lat, lon;
    };
    const Want want[] = {
        {"12", Cp("Шереметьево"), Cp("ШРМ"), Cp("АП"), Rad(55, 58.35), Rad(37, 24.68)},
        // Blanks after an opening quote are dropped, blanks before a closing quote kept;
        // commas and semicolons inside quotes are text.
        {"7", Cp("Пулково; СПб, север"), Cp("ПЛК  "), "", Rad(59, 48), Rad(30, 15.5)},
        {"3", Cp("Сидней"), Cp("СДН"), "", -Rad(33, 52.5), 2 * kPiD - Rad(151, 12.6)},
        {"4", Cp("Минус"), Cp("МНС"), "x", Rad(-5, 30), Rad(-10, 45)},
        {"5", Cp("Последний"), Cp("ПСЛ"), "", Rad(10), Rad(20, 0.5)},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const TRSBNRec& r = list[i];
        EXPECT_EQ(r.Number, want[i].number);
        EXPECT_EQ(r.Name, want[i].name);
        EXPECT_EQ(r.Ident, want[i].ident);
        EXPECT_EQ(r.Extra, want[i].extra);
        EXPECT_NEAR(static_cast<double>(r.Position.Lat), want[i].lat, 1e-14);
        EXPECT_NEAR(static_cast<double>(r.Position.Lon), want[i].lon, 1e-14);
    }
    EXPECT_EQ(list[1].LatHemisphere, "n");
    EXPECT_EQ(list[4].LonMinutes, "0.5");
}

TEST(BeaconsCsv, TrailingLineEndsAreNoRecord) {
    TRSBNList list;
    list.LoadBeaconsCsv(Fixture("tail_lineends.csv"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].Name, Cp("Внуково"));
}

TEST(BeaconsCsv, ErrorsKeepTheRecordsReadBefore) {
    struct Case {
        const char* file;
        std::string message;
        int recordsBefore;
    };
    const Case cases[] = {
        {"tail_blanks.csv", MsgExpectedSymbol(','), 2},
        {"tail_comment.csv", MsgExpectedSymbol(','), 2},
        {"empty.csv", MsgExpectedSymbol(','), 0},
        {"missing_comma.csv", MsgExpectedSymbol(','), 1},
        {"bad_degrees.csv", "'5x' is not a valid integer value", 1},
        {"bad_minutes.csv", "'1,5' is not a valid floating point value", 1},
        {"empty_hemisphere.csv", "Range check error", 1},
        {"no_such_file.csv", "Cannot open file " + Fixture("no_such_file.csv"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TRSBNList list;
        EXPECT_EQ(MessageOf([&] { list.LoadBeaconsCsv(Fixture(c.file)); }), c.message);
        ASSERT_EQ(list.Count(), c.recordsBefore);
        if (c.recordsBefore > 0) {
            EXPECT_EQ(list[0].Number, "12");
        }
    }
    EXPECT_EQ(MsgExpectedSymbol(','), Cp("Ожидается символ \",\""));
}

// --- CFG form -------------------------------------------------------------------------

TEST(BeaconsCfg, LoadsRecordsAfterTheirEqualsSigns) {
    TRSBNList list;
    list.LoadBeaconsCfg(Fixture("good.cfg"));
    ASSERT_EQ(list.Count(), 3);
    // SHR=12,55*5835,-037*2468,100,ABC
    const TRSBNRec& r = list[0];
    EXPECT_EQ(r.Number, "12");
    EXPECT_EQ(r.Ident, "ABC");
    EXPECT_EQ(r.Name, "");
    EXPECT_EQ(r.Extra, "");
    EXPECT_EQ(r.LatHemisphere, "N");
    EXPECT_EQ(r.LatMinutes, "58.35");
    EXPECT_EQ(r.LonHemisphere, "E");
    EXPECT_EQ(r.LonDegrees, "-037");
    EXPECT_EQ(r.LonMinutes, "-24.68");
    EXPECT_NEAR(static_cast<double>(r.Position.Lat), Rad(55, 58.35), 1e-14);
    EXPECT_NEAR(static_cast<double>(r.Position.Lon), -Rad(37, 24.68), 1e-14);
    // A comment line with "=" is a record. A single digit of hundredths reads as tenths: "5" is
    // half a minute, "05" five hundredths.
    EXPECT_EQ(list[1].Number, "7");
    EXPECT_EQ(list[1].Ident, "CMT");
    EXPECT_EQ(list[1].LatMinutes, ".5");
    EXPECT_EQ(list[1].LonMinutes, ".05");
    EXPECT_NEAR(static_cast<double>(list[1].Position.Lat), Rad(50, 0.5), 1e-14);
    EXPECT_NEAR(static_cast<double>(list[1].Position.Lon), Rad(30, 0.05), 1e-14);
    // Blanks between the items.
    EXPECT_EQ(list[2].Number, "3");
    EXPECT_EQ(list[2].Ident, "XYZ");
    EXPECT_NEAR(static_cast<double>(list[2].Position.Lat), Rad(60, 10), 1e-14);
    EXPECT_NEAR(static_cast<double>(list[2].Position.Lon), Rad(10), 1e-14);
}

TEST(BeaconsCfg, SectionNameInAnyLetterCase) {
    for (const char* file : {"lower.cfg", "mixed.Cfg"}) {
        SCOPED_TRACE(file);
        TRSBNList list;
        list.LoadBeaconsCfg(Fixture(file));
        ASSERT_GE(list.Count(), 1);
        EXPECT_EQ(list[0].Ident, "Q");
    }
}

TEST(BeaconsCfg, Errors) {
    struct Case {
        const char* file;
        std::string message;
        int recordsBefore;
    };
    const Case cases[] = {
        {"bad_section.cfg",
         "Bad format RSBN_DAT.CFG file! Path " + Fixture("bad_section.cfg") + ".", 0},
        {"no_open_bracket.cfg", MsgExpectedSymbol('['), 0},
        {"no_close_bracket.cfg", MsgExpectedSymbol(']'), 0},
        {"no_record.cfg", MsgExpectedSymbol(','), 0},
        {"missing_star.cfg", MsgExpectedSymbol('*'), 0},
        {"empty_lon_degrees.cfg", "Range check error", 1},
        {"empty_lat_minutes.cfg", "'.' is not a valid floating point value", 0},
        {"no_such_file.cfg", "Cannot open file " + Fixture("no_such_file.cfg"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TRSBNList list;
        EXPECT_EQ(MessageOf([&] { list.LoadBeaconsCfg(Fixture(c.file)); }), c.message);
        EXPECT_EQ(list.Count(), c.recordsBefore);
    }
}

TEST(BeaconsCfg, StreamReaderNamesThePathInItsMessage) {
    std::istringstream in("[NAVAIDS]\r\nA=1,50*00,010*00,0,Q\r\n");
    TRSBNList list;
    EXPECT_EQ(MessageOf([&] { list.LoadBeaconsCfg(in, "C:\\sim\\rsbn_dat.cfg"); }),
              "Bad format RSBN_DAT.CFG file! Path C:\\sim\\rsbn_dat.cfg.");
}

// --- Reload ---------------------------------------------------------------------------

TEST(LoadBeaconFile, ChoosesTheReaderByExtension) {
    TRSBNList list;
    list.LoadBeaconFile(Fixture("good.csv"));
    EXPECT_EQ(list.Count(), 5);
    // A reload replaces the whole list.
    list.LoadBeaconFile(Fixture("mixed.Cfg"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0].Ident, "Q");
    EXPECT_EQ(list[1].Ident, "R");
    list.LoadBeaconFile(Fixture("good.cfg"));
    EXPECT_EQ(list.Count(), 3);
}

TEST(LoadBeaconFile, OtherPathsChangeNothing) {
    for (const std::string& path :
         {Fixture("beacons.txt"), std::string(), std::string("no_extension"),
          Fixture("missing.ini"), std::string("dir.csv/file")}) {
        SCOPED_TRACE(path);
        TRSBNList list;
        list.LoadBeaconFile(Fixture("tail_lineends.csv"));
        list[0].Annotated = true;
        EXPECT_NO_THROW(list.LoadBeaconFile(path));
        ASSERT_EQ(list.Count(), 2);
        EXPECT_TRUE(list[0].Annotated);
    }
}

// Guards against a failed reload leaving a half-filled list while the plan's waypoints still
// hold indices into the old one.
TEST(LoadBeaconFile, FailedReloadLeavesTheListUnchanged) {
    const char* bad[] = {"bad_degrees.csv",  "tail_blanks.csv",       "empty.csv",
                         "no_such_file.csv", "empty_lon_degrees.cfg", "bad_section.cfg",
                         "no_such_file.cfg"};
    for (const char* file : bad) {
        SCOPED_TRACE(file);
        TRSBNList list;
        list.LoadBeaconFile(Fixture("good.cfg"));
        EXPECT_THROW(list.LoadBeaconFile(Fixture(file)), EKestrunError);
        ASSERT_EQ(list.Count(), 3);
        EXPECT_EQ(list[0].Ident, "ABC");
        EXPECT_EQ(list[2].Ident, "XYZ");
    }
}

// --- Picker annotations ---------------------------------------------------------------

TEST(AnnotateBeacons, NearnessAndDistanceFromTheLegEnd) {
    TWorld w;
    TWayPoint& start = w.Add(Geo(50, 30));
    TWayPoint& end = w.Add(Direct(start.Pos, 90, 40));
    TGeoPoint belowStart, belowEnd;
    const TGeoPoint atStart = FirstAtOrBeyond(start.Pos, 270, 3.0, &belowStart);
    const TGeoPoint atEnd = FirstAtOrBeyond(end.Pos, 90, 3.0, &belowEnd);
    ASSERT_GE(DistanceKm(start.Pos, atStart), 3.0);
    ASSERT_LT(DistanceKm(start.Pos, belowStart), 3.0);
    // A short leg: a beacon between its ends stands within 3 km of both.
    TWayPoint& shortEnd = w.Add(Direct(start.Pos, 90, 4));
    const TGeoPoint nearBoth = Direct(Direct(start.Pos, 90, 2), 0, 1);

    struct Case {
        const char* name;
        TGeoPoint pos;
        const TWayPoint* legEnd;
        TRSBNMode want;
    };
    const Case cases[] = {
        {"3.0 km before the start", atStart, &end, rmSRP},
        {"just under 3 km before the start", belowStart, &end, rmAzimuthFrom},
        {"3.0 km beyond the end", atEnd, &end, rmSRP},
        {"just under 3 km beyond the end", belowEnd, &end, rmAzimuthTo},
        {"near both ends", nearBoth, &shortEnd, rmAzimuthFrom},
        {"far away", Geo(10, 10), &end, rmSRP},
    };
    for (const Case& c : cases) w.AddBeacon(c.pos, c.name);
    w.Beacons.AnnotateBeacons(start, end);
    for (int i = 0; i < w.Beacons.Count(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (c.legEnd != &end) continue;
        EXPECT_TRUE(w.Beacons[i].Annotated);
        EXPECT_EQ(w.Beacons[i].LegNearness, c.want);
        EXPECT_NEAR(w.Beacons[i].LegDistance, Inverse(c.pos, end.Pos).km, 1e-6);
    }
    w.Beacons.AnnotateBeacons(start, shortEnd);
    EXPECT_EQ(w.Beacons[4].LegNearness, rmAzimuthFrom);
    EXPECT_EQ(w.Beacons[4].Name, "near both ends"); // the list is not reordered

    const double kept = w.Beacons[5].LegDistance;
    w.Beacons.ClearBeaconAnnotations();
    for (int i = 0; i < w.Beacons.Count(); ++i) EXPECT_FALSE(w.Beacons[i].Annotated);
    EXPECT_EQ(w.Beacons[5].LegDistance, kept);
}

} // namespace
} // namespace kestrun::test
