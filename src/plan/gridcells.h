// What each column of the two plan grids shows, and the text of every cell: one piece that the
// desktop grids, the printout and the command-line tables all draw from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrun {

class TWayPoint;
class TWayPointList;

/// What the cells of a column show: the value codes of the column tables.
enum TCellContent : std::uint16_t {
    ccMarker = 0, // the row marker, no text
    ccNumber = 1,
    ccName = 2,
    ccCoords = 3,
    ccMagDecl = 4,
    ccTrueCourse = 5,
    ccMagCourse = 6,
    ccDistance = 7,
    ccBeacon = 8,
    ccRSBNMode = 9,
    ccRSBNSupPoint = 10, // always empty
    ccRSBNAzimuth = 11,
    ccRSBNOrbit = 12,
    ccRSBNPlannedCourse = 13,
    ccRSBNTargetAngle = 14,
    ccRSBNTargetDistance = 15,
    ccTrueBackCourse = 16,
    ccMagBackCourse = 17,
    ccFork = 18,
    ccSFork = 19,
    ccOrthCourseTakeOff = 20,
    ccOrthCourseLand = 21,
};

/// How the cells of a column are drawn.
enum TCellAlign : std::uint16_t { caMarker = 0, caRight = 1, caLeft = 2 };

/// One column of a grid.
struct TColDescript {
    std::string Caption; // replaced by the interface language
    TCellAlign Align = caMarker;
    TCellContent Content = ccMarker;
    std::uint16_t Width = 0;   // initial width in pixels
    const char* LanguageKey;   // the interface text that replaces Caption ("" for column 0)
    std::string DesignCaption; // the Russian caption as laid out (code page 1251)
};

/// The 16 columns of the RSBN grid and the 14 of the NVU grid, with their design captions.
std::vector<TColDescript> RSBNColumns();
std::vector<TColDescript> NVUColumns();
/// The position of the column that shows `content`, or -1.
int ColumnOf(const std::vector<TColDescript>& columns, TCellContent content);

/// A beacon is shown with RSBN values: its index names a record, it has a mode, and both
/// coordinates of its position are non-zero.
bool HasRSBN(const TWayPointList& plan, const TWayPoint& w);

/// The text of the cell of value code `content` on grid row `row` (1-based, the waypoint's
/// number), empty where the column shows nothing on that row.
std::string CellText(const TWayPointList& plan, int row, TCellContent content);

/// ccRSBNPlannedCourse to ccRSBNTargetDistance are drawn grey unless the leg's mode is rmSRP.
bool CellGrey(const TWayPointList& plan, int row, TCellContent content);

/// The beacon as the grids show it: "Kilo, [KL],  [12]".
std::string BeaconText(const TWayPointList& plan, const TWayPoint& w);

/// The mode as shown: "СРП", "А.НА", "А.ОТ" or empty (code page 1251).
std::string ModeText(int mode);

} // namespace kestrun
