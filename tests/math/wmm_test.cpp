// The magnetic model against the values its publishers computed from the same coefficients,
// its behaviour at the poles, and the reader of its coefficient file.
#include "math/wmm.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/fileio.h"

namespace kestrun {
namespace {

const std::string kCof = std::string(KESTRUN_SHIPPED_DATA) + "/WMM2025.COF";
const std::string kWmmData = std::string(KESTRUN_TEST_DATA) + "/wmm/";

// The numeric rows of a whitespace-separated table ("#" lines are comments); "NaN" is read.
std::vector<std::vector<double>> ReadTable(const std::string& path) {
    std::string text = ReadFileBytes(path);
    std::vector<std::vector<double>> rows;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.empty() || line[0] == '#') continue;
        std::vector<double> row;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
            std::size_t start = i;
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
            if (i == start) break;
            double v = 0;
            auto [ptr, ec] = std::from_chars(line.data() + start, line.data() + i, v);
            if (ec != std::errc() || ptr != line.data() + i)
                ADD_FAILURE() << "bad number in " << line;
            row.push_back(v);
        }
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

TWmmModel LoadShippedModel() {
    TWmmModel m;
    m.LoadCof(kCof);
    return m;
}

TEST(WmmModel, LoadsTheShippedCoefficients) {
    TWmmModel m = LoadShippedModel();
    EXPECT_TRUE(m.IsLoaded());
    EXPECT_EQ(m.Epoch(), 2025.0);
    EXPECT_EQ(m.ModelName(), "WMM-2025");
    EXPECT_EQ(m.MaxDegree(), 12);
    EXPECT_EQ(m.ValidFrom(), 2025.0);
    EXPECT_EQ(m.ValidTo(), 2030.0);
}

// The WMM2025 report's table: date, height km, lat, lon, X, Y, Z, H, F (0.1 nT), I, D, GV
// (0.01 degree). Each value is the rounded model value, so it must be met to half a unit of
// its last digit (plus a hair for the decimal reading).
TEST(WmmModel, ReproducesThePublishedTestTable) {
    TWmmModel m = LoadShippedModel();
    auto rows = ReadTable(kWmmData + "WMM2025_TEST_VALUES.txt");
    ASSERT_EQ(rows.size(), 12u);
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 12u);
        SCOPED_TRACE("date " + std::to_string(row[0]) + " h " + std::to_string(row[1]) + " lat " +
                     std::to_string(row[2]) + " lon " + std::to_string(row[3]));
        TMagField f = m.Field(row[2], row[3], row[1], row[0]);
        const double nT = 0.05 + 1e-6, deg = 0.005 + 1e-9;
        EXPECT_NEAR(f.X, row[4], nT);
        EXPECT_NEAR(f.Y, row[5], nT);
        EXPECT_NEAR(f.Z, row[6], nT);
        EXPECT_NEAR(f.H, row[7], nT);
        EXPECT_NEAR(f.F, row[8], nT);
        EXPECT_NEAR(f.Incl, row[9], deg);
        EXPECT_NEAR(f.Decl, row[10], deg);
        EXPECT_NEAR(m.Declination(row[2], row[3], row[1], row[0]), row[10], deg);
        if (std::isnan(row[11]))
            EXPECT_TRUE(std::isnan(f.GridVar));
        else
            EXPECT_NEAR(f.GridVar, row[11], deg);
    }
}

// NOAA's 100-point list (dates 2025.0 to 2029.5, heights to 100 km, latitudes to 89 degrees):
// components to six decimals, declination and inclination to two.
TEST(WmmModel, ReproducesTheHundredPointList) {
    TWmmModel m = LoadShippedModel();
    auto rows = ReadTable(kWmmData + "WMM2025_FINAL_TEST_VALUES_HIGHPREC.txt");
    ASSERT_EQ(rows.size(), 100u);
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 11u);
        SCOPED_TRACE("date " + std::to_string(row[0]) + " h " + std::to_string(row[1]) + " lat " +
                     std::to_string(row[2]) + " lon " + std::to_string(row[3]));
        TMagField f = m.Field(row[2], row[3], row[1], row[0]);
        EXPECT_NEAR(f.Decl, row[4], 0.005 + 1e-9);
        EXPECT_NEAR(f.Incl, row[5], 0.005 + 1e-9);
        const double nT = 2e-3;
        EXPECT_NEAR(f.H, row[6], nT);
        EXPECT_NEAR(f.X, row[7], nT);
        EXPECT_NEAR(f.Y, row[8], nT);
        EXPECT_NEAR(f.Z, row[9], nT);
        EXPECT_NEAR(f.F, row[10], nT);
    }
}

// At a pole the field is one horizontal vector, so the declination measured from the meridian
// of arrival turns with that meridian: D - lon is the same for every longitude in the north,
// D + lon in the south, and the polar value is the limit of its meridian's values.
TEST(WmmModel, PolesAreTheLimitAlongTheMeridian) {
    TWmmModel m = LoadShippedModel();
    for (double lat : {90.0, -90.0}) {
        const double sign = lat > 0 ? -1.0 : 1.0;
        const double ref = m.Declination(lat, 0, 0, 2027.0);
        for (double lon : {-170.0, -90.0, 13.5, 37.0, 90.0, 179.0, 245.0, 359.0}) {
            SCOPED_TRACE("lat " + std::to_string(lat) + " lon " + std::to_string(lon));
            TMagField f = m.Field(lat, lon, 0, 2027.0);
            ASSERT_TRUE(std::isfinite(f.Decl));
            double turned = std::remainder(f.Decl + sign * lon - ref, 360.0);
            EXPECT_NEAR(turned, 0.0, 1e-6);
            EXPECT_NEAR(f.GridVar, ref, 1e-6);
            // Continuity with the meridian just below the pole.
            const double near = lat - (lat > 0 ? 1e-7 : -1e-7);
            TMagField g = m.Field(near, lon, 0, 2027.0);
            EXPECT_NEAR(std::remainder(f.Decl - g.Decl, 360.0), 0.0, 1e-3);
            EXPECT_NEAR(f.X, g.X, 0.1);
            EXPECT_NEAR(f.Y, g.Y, 0.1);
            EXPECT_NEAR(f.Z, g.Z, 0.1);
            EXPECT_NEAR(f.H, std::hypot(f.X, f.Y), 1e-9);
        }
    }
}

TEST(WmmModel, LongitudesOneTurnApartAgree) {
    TWmmModel m = LoadShippedModel();
    for (double lon : {-121.0, 0.0, 37.4, 179.9}) {
        SCOPED_TRACE(lon);
        EXPECT_NEAR(m.Declination(55.0, lon, 0, 2026.0),
                    m.Declination(55.0, lon + 360.0, 0, 2026.0), 1e-9);
    }
}

TEST(WmmModel, RejectsPositionsOutsideTheSphereOfDefinition) {
    TWmmModel m = LoadShippedModel();
    struct Case {
        double lat, lon, h, year;
    };
    const Case cases[] = {{90.0001, 0, 0, 2026},  {-91, 0, 0, 2026}, {NAN, 0, 0, 2026},
                          {0, INFINITY, 0, 2026}, {0, 0, NAN, 2026}, {0, 0, 0, NAN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lat) + " " + std::to_string(c.lon));
        try {
            m.Field(c.lat, c.lon, c.h, c.year);
            ADD_FAILURE() << "no error";
        } catch (const EKestrunError& e) {
            EXPECT_STREQ(e.what(), "Range check error");
        }
    }
}

TEST(WmmModel, UnloadedModelRaises) {
    TWmmModel m;
    EXPECT_FALSE(m.IsLoaded());
    try {
        m.Declination(0, 0, 0, 2026);
        ADD_FAILURE() << "no error";
    } catch (const EKestrunError& e) {
        EXPECT_STREQ(e.what(), "No magnetic model loaded");
    }
}

TEST(WmmModelCof, MissingFileRaisesTheOpenError) {
    TWmmModel m = LoadShippedModel();
    const std::string path = kWmmData + "no such file.COF";
    try {
        m.LoadCof(path);
        ADD_FAILURE() << "no error";
    } catch (const EKestrunError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + path);
    }
    EXPECT_TRUE(m.IsLoaded()); // the model loaded before is kept
    EXPECT_EQ(m.MaxDegree(), 12);
}

// A complete degree-2 model, for the malformed variants below.
const char* const kSmallCof = "    2025.0            TEST-1        01/01/2025\n"
                              "  1  0  -29000.0       0.0       10.0        0.0\n"
                              "  1  1   -1500.0    4500.0        9.0      -20.0\n"
                              "  2  0   -2500.0       0.0      -11.0        0.0\n"
                              "  2  1    3000.0   -3000.0       -5.0      -27.0\n"
                              "  2  2    1700.0    -700.0        3.0      -14.0\n"
                              "999999999999999999999999999999999999999999999999\n"
                              "999999999999999999999999999999999999999999999999\n";

TEST(WmmModelCof, ReadsASmallModelAndItsSecularVariation) {
    TWmmModel m;
    m.ReadCof(kSmallCof, "small.cof");
    EXPECT_EQ(m.MaxDegree(), 2);
    EXPECT_EQ(m.ModelName(), "TEST-1");
    // An axial dipole alone: at the geographic north pole on the sphere's axis, Z = -2 g10
    // (a/r)^3 with r the polar radius, and g10 grows by 10 nT a year.
    TWmmModel dipole;
    dipole.ReadCof("2025.0 DIPOLE\r\n1 0 -30000 0 10 0\r\n1 1 0 0 0 0\r\n", "dipole.cof");
    const double polarKm = 6378.137 * (1 - 1 / 298.257223563);
    const double q = std::pow(6371.2 / polarKm, 3);
    EXPECT_NEAR(dipole.Field(90, 0, 0, 2025.0).Z, 60000.0 * q, 1e-6);
    EXPECT_NEAR(dipole.Field(90, 0, 0, 2027.5).Z, 2 * (30000.0 - 25.0) * q, 1e-6);
    EXPECT_NEAR(dipole.Field(-90, 0, 0, 2025.0).Z, -60000.0 * q, 1e-6);
    // On the equator at sea level the dipole points due north: declination 0, X = -g10.
    TMagField eq = dipole.Field(0, 77, 0, 2025.0);
    EXPECT_NEAR(eq.Decl, 0.0, 1e-12);
    EXPECT_NEAR(eq.X, 30000.0 * q * std::pow(polarKm / 6378.137, 3), 1e-6);
    EXPECT_NEAR(eq.Z, 0.0, 1e-9);
}

TEST(WmmModelCof, MalformedFilesAreRejectedWithTheLine) {
    const std::string h = "2025.0 TEST-1 01/01/2025\n";
    const std::string body = "1 0 -29000 0 10 0\n1 1 -1500 4500 9 -20\n";
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    };
    const std::string pre = "Bad format of magnetic model file bad.cof, line ";
    const Case cases[] = {
        {"empty", "", pre + "1: empty file"},
        {"blank lines only", "\n  \n", pre + "2: empty file"},
        {"header without name", "2025.0\n" + body,
         pre + "1: expected the epoch and the model name"},
        {"header not a number", "WMM-2025 2025.0\n" + body,
         pre + "1: expected the epoch and the model name"},
        {"epoch out of range", "25.0 X\n" + body, pre + "1: epoch out of range"},
        {"no coefficients", h + "9999999999\n", pre + "2: no coefficients"},
        {"five fields", h + "1 0 -29000 0 10\n", pre + "2: expected n m g h gdot hdot"},
        {"seven fields", h + "1 0 -29000 0 10 0 1\n", pre + "2: expected n m g h gdot hdot"},
        {"decimal comma", h + "1 0 -29000,5 0 10 0\n", pre + "2: not a number"},
        {"order as real", h + "1 0.0 -29000 0 10 0\n", pre + "2: not a number"},
        {"order above degree", h + "1 2 -29000 0 10 0\n", pre + "2: degree or order out of range"},
        {"degree 13", h + "13 0 1 0 0 0\n", pre + "2: degree or order out of range"},
        {"degree 0", h + "0 0 1 0 0 0\n", pre + "2: degree or order out of range"},
        {"negative order", h + "1 -1 1 0 0 0\n", pre + "2: degree or order out of range"},
        {"twice", h + body + "1 1 0 0 0 0\n", pre + "4: coefficient given twice"},
        {"missing 1 1", h + "1 0 -29000 0 10 0\n9999\n", pre + "3: coefficient n=1 m=1 missing"},
        {"gap in degree 2", h + body + "2 0 1 0 0 0\n2 2 1 0 0 0\n",
         pre + "5: coefficient n=2 m=1 missing"},
        {"NUL byte", h + std::string("1 0 -29000 0 10 0\0\n", 19), pre + "2: binary data"},
        {"infinite value", h + "1 0 inf 0 10 0\n1 1 0 0 0 0\n", pre + "2: not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWmmModel m;
        m.ReadCof(kSmallCof, "small.cof");
        try {
            m.ReadCof(c.text, "bad.cof");
            ADD_FAILURE() << "no error";
        } catch (const EKestrunError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(m.ModelName(), "TEST-1"); // unchanged by the failed read
        EXPECT_EQ(m.MaxDegree(), 2);
    }
}

TEST(WmmModelCof, TextAfterTheClosingLineAndCrLfAreAccepted) {
    TWmmModel m;
    m.ReadCof("\r\n  2025.0  A\r\n1 0 -1 0 0 0\r\n1 1 +2 -3 0 0\r\n999999999\r\nanything\n", "x");
    EXPECT_EQ(m.MaxDegree(), 1);
    EXPECT_EQ(m.ModelName(), "A");
}

TEST(DecimalYear, CalendarDays) {
    struct Case {
        int y, m, d;
        double expected;
    };
    const Case cases[] = {
        {2025, 1, 1, 2025.0},
        {2025, 7, 2, 2025.0 + 182.0 / 365.0},
        {2025, 12, 31, 2025.0 + 364.0 / 365.0},
        {2028, 3, 1, 2028.0 + 60.0 / 366.0}, // leap year
        {2028, 12, 31, 2028.0 + 365.0 / 366.0},
        {2100, 3, 1, 2100.0 + 59.0 / 365.0}, // not a leap year
        {2000, 2, 29, 2000.0 + 59.0 / 366.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        EXPECT_DOUBLE_EQ(DecimalYear(c.y, c.m, c.d), c.expected);
    }
    const int bad[][3] = {{2025, 2, 29}, {2025, 0, 1}, {2025, 13, 1}, {2025, 4, 31}, {2025, 1, 0}};
    for (const auto& b : bad) {
        SCOPED_TRACE(std::to_string(b[1]) + "-" + std::to_string(b[2]));
        EXPECT_THROW(DecimalYear(b[0], b[1], b[2]), EKestrunError);
    }
}

TEST(DeclinationToGridValue, ScaleRoundingAndClamp) {
    struct Case {
        double deg;
        int expected;
    };
    const double unit = 180.0 / 32768.0;
    const Case cases[] = {
        {0.0, 0},          {1.0, 182},   // 182.04
        {-1.0, -182},      {10.0, 1820}, // 1820.44
        {0.5 * unit, 1},                 // halves away from zero
        {-0.5 * unit, -1}, {0.49 * unit, 0},  {179.9945, 32767}, {180.0, 32767}, // 32768 is clamped
        {-180.0, -32768},  {-179.99, -32766}, {400.0, 32767},    {-400.0, -32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deg);
        EXPECT_EQ(DeclinationToGridValue(c.deg), c.expected);
    }
}

} // namespace
} // namespace kestrun
