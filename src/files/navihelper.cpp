#include "files/navihelper.h"

#include "base/fileio.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

double Degrees(double radians) {
    return static_cast<double>(radians * kRadToDeg);
}

std::string_view ModeLetter(TRSBNMode mode) {
    switch (mode) {
    case rmSRP:
        return "S";
    case rmAzimuthTo:
        return "T";
    case rmAzimuthFrom:
        return "F";
    default:
        return "";
    }
}

} // namespace

std::string FormatNaviHelper(const TWayPointList& plan) {
    std::string out;
    for (int k = 1; k < plan.Count(); ++k) {
        const TWayPoint& p = plan[k - 1];
        const TWayPoint& q = plan[k];
        const TRSBNRec* beacon = plan.BeaconOf(p);
        if (!beacon) {
            out += Format("%3d. [%s-%s], t%.1f, m%.1f, %.1f, [%s]",
                          {static_cast<long long>(k), std::string_view(p.Name),
                           std::string_view(q.Name), Degrees(p.TrueCourse), Degrees(p.MagCourse),
                           p.Distance, std::string_view()});
        } else {
            out += Format("%3d. [%s-%s], t%.1f, m%.1f, %.1f, [%s], %s,%.1f, %.1f, %.1f, %.1f, %.1f",
                          {static_cast<long long>(k), std::string_view(p.Name),
                           std::string_view(q.Name), Degrees(p.TrueCourse), Degrees(p.MagCourse),
                           p.Distance, std::string_view(beacon->Ident), ModeLetter(p.RSBNMode),
                           Degrees(p.RSBNAzimuth), p.RSBNOrbit, Degrees(p.RSBNPlannedCourse),
                           Degrees(p.RSBNTargetAngle), p.RSBNTargetDistance});
        }
        out += "\r\n";
    }
    return out;
}

void ExportNaviHelper(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatNaviHelper(plan));
}

} // namespace kestrun
