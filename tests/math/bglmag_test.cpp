#include "math/bglmag.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/error.h"
#include "math/mathem.h"
#include "testutil.h"

namespace kestrun {
namespace {

using test::MessageOf;

using test::kPiD;

TGeoPoint DegPt(double latDeg, double lonDeg) {
    return TGeoPoint{latDeg * kDegToRad, lonDeg * kDegToRad};
}

/// Declination in radians of a grid value.
double Rad(double gridValue) {
    return gridValue * 180 / 32768 * kPiD / 180;
}

// A grid file in a folder of its own.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) : Path(Dir.File("magdec.bgl")) {
        test::WriteBytes(Path, bytes);
    }
    test::TempDir Dir;
    std::string Path;
};

/// A grid file: a header of junk, then the values little-endian.
std::string BglBytes(const std::vector<std::int16_t>& values) {
    std::string bytes(TMagDecGrid::kHeaderBytes, '\x5A');
    for (std::int16_t v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

TEST(MagDecGrid, StartsAllZero) {
    auto grid = std::make_unique<TMagDecGrid>();
    for (auto v : grid->Grid) ASSERT_EQ(v, 0);
    EXPECT_EQ(grid->MagDeclAt(DegPt(55.7, 37.6)), 0.0);
}

TEST(MagDecGrid, LoadsTheWholeFileInElementOrder) {
    std::vector<std::int16_t> values(TMagDecGrid::kValueCount);
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> d(-32768, 32767);
    for (auto& v : values) v = static_cast<std::int16_t>(d(rng));
    values[0] = -32768;
    values[1] = 32767;
    std::string bytes = BglBytes(values);
    bytes += "trailing bytes that are never read";
    TempFile file(bytes);
    auto grid = std::make_unique<TMagDecGrid>();
    grid->LoadMagDecGrid(file.Path);
    for (std::size_t k = 0; k < values.size(); ++k) ASSERT_EQ(grid->Grid[k], values[k]) << k;
    // Element j * 181 + (i + 90): longitude by longitude, south to north.
    EXPECT_EQ(grid->At(0, -90), values[0]);
    EXPECT_EQ(grid->At(0, 90), values[180]);
    EXPECT_EQ(grid->At(1, -90), values[181]);
    EXPECT_EQ(grid->At(359, 90), values.back());
}

// Guards against a broken grid giving declination 0 (or half a grid) without a word.
TEST(MagDecGrid, FileTooShortForTheGridIsRefusedAndKeepsTheGrid) {
    auto grid = std::make_unique<TMagDecGrid>();
    grid->Grid.fill(77);
    const std::string whole = BglBytes(std::vector<std::int16_t>(TMagDecGrid::kValueCount, 1));
    for (const std::string& bytes :
         {std::string(), std::string(100, 'x'), whole.substr(0, TMagDecGrid::kHeaderBytes),
          whole.substr(0, whole.size() - 1)}) {
        SCOPED_TRACE(bytes.size());
        TempFile file(bytes);
        EXPECT_EQ(MessageOf([&] { grid->LoadMagDecGrid(file.Path); }), "Bad format! " + file.Path);
        EXPECT_EQ(grid->Grid[0], 77);
        EXPECT_EQ(grid->Grid.back(), 77);
    }
}

// Found by looking: a broken file in one place is reported and the next place tried.
TEST(MagDecGrid, FirstGoodFileOfTheCandidatesIsLoaded) {
    TempFile empty("");
    TempFile good(BglBytes(std::vector<std::int16_t>(TMagDecGrid::kValueCount, 3)));
    auto grid = std::make_unique<TMagDecGrid>();
    std::vector<EKestrunError> failures;
    const auto loaded = LoadFirstMagDecGrid(
        *grid, {empty.Path + ".missing", empty.Path, good.Path, empty.Path}, failures);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->native(), good.Path);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_STREQ(failures[0].what(), ("Bad format! " + empty.Path).c_str());
    EXPECT_EQ(grid->Grid[0], 3);
    failures.clear();
    EXPECT_FALSE(LoadFirstMagDecGrid(*grid, {empty.Path}, failures).has_value());
    EXPECT_EQ(failures.size(), 1u);
}

TEST(MagDecGrid, MissingFileRaisesAndKeepsTheGrid) {
    auto grid = std::make_unique<TMagDecGrid>();
    grid->Grid.fill(5);
    const std::string name =
        (std::filesystem::temp_directory_path() / "kestrun_no_such_dir" / "magdec.bgl").string();
    EXPECT_EQ(MessageOf([&] { grid->LoadMagDecGrid(name); }), "Cannot open file " + name);
    EXPECT_EQ(grid->Grid[0], 5);
    EXPECT_EQ(grid->Grid.back(), 5);
}

/// A grid with a latitude x longitude term, G(lat, lon) = (lat + 1)(lon + 1) - 1, from -32041
/// at (-90, 359) to 32759 at (90, 359). Bilinear interpolation reproduces it exactly inside a
/// cell; a scheme exact only for linear data (say, one column's latitude slope used for both)
/// does not.
std::unique_ptr<TMagDecGrid> CrossGrid() {
    auto grid = std::make_unique<TMagDecGrid>();
    for (int lon = 0; lon < 360; ++lon)
        for (int lat = -90; lat <= 90; ++lat)
            grid->At(lon, lat) = static_cast<std::int16_t>((lat + 1) * (lon + 1) - 1);
    return grid;
}

double Cross(double latDeg, double lonDeg) {
    return Rad((latDeg + 1) * (lonDeg + 1) - 1);
}

TEST(MagDecGrid, BilinearInsideTheGrid) {
    auto grid = CrossGrid();
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> lat(1, 89.999), lon(1, 358.999);
    for (int k = 0; k < 5000; ++k) {
        const double la = (k % 2 ? 1 : -1) * lat(rng), lo = lon(rng);
        SCOPED_TRACE(testing::Message() << la << " " << lo);
        EXPECT_NEAR(grid->MagDeclAt(DegPt(la, lo)), Cross(la, lo), 1e-12);
    }
}

TEST(MagDecGrid, EdgesOfTheInterpolation) {
    auto grid = CrossGrid();
    grid->At(0, 0) = 1000; // marks the cell at (0, 0) against the pattern
    // Worked by hand in grid units: each column is interpolated from row i towards row i2 by
    // t = |lat - i| (giving r1 for column j, r2 for column j2), then r1 towards r2 by lon - j.
    // Row 0 holds G = lon, column 0 holds G = lat.
    struct Case {
        double lat, lon, want;
        const char* what;
    };
    const Case cases[] = {
        // col 20: 230 -> 251, r1 240.5; col 21: 241 -> 263, r2 252; 240.5 + 0.5 * 11.5
        {10.5, 20.5, 246.25, "inside"},
        // col 100: -1112 -> -1213, r1 -1137.25; col 101: -1123 -> -1225, r2 -1148.5
        {-12.25, 100.5, -1142.875, "rows -12 and -13"},
        {0.5, 10.5, 10.5, "row 0 alone in latitude"},       // (10 + 11) / 2
        {-0.9, 20, 20, "row 0 alone south of the equator"}, // not towards row -1
        {50.5, 0.7, 50.5, "column 0 alone in longitude"},   // (50 + 51) / 2, no column 1
        {50, 1.0, 101, "jump to column 1 at 1 degree"},     // 51 * 2 - 1
        {0.3, 0.4, 1000, "the corner cell alone"},
        // col 359: 18359 -> 18719, r1 18539; col 0: 50 -> 51, r2 50.5; 0.75 r1 + 0.25 r2
        {50.5, 359.25, 13916.875, "wrap from 359 to 0"},
        // col 100: 9089 -> 9190, r1 9139.5; col 101: 9179 -> 9281, r2 9230; r1 + 0.5 * 90.5
        {89.5, 100.5, 9184.75, "next to the north pole"},
        // col 359: -31681 -> -32041, r1 -31861; col 0: -89 -> -90, r2 -89.5; (r1 + r2) / 2
        {-89.5, 359.5, -15975.25, "next to the south pole, wrapping"},
        {90, 359.5, 16424.5, "north pole row, wrapping"}, // (32759 + 90) / 2
        {-90, 100.5, -9034.5, "south pole row"},          // (-8990 - 9079) / 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(grid->MagDeclAt(DegPt(c.lat, c.lon)), Rad(c.want), 1e-12);
    }
}

TEST(MagDecGrid, StoredFormsOfSouthAndWest) {
    auto grid = CrossGrid();
    // 12.25 degrees south stored as 2pi minus its magnitude, and as a negative angle.
    const long double south = k2Pi - 12.25L * kDegToRad;
    EXPECT_NEAR(grid->MagDeclAt(TGeoPoint{south, 100 * kDegToRad}), Cross(-12.25, 100), 1e-12);
    // A western longitude, negative or stored as 2pi minus its magnitude.
    const double want = Cross(40, 360 - 30.5);
    EXPECT_NEAR(grid->MagDeclAt(DegPt(40, -30.5)), want, 1e-12);
    EXPECT_NEAR(grid->MagDeclAt(TGeoPoint{40 * kDegToRad, k2Pi - 30.5L * kDegToRad}), want, 1e-12);
}

// At the poles the row beyond would lie outside the grid; the polar row itself is used. The
// grid is on the heap so that the address sanitizer sees any read past its end.
TEST(MagDecGrid, PolesReadNothingOutsideTheGrid) {
    auto grid = std::make_unique<TMagDecGrid>();
    grid->At(359, 90) = 3000;
    grid->At(0, 90) = 1000;
    grid->At(0, -90) = -1000;
    grid->At(1, -90) = 7777; // what a row "91" of column 0 would read
    EXPECT_NEAR(grid->MagDeclAt(DegPt(90, 359.0)), Rad(3000), 1e-15);
    EXPECT_NEAR(grid->MagDeclAt(DegPt(90, 359.5)), Rad(2000), 1e-15);
    EXPECT_NEAR(grid->MagDeclAt(DegPt(90, 0)), Rad(1000), 1e-15);
    EXPECT_NEAR(grid->MagDeclAt(DegPt(-90, 0.5)), Rad(-1000), 1e-15);
    EXPECT_NEAR(grid->MagDeclAt(TGeoPoint{-kPi2, 0}), Rad(-1000), 1e-15);
}

TEST(MagDecGrid, ExtremeGridValues) {
    auto grid = std::make_unique<TMagDecGrid>();
    grid->At(10, 10) = 32767;
    grid->At(11, 10) = -32768;
    EXPECT_NEAR(grid->MagDeclAt(DegPt(10, 10)) * 180 / kPiD, 179.9945068359375, 1e-12);
    EXPECT_NEAR(grid->MagDeclAt(DegPt(10, 11)) * 180 / kPiD, -180, 1e-12);
}

TEST(MagDecGrid, RangeAssertions) {
    auto grid = CrossGrid();
    const std::string lon63 = "Assertion failure (bglmag, line 63)";
    const std::string lat65 = "Assertion failure (bglmag, line 65)";
    struct Case {
        TGeoPoint p;
        std::string message;
        const char* what;
    };
    const Case cases[] = {
        {TGeoPoint{0, k2Pi}, lon63, "2pi stays 2pi: 360 degrees"},
        {TGeoPoint{0, 13}, lon63, "more than one turn above"},
        {TGeoPoint{0, -7}, lon63, "more than one turn below"},
        {TGeoPoint{0, std::nanl("")}, lon63, "not a number"},
        {TGeoPoint{91 * kDegToRad, 0}, lat65, "beyond the north pole"},
        {TGeoPoint{-91 * kDegToRad, 0}, lat65, "beyond the south pole"},
        {TGeoPoint{std::nanl(""), 0}, lat65, "latitude not a number"},
        {TGeoPoint{91 * kDegToRad, k2Pi}, lon63, "longitude checked first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MessageOf([&] { grid->MagDeclAt(c.p); }), c.message);
    }
    // Just inside the range.
    EXPECT_NO_THROW(grid->MagDeclAt(TGeoPoint{kPi2, k2Pi - 1e-12L}));
    EXPECT_NO_THROW(grid->MagDeclAt(TGeoPoint{-kPi2, 0}));
}

} // namespace
} // namespace kestrun
