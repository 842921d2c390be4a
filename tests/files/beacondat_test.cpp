// The beacon list of X-Plane Tu-154 add-ons (rsbn.dat), on invented stations.
#include "files/beacondat.h"

#include <gtest/gtest.h>

#include "files/beaconfile.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

// What real lists hold: blanks after the fields and the lines, a CR LF line, elevations without
// decimals, an odd frequency, identifiers of digits, and no line end after the last line.
TEST(LoadBeaconsDat, StationsAsTheAddOnsListsWriteThem) {
    TempDir dir;
    WriteBytes(dir.File("RSBN.DAT"), "37|PSKOV|NP|117.80|57.7850|28.4067|47.0  \r\n"
                                     "\n"
                                     "# invented stations\n"
                                     " 5 | ALMA ATA | AL0 | 177.75 | 43.3521 | 77.0405 | 681\n"
                                     "60|SANTIAGO|00|115|-33.393|-70.7858|474   ");
    TRSBNList list;
    LoadBeaconFile(list, dir.File("RSBN.DAT"));
    struct Want {
        const char *Number, *Name, *Ident;
        double LatDeg, LonDeg;
    } want[] = {{"37", "PSKOV", "NP", 57.785, 28.4067},
                {"5", "ALMA ATA", "AL0", 43.3521, 77.0405},
                {"60", "SANTIAGO", "00", -33.393, -70.7858}};
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].Number, want[i].Number);
        EXPECT_EQ(list[i].Name, want[i].Name);
        EXPECT_EQ(list[i].Ident, want[i].Ident);
        EXPECT_EQ(list[i].Extra, "");
        // Beacons keep southern latitudes negative, western longitudes as 2*pi minus magnitude.
        EXPECT_NEAR(static_cast<double>(list[i].Position.Lat), want[i].LatDeg * kDeg, 1e-15);
        EXPECT_NEAR(static_cast<double>(list[i].Position.Lon), StoredRad(want[i].LonDeg), 1e-15);
    }
}

TEST(LoadBeaconsDat, BrokenLinesAreRefusedWithTheirPlace) {
    const std::string good = "1|A|B|116.0|55|37|100\n";
    struct Case {
        std::string Bytes, Message;
    } cases[] = {
        {"1|A|B|116.0|55|37", "rsbn.dat:1: A beacon line has 7 fields separated by \"|\" "
                              "(channel, name, identifier, frequency, latitude, longitude, "
                              "elevation), this one 6"},
        {good + "1|A|B|116.0|55|37|100|x", "rsbn.dat:2: A beacon line has 7 fields separated "
                                           "by \"|\" (channel, name, identifier, frequency, "
                                           "latitude, longitude, elevation), this one 8"},
        {good + "\r\n1|A|B|116.0|90.5|37|100", "rsbn.dat:3: '90.5' is not a valid latitude"},
        {"1|A|B|116.0|55|-180.01|100", "rsbn.dat:1: '-180.01' is not a valid longitude"},
        {"1|A|B|116.0|55|37E|100", "rsbn.dat:1: '37E' is not a valid longitude"},
        {"1|A|B|116,0|55|37|100", "rsbn.dat:1: '116,0' is not a valid floating point value"},
        {"1|A|B|116.0|55|37|", "rsbn.dat:1: '' is not a valid floating point value"},
        {"\r\n# nothing\r\n", "No beacon found in file rsbn.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bytes);
        TRSBNList list;
        EXPECT_EQ(PlacedMessageOf([&] { LoadBeaconsDat(list, c.Bytes, "rsbn.dat"); }), c.Message);
    }
}
