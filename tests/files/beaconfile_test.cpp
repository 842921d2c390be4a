// The two beacon file forms with their exact errors, and the all-or-nothing reload.
#include "files/beaconfile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/velparser.h"
#include "importtest.h"
#include "plan/plan_world.h"

namespace kestrun::test {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(KESTRUN_TEST_DATA) + "/beacons/" + name;
}

// Degrees and minutes as radians, the reference for every position below.
double Rad(double deg, double min = 0) {
    return (deg + min / 60) * kDeg;
}

// --- CSV form -------------------------------------------------------------------------

TEST(BeaconsCsv, LoadsEveryLayoutOfTheForm) {
    TRSBNList list;
    LoadBeaconsCsv(list, Fixture("good.csv"));
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

TEST(BeaconsCsv, TrailingLineEndsBlanksAndCommentsAreNoRecord) {
    for (const char* file : {"tail_lineends.csv", "tail_blanks.csv", "tail_comment.csv"}) {
        SCOPED_TRACE(file);
        TRSBNList list;
        LoadBeaconsCsv(list, Fixture(file));
        ASSERT_EQ(list.Count(), 2);
        EXPECT_EQ(list[1].Name, Cp("Внуково"));
    }
}

// Files a person edited or a hostile one made: each fault reported on its line, nothing read
// on into the next line, blank and comment lines anywhere, a byte-order mark passed over.
TEST(BeaconsCsv, HostileAndEditedFiles) {
    const std::string a = "\"1\",\"A\",\"AA\",\"\",\"N\",\"55\",\"0\",\"E\",\"37\",\"0\"\r\n";
    struct Case {
        std::string text, message;
        int line, records;
    } cases[] = {
        {"\xEF\xBB\xBF" + a + "\t\r\n; note\r\n\r\n# note\r\n" + a + " \t", "", 0, 2},
        {a + std::string("\"2\0\",", 5) + a, kMsgBadFormat, 2, 1},
        {a + "\"2\",\"B,\"BB\",\"\",\"N\",\"55\",\"0\",\"E\",\"37\",\"0\"\r\n" + a,
         MsgExpectedSymbol(','), 2, 1},
        {a + "\"2\",\"B\r\n" + a, MsgExpectedSymbol('"'), 2, 1},
        {"\r\n" + a + "\"2\",\"B\",\"BB\",\"\",\"N\",\"95\",\"0\",\"E\",\"37\",\"0\"\r\n",
         MsgBadLatitude("N95*0"), 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TRSBNList list;
        ExpectFileRefusal("b.csv", c.text, c.message, c.line,
                          [&](const std::string& file) { LoadBeaconsCsv(list, file); });
        EXPECT_EQ(list.Count(), c.records);
    }
}

// Guards against reserving record storage from a count of line ends: a valid file followed by
// a flood of them once asked for gigabytes.
TEST(BeaconsCsv, StorageIsReservedForRecordsTheFileCanHold) {
    std::string text = "\"1\",\"A\",\"AA\",\"\",\"N\",\"55\",\"0\",\"E\",\"37\",\"0\"";
    text += std::string(4 << 20, '\n');
    std::istringstream in(text);
    TRSBNList list;
    LoadBeaconsCsv(list, in);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_LT(list.Records.capacity(), 16u);
}

TEST(BeaconsCsv, ErrorsKeepTheRecordsReadBefore) {
    struct Case {
        const char* file;
        std::string message;
        int recordsBefore;
    };
    const Case cases[] = {
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
        EXPECT_EQ(MessageOf([&] { LoadBeaconsCsv(list, Fixture(c.file)); }), c.message);
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
    LoadBeaconsCfg(list, Fixture("good.cfg"));
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
    // A comment line is passed over, "=" or not. A single digit of hundredths reads as tenths:
    // "5" is half a minute, "05" five hundredths.
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
        LoadBeaconsCfg(list, Fixture(file));
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
        EXPECT_EQ(MessageOf([&] { LoadBeaconsCfg(list, Fixture(c.file)); }), c.message);
        EXPECT_EQ(list.Count(), c.recordsBefore);
    }
}

TEST(BeaconsCfg, HostileAndEditedFiles) {
    struct Case {
        std::string text, message;
        int line, records;
    } cases[] = {
        {"\xEF\xBB\xBF# head\r\n[RSBN]\r\nA=1,50*00,010*00,0,Q\r\n  \t\r\n; end\r\n# end", "", 0,
         1},
        {"[RSBN]\r\nA=1,50*00,010*00,0,Q\r\nB=2,50*00,\r\n010*00,0,R\r\n", MsgExpectedSymbol('*'),
         3, 1},
        {"[RSBN]\r\nA=1,50*00,010*00,0,Q\r\n" + std::string("B=2,5\0", 7), kMsgBadFormat, 3, 1},
        {"[RSBN]\r\nA=1,90*01,010*00,0,Q\r\n", MsgBadLatitude("N90*.01"), 2, 0},
        {"[RSBN]\r\nA=1,50*00,-180*01,0,Q\r\n", MsgBadLongitude("E-180*-.01"), 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TRSBNList list;
        ExpectFileRefusal("b.cfg", c.text, c.message, c.line,
                          [&](const std::string& file) { LoadBeaconsCfg(list, file); });
        EXPECT_EQ(list.Count(), c.records);
    }
}

TEST(BeaconsCfg, StreamReaderNamesThePathInItsMessage) {
    std::istringstream in("[NAVAIDS]\r\nA=1,50*00,010*00,0,Q\r\n");
    TRSBNList list;
    EXPECT_EQ(MessageOf([&] { LoadBeaconsCfg(list, in, "C:\\sim\\rsbn_dat.cfg"); }),
              "Bad format RSBN_DAT.CFG file! Path C:\\sim\\rsbn_dat.cfg.");
}

// --- Reload ---------------------------------------------------------------------------

TEST(LoadBeaconFile, ChoosesTheReaderByExtension) {
    TRSBNList list;
    LoadBeaconFile(list, Fixture("good.csv"));
    EXPECT_EQ(list.Count(), 5);
    // A reload replaces the whole list.
    LoadBeaconFile(list, Fixture("mixed.Cfg"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0].Ident, "Q");
    EXPECT_EQ(list[1].Ident, "R");
    LoadBeaconFile(list, Fixture("good.cfg"));
    EXPECT_EQ(list.Count(), 3);
}

// A file no reader knows is refused, naming it, instead of loading nothing in silence.
TEST(LoadBeaconFile, OtherPathsAreRefusedAndChangeNothing) {
    for (const std::string& path :
         {Fixture("beacons.txt"), std::string(), std::string("no_extension"),
          Fixture("missing.ini"), std::string("dir.csv/file")}) {
        SCOPED_TRACE(path);
        TRSBNList list;
        LoadBeaconFile(list, Fixture("tail_lineends.csv"));
        list[0].Annotated = true;
        EXPECT_EQ(MessageOf([&] { LoadBeaconFile(list, path); }), "Bad format! " + path);
        ASSERT_EQ(list.Count(), 2);
        EXPECT_TRUE(list[0].Annotated);
    }
}

// Guards against a failed reload leaving a half-filled list while the plan's waypoints still
// hold indices into the old one.
TEST(LoadBeaconFile, FailedReloadLeavesTheListUnchanged) {
    const char* bad[] = {"bad_degrees.csv",  "missing_comma.csv",     "empty.csv",
                         "no_such_file.csv", "empty_lon_degrees.cfg", "bad_section.cfg",
                         "no_such_file.cfg"};
    for (const char* file : bad) {
        SCOPED_TRACE(file);
        TRSBNList list;
        LoadBeaconFile(list, Fixture("good.cfg"));
        EXPECT_THROW(LoadBeaconFile(list, Fixture(file)), EKestrunError);
        ASSERT_EQ(list.Count(), 3);
        EXPECT_EQ(list[0].Ident, "ABC");
        EXPECT_EQ(list[2].Ident, "XYZ");
    }
}

} // namespace
} // namespace kestrun::test
