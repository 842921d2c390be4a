// The map's tab in the main window: the current row both ways, a beacon clicked on the map
// assigned through the undo stack, the export of the map, and the printout's map page, which the
// window remembers.
#include <QProcess>
#include <QSettings>
#include <QTabWidget>
#include <QWheelEvent>

#include "filedialogs.h"
#include "plan/fltpln.h"
#include "ui/mapview.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

class TestMainMap : public QObject {
    Q_OBJECT
private slots:
    void rowsBothWaysAndBeaconAssignedUndoably();
    void exportAndPrintedMapPageRemembered();
    void viewRememberedForItsPlan();
};

void TestMainMap::rowsBothWaysAndBeaconAssignedUndoably() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    m.OpenFile(
        QString::fromStdString(std::string(KESTRUN_RUN_DIR) + "/examples/moscow-irkutsk.pln"));
    m.mAutoSelectClick();
    m.pcMain->setCurrentWidget(m.tsMap);
    QCOMPARE(m.pcMain->tabText(2), QStringLiteral("Map"));
    QTRY_VERIFY(m.mapView->isVisible());
    QCOMPARE(m.mapView->Scene().Legs().size(), static_cast<std::size_t>(p.Plan().Count() - 1));

    m.sgNVU->SetCurrent(3, kName);
    QCOMPARE(m.mapView->CurrentRow(), 3);
    QPointF world;
    QVERIFY(m.mapView->Scene().ToWorld(p.Plan()[4].Pos, world));
    QTest::mouseClick(m.mapView, Qt::LeftButton, {},
                      m.mapView->Viewport().ToScreen(world).toPoint());
    QCOMPARE(m.sgRSBN->Row(), 5);
    QCOMPARE(m.sgNVU->Row(), 5);
    QCOMPARE(m.mapView->CurrentRow(), 5);

    // The map's click on beacon 0 (Sheremetyevo), far from leg 5: one command, undone at once.
    const int before = p.Plan()[4].BeaconIndex;
    QVERIFY(before != 0);
    emit m.mapView->beaconClicked(0);
    QCOMPARE(p.Plan()[4].BeaconIndex, 0);
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    m.mUndo->trigger();
    QCOMPARE(p.Plan()[4].BeaconIndex, before);
}

void TestMainMap::exportAndPrintedMapPageRemembered() {
    KESTRUN_QREQUIRE(MissingTool("pdfinfo", "poppler-utils"));
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    TypeRoute(p);
    TDialogAnswers answers;
    answers.File(QString::fromStdString(p.Work.File("map.pdf")));
    m.mExportMapClick();
    QCOMPARE(answers.Seen.back().ObjectName, QStringLiteral("sdExportMap"));
    QCOMPARE(answers.Seen.back().Filters.size(), 2);
    QVERIFY(ReadBytes(p.Work.File("map.pdf")).starts_with("%PDF"));

    // The table's page, then the map's, turned to landscape.
    m.mPrintMap->setChecked(true);
    answers.File(QString::fromStdString(p.Work.File("route.pdf")));
    m.mExportPDFClick();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QStringLiteral("-l"), QStringLiteral("2"),
                                           QString::fromStdString(p.Work.File("route.pdf"))});
    QVERIFY(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("Pages:           2")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("Page    2 size:  841.89 x 595.276")) ||
                 out.contains(QStringLiteral("Page    2 size:  842 x 595")),
             qPrintable(out));

    QVERIFY(m.close());
    QVERIFY(QSettings(m.StateFile(), QSettings::IniFormat)
                .value(QStringLiteral("Print/MapPage"))
                .toBool());
    p.W.reset();
    p.W.emplace(CreateWindows(*p.World));
    QVERIFY(p.Main().mPrintMap->isChecked());
}

void TestMainMap::viewRememberedForItsPlan() {
    TProgram p;
    QVERIFY(p.Start());
    const auto openOnMap = [&](const char* plan) {
        p.Main().OpenFile(
            QString::fromStdString(std::string(KESTRUN_RUN_DIR) + "/examples/" + plan));
        p.Main().pcMain->setCurrentWidget(p.Main().tsMap);
        return QTest::qWaitForWindowExposed(p.Main().mapView);
    };
    QVERIFY(openOnMap("moscow-irkutsk.pln"));
    QWheelEvent zoom({30, 40}, {30, 40}, {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(p.Main().mapView, &zoom);
    const TMapViewport zoomed = p.Main().mapView->Viewport();
    QVERIFY(p.Main().close());
    p.W.emplace(CreateWindows(*p.World)); // the next run
    p.Main().show();
    // The same plan shows the view it had; another one its whole route.
    for (const auto& [plan, same] :
         {std::pair{"moscow-irkutsk.pln", true}, std::pair{"moscow-stpetersburg.pln", false}}) {
        QVERIFY(openOnMap(plan));
        const TMapViewport shown = p.Main().mapView->Viewport();
        p.Main().mapView->FitRoute();
        const TMapViewport expected = same ? zoomed : p.Main().mapView->Viewport();
        QCOMPARE(shown.Center, expected.Center);
        QCOMPARE(shown.Scale, expected.Scale);
    }
}

KESTRUN_UI_TEST_MAIN(TestMainMap)
#include "fm_main_map_test.moc"
