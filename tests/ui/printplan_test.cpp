// Printing the plan: the page breaks worked out by hand, and real PDF pages read back with
// poppler's pdftotext.
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include "base/error.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "ui/printplan.h"

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
        QTemporaryDir dir;
        TPlanWorld w(60);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("plan.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        const TPrintSetup s =
            PrintPlan(printer, w.Plan, QStringLiteral("Title"), QStringLiteral("/tmp/route ä.rbf"));
        // The coordinate texts need more than A4 portrait gives their column.
        QVERIFY(s.Landscape);
        QCOMPARE(s.Scale, 1.0);
        const QStringList pages = PdfPages(printer.outputFileName());
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
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("narrow.pdf")));
        printer.setPageSize(QPageSize(QSizeF(3, 4), QPageSize::Inch));
        const TPrintSetup s = PrintPlan(printer, w.Plan, QStringLiteral("T"), QString());
        QVERIFY(s.Landscape);
        QVERIFY(s.Scale < 0.6);
        const QStringList pages = PdfPages(printer.outputFileName());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("РЦ")));
        QVERIFY(pages[0].simplified().contains(QStringLiteral("3. WP3 N50*12.00’ E030*00.00’")));
    }

    void unwritablePdfRaises() {
        TPlanWorld w(1);
        try {
            ExportPlanPdf(w.Plan, QString(), QString(), QStringLiteral("/nonexistent/飞.pdf"));
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
