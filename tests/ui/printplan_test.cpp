// Printing the plan: the page breaks worked out by hand, and real PDF pages read back with
// poppler's pdftotext.
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <array>
#include <memory>

#include "base/cp1251.h"
#include "base/error.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/printcells.h"
#include "plan/rsbnlist.h"
#include "ui/printplan.h"
#include "ui/qtext.h"

namespace kestrun {
namespace {

struct TPoint {
    std::string Name;
    double LatDeg, LonDeg; // signed: north and east positive
};

struct TPlanWorld {
    TMagDecGrid Grid;
    TRSBNList Beacons;
    TWayPointList Plan{Beacons, Grid};

    // A route northwards along 30E, one waypoint every 0.1 degree.
    explicit TPlanWorld(int count) {
        for (int i = 0; i < count; ++i) Add({"WP" + std::to_string(i + 1), 50 + 0.1 * i, 30});
        Plan.CalcPlan();
    }
    TPlanWorld() = default;

    // A waypoint in the typed form, west as 2*pi minus its magnitude.
    void Add(const TPoint& p) {
        TWayPoint& w = Plan.AddWayPoint();
        w.Name = p.Name;
        const long double lon = (p.LonDeg < 0 ? 360 + p.LonDeg : p.LonDeg) * kPi / 180;
        w.SetPos(TGeoPoint{p.LatDeg * kPi / 180, lon});
    }
};

// A printer writing a PDF file on paper of the given size, portrait.
std::unique_ptr<QPrinter> PdfPrinter(const QString& path, const QPageSize& size) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(size);
    printer->setPageOrientation(QPageLayout::Portrait);
    return printer;
}

// What poppler's pdftotext writes for a PDF with the given options.
QString PdfText(const QString& pdf, QStringList options) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), options << pdf << QStringLiteral("-"));
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The PDF's text, one string per page, as poppler lays it out.
QStringList PdfPages(const QString& pdf) {
    QStringList pages = PdfText(pdf, {QStringLiteral("-layout")}).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

} // namespace

class PrintPlanTest : public QObject {
    Q_OBJECT
private slots:
    // At 100 dpi with a 18-dot line: the first page's rows start at 68 and take 28 each, later
    // pages' at 32; rows must end by 1100 - 18 - 10 = 1072, the last one 38 dots earlier so
    // that the closing rule and the total line fit.
    void pageBreaksByHand() {
        TPrintMetrics m;
        m.DpiX = m.DpiY = 100;
        m.PageWidth = 800;
        m.PageHeight = 1100;
        m.LineHeight = 18;
        struct Case {
            int rows;
            std::vector<int> ends; // End of each page; the last page carries the totals
        } cases[] = {
            {1, {1}},       {34, {34}},           {35, {34, 35}},
            {60, {35, 60}}, {107, {35, 72, 107}}, {108, {35, 72, 107, 108}},
            {0, {0}},
        };
        for (const Case& c : cases) {
            const auto pages = PaginatePlan(c.rows, m);
            QCOMPARE(pages.size(), c.ends.size());
            int first = 0;
            for (std::size_t i = 0; i < pages.size(); ++i) {
                QCOMPARE(pages[i].First, first);
                QCOMPARE(pages[i].End, c.ends[i]);
                QCOMPARE(pages[i].Totals, i + 1 == pages.size());
                first = pages[i].End;
            }
        }
        // Paper too short for any row still prints every row, one a page.
        m.PageHeight = 60;
        QCOMPARE(PaginatePlan(3, m).size(), std::size_t(3));
    }

    void sixtyWaypointsOnA4() {
        QTemporaryDir dir;
        TPlanWorld w(60);
        auto printer =
            PdfPrinter(dir.filePath(QStringLiteral("plan.pdf")), QPageSize(QPageSize::A4));
        const TPrintSetup s = PrintPlan(*printer, w.Plan, QStringLiteral("Title"),
                                        QStringLiteral("/tmp/route ä.rbf"), "page %d of %d");
        // Without beacons the table fits the width of A4.
        QVERIFY(!s.Landscape);
        QCOMPARE(s.Scale, 1.0);
        const QStringList pages = PdfPages(printer->outputFileName());
        QCOMPARE(pages.size(), s.Pages);
        QVERIFY(s.Pages >= 2);
        int rows = 0;
        for (int i = 0; i < pages.size(); ++i) {
            const QString page = pages[i].simplified(); // pdftotext pads the columns
            QVERIFY2(page.contains(QStringLiteral("N ППМ")), qPrintable(page));
            QVERIFY(page.contains(QStringLiteral("Режим Азим.")));
            QVERIFY(page.contains(QStringLiteral("page %1 of %2").arg(i + 1).arg(pages.size())));
            QCOMPARE(page.contains(QStringLiteral("File: /tmp/route ä.rbf")), i == 0);
            QCOMPARE(page.contains(QStringLiteral("Общ.дист.:")), i + 1 == pages.size());
            rows += page.count(QRegularExpression(QStringLiteral("(?<!\\d)\\d+\\. WP\\d+ N")));
        }
        QCOMPARE(rows, 60);
        // The 0.1-degree legs along a meridian are 11.1 km each: 59 of them make 657 km.
        QVERIFY(pages.last().simplified().contains(QStringLiteral("Общ.дист.: 657 км")));
        QVERIFY(
            pages.last().simplified().contains(QStringLiteral("60. WP60 N55*54.00’ E030*00.00’")));
    }

    void narrowPaperIsScaledNotCut() {
        QTemporaryDir dir;
        TPlanWorld w(3);
        auto printer = PdfPrinter(dir.filePath(QStringLiteral("narrow.pdf")),
                                  QPageSize(QSizeF(3, 4), QPageSize::Inch));
        const TPrintSetup s = PrintPlan(*printer, w.Plan, QStringLiteral("T"), QString(), "%d");
        QVERIFY(s.Landscape);
        QVERIFY(s.Scale < 0.6);
        const QStringList pages = PdfPages(printer->outputFileName());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("РЦ")));
        QVERIFY(pages[0].simplified().contains(QStringLiteral("3. WP3 N50*12.00’ E030*00.00’")));
    }

    // A western longitude, a name far wider than its 0.5-inch column and a leg of 2380 km, with
    // legs of every mode: on the PDF that poppler reads back, every value of a row stands apart
    // from its neighbours and lines up with its heading.
    void rowsReadApart() {
        TPlanWorld w;
        w.Beacons.Add("12", "Sever", "SV", "", "N", "59", "48.00", "E", "30", "15.60");
        for (const TPoint& p : {TPoint{"EINN", 52.703, -8.9245},
                                {"+53.000_-007.000", 53, -7},
                                {"ULLI", 59.8, 30.26},
                                {"KILO", 60, 31},
                                {"LAST", 60.5, 32}})
            w.Add(p);
        w.Plan.AutoSelectBeacons();
        w.Plan.CalcPlan();
        QVERIFY(w.Plan[1].Distance > 1000);
        QCOMPARE(w.Plan[3].RSBNMode, rmSRP);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("rows.pdf"));
        ExportPlanPdf(w.Plan, QStringLiteral("T"), QString(), Cp("стр. %d из %d"), pdf);
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("стр. 1 из 1")));
        const QStringList lines = pages[0].split(QLatin1Char('\n'));
        // The words of the page as poppler places them, in points, each row's in reading order.
        const QString box = PdfText(pdf, {QStringLiteral("-bbox")});
        const auto size =
            QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""))
                .match(box);
        QVERIFY(size.hasMatch());
        struct TWord {
            double Left, Top, Right, Bottom;
            QString Text;
        };
        std::vector<TWord> words;
        auto it =
            QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                              "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<"))
                .globalMatch(box);
        while (it.hasNext()) {
            const auto m = it.next();
            words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
            // Nothing within 12 mm (34.02 pt) of the paper's edges; poppler's boxes are the
            // font's, a hair taller than Qt's line.
            const TWord& w = words.back();
            QVERIFY(w.Left >= 33.5 && w.Top >= 33.5);
            QVERIFY(w.Right <= size.captured(1).toDouble() - 33.5);
            QVERIFY(w.Bottom <= size.captured(2).toDouble() - 33.5);
        }
        // The words of the line that starts with first.
        auto line = [&](const QString& first) {
            std::vector<TWord> row;
            for (const TWord& w : words)
                if (row.empty() ? w.Text == first : std::abs(w.Top - row[0].Top) < 1)
                    row.push_back(w);
            std::sort(row.begin(), row.end(), [](auto& a, auto& b) { return a.Left < b.Left; });
            return row;
        };
        // Where each column's texts line up: its heading's left edge when left-aligned, its
        // right edge otherwise.
        const auto& cols = PrintColumns();
        const std::vector<TWord> heading = line(QStringLiteral("N"));
        QCOMPARE(int(heading.size()), kPrintColumnCount);
        for (int i = 0; i < w.Plan.Count(); ++i) {
            const QString number = QStringLiteral("%1.").arg(i + 1);
            const std::vector<TWord> row = line(number);
            const auto text = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
                return l.trimmed().startsWith(number + QLatin1Char(' '));
            });
            QVERIFY2(!row.empty() && text != lines.end(), qPrintable(number));
            qsizetype from = 0;
            std::size_t next = 0;
            for (int c = 0; c < kPrintColumnCount; ++c) {
                const QString t = ToQ(PrintCellText(w.Plan, i, c)).trimmed();
                if (t.isEmpty()) continue;
                const QString where = *text + QStringLiteral(" / ") + t;
                // Laid out as text: after the previous value, with a blank before it.
                const qsizetype at = text->indexOf(t, from);
                QVERIFY2(at >= from && (c == 0 || text->at(at - 1) == QLatin1Char(' ')),
                         qPrintable(where));
                from = at + t.size();
                // Placed on the page: its words against its heading's edge.
                const std::size_t n = t.count(QLatin1Char(' ')) + 1;
                QVERIFY2(next + n <= row.size(), qPrintable(where));
                const double edge = cols[c].Align == TPrintAlign::Left
                                        ? row[next].Left - heading[c].Left
                                        : row[next + n - 1].Right - heading[c].Right;
                QVERIFY2(std::abs(edge) < 1, qPrintable(where));
                next += n;
            }
        }
    }

    void unwritablePdfRaises() {
        TPlanWorld w(1);
        try {
            ExportPlanPdf(w.Plan, QString(), QString(), "", QStringLiteral("/nonexistent/飞.pdf"));
            QFAIL("no error");
        } catch (const std::exception& e) {
            QCOMPARE(QString::fromStdString(ErrorText(e)),
                     QStringLiteral("Cannot create file /nonexistent/飞.pdf"));
        }
    }
};

} // namespace kestrun

QTEST_MAIN(kestrun::PrintPlanTest)
#include "printplan_test.moc"
