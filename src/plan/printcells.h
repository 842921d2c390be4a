// The printed plan table: its fourteen columns and the text of every printed cell. The windows
// only lay these out on the page; the headings are fixed Russian texts that do not follow the
// interface language.
#pragma once

#include <array>
#include <string>

namespace kestrun {

class TWayPointList;

/// Where a text stands in its cell: at the left edge, centred, or against the right edge.
enum class TPrintAlign : int { Left = -1, Centre = 0, Right = 1 };

/// Width of the empty step between groups of columns, inches.
inline constexpr double kPrintGapInch = 0.06;
/// The fixed columns' share of the page: spare = printable width - 5.4 inches.
inline constexpr double kPrintFixedInch = 5.4;
inline constexpr int kPrintColumnCount = 14;

struct TPrintColumn {
    std::string Heading; // code page 1251
    double WidthInch;    // may be negative on paper narrower than kPrintFixedInch
    TPrintAlign Align;
    bool GapAfter; // a kPrintGapInch step follows the column
};

/// The columns for a printable width in inches. With spare = width - 5.4, the coordinate
/// column is 0.4 spare (at most 1.5 inches) and the beacon column 0.6 spare (at most 3.5).
std::array<TPrintColumn, kPrintColumnCount> PrintColumns(double pageWidthInch);

/// The text of 0-based column `column` on the row of 0-based waypoint `index`; empty where
/// the printout leaves the cell empty: the last waypoint shows columns 0 to 3 only, a leg
/// without a beacon shows nothing from column 7 on, and columns 11 to 13 only for rmSRP.
std::string PrintCellText(const TWayPointList& plan, int index, int column);

/// "Общ.дист.: %4.0f км" with the total distance (code page 1251).
std::string PrintTotalText(const TWayPointList& plan);

} // namespace kestrun
