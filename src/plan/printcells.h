// The printed plan table: its fourteen columns, their widths for a plan on a page, and the text
// of every printed cell. The windows only measure the texts and draw them; the headings are
// fixed Russian texts that do not follow the interface language.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace kestrun {

class TWayPointList;

/// Where a text stands in its cell: at the left edge, centred, or against the right edge.
enum class TPrintAlign : int { Left = -1, Centre = 0, Right = 1 };

/// Width of the empty step between groups of columns, inches; also the least room between the
/// texts of two neighbouring columns inside a group.
inline constexpr double kPrintGapInch = 0.06;
inline constexpr int kPrintColumnCount = 14;

struct TPrintColumn {
    std::string Heading; // code page 1251
    double WidthInch;    // a fixed column's least width; a sharing column's cap
    double SpareShare;   // 0 for a fixed column; else its share of the page's spare width
    TPrintAlign Align;
    bool GapAfter; // a kPrintGapInch step follows the column
};

/// The fourteen columns, left to right. The coordinate column takes 0.4 of the spare width of
/// the page (at most 1.5 inches), the beacon column 0.6 (at most 3.5); the others are fixed.
const std::array<TPrintColumn, kPrintColumnCount>& PrintColumns();

/// Measures a code page 1251 text as printed, in inches.
using TPrintTextWidth = std::function<double(const std::string&)>;

/// The least width of every column for one plan, worked out once for all its pages: the widest
/// text of the column, heading included, never less than a fixed column's own width, plus
/// kPrintGapInch where a neighbour without a gap between would otherwise touch that text
/// (beside a left-aligned text, or before a right-aligned one).
struct TPrintNeeds {
    std::array<double, kPrintColumnCount> WidthInch{};
    /// The narrowest table: every column at its least width, with the gaps.
    double TableInch() const;
};
TPrintNeeds PrintColumnNeeds(const TWayPointList& plan, const TPrintTextWidth& textWidth);

/// The column widths on a page pageWidthInch wide. The fixed columns take their least widths;
/// the two sharing columns take their shares of what the page has left after the fixed columns
/// and the gaps, up to their caps, but never less than their least widths. When the page is at
/// least needs.TableInch() wide the table fits it; otherwise it runs past the page's right edge.
std::array<double, kPrintColumnCount> PrintColumnWidths(const TPrintNeeds& needs,
                                                        double pageWidthInch);

/// The text of 0-based column `column` on the row of 0-based waypoint `index`; empty where
/// the printout leaves the cell empty: the last waypoint shows columns 0 to 3 only, a leg
/// without a beacon shows nothing from column 7 on, and columns 11 to 13 only for rmSRP.
std::string PrintCellText(const TWayPointList& plan, int index, int column);

/// "Общ.дист.: %4.0f км" with the total distance (code page 1251).
std::string PrintTotalText(const TWayPointList& plan);

/// The foot line of a page: format (an interface text such as "page %d of %d") filled with the
/// page's number and the count of pages. A format that does not take two whole numbers gives
/// the built-in "page N of M", so that a faulty language file never stops a printout.
std::string PrintPageText(const std::string& format, int page, int count);

} // namespace kestrun
