#include "base/numconv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "base/error.h"
#include "testutil.h"

using namespace kestrun;
using kestrun::test::MessageOf;

namespace {

// Runs the body under a locale whose decimal separator is ",", when the machine has one.
struct CommaLocale {
    CommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8", "de_DE", "ru_RU"})
            if (std::setlocale(LC_ALL, name)) {
                active = true;
                break;
            }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    bool active = false;
};

} // namespace

TEST(StrToInt, AcceptsWhatThePlatformAccepted) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"0", 0},
                 {"42", 42},
                 {"-037", -37},
                 {"+5", 5},
                 {"  17  ", 17},
                 {"\t9\r\n", 9},
                 {"$1F", 31},
                 {"2147483647", 2147483647},
                 {"-2147483648", -2147483647 - 1},
                 {"$FFFFFFFF", -1},
                 {"0x10", 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(StrToInt, RejectsWithTheTextAsGiven) {
    for (const char* text : {"", " ", "-", "1.5", "12a", "1 2", "2147483648", "--1", "$", "$G"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(MessageOf([&] { StrToInt(text); }),
                  std::string("'") + text + "' is not a valid integer value");
    }
}

TEST(StrToFloat, AcceptsDecimalPointFormsOnly) {
    struct Case {
        const char* text;
        long double value;
    } cases[] = {{"58.35", 58.35L},  {".5", 0.5L},       {"5.", 5.0L},  {"-24.68", -24.68L},
                 {" 1e3 ", 1000.0L}, {"+2.5E-1", 0.25L}, {"007", 7.0L}, {"1e-9999", 0.0L}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToFloat(c.text), c.value);
    }
}

TEST(StrToFloat, RejectsWithTheTextAsGiven) {
    for (const char* text :
         {"", ".", "1,5", "1.2.3", "e5", "1e", "--1", "nan", "inf", "0x1p3", "1e99999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(MessageOf([&] { StrToFloat(text); }),
                  std::string("'") + text + "' is not a valid floating point value");
    }
}

TEST(Format, MatchesPrintfUnderTheClassicLocale) {
    struct Case {
        const char* fmt;
        double value;
    } cases[] = {{"%3.1f", 5.25},  {"%3.1f", 123.45}, {"%6.1f", -3.05},  {"%4.0f", 2.5},
                 {"%4.0f", 3.5},   {"%.1f", 0.05},    {"%4.1f", 359.96}, {"%-7.2f|", 1.005},
                 {"%07.2f", -1.5}, {"%3.1f", -0.04}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fmt);
        char expected[64];
        std::snprintf(expected, sizeof expected, c.fmt, c.value);
        EXPECT_EQ(Format(c.fmt, {c.value}), expected);
    }
    EXPECT_EQ(Format("%2.2d*%3.3d|%3d.|%d", {5LL, 7LL, 12LL, -4LL}), "05*007| 12.|-4");
    EXPECT_EQ(Format("[%s-%s] 100%%", {std::string_view("A"), std::string_view("B")}),
              "[A-B] 100%");
}

TEST(Format, WritesAPointUnderACommaLocale) {
    CommaLocale locale;
    KESTRUN_REQUIRE(locale.active ? ""
                                  : "no locale with a decimal comma (scripts/setup builds "
                                    "de_DE.UTF-8)");
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5"); // the locale really is active
    EXPECT_EQ(Format("%3.1f", {1.5}), "1.5");
    EXPECT_EQ(FloatToFixed(-12.25, 1), "-12.2");
    EXPECT_EQ(StrToFloat("58.35"), 58.35L);
    EXPECT_EQ(MessageOf([] { StrToFloat("58,35"); }),
              "'58,35' is not a valid floating point value");
}

TEST(Format, MismatchedDirectiveRaises) {
    const std::string msg = "Format '%d km' invalid or incompatible with argument";
    EXPECT_EQ(MessageOf([] { Format("%d km", {1.5}); }), msg);
    EXPECT_EQ(MessageOf([] { Format("%4.1f %4.1f", {1.0}); }),
              "Format '%4.1f %4.1f' invalid or incompatible with argument");
    EXPECT_EQ(MessageOf([] { Format("%q", {1.0}); }),
              "Format '%q' invalid or incompatible with argument");
}

TEST(FloatToRoundTrip, ReadsBackExactly) {
    for (double v : {0.0, 1.0 / 3.0, 6378.137, -2.5e-300, 3.141592653589793}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(static_cast<double>(StrToFloat(FloatToRoundTrip(v))), v);
    }
}

// Decimal texts are converted by a short path; it must give the correctly rounded extended
// value that the C library's conversion gives.
TEST(StrToFloat, PlainDecimalsAreCorrectlyRounded) {
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<int> digits(1, 19), pointAt(0, 19);
    for (int k = 0; k < 100000; ++k) {
        std::string text;
        const int n = digits(rng);
        for (int i = 0; i < n; ++i) text += static_cast<char>('0' + rng() % 10);
        const int p = pointAt(rng) % (n + 1);
        if (k % 3) text.insert(static_cast<std::size_t>(p), 1, '.');
        if (k % 5 == 0) text.insert(0, 1, '-');
        SCOPED_TRACE(text);
        ASSERT_EQ(StrToFloat(text), std::strtold(text.c_str(), nullptr));
    }
}
