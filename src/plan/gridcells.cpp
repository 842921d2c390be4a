#include "plan/gridcells.h"

#include "base/cp1251.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

TColDescript Col(const char* designUtf8, std::uint16_t align, std::uint16_t content,
                 std::uint16_t width, const char* key) {
    TColDescript c;
    c.DesignCaption = Cp(designUtf8);
    c.Caption = c.DesignCaption;
    c.Align = align;
    c.Content = content;
    c.Width = width;
    c.LanguageKey = key;
    return c;
}

std::string Deg(double radians) {
    return Format("%3.1f", {static_cast<double>(radians * kRadToDeg)});
}

} // namespace

std::vector<TColDescript> RSBNColumns() {
    // The support-point column (code 10) stands before the mode column (code 9).
    return {Col("", 0, 0, 10, ""),
            Col("№", 1, 1, 17, "sStrGrid_Number"),
            Col("ППМ", 2, 2, 100, "sStrGrid_Points"),
            Col("Координаты ППМ", 2, 3, 125, "sStrGrid_Coords"),
            Col("МC", 1, 4, 29, "sStrGrid_MagDecl"),
            Col("ЗИПУ", 1, 5, 40, "sStrGrid_TrueCourseAngle"),
            Col("ЗМПУ", 1, 6, 40, "sStrGrid_MagCourseAngle"),
            Col("Дист.", 1, 7, 44, "sStrGrid_Distance"),
            Col("Маяк РСБН", 2, 8, 130, "sStrGrid_RSBNBeacon"),
            Col("Оп.точка", 2, 10, 60, "sStrGrid_RSBNSupPoint"),
            Col("Режим", 2, 9, 50, "sStrGrid_RSBNMode"),
            Col("Азимут", 1, 11, 50, "sStrGrid_RSBNAzimuth"),
            Col("Орбита", 1, 12, 50, "sStrGrid_RSBNOrbit"),
            Col("ЗПУ", 1, 13, 50, "sStrGrid_RSBNPlannedCourse"),
            Col("Уг.цели", 1, 14, 50, "sStrGrid_RSBNTargetAngle"),
            Col("Р.цели", 1, 15, 50, "sStrGrid_RSBNTargetDistance")};
}

std::vector<TColDescript> NVUColumns() {
    return {Col("", 0, 0, 10, ""),
            Col("№", 1, 1, 17, "sStrGrid_Number"),
            Col("ППМ", 2, 2, 38, "sStrGrid_Points"),
            Col("Координаты ППМ", 2, 3, 125, "sStrGrid_Coords"),
            Col("МC", 1, 4, 29, "sStrGrid_MagDecl"),
            Col("ЗИПУ", 1, 5, 40, "sStrGrid_TrueCourseAngle"),
            Col("ОЗИПУ", 1, 16, 40, "sStrGrid_TrueBackCourseAngle"),
            Col("ЗМПУ", 1, 6, 40, "sStrGrid_MagCourseAngle"),
            Col("ОЗМПУ", 1, 17, 40, "sStrGrid_MagBackCourseAngle"),
            Col("Аз.п.", 1, 18, 40, "sStrGrid_Fork"),
            Col("С.А.П.", 1, 19, 40, "sStrGrid_SFork"),
            Col("ОЗПУв", 1, 20, 40, "sStrGrid_OrthCourseTakeOff"),
            Col("ОЗПУп", 1, 21, 40, "sStrGrid_OrthCourseLand"),
            Col("Дист.", 1, 7, 44, "sStrGrid_Distance")};
}

bool HasRSBN(const TWayPointList& plan, const TWayPoint& w) {
    return w.BeaconPos.Lat != 0 && w.BeaconPos.Lon != 0 && plan.BeaconOf(w) != nullptr &&
           w.RSBNMode != rmNone;
}

std::string BeaconText(const TWayPointList& plan, const TWayPoint& w) {
    const TRSBNRec* b = plan.BeaconOf(w);
    if (!b) return {};
    return b->Name + ", [" + b->Ident + "], " + " [" + b->Number + "]";
}

std::string ModeText(int mode) {
    switch (mode) {
    case rmSRP:
        return Cp("СРП");
    case rmAzimuthTo:
        return Cp("А.НА");
    case rmAzimuthFrom:
        return Cp("А.ОТ");
    default:
        return {};
    }
}

std::string CellText(const TWayPointList& plan, int row, int content) {
    if (row < 1 || row > plan.Count()) return {};
    const TWayPoint& w = plan[row - 1];
    const bool last = row == plan.Count();
    const bool rsbn = !last && HasRSBN(plan, w);
    switch (content) {
    case 1:
        return std::to_string(row) + ".";
    case 2:
        return w.Name;
    case 3:
        return GeoPointToStr(w.Pos);
    case 4:
        return Deg(w.MagDecl);
    case 5:
        return last ? std::string() : Deg(w.TrueCourse);
    case 6:
        return last ? std::string() : Deg(w.MagCourse);
    case 7:
        return last ? std::string() : Format("%6.1f", {w.Distance});
    case 8:
        return BeaconText(plan, w);
    case 9:
        return rsbn ? ModeText(w.RSBNMode) : std::string();
    case 11:
        return rsbn ? Deg(w.RSBNAzimuth) : std::string();
    case 12:
        return rsbn ? Format("%3.1f", {w.RSBNOrbit}) : std::string();
    case 13:
        return rsbn ? Deg(w.RSBNPlannedCourse) : std::string();
    case 14:
        return rsbn ? Deg(w.RSBNTargetAngle) : std::string();
    case 15:
        return rsbn ? Format("%6.1f", {w.RSBNTargetDistance}) : std::string();
    case 16:
        return last ? std::string() : Deg(w.TrueBackCourse);
    case 17:
        return last ? std::string() : Deg(w.MagBackCourse);
    case 18:
        return last ? std::string() : Deg(w.Fork);
    case 19:
        return last ? std::string() : Deg(w.SFork);
    case 20:
        return last ? std::string() : Deg(w.OrthCourseTakeOff);
    case 21:
        return last ? std::string()
                    : Format("%3.1f", {static_cast<double>(w.OrthCourseTakeOff * kRadToDeg) +
                                       static_cast<double>(plan.SumForkMagDecl * kRadToDeg)});
    default:
        return {}; // 0: marker cell; 10: the support-point column is always empty
    }
}

bool CellGrey(const TWayPointList& plan, int row, int content) {
    if (row < 1 || row > plan.Count() || content < 13 || content > 15) return false;
    return plan[row - 1].RSBNMode != rmSRP;
}

} // namespace kestrun
