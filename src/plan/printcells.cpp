#include "plan/printcells.h"

#include <algorithm>

#include "base/cp1251.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/gridcells.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

enum TPrintCol : int {
    pcNumber,
    pcName,
    pcCoords,
    pcMagDecl,
    pcTrueCourse,
    pcMagCourse,
    pcDistance,
    pcBeacon,
    pcMode,
    pcAzimuth,
    pcOrbit,
    pcPlannedCourse,
    pcTargetAngle,
    pcTargetDistance,
};

std::string Num(double value) {
    return Format("%4.1f", {value});
}

std::string Deg(double radians) {
    return Num(static_cast<double>(radians * kRadToDeg));
}

} // namespace

const std::array<TPrintColumn, kPrintColumnCount>& PrintColumns() {
    const auto L = TPrintAlign::Left, R = TPrintAlign::Right;
    static const std::array<TPrintColumn, kPrintColumnCount> columns = {{
        {Cp("N"), 0.2, 0, R, true},
        {Cp("ППМ"), 0.5, 0, L, false},
        {Cp("Коорд."), 1.5, 0.4, R, false},
        {Cp("М.скл."), 0.5, 0, R, true},
        {Cp("ЗИПУ"), 0.4, 0, R, false},
        {Cp("ЗМПУ"), 0.4, 0, R, false},
        {Cp("Дальн."), 0.4, 0, R, true},
        {Cp("РСБН"), 3.5, 0.6, L, true},
        {Cp("Режим"), 0.6, 0, R, false},
        {Cp("Азим."), 0.4, 0, R, false},
        {Cp("Орб."), 0.4, 0, R, false},
        {Cp("ЗПУ"), 0.4, 0, R, false},
        {Cp("УЦ"), 0.4, 0, R, false},
        {Cp("РЦ"), 0.4, 0, R, false},
    }};
    return columns;
}

double TPrintNeeds::TableInch() const {
    double sum = 0;
    for (int i = 0; i < kPrintColumnCount; ++i)
        sum += WidthInch[i] + (PrintColumns()[i].GapAfter ? kPrintGapInch : 0);
    return sum;
}

TPrintNeeds PrintColumnNeeds(const TWayPointList& plan, const TPrintTextWidth& textWidth) {
    const auto& cols = PrintColumns();
    TPrintNeeds needs;
    for (int c = 0; c < kPrintColumnCount; ++c) {
        double widest = textWidth(cols[c].Heading);
        for (int i = 0; i < plan.Count(); ++i)
            widest = std::max(widest, textWidth(PrintCellText(plan, i, c)));
        needs.WidthInch[c] = widest;
    }
    // Two columns without a gap between them need room between their texts. A left-aligned
    // text leaves its room on its right; otherwise the right-hand column, right-aligned in
    // every such pair of this table, leaves it on its left.
    for (int c = 0; c + 1 < kPrintColumnCount; ++c) {
        if (cols[c].GapAfter) continue;
        needs.WidthInch[cols[c].Align == TPrintAlign::Left ? c : c + 1] += kPrintGapInch;
    }
    for (int c = 0; c < kPrintColumnCount; ++c)
        if (cols[c].SpareShare == 0)
            needs.WidthInch[c] = std::max(needs.WidthInch[c], cols[c].WidthInch);
    return needs;
}

std::array<double, kPrintColumnCount> PrintColumnWidths(const TPrintNeeds& needs,
                                                        double pageWidthInch) {
    const auto& cols = PrintColumns();
    const auto& least = needs.WidthInch;
    std::array<double, kPrintColumnCount> widths = least;
    // What the page leaves for the two sharing columns.
    const double spare = pageWidthInch - needs.TableInch() + least[pcCoords] + least[pcBeacon];
    // Each takes its share up to its cap, but leaves the other at least its least width, so
    // that a page as wide as the narrowest table holds it.
    auto share = [&](int col, double left) {
        return std::max(least[col], std::min({cols[col].SpareShare * spare, cols[col].WidthInch,
                                              spare - left}));
    };
    widths[pcCoords] = share(pcCoords, least[pcBeacon]);
    widths[pcBeacon] = share(pcBeacon, widths[pcCoords]);
    return widths;
}

std::string PrintCellText(const TWayPointList& plan, int index, int column) {
    if (index < 0 || index >= plan.Count()) return {};
    const TWayPoint& w = plan[index];
    switch (column) {
    case pcNumber:
        return Format("%d.", {static_cast<long long>(index) + 1});
    case pcName:
        return w.Name;
    case pcCoords:
        return WayPointLatStr(w.Pos) + " " + WayPointLonStr(w.Pos);
    case pcMagDecl:
        return Deg(w.MagDecl);
    default:
        break;
    }
    // The last waypoint starts no leg.
    if (index == plan.Count() - 1) return {};
    switch (column) {
    case pcTrueCourse:
        return Deg(w.TrueCourse);
    case pcMagCourse:
        return Deg(w.MagCourse);
    case pcDistance:
        return Num(w.Distance);
    default:
        break;
    }
    // An index that names no record (the beacons were reloaded) counts as no beacon.
    const TRSBNRec* b = plan.BeaconOf(w);
    if (!b) return {};
    switch (column) {
    case pcBeacon:
        return b->Name + ", [" + b->Ident + "], [" + b->Number + "]";
    case pcMode:
        return ModeText(w.RSBNMode);
    case pcAzimuth:
        return Deg(w.RSBNAzimuth);
    case pcOrbit:
        return Num(w.RSBNOrbit);
    default:
        break;
    }
    if (w.RSBNMode != rmSRP) return {};
    switch (column) {
    case pcPlannedCourse:
        return Deg(w.RSBNPlannedCourse);
    case pcTargetAngle:
        return Deg(w.RSBNTargetAngle);
    case pcTargetDistance:
        return Num(w.RSBNTargetDistance);
    default:
        return {};
    }
}

std::string PrintTotalText(const TWayPointList& plan) {
    return Format(Cp("Общ.дист.: %4.0f км"), {plan.TotalDist});
}

std::string PrintPageText(const std::string& format, int page, int count) {
    try {
        return Format(format, {static_cast<long long>(page), static_cast<long long>(count)});
    } catch (const std::exception&) {
        return Format("page %d of %d",
                      {static_cast<long long>(page), static_cast<long long>(count)});
    }
}

} // namespace kestrun
