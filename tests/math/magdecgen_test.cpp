// The declination grid made from the magnetic model, read back through the program's own grid
// lookup, and the magdecgen command that writes it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "base/error.h"
#include "base/fileio.h"
#include "math/bglmag.h"
#include "math/wmm.h"
#include "testutil.h"

namespace kestrun {
namespace {

namespace fs = std::filesystem;

using test::kPiD;
const std::string kCof = std::string(KESTRUN_SHIPPED_DATA) + "/WMM2025.COF";
const std::string kMagdecgen = std::string(KESTRUN_RUN_DIR) + "/magdecgen";

using test::TempDir;

TWmmModel Model() {
    TWmmModel m;
    m.LoadCof(kCof);
    return m;
}

TGeoPoint Radians(double latDeg, double lonDeg) {
    TGeoPoint p;
    p.Lat = latDeg * kPiD / 180.0;
    p.Lon = lonDeg * kPiD / 180.0;
    return p;
}

TEST(MagDecFile, LayoutHoldsThePublishedDeclinationsWhereTheLookupExpectsThem) {
    // Published WMM2025 declinations at whole-degree places, 2025.0, sea level: the grid
    // element of each place must hold it (to half a grid unit plus the table's rounding).
    const TWmmModel model = Model();
    const std::string bytes = BuildMagDecFile(model, 2025.0);
    ASSERT_EQ(bytes.size(), 136u + 130320u);
    EXPECT_EQ(bytes.compare(0, 7, "Kestrun"), 0);
    TempDir dir;
    const std::string path = dir.File("magdec.bgl");
    WriteFileAtomic(path, bytes);
    TMagDecGrid grid;
    grid.LoadMagDecGrid(path);
    struct Case {
        int lat, lon;
        double declDeg;
    };
    const Case cases[] = {{80, 0, 1.28}, {0, 120, -0.16}, {-80, 240, 68.78}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lat) + " " + std::to_string(c.lon));
        EXPECT_NEAR(grid.At(c.lon, c.lat) * 180.0 / 32768.0, c.declDeg, 0.005 + 180.0 / 65536.0);
        EXPECT_NEAR(grid.MagDeclAt(Radians(c.lat, c.lon)) * 180.0 / kPiD, c.declDeg,
                    0.005 + 180.0 / 65536.0);
    }
}

// The grid file of the model for a date, written and read back through LoadMagDecGrid.
TMagDecGrid GridThroughFile(const TWmmModel& model, double year) {
    TempDir dir;
    const std::string path = dir.File("magdec.bgl");
    WriteFileAtomic(path, BuildMagDecFile(model, year));
    TMagDecGrid grid;
    grid.LoadMagDecGrid(path);
    return grid;
}

// The grid read back through MagDeclAt against the model itself, away from 0..1 degrees east,
// where the lookup does not interpolate in longitude, and from latitudes below 1 degree north
// or south, where it does not interpolate in latitude (row 0 stands for the whole band).
// Within 0.1 degree, except near the south magnetic pole (south of 55 S between 110 E and
// 160 E), where the declination bends too fast for a one-degree grid: there within 0.5 degree.
TEST(MagDecFile, LookupAgreesWithTheModelWithinATenthOfADegree) {
    const TWmmModel model = Model();
    const double year = 2027.5;
    const TMagDecGrid grid = GridThroughFile(model, year);
    std::mt19937 rng(20250101);
    std::uniform_real_distribution<double> lat(1.0, 59.999), lon(1.0, 359.999);
    std::bernoulli_distribution south(0.5);
    double worst = 0;
    for (int k = 0; k < 1000; ++k) {
        const double la = south(rng) ? -lat(rng) : lat(rng), lo = lon(rng);
        const double direct = model.Declination(la, lo, 0.0, year);
        const double fromGrid = grid.MagDeclAt(Radians(la, lo)) * 180.0 / kPiD;
        const double err = std::fabs(fromGrid - direct);
        const bool nearSouthMagneticPole = la < -55.0 && lo > 110.0 && lo < 160.0;
        if (!nearSouthMagneticPole) worst = std::fmax(worst, err);
        if (err > (nearSouthMagneticPole ? 0.5 : 0.1))
            ADD_FAILURE() << "lat " << la << " lon " << lo << ": grid " << fromGrid << " model "
                          << direct;
    }
    RecordProperty("worst", std::to_string(worst));
}

// In the band |latitude| < 1 degree the lookup reads row 0 only, so the grid gives the
// declination of the equator at that longitude: exact on the equator, and off elsewhere in the
// band by no more than the model's change over that distance.
TEST(MagDecFile, EquatorialBandReadsTheEquatorRow) {
    const TWmmModel model = Model();
    const double year = 2027.5;
    const TMagDecGrid grid = GridThroughFile(model, year);
    const double quantum = 180.0 / 65536.0;
    for (double lo : {10.0, 37.0, 131.3, 250.0}) {
        SCOPED_TRACE(lo);
        const double equator = grid.MagDeclAt(Radians(0, lo)) * 180.0 / kPiD;
        EXPECT_NEAR(equator, model.Declination(0, lo, 0, year), 0.02);
        for (double la : {-0.9, -0.5, 0.5, 0.9}) {
            EXPECT_NEAR(grid.MagDeclAt(Radians(la, lo)) * 180.0 / kPiD, equator, 1e-12);
            const double change =
                std::fabs(model.Declination(la, lo, 0, year) - model.Declination(0, lo, 0, year));
            EXPECT_LE(std::fabs(equator - model.Declination(la, lo, 0, year)),
                      change + 0.02 + quantum);
        }
    }
}

// Southern latitudes stored as 2*pi minus their magnitude look up the same rows.
TEST(MagDecFile, SouthernLatitudeFormsAgree) {
    const TWmmModel model = Model();
    const TMagDecGrid grid = GridThroughFile(model, 2026.0);
    TGeoPoint folded = Radians(-33.87, 151.21);
    folded.Lat = 2 * kPiD - 33.87 * kPiD / 180.0;
    EXPECT_NEAR(grid.MagDeclAt(folded), grid.MagDeclAt(Radians(-33.87, 151.21)), 1e-12);
    EXPECT_NEAR(grid.MagDeclAt(folded) * 180.0 / kPiD, model.Declination(-33.87, 151.21, 0, 2026.0),
                0.1);
}

// --- the command -----------------------------------------------------------------------------

struct RunResult {
    int Status = -1;
    std::string Out, Err;
};

RunResult RunMagdecgen(const std::string& args, const TempDir& dir) {
    const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
    const std::string cmd = "'" + kMagdecgen + "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int rc = std::system(cmd.c_str());
    RunResult r;
    r.Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.Out = ReadFileBytes(out);
    r.Err = ReadFileBytes(err);
    return r;
}

TEST(MagdecgenCommand, WritesTheSameGridAsTheLibrary) {
    ASSERT_TRUE(FileExists(kMagdecgen)) << kMagdecgen;
    TempDir dir;
    const std::string target = dir.File("grid.bgl");
    RunResult r = RunMagdecgen("--date 2027.5 --cof '" + kCof + "' -o '" + target + "'", dir);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(ReadFileBytes(target) == BuildMagDecFile(Model(), 2027.5));
    // A calendar date is the same day as its decimal year.
    r = RunMagdecgen("--date 2027-07-02 --cof '" + kCof + "' -o '" + target + "'", dir);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(ReadFileBytes(target) == BuildMagDecFile(Model(), DecimalYear(2027, 7, 2)));
}

TEST(MagdecgenCommand, DefaultDateIsTodayWithinTheValidity) {
    TempDir dir;
    const std::string target = dir.File("today.bgl");
    RunResult r = RunMagdecgen("--cof '" + kCof + "' --output '" + target + "'", dir);
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string bytes = ReadFileBytes(target);
    ASSERT_EQ(bytes.size(), 136u + 130320u);
    // The header names the date; it must lie within 2025.0 .. 2030.0.
    const std::size_t at = bytes.find("Date ");
    ASSERT_NE(at, std::string::npos);
    const double year = std::stod(bytes.substr(at + 5, 9));
    EXPECT_GE(year, 2025.0);
    EXPECT_LE(year, 2030.0);
    EXPECT_TRUE(bytes == BuildMagDecFile(Model(), year)) << "header " << bytes.substr(0, 80);
}

TEST(MagdecgenCommand, AtPrintsTheModelDeclinationToFourDecimals) {
    TempDir dir;
    const TWmmModel model = Model();
    struct Case {
        const char* args;
        double lat, lon, h, year;
    };
    const Case cases[] = {
        {"--at 55.976858 37.41121 --date 2026.0", 55.976858, 37.41121, 0, 2026.0},
        {"--at -80 240 --height 100 --date 2027.5", -80, 240, 100, 2027.5},
        {"--date 2025.0 --at 0 -60", 0, -60, 0, 2025.0},
        {"--at 90 30 --date 2029.9", 90, 30, 0, 2029.9},
        {"--at 43.449902 39.9566 --height 0.5 --date 2030", 43.449902, 39.9566, 0.5, 2030.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = RunMagdecgen(std::string(c.args) + " --cof '" + kCof + "'", dir);
        ASSERT_EQ(r.Status, 0) << r.Err;
        ASSERT_FALSE(r.Out.empty());
        EXPECT_EQ(r.Out.back(), '\n');
        const std::size_t dot = r.Out.find('.');
        ASSERT_NE(dot, std::string::npos);
        EXPECT_EQ(r.Out.size() - dot - 1, 5u) << r.Out; // four decimals and the line end
        EXPECT_NEAR(std::stod(r.Out), model.Declination(c.lat, c.lon, c.h, c.year), 0.00005 + 1e-9);
    }
    // The published value at 80 N, 0 E, 100 km, 2027.5.
    RunResult r = RunMagdecgen("--at 80 0 --height 100 --date 2027.5 --cof '" + kCof + "'", dir);
    ASSERT_EQ(r.Status, 0);
    EXPECT_NEAR(std::stod(r.Out), 2.16, 0.005 + 1e-9);
}

TEST(MagdecgenCommand, UsageAndFileErrors) {
    TempDir dir;
    const std::string cof = " --cof '" + kCof + "'";
    struct Case {
        std::string args;
        int status;
        std::string err; // a part of the message
    };
    const Case cases[] = {
        {"--frobnicate", 2, "unknown argument '--frobnicate'"},
        {"--date", 2, "--date needs a value"},
        {"--date abc" + cof, 2, "date 'abc' is not a number"},
        {"--date 2031" + cof, 2,
         "date 2031 is outside the validity of WMM-2025 (2025.0 to 2030.0)"},
        {"--date 2024.99" + cof, 2, "outside the validity"},
        {"--date 2026-02-30" + cof, 2, "date '2026-02-30' is not a calendar date"},
        {"--date 2026 --date 2027", 2, "--date given twice"},
        {"--at 55", 2, "--at needs a latitude and a longitude"},
        {"--at 95 10", 2, "latitude 95 is outside -90 to 90"},
        {"--at 10 361", 2, "longitude 361 is outside -180 to 360"},
        {"--at 10 x", 2, "longitude 'x' is not a number"},
        {"--at 10 20 --height 900", 2, "height 900 km is outside the model's -1 to 850 km"},
        {"--height 3", 2, "--height is only used with --at"},
        {"--at 10 20 -o x.bgl", 2, "--at prints the declination; it writes no file"},
        {"--cof '" + dir.File("missing.COF") + "'", 1,
         "Cannot open file " + dir.File("missing.COF")},
        {"--date 2026" + cof + " -o '" + dir.File("no/such/folder/magdec.bgl") + "'", 1,
         "Cannot create file " + dir.File("no/such/folder/magdec.bgl")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = RunMagdecgen(c.args, dir);
        EXPECT_EQ(r.Status, c.status);
        EXPECT_NE(r.Err.find(c.err), std::string::npos) << r.Err;
        EXPECT_TRUE(r.Out.empty()) << r.Out;
    }
    // A malformed coefficient file is a file error too.
    const std::string bad = dir.File("bad.COF");
    WriteFileAtomic(bad, "2025.0 X\n1 0 abc 0 0 0\n");
    RunResult r = RunMagdecgen("--cof '" + bad + "'", dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Bad format of magnetic model file"), std::string::npos) << r.Err;
    // Help goes to standard output and succeeds.
    r = RunMagdecgen("--help", dir);
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("Usage: magdecgen"), std::string::npos);
}

} // namespace
} // namespace kestrun
