// The beacon list of X-Plane Tu-154 add-ons (rsbn.dat), on invented stations; the quirks of real
// lists are in the command-line tests' tests/data/cli/rsbn.dat.
#include "files/beacondat.h"

#include <gtest/gtest.h>

#include "files/beaconfile.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

TEST(LoadBeaconsDat, SouthernAndWesternStationsAndBlanksAroundTheFields) {
    TempDir dir;
    WriteBytes(dir.File("RSBN.DAT"),
               "# made up\r\n60 | SANTIAGO | 00 | 115 | -33.393 | -70.7858 | 474");
    TRSBNList list;
    LoadBeaconFile(list, dir.File("RSBN.DAT"));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Number + "|" + list[0].Name + "|" + list[0].Ident, "60|SANTIAGO|00");
    // Beacons keep southern latitudes negative, western longitudes as 2*pi minus magnitude.
    EXPECT_NEAR(static_cast<double>(list[0].Position.Lat), -33.393 * kDeg, 1e-15);
    EXPECT_NEAR(static_cast<double>(list[0].Position.Lon), StoredRad(-70.7858), 1e-15);
}

TEST(LoadBeaconsDat, BrokenLinesAreRefusedWithTheirPlace) {
    for (auto [bytes, message] :
         {std::make_pair("1|A|B|1|55|37|1\n1|A|B|1|55|37|1|x",
                         "x:2: A beacon line has 7 fields separated by \"|\" (channel, name, "
                         "identifier, frequency, latitude, longitude, elevation), this one 8"),
          {"1|A|B|1|55|37|1\r\n\r\n1|A|B|1|90.5|37|1", "x:3: '90.5' is not a valid latitude"},
          {"1|A|B|1|55|37E|1", "x:1: '37E' is not a valid longitude"},
          {"1|A|B|116,0|55|-180|", "x:1: '116,0' is not a valid floating point value"},
          {"\r\n# none\r\n", "No beacon found in file x"}}) {
        TRSBNList list;
        EXPECT_EQ(PlacedMessageOf([&] { LoadBeaconsDat(list, bytes, "x"); }), message);
    }
}
