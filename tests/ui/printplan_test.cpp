// Printing the plan: the page breaks worked out by hand, and real PDF pages read back with
// poppler's pdftotext.
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "base/cp1251.h"
#include "base/error.h"
#include "files/beaconfile.h"
#include "files/fpimport.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/printcells.h"
#include "plan/rsbnlist.h"
#include "ui/printplan.h"
#include "ui/qtext.h"

#include "../testutil.h"

namespace kestrun {
namespace {

struct TPlanWorld {
    TMagDecGrid Grid;
    TRSBNList Beacons;
    TWayPointList Plan{Beacons, Grid};

    // A route northwards along 30E, one waypoint every 0.1 degree.
    explicit TPlanWorld(int count) {
        for (int i = 0; i < count; ++i) {
            TWayPoint& w = Plan.AddWayPoint();
            w.Name = "WP" + std::to_string(i + 1);
            w.SetPos(TGeoPoint{(50 + 0.1L * i) * kPi / 180, 30 * kPi / 180});
        }
        Plan.CalcPlan();
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

// The PDF's text, one string per page, as poppler reads it.
QStringList PdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
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
        KESTRUN_QREQUIRE(kestrun::test::MissingTool("pdftotext", "poppler-utils"));
        QTemporaryDir dir;
        TPlanWorld w(60);
        auto printer =
            PdfPrinter(dir.filePath(QStringLiteral("plan.pdf")), QPageSize(QPageSize::A4));
        const TPrintSetup s = PrintPlan(*printer, w.Plan, QStringLiteral("Title"),
                                        QStringLiteral("/tmp/route ä.rbf"), "page %d of %d");
        const QMarginsF mm = printer->pageLayout().margins(QPageLayout::Millimeter);
        QVERIFY(mm.left() >= 12 && mm.top() >= 12 && mm.right() >= 12 && mm.bottom() >= 12);
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
        KESTRUN_QREQUIRE(kestrun::test::MissingTool("pdftotext", "poppler-utils"));
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

    // The plan that ran its columns together: X-Plane's test plan, with names far wider than
    // their 0.5-inch column, legs of 5600 and 7000 km and western longitudes, its beacons chosen
    // from the shipped database. In poppler's layout of its PDF every row shows the values of
    // its columns in their order, each after a blank.
    void rowsReadApart() {
        KESTRUN_QREQUIRE(kestrun::test::MissingTool("pdftotext", "poppler-utils"));
        KESTRUN_QREQUIRE(kestrun::test::MissingSharedData("plans/modern/test_flightplan.fms"));
        TPlanWorld w(0);
        LoadBeaconFile(w.Beacons, KESTRUN_SHIPPED_DATA "/rsbn_cis_fs2004.csv");
        ImportFlightPlan(w.Plan, KESTRUN_SHARED_DATA "/plans/modern/test_flightplan.fms");
        w.Plan.AutoSelectBeacons();
        w.Plan.CalcPlan();
        QVERIFY(w.Plan[1].Distance > 1000 && w.Plan[12].RSBNMode == rmSRP);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("rows.pdf"));
        ExportPlanPdf(w.Plan, QStringLiteral("T"), QString(), Cp("стр. %d из %d"), pdf);
        const QString page = PdfPages(pdf).value(0);
        QVERIFY(page.contains(QStringLiteral("стр. 1 из 1")));
        for (int i = 0; i < w.Plan.Count(); ++i) {
            const QString row =
                QLatin1Char(' ') +
                page.split(QLatin1Char('\n'))
                    .filter(QRegularExpression(QStringLiteral("^ *%1\\. ").arg(i + 1)))
                    .value(0);
            qsizetype from = 0;
            for (int c = 0; c < kPrintColumnCount; ++c) {
                const QString t = ToQ(PrintCellText(w.Plan, i, c)).trimmed();
                const qsizetype at = row.indexOf(t, from);
                if (t.isEmpty()) continue;
                QVERIFY2(at > 0 && row.at(at - 1) == QLatin1Char(' '), qPrintable(row + t));
                from = at + t.size();
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
