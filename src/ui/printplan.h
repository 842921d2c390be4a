// Printing the plan: one ruled table over as many pages as it needs, the heading row at the top
// of every page, the total line after the last row and "page N of M" at every page's foot.
// The texts come from the core's printed table (plan/printcells.h); this unit only lays them out.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QPainter;
class QPrinter;

namespace kestrun {

class TWayPointList;

/// The measures of the page a plan is laid out on, in device units (after any scaling).
struct TPrintMetrics {
    int DpiX = 0, DpiY = 0;
    int PageWidth = 0, PageHeight = 0; // the printable area
    int LineHeight = 0;                // height of one line of text in the canvas's font
};

/// Waypoints [First, End) go on one page; Totals: the closing rule and the total line follow.
struct TPrintPage {
    int First = 0;
    int End = 0;
    bool Totals = false;
};

/// Splits a plan of rowCount waypoints into pages. A page takes rows while the next one, and
/// for the last row the double rule and the total line too, still ends above the page's foot
/// line; every page takes at least one row, so that paper too short for a single row still
/// prints every row. A plan without waypoints gives one page with the total line.
std::vector<TPrintPage> PaginatePlan(int rowCount, const TPrintMetrics& m);

/// Writes one text with its top-left corner at y and, by alignment, at x (-1), centred in width
/// (0), or against the right edge (1); a text wider than its cell starts at x and runs on. The
/// text is never cut. Returns x + width.
int PrintCellText(QPainter& canvas, int y, int x, const QString& text, int width, int alignment);

/// How a printer's page was set up for the table.
struct TPrintSetup {
    bool Landscape = false; // turned to landscape because the columns did not fit
    double Scale = 1;       // below 1 where even landscape was too narrow or was refused
    int Pages = 0;
};

/// Prints the plan on a printer that was already chosen, within the printer's own margins; a
/// PDF keeps at least 12 mm on every side. The columns are laid out once for all pages, each
/// as wide as the widest text it shows on any page (plan/printcells.h), so that no two texts of
/// a row touch. When that table is wider than the printable width, the page is turned to
/// landscape, or, where the printer refuses that or it does not help, the table is scaled down
/// to fit; nothing is ever cut. pageFormat (code page 1251, "page %d of %d") makes each page's
/// foot line. Raises when the printer cannot start the job.
/// `after`, when given, draws more pages after the table's (starting each with newPage) on the
/// same painter, for example a map of the route.
using TPrintAfter = std::function<void(QPrinter& printer, QPainter& painter)>;
TPrintSetup PrintPlan(QPrinter& printer, const TWayPointList& plan, const QString& title,
                      const QString& fileName, const std::string& pageFormat,
                      const TPrintAfter& after = {});

/// The same pages written to a PDF file at pdfPath (replaced when it exists).
TPrintSetup ExportPlanPdf(const TWayPointList& plan, const QString& title, const QString& fileName,
                          const std::string& pageFormat, const QString& pdfPath,
                          const TPrintAfter& after = {});

} // namespace kestrun
