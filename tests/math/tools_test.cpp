#include "math/tools.h"

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "testutil.h"

namespace kestrun {
namespace {

using test::MessageOf;

using test::kPiD;

/// Coordinate texts are typed here in UTF-8 ("°", "’") and used as code page 1251.
std::string T(std::string_view utf8) {
    return Cp(utf8);
}

TEST(Tools, MarksAreTheCodePageBytes) {
    EXPECT_EQ(T("°"), std::string(1, kDegreeSign));
    EXPECT_EQ(T("’"), std::string(1, kClosingMark));
    EXPECT_EQ(static_cast<unsigned char>(kDegreeSign), 0xB0);
    EXPECT_EQ(static_cast<unsigned char>(kClosingMark), 0x92);
}

TEST(Tools, MoscowRoundTrip) {
    const std::string text = T("N55°58.35’ E037°24.68’");
    const TGeoPoint p = StrToGeoPoint(text);
    EXPECT_NEAR(static_cast<double>(p.Lat), (55 + 58.35 / 60) * kPiD / 180, 1e-15);
    EXPECT_NEAR(static_cast<double>(p.Lon), (37 + 24.68 / 60) * kPiD / 180, 1e-15);
    EXPECT_EQ(GeoPointToStr(p), text);
    EXPECT_EQ(WayPointLatStr(p), T("N55*58.35’"));
    EXPECT_EQ(WayPointLonStr(p), T("E037*24.68’"));
}

TEST(Tools, SouthWestLowerCase) {
    const TGeoPoint p = StrToGeoPoint(T("s10°00.00’ w030°00.00’"));
    EXPECT_NEAR(static_cast<double>(p.Lat), 2 * kPiD - 10 * kPiD / 180, 1e-15);
    EXPECT_NEAR(static_cast<double>(p.Lon), 2 * kPiD - 30 * kPiD / 180, 1e-15);
    EXPECT_EQ(GeoPointToStr(p), T("S10°00.00’ W030°00.00’"));
    // The asterisk form writes the stored angle: 350 and 330 degrees, never 349*60.00.
    EXPECT_EQ(WayPointLatStr(p), T("N350*00.00’"));
    EXPECT_EQ(WayPointLonStr(p), T("E330*00.00’"));
}

TEST(Tools, DisplayFormOfEveryStoredForm) {
    struct Case {
        long double lat, lon;
        const char* text;
    };
    const long double d = kDegToRad;
    const Case cases[] = {
        {-10 * d, -30 * d, "S10°00.00’ W030°00.00’"},             // negative angles (beacons)
        {k2Pi - 10 * d, k2Pi - 30 * d, "S10°00.00’ W030°00.00’"}, // 2pi minus the magnitude
        {0, 0, "N00°00.00’ E000°00.00’"},
        {180 * d, 180 * d, "N180°00.00’ E180°00.00’"}, // exactly 180 keeps N and E
        {180.5L * d, 180.5L * d, "S179°30.00’ W179°30.00’"},
        {(89 + 59.99L / 60) * d, (179 + 59.5L / 60) * d, "N89°59.98’ E179°59.50’"},
        {(5 + 7.0L / 60) * d, (7 + 8.0L / 60) * d, "N05°07.00’ E007°08.00’"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GeoPointToStr(TGeoPoint{c.lat, c.lon}), T(c.text));
    }
}

// Every text on the hundredths grid (which is whole seconds) survives parse and format, in all
// four hemispheres, and the asterisk form carries the stored angle.
TEST(Tools, RandomTextsRoundTrip) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> latD(0, 89), lonD(0, 179), minD(0, 59), secD(0, 59);
    for (int k = 0; k < 3000; ++k) {
        const int la = latD(rng), lo = lonD(rng), lam = minD(rng), lom = minD(rng);
        const int las = secD(rng), los = secD(rng);
        const int lah = static_cast<int>(std::lround(las / 60.0 * 100));
        const int loh = static_cast<int>(std::lround(los / 60.0 * 100));
        const bool south = k % 2, west = k % 4 >= 2;
        const std::string text =
            Format(south ? "S%2.2d\xB0%2.2d.%2.2d\x92" : "N%2.2d\xB0%2.2d.%2.2d\x92",
                   {la, lam, lah}) +
            " " +
            Format(west ? "W%3.3d\xB0%2.2d.%2.2d\x92" : "E%3.3d\xB0%2.2d.%2.2d\x92",
                   {lo, lom, loh});
        SCOPED_TRACE(Cp1251ToUtf8(text));
        const TGeoPoint p = StrToGeoPoint(text);
        const bool zeroLat = la == 0 && lam == 0 && lah == 0;
        const bool zeroLon = lo == 0 && lom == 0 && loh == 0;
        std::string want = text;
        if (zeroLat) want[0] = 'N'; // no southern zero
        if (zeroLon) want[want.find(' ') + 1] = 'E';
        EXPECT_EQ(GeoPointToStr(p), want);
        // Stored degrees: 360 minus the magnitude for south and west.
        const double latStored = (la + lam / 60.0 + lah / 6000.0);
        const double deg = south && !zeroLat ? 360 - latStored : latStored;
        EXPECT_NEAR(static_cast<double>(p.Lat) * 180 / kPiD, deg, 1e-12);
        int dd, mm, hh;
        SplitDegreesHundredths(deg, dd, mm, hh);
        EXPECT_EQ(WayPointLatStr(p), Format("N%2.2d*%2.2d.%2.2d\x92", {dd, mm, hh}));
    }
}

TEST(Tools, AcceptedTexts) {
    struct Case {
        const char* text;
        double latDeg, lonDeg;
    };
    const Case cases[] = {
        {"N5°7’ E7°8’", 5 + 7 / 60.0, 7 + 8 / 60.0}, // one-digit fields
        {"N  55°58.35’    E  037°24.68’", 55 + 58.35 / 60, 37 + 24.68 / 60},
        {"\t N55°58.35’ E037°24.68’ \r\n", 55 + 58.35 / 60, 37 + 24.68 / 60},
        {"N55°58.35’E037°24.68’", 55 + 58.35 / 60, 37 + 24.68 / 60},
        {"N55°58.35’ E037°24.68’ and anything after", 55 + 58.35 / 60, 37 + 24.68 / 60},
        {"n1°.5’ e2°3.’", 1 + 0.5 / 60, 2 + 3 / 60.0},
        // Minutes of 60 or more stand as written while the whole stays in range.
        {"S89°60.00’ W179°60.00’", -90, -180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TGeoPoint p = StrToGeoPoint(T(c.text));
        // Southern and western values are kept as 2pi minus their magnitude.
        const double lat = c.latDeg < 0 ? 360 + c.latDeg : c.latDeg;
        const double lon = c.lonDeg < 0 ? 360 + c.lonDeg : c.lonDeg;
        EXPECT_NEAR(static_cast<double>(p.Lat), lat * kPiD / 180, 1e-14);
        EXPECT_NEAR(static_cast<double>(p.Lon), lon * kPiD / 180, 1e-14);
    }
}

TEST(Tools, RejectedTexts) {
    const std::string bad = kMsgBadFormat;
    const std::string range = kMsgRangeCheck;
    struct Case {
        const char* text;
        std::string message;
    };
    const Case cases[] = {
        {"X55°58.35’ E037°24.68’", bad},
        {"N55°58.35’ Q037°24.68’", bad},
        {"N 55 °58.35’ E037°24.68’", bad}, // no blank before the degree sign
        {"N55° 58.35’ E037°24.68’", bad},  // no blank before the minutes
        {"N55°58.35 ’ E037°24.68’", bad},  // nor after them
        {"N55*58.35’ E037°24.68’", bad},   // the asterisk form is not typed
        {"N55°58.35' E037°24.68’", bad},   // an ASCII apostrophe is not the closing mark
        {"N55°58.35’ E037°24.68'", bad},
        {"N°58.35’ E037°24.68’", MsgNotInteger("")},
        {"N55°58.35’ E°24.68’", MsgNotInteger("")},
        {"N99999999999°00.00’ E037°24.68’", MsgNotInteger("99999999999")},
        {"N55°’ E037°24.68’", MsgNotFloat("")},
        {"N55°58..35’ E037°24.68’", MsgNotFloat("58..35")},
        {"N55°.’ E037°24.68’", MsgNotFloat(".")},
        {"N55°58.35’ E037°24.6.8’", MsgNotFloat("24.6.8")},
        {"", range},
        {"   ", range},
        {"N", range},
        {"N55", range},
        {"N55°58.35", range},
        {"N55°58.35’", range},
        {"N55°58.35’ E", range},
        {"N55°58.35’ E037°", range},
        {"N55°58.35’ E037°24.68", range}, // ends before the longitude's closing mark
        // Beyond a pole or beyond 180 degrees: refused, naming the value.
        {"N89° 75.00’ E000°00.00’", bad},
        {"N89°75.00’ E000°00.00’", MsgBadLatitude(T("N89°75.00’"))},
        {"s91°00.00’ E000°00.00’", MsgBadLatitude(T("s91°00.00’"))},
        {"N00°00.00’  W180°00.01’", MsgBadLongitude(T("W180°00.01’"))},
        {"N00°00.00’ E400°00.00’", MsgBadLongitude(T("E400°00.00’"))},
        {"N2147483647°59.99’ E000°00.00’", MsgBadLatitude(T("N2147483647°59.99’"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MessageOf([&] { StrToGeoPoint(T(c.text)); }), c.message);
    }
    EXPECT_THROW(StrToGeoPoint(T("N55°58.35’ E037°24.68")), EKestrunError);
}

TEST(Tools, DegreesAndMinutesTexts) {
    EXPECT_NEAR(DegMinTextsToRad("55", "58.35"), (55 + 58.35L / 60) * test::kPiL / 180, 1e-18L);
    EXPECT_NEAR(DegMinTextsToRad("-10", "45"), (-10 + 0.75L) * test::kPiL / 180, 1e-18L);
    // With both texts bad, the minutes' error is the one raised.
    EXPECT_EQ(MessageOf([] { DegMinTextsToRad("x", "y"); }),
              "'y' is not a valid floating point value");
}

TEST(Tools, SplitDegrees) {
    struct Case {
        double x;
        int d, m, s;
        const char* what;
    };
    const Case cases[] = {
        {0, 0, 0, 0, "zero"},
        {10.5, 10, 30, 0, "half a degree"},
        {55 + 58.35 / 60, 55, 58, 21, "58.35 minutes"},
        {11 - 0.4 / 3600, 11, 0, 0, "less than half a second below 11: both carries"},
        {11 - 0.6 / 3600, 10, 59, 59, "more than half a second below 11"},
        {10 + 59.995 / 60, 11, 0, 0, "59.995 minutes: seconds carry into minutes and degrees"},
        {10 + 30.9999 / 60, 10, 31, 0, "seconds carry into minutes only"},
        {-0.5, 0, -30, 0, "sign on the minutes"},
        {-10.5, -10, 30, 0, "sign on the degrees"},
        {-0.001, 0, 0, -4, "sign on the seconds"},
        {-0.1 / 3600, 0, 0, 0, "all zero stay zero"},
        // Exact ties (the fraction of a minute is a multiple of 1/8): to the even second.
        {10.03125, 10, 1, 52, "52.5 seconds"},
        {10.09375, 10, 5, 38, "37.5 seconds"},
        {10.15625, 10, 9, 22, "22.5 seconds"},
        {10.21875, 10, 13, 8, "7.5 seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int d = -99, m = -99, s = -99;
        SplitDegrees(c.x, d, m, s);
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(s, c.s);
    }
}

TEST(Tools, SplitDegreesHundredths) {
    struct Case {
        double x;
        int d, m, h;
        const char* what;
    };
    const Case cases[] = {
        {55 + 58.35 / 60, 55, 58, 35, "58.35 minutes"},
        {55 + 58.355 / 60, 55, 58, 35, "58.355 minutes: whole seconds first"},
        {55 + 58.36 / 60, 55, 58, 37, "58.36 minutes: 22 seconds"}, // 21.6 s -> 22 -> 36.67
        {10.15625, 10, 9, 37, "22.5 seconds tie to 22, 36.67 hundredths"},
        {10.03125, 10, 1, 87, "52.5 seconds tie to 52, 86.67 hundredths"},
        {10 + 59.99 / 60, 10, 59, 98, "59 seconds: the largest hundredths"},
        {11 - 0.4 / 3600, 11, 0, 0, "carry into the degrees"},
        {350 - 1e-13, 350, 0, 0, "a hair below a whole degree"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int d = -99, m = -99, h = -99;
        SplitDegreesHundredths(c.x, d, m, h);
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(h, c.h);
    }
}

// Typed minutes of 9.375 are 9' 22.5", which rounds to 22" and shows as 09.37, not 09.38;
// 1.875 are 1' 52.5", shown as 01.87.
TEST(Tools, TiesToEvenShowInTheDisplayForm) {
    const TGeoPoint p = StrToGeoPoint(T("N10°09.375’ E010°01.875’"));
    EXPECT_EQ(GeoPointToStr(p), T("N10°09.37’ E010°01.87’"));
}

// 2pi minus a whole number of degrees, turned back into degrees as a double, often lies a hair
// below the whole degree; the seconds then come to 60 and both carries apply.
TEST(Tools, StoredAngleJustBelowAWholeDegree) {
    int below = 0;
    for (int deg = 1; deg <= 179; ++deg) {
        SCOPED_TRACE(deg);
        const int lat = deg <= 89 ? deg : 89;
        const std::string typed = Format("S%2.2d\xB0"
                                         "00.00\x92 W%3.3d\xB0"
                                         "00.00\x92",
                                         {lat, deg});
        const TGeoPoint p = StrToGeoPoint(typed);
        if (static_cast<double>(p.Lon * kRadToDeg) < 360 - deg) ++below;
        EXPECT_EQ(GeoPointToStr(p), typed);
        EXPECT_EQ(WayPointLatStr(p), Format("N%2.2d*00.00\x92", {360 - lat}));
        EXPECT_EQ(WayPointLonStr(p), Format("E%3.3d*00.00\x92", {360 - deg}));
    }
    EXPECT_GT(below, 3); // the case does occur
}

TEST(Tools, FormattersAcceptAnyAngle) {
    // Far outside any range: no failure, no overflow.
    for (long double v :
         {1e30L, -1e30L, 1e300L, std::nanl(""), std::numeric_limits<long double>::infinity()}) {
        const TGeoPoint p{v, v};
        EXPECT_NO_THROW(GeoPointToStr(p));
        EXPECT_NO_THROW(WayPointLatStr(p));
        EXPECT_NO_THROW(WayPointLonStr(p));
    }
    int d, m, s;
    SplitDegrees(1e300, d, m, s);
    EXPECT_EQ(d, 2147483647);
}

} // namespace
} // namespace kestrun
