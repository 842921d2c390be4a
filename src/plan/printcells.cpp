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

std::array<TPrintColumn, kPrintColumnCount> PrintColumns(double pageWidthInch) {
    const double spare = pageWidthInch - kPrintFixedInch;
    const double coords = std::min(0.4 * spare, 1.5);
    const double beacon = std::min(0.6 * spare, 3.5);
    const auto L = TPrintAlign::Left, R = TPrintAlign::Right;
    return {{{Cp("N"), 0.2, R, true},
             {Cp("ППМ"), 0.5, L, false},
             {Cp("Коорд."), coords, R, false},
             {Cp("М.скл."), 0.5, R, true},
             {Cp("ЗИПУ"), 0.4, R, false},
             {Cp("ЗМПУ"), 0.4, R, false},
             {Cp("Дальн."), 0.4, R, true},
             {Cp("РСБН"), beacon, L, true},
             {Cp("Режим"), 0.6, R, false},
             {Cp("Азим."), 0.4, R, false},
             {Cp("Орб."), 0.4, R, false},
             {Cp("ЗПУ"), 0.4, R, false},
             {Cp("УЦ"), 0.4, R, false},
             {Cp("РЦ"), 0.4, R, false}}};
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

} // namespace kestrun
