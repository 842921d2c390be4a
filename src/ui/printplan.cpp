#include "ui/printplan.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <filesystem>

#include "base/error.h"
#include "plan/fltpln.h"
#include "plan/printcells.h"
#include "ui/qtext.h"

namespace kestrun {

namespace {

// Layout measures are inches turned into device units by truncation.
int Dots(double inch, int dpi) {
    return static_cast<int>(inch * dpi);
}

// The vertical steps of the table, in inches.
constexpr double kTextStep = 0.18; // from a text line to the next line or rule
constexpr double kRuleStep = 0.02; // between the two rules of a double rule
constexpr double kRowStep = 0.1;   // from a rule down to a row's text
constexpr double kFootGap = 0.1;   // between the table and the page's foot line

struct TVertical {
    explicit TVertical(const TPrintMetrics& m)
        : Text(Dots(kTextStep, m.DpiY)), Rule(Dots(kRuleStep, m.DpiY)), Row(Dots(kRowStep, m.DpiY)),
          Line(m.LineHeight), Limit(m.PageHeight - m.LineHeight - Dots(kFootGap, m.DpiY)) {}
    int Text, Rule, Row, Line, Limit;

    // y below the heading block of the first page (title, file line, double rule, headings,
    // double rule) and of the others (double rule, headings, double rule).
    int FirstTop() const { return Text + Text + Rule + Row + Text + Rule; }
    int NextTop() const { return Rule + Row + Text + Rule; }
    // Where a row starting at y ends, counting its text's own height.
    int RowBottom(int y) const { return std::max(y + Row + Text, y + Row + Line); }
    // Where the closing double rule and the total line end after a row starting at y.
    int TotalsBottom(int y) const { return y + Row + Text + Rule + Text + Line; }
};

struct TColumnsX {
    std::array<int, kPrintColumnCount> Width{};
    std::array<int, kPrintColumnCount> Gap{};
    std::array<QString, kPrintColumnCount> Heading;
    std::array<int, kPrintColumnCount> Align{};
};

TColumnsX ColumnsFor(const TPrintMetrics& m, const TPrintNeeds& needs) {
    TColumnsX c;
    const auto& cols = PrintColumns();
    const auto widths = PrintColumnWidths(needs, static_cast<double>(m.PageWidth) / m.DpiX);
    for (int i = 0; i < kPrintColumnCount; ++i) {
        c.Width[i] = Dots(widths[i], m.DpiX);
        c.Gap[i] = cols[i].GapAfter ? Dots(kPrintGapInch, m.DpiX) : 0;
        c.Heading[i] = ToQ(cols[i].Heading);
        c.Align[i] = static_cast<int>(cols[i].Align);
    }
    return c;
}

// Prints cells [from, to) of one row (or the headings), x taking each returned value.
int PrintCells(QPainter& p, int y, int x, const TColumnsX& c, const QString* texts, int from,
               int to) {
    for (int i = from; i < to; ++i) {
        x = PrintCellText(p, y, x, texts[i], c.Width[i], c.Align[i]);
        x += c.Gap[i];
    }
    return x;
}

void Rule(QPainter& p, int y, int width) {
    p.drawLine(0, y, width, y);
}

void DrawPage(QPainter& p, const TWayPointList& plan, const TPrintPage& page, bool first,
              int number, int count, const TPrintMetrics& m, const TColumnsX& c,
              const QString& title, const QString& fileName, const std::string& pageFormat) {
    const TVertical v(m);
    const int w = m.PageWidth;
    int y = 0;
    if (first) {
        PrintCellText(p, y, 0, title, w, 0);
        y += v.Text;
        PrintCellText(p, y, 0, QStringLiteral("File: ") + fileName, w, -1);
        y += v.Text;
    }
    Rule(p, y, w);
    y += v.Rule;
    Rule(p, y, w);
    y += v.Row;
    PrintCells(p, y, 0, c, c.Heading.data(), 0, kPrintColumnCount);
    y += v.Text;
    Rule(p, y, w);
    y += v.Rule;
    Rule(p, y, w);

    for (int i = page.First; i < page.End; ++i) {
        y += v.Row;
        std::array<QString, kPrintColumnCount> t;
        for (int col = 0; col < kPrintColumnCount; ++col) t[col] = ToQ(PrintCellText(plan, i, col));
        // Empty cells are skipped by position only, so every text keeps its column.
        PrintCells(p, y, 0, c, t.data(), 0, kPrintColumnCount);
        y += v.Text;
        Rule(p, y, w);
    }
    if (page.Totals) {
        y += v.Rule;
        Rule(p, y, w);
        y += v.Text;
        PrintCellText(p, y, 0, ToQ(PrintTotalText(plan)), w, -1);
    }
    PrintCellText(p, m.PageHeight - m.LineHeight, 0, ToQ(PrintPageText(pageFormat, number, count)),
                  w, 0);
}

double Inches(int dots, int dpi) {
    return static_cast<double>(dots) / dpi;
}

// Paper edges that a printer may cut: a PDF keeps at least this much on every side.
constexpr double kPdfMarginMm = 12;

void KeepPdfMargins(QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat) return;
    const QMarginsF now = printer.pageLayout().margins(QPageLayout::Millimeter);
    printer.setPageMargins(
        QMarginsF(std::max(now.left(), kPdfMarginMm), std::max(now.top(), kPdfMarginMm),
                  std::max(now.right(), kPdfMarginMm), std::max(now.bottom(), kPdfMarginMm)),
        QPageLayout::Millimeter);
}

} // namespace

int PrintCellText(QPainter& canvas, int y, int x, const QString& text, int width, int alignment) {
    const QFontMetrics fm = canvas.fontMetrics();
    const int free = std::max(width - fm.horizontalAdvance(text), 0);
    int left = x;
    if (alignment == 0)
        left = x + free / 2;
    else if (alignment == 1)
        left = x + free;
    if (!text.isEmpty()) canvas.drawText(QPoint(left, y + fm.ascent()), text);
    return x + width;
}

std::vector<TPrintPage> PaginatePlan(int rowCount, const TPrintMetrics& m) {
    const TVertical v(m);
    std::vector<TPrintPage> pages;
    TPrintPage page;
    int y = v.FirstTop();
    for (int i = 0; i < rowCount; ++i) {
        const bool last = i == rowCount - 1;
        const int bottom = last ? std::max(v.RowBottom(y), v.TotalsBottom(y)) : v.RowBottom(y);
        if (bottom > v.Limit && page.End > page.First) {
            pages.push_back(page);
            page = TPrintPage{i, i, false};
            y = v.NextTop();
        }
        page.End = i + 1;
        y += v.Row + v.Text;
    }
    page.Totals = true;
    pages.push_back(page);
    return pages;
}

TPrintSetup PrintPlan(QPrinter& printer, const TWayPointList& plan, const QString& title,
                      const QString& fileName, const std::string& pageFormat,
                      const TPrintAfter& after) {
    KeepPdfMargins(printer);
    TPrintSetup setup;
    const QFont font = QGuiApplication::font();
    const QFontMetricsF fm(font, &printer);
    const int dpiX = printer.logicalDpiX();
    // One layout for every page, so that the columns line up from page to page.
    const TPrintNeeds needs = PrintColumnNeeds(
        plan, [&](const std::string& text) { return fm.horizontalAdvance(ToQ(text)) / dpiX; });
    const double needed = needs.TableInch();
    auto printableWidth = [&] {
        return Inches(printer.pageLayout().paintRectPixels(printer.resolution()).width(), dpiX);
    };
    if (printableWidth() < needed && printer.pageLayout().orientation() != QPageLayout::Landscape)
        setup.Landscape = printer.setPageOrientation(QPageLayout::Landscape);
    if (printableWidth() < needed) setup.Scale = printableWidth() / needed;

    QPainter p;
    if (!p.begin(&printer)) {
        const QString name = printer.outputFileName();
        if (!name.isEmpty()) {
            RaiseCannotCreateFile(QToPath(name));
        }
        throw EKestrunError("Printing failed");
    }
    p.setFont(font);
    p.scale(setup.Scale, setup.Scale);

    TPrintMetrics m;
    m.DpiX = dpiX;
    m.DpiY = printer.logicalDpiY();
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    m.PageWidth = static_cast<int>(area.width() / setup.Scale);
    m.PageHeight = static_cast<int>(area.height() / setup.Scale);
    m.LineHeight = p.fontMetrics().height();

    const TColumnsX columns = ColumnsFor(m, needs);
    const std::vector<TPrintPage> pages = PaginatePlan(plan.Count(), m);
    setup.Pages = static_cast<int>(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) printer.newPage();
        DrawPage(p, plan, pages[i], i == 0, static_cast<int>(i) + 1, setup.Pages, m, columns, title,
                 fileName, pageFormat);
    }
    if (after) {
        p.resetTransform();
        after(printer, p);
    }
    p.end();
    return setup;
}

TPrintSetup ExportPlanPdf(const TWayPointList& plan, const QString& title, const QString& fileName,
                          const std::string& pageFormat, const QString& pdfPath,
                          const TPrintAfter& after) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    return PrintPlan(printer, plan, title, fileName, pageFormat, after);
}

} // namespace kestrun
