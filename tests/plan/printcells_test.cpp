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

TEST(PrintCells, ColumnWidthsFollowThePaper) {
    struct Case {
        const char* name;
        double page, coords, beacon;
    } cases[] = {
        {"10 inches: the coordinate column capped", 10.0, 1.5, 0.6 * 4.6},
        {"7.4 inches: both in proportion", 7.4, 0.8, 1.2},
        {"wide paper: both capped", 20.0, 1.5, 3.5},
        {"narrower than 5.4 inches: both negative", 5.0, -0.16, -0.24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto cols = PrintColumns(c.page);
        EXPECT_NEAR(cols[2].WidthInch, c.coords, 1e-12);
        EXPECT_NEAR(cols[7].WidthInch, c.beacon, 1e-12);
    }
    // The fixed widths, with the four gaps, add up to 5.0 + 0.24 inches.
    double fixed = 0;
    int gaps = 0;
    for (const TPrintColumn& col : PrintColumns(10.0)) {
        fixed += col.WidthInch;
        gaps += col.GapAfter;
    }
    EXPECT_NEAR(fixed - 1.5 - 0.6 * 4.6, 5.0, 1e-12);
    EXPECT_EQ(gaps, 4);
    EXPECT_EQ(Cp1251ToUtf8(PrintColumns(8)[12].Heading), "УЦ");
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

TEST(PrintCells, TotalLine) {
    TWorld w;
    w.Add(Geo(55, 37));
    EXPECT_EQ(Cp1251ToUtf8(PrintTotalText(w.Plan)), "Общ.дист.:    0 км");
    w.Plan.TotalDist = 1234.5;
    EXPECT_EQ(Cp1251ToUtf8(PrintTotalText(w.Plan)), "Общ.дист.: 1234 км");
}

} // namespace
} // namespace kestrun::test
