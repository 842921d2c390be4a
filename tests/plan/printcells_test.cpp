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

// Texts measured at 0.07 inch a byte, worked by hand: the name (16 bytes) and the course after
// a column without a gap get 0.06 inch of room; the coordinates (22 bytes) outgrow their cap.
TEST(PrintCells, ColumnsHoldTheirWidestTexts) {
    TWorld w;
    w.Add(Typed(53, -7), "+53.000_-007.000");
    w.Add(Typed(3, 0), "P2");
    w.Plan.CalcPlan();
    const TPrintNeeds needs =
        PrintColumnNeeds(w.Plan, [](const std::string& t) { return 0.07 * t.size(); });
    EXPECT_NEAR(needs.WidthInch[1], 1.18, 1e-9);
    EXPECT_NEAR(needs.WidthInch[5], 0.41, 1e-9); // "172.x"
    EXPECT_NEAR(needs.TableInch(), 7.84, 1e-9);  // hence also the widths of the other columns
    // The beacon column: its least width on the narrowest page, then what the coordinates
    // leave of the page, its share of what is left, its cap.
    for (auto [page, beacon] :
         {std::pair{7.84, 0.28}, {8.84, 1.28}, {10.84, 0.6 * 4.82}, {20.0, 3.5}}) {
        const auto widths = PrintColumnWidths(needs, page);
        EXPECT_NEAR(widths[2], 1.54, 1e-9) << page;
        EXPECT_NEAR(widths[7], beacon, 1e-9) << page;
    }
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
