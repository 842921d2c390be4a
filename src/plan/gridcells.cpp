#include "plan/gridcells.h"

#include "base/cp1251.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

TColDescript Col(const char* designUtf8, TCellAlign align, TCellContent content,
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

// Format's "%W.1f": one decimal, right-aligned in `width` characters. Every numeric cell of a
// row goes through here; it skips the reading of a format text.
std::string Fixed(double value, std::size_t width = 3) {
    std::string s = FloatToFixed(value, 1);
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

std::string Deg(double radians) {
    return Fixed(static_cast<double>(radians * kRadToDeg));
}

} // namespace

std::vector<TColDescript> RSBNColumns() {
    // The support-point column stands before the mode column.
    return {Col("", caMarker, ccMarker, 10, ""),
            Col("№", caRight, ccNumber, 17, "sStrGrid_Number"),
            Col("ППМ", caLeft, ccName, 100, "sStrGrid_Points"),
            Col("Координаты ППМ", caLeft, ccCoords, 125, "sStrGrid_Coords"),
            Col("МC", caRight, ccMagDecl, 29, "sStrGrid_MagDecl"),
            Col("ЗИПУ", caRight, ccTrueCourse, 40, "sStrGrid_TrueCourseAngle"),
            Col("ЗМПУ", caRight, ccMagCourse, 40, "sStrGrid_MagCourseAngle"),
            Col("Дист.", caRight, ccDistance, 44, "sStrGrid_Distance"),
            Col("Маяк РСБН", caLeft, ccBeacon, 130, "sStrGrid_RSBNBeacon"),
            Col("Оп.точка", caLeft, ccRSBNSupPoint, 60, "sStrGrid_RSBNSupPoint"),
            Col("Режим", caLeft, ccRSBNMode, 50, "sStrGrid_RSBNMode"),
            Col("Азимут", caRight, ccRSBNAzimuth, 50, "sStrGrid_RSBNAzimuth"),
            Col("Орбита", caRight, ccRSBNOrbit, 50, "sStrGrid_RSBNOrbit"),
            Col("ЗПУ", caRight, ccRSBNPlannedCourse, 50, "sStrGrid_RSBNPlannedCourse"),
            Col("Уг.цели", caRight, ccRSBNTargetAngle, 50, "sStrGrid_RSBNTargetAngle"),
            Col("Р.цели", caRight, ccRSBNTargetDistance, 50, "sStrGrid_RSBNTargetDistance")};
}

std::vector<TColDescript> NVUColumns() {
    return {Col("", caMarker, ccMarker, 10, ""),
            Col("№", caRight, ccNumber, 17, "sStrGrid_Number"),
            Col("ППМ", caLeft, ccName, 38, "sStrGrid_Points"),
            Col("Координаты ППМ", caLeft, ccCoords, 125, "sStrGrid_Coords"),
            Col("МC", caRight, ccMagDecl, 29, "sStrGrid_MagDecl"),
            Col("ЗИПУ", caRight, ccTrueCourse, 40, "sStrGrid_TrueCourseAngle"),
            Col("ОЗИПУ", caRight, ccTrueBackCourse, 40, "sStrGrid_TrueBackCourseAngle"),
            Col("ЗМПУ", caRight, ccMagCourse, 40, "sStrGrid_MagCourseAngle"),
            Col("ОЗМПУ", caRight, ccMagBackCourse, 40, "sStrGrid_MagBackCourseAngle"),
            Col("Аз.п.", caRight, ccFork, 40, "sStrGrid_Fork"),
            Col("С.А.П.", caRight, ccSFork, 40, "sStrGrid_SFork"),
            Col("ОЗПУв", caRight, ccOrthCourseTakeOff, 40, "sStrGrid_OrthCourseTakeOff"),
            Col("ОЗПУп", caRight, ccOrthCourseLand, 40, "sStrGrid_OrthCourseLand"),
            Col("Дист.", caRight, ccDistance, 44, "sStrGrid_Distance")};
}

int ColumnOf(const std::vector<TColDescript>& columns, TCellContent content) {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].Content == content) return static_cast<int>(c);
    return -1;
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

std::string CellText(const TWayPointList& plan, int row, TCellContent content) {
    if (row < 1 || row > plan.Count()) return {};
    const TWayPoint& w = plan[row - 1];
    const bool last = row == plan.Count();
    const bool rsbn = !last && HasRSBN(plan, w);
    switch (content) {
    case ccNumber:
        return std::to_string(row) + ".";
    case ccName:
        return w.Name;
    case ccCoords:
        return GeoPointToStr(w.Pos);
    case ccMagDecl:
        return Deg(w.MagDecl);
    case ccTrueCourse:
        return last ? std::string() : Deg(w.TrueCourse);
    case ccMagCourse:
        return last ? std::string() : Deg(w.MagCourse);
    case ccDistance:
        return last ? std::string() : Fixed(w.Distance, 6);
    case ccBeacon:
        return BeaconText(plan, w);
    case ccRSBNMode:
        return rsbn ? ModeText(w.RSBNMode) : std::string();
    case ccRSBNAzimuth:
        return rsbn ? Deg(w.RSBNAzimuth) : std::string();
    case ccRSBNOrbit:
        return rsbn ? Fixed(w.RSBNOrbit) : std::string();
    case ccRSBNPlannedCourse:
        return rsbn ? Deg(w.RSBNPlannedCourse) : std::string();
    case ccRSBNTargetAngle:
        return rsbn ? Deg(w.RSBNTargetAngle) : std::string();
    case ccRSBNTargetDistance:
        return rsbn ? Fixed(w.RSBNTargetDistance, 6) : std::string();
    case ccTrueBackCourse:
        return last ? std::string() : Deg(w.TrueBackCourse);
    case ccMagBackCourse:
        return last ? std::string() : Deg(w.MagBackCourse);
    case ccFork:
        return last ? std::string() : Deg(w.Fork);
    case ccSFork:
        return last ? std::string() : Deg(w.SFork);
    case ccOrthCourseTakeOff:
        return last ? std::string() : Deg(w.OrthCourseTakeOff);
    case ccOrthCourseLand:
        return last ? std::string()
                    : Fixed(static_cast<double>(w.OrthCourseTakeOff * kRadToDeg) +
                            static_cast<double>(plan.SumForkMagDecl * kRadToDeg));
    default:
        return {}; // the marker cell; the support-point column is always empty
    }
}

bool CellGrey(const TWayPointList& plan, int row, TCellContent content) {
    if (row < 1 || row > plan.Count() || content < ccRSBNPlannedCourse ||
        content > ccRSBNTargetDistance)
        return false;
    return plan[row - 1].RSBNMode != rmSRP;
}

} // namespace kestrun
