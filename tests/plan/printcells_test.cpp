// The printed table's columns and cell texts, against hand-worked values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "plan/printcells.h"
#include "plan_world.h"

namespace kestrun::test {
namespace {

constexpr double kRad = kDeg;

std::vector<std::string> Row(const TWayPointList& plan, int index) {
    std::vector<std::string> row;
    for (int c = 0; c < kPrintColumnCount; ++c)
        row.push_back(Cp1251ToUtf8(PrintCellText(plan, index, c)));
    return row;
}

// Texts measured at 0.07 inch a byte. Worked by hand: the name (16 bytes) and the course
// "172.x" get a gap for their neighbours, as do the headings "Дальн." and "Азим."; the
// coordinates (22 bytes) outgrow their 1.5-inch cap; the other columns keep their own widths.
TEST(PrintCells, ColumnsHoldTheirWidestTexts) {
    TWorld w;
    w.Add(Typed(53, -7), "+53.000_-007.000");
    w.Add(Typed(3, 0), "P2");
    w.Plan.CalcPlan();
    const TPrintNeeds needs =
        PrintColumnNeeds(w.Plan, [](const std::string& t) { return 0.07 * t.size(); });
    using A = std::array<double, kPrintColumnCount>;
    const A least{0.2, 1.18, 1.54, 0.5, 0.4, 0.41, 0.48, 0.28, 0.6, 0.41, 0.4, 0.4, 0.4, 0.4};
    for (int c = 0; c < kPrintColumnCount; ++c) EXPECT_NEAR(needs.WidthInch[c], least[c], 1e-9);
    const double table = 7.84; // the widths and four gaps
    EXPECT_NEAR(needs.TableInch(), table, 1e-9);
    struct Case {
        double page, coords, beacon;
    } cases[] = {
        {table, 1.54, 0.28},           // the narrowest page: both at their least widths
        {table + 1, 1.54, 1.28},       // the beacon takes what the coordinates leave of its share
        {table + 3, 1.54, 0.6 * 4.82}, // its share
        {20, 1.54, 3.5},               // its cap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        A expected = least;
        expected[2] = c.coords;
        expected[7] = c.beacon;
        const A widths = PrintColumnWidths(needs, c.page);
        for (int i = 0; i < kPrintColumnCount; ++i) EXPECT_NEAR(widths[i], expected[i], 1e-9);
    }
    EXPECT_EQ(Cp1251ToUtf8(PrintColumns()[12].Heading), "УЦ");
}

TEST(PrintCells, RowsByLegKind) {
    TWorld w;
    const int kilo = w.AddBeacon(Geo(50, 30), "Kilo");
    w.Beacons.Records[kilo].Ident = "KL";
    w.Beacons.Records[kilo].Number = "12";
    for (int i = 0; i < 4; ++i) w.Add(Typed(55 + i, -7.5), "P" + std::to_string(i + 1));
    for (int i = 0; i < 4; ++i) {
        TWayPoint& p = w.Plan[i];
        p.MagDecl = -7.5 * kRad;
        p.TrueCourse = 12.34 * kRad;
        p.MagCourse = 359.96 * kRad;
        p.Distance = 5.25;
        p.RSBNAzimuth = 100 * kRad;
        p.RSBNOrbit = 42.05;
        p.RSBNPlannedCourse = 7 * kRad;
        p.RSBNTargetAngle = -3 * kRad;
        p.RSBNTargetDistance = 1234.56;
    }
    w.Plan[0].BeaconIndex = -1; // a leg without a beacon
    w.Plan[1].BeaconIndex = kilo;
    w.Plan[1].RSBNMode = rmAzimuthTo;
    w.Plan[2].BeaconIndex = kilo;
    w.Plan[2].RSBNMode = rmSRP;
    w.Plan[3].BeaconIndex = kilo; // the last waypoint starts no leg
    w.Plan[3].RSBNMode = rmSRP;

    using V = std::vector<std::string>;
    EXPECT_EQ(Row(w.Plan, 0), (V{"1.", "P1", "N55*00.00’ E352*30.00’", "-7.5", "12.3", "360.0",
                                 " 5.2", "", "", "", "", "", "", ""}));
    EXPECT_EQ(Row(w.Plan, 1), (V{"2.", "P2", "N56*00.00’ E352*30.00’", "-7.5", "12.3", "360.0",
                                 " 5.2", "Kilo, [KL], [12]", "А.НА", "100.0", "42.0", "", "", ""}));
    EXPECT_EQ(Row(w.Plan, 2),
              (V{"3.", "P3", "N57*00.00’ E352*30.00’", "-7.5", "12.3", "360.0", " 5.2",
                 "Kilo, [KL], [12]", "СРП", "100.0", "42.0", " 7.0", "-3.0", "1234.6"}));
    EXPECT_EQ(Row(w.Plan, 3), (V{"4.", "P4", "N58*00.00’ E352*30.00’", "-7.5", "", "", "", "", "",
                                 "", "", "", "", ""}));

    // After a reload the index may name no record: the leg prints as one without a beacon.
    w.Beacons.Clear();
    EXPECT_EQ(Row(w.Plan, 2)[7], "");
    EXPECT_EQ(Row(w.Plan, 2)[10], "");
}

TEST(PrintCells, PageLine) {
    EXPECT_EQ(Cp1251ToUtf8(PrintPageText(Cp("стр. %d из %d"), 2, 3)), "стр. 2 из 3");
    EXPECT_EQ(PrintPageText("%d/%d", 12, 30), "12/30");
    for (const char* faulty : {"page %s of %s", "page %d of %d %d", "%4.1f"})
        EXPECT_EQ(PrintPageText(faulty, 1, 2), "page 1 of 2") << faulty;
}

TEST(PrintCells, TotalLine) {
    TWorld w;
    w.Add(Geo(55, 37));
    EXPECT_EQ(Cp1251ToUtf8(PrintTotalText(w.Plan)), "Общ.дист.:    0 км");
    w.Plan.TotalDist = 1234.5;
    EXPECT_EQ(Cp1251ToUtf8(PrintTotalText(w.Plan)), "Общ.дист.: 1234 км");
}

} // namespace
} // namespace kestrun::test
