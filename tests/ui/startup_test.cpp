// Start-up when files are missing: the main window opens with one message for each, and a
// route can still be typed and computed.
#include <QStatusBar>
#include <QTimer>
#include <filesystem>

#include "base/error.h"
#include "base/fileio.h"
#include "ui/fm_splash.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void unreadableBeaconFile();
    void noDeclinationGrid();
    void brokenFilesAreReportedAndPassedOver();
    void failedCommandShowsItsMessage();
    void splashHoldsItsWholePicture();
};

void TestStartup::unreadableBeaconFile() {
    TProgram p;
    TConfig config(std::filesystem::path(KESTRUN_RUN_DIR) / "rsbn_cis_fs2004.csv");
    config.RSBNBeaconFile = p.Work.File("gone.csv");
    p.WriteConfig(config);
    QVERIFY(p.Start());
    QVERIFY(p.Main().isVisible());
    // One message; its first line is the failure's text (a second may say where).
    QCOMPARE(p.Messages.size(), 1);
    QCOMPARE(p.Messages[0].section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Cannot open file ") + QString::fromStdString(p.Work.File("gone.csv")));
    QCOMPARE(p.World->BeaconList.Count(), 0);
    TypeRoute(p);
    QVERIFY(qAbs(p.Plan()[0].Distance - kLeg1Km) < 0.001);
    QVERIFY(p.Plan()[0].MagDecl != 0); // the declination grid was read
}

void TestStartup::noDeclinationGrid() {
    // An executable's folder with the beacon database but without magdec.bgl.
    TempDir exe;
    std::filesystem::copy_file(std::string(KESTRUN_RUN_DIR) + "/rsbn_cis_fs2004.csv",
                               exe.File("rsbn_cis_fs2004.csv"));
    TProgram p(exe.Path);
    QVERIFY(p.Start());
    QVERIFY(p.Main().isVisible());
    QCOMPARE(p.Messages.size(), 1);
    QCOMPARE(p.Messages[0].section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Cannot open file magdec.bgl"));
    QVERIFY(p.World->BeaconList.Count() > 0);
    QCOMPARE(p.Plan().Count(), 1); // creation went on: the first waypoint is there
    QVERIFY(p.Status(0).contains(QStringLiteral("magdec.bgl")));
    TypeRoute(p);
    QVERIFY(qAbs(p.Plan()[1].Distance - kLeg2Km) < 0.001);
    for (int i = 0; i < 3; ++i) QCOMPARE(p.Plan()[i].MagDecl, 0.0);
    QCOMPARE(TProgram::Cell(p.Main().sgNVU, 1, 4), QStringLiteral("0.0"));
}

void TestStartup::brokenFilesAreReportedAndPassedOver() {
    // A truncated grid in the working directory hides nothing: the one beside the executable is
    // read. A damaged settings file is kept aside, not lost.
    TProgram p;
    WriteFileAtomic(p.Work.File("magdec.bgl"), std::string(200, 'x'));
    WriteFileAtomic(p.Work.File("RSBN.cfg"), "object Config: TConfig\r\n  Language = 'x\r\n");
    QVERIFY(p.Start());
    QCOMPARE(p.Messages.size(), 2);
    QVERIFY(p.Messages[0].endsWith(QString::fromStdString(p.Work.File("RSBN.cfg.bak"))));
    QCOMPARE(ReadFileBytes(p.Work.File("RSBN.cfg.bak")),
             std::string("object Config: TConfig\r\n  Language = 'x\r\n"));
    QCOMPARE(p.Messages[1].section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Bad format! ") + QString::fromStdString(p.Work.File("magdec.bgl")));
    TypeRoute(p);
    QVERIFY(p.Plan()[0].MagDecl != 0);
    QVERIFY(!p.Status(0).contains(QStringLiteral("magdec.bgl")));
}

void TestStartup::failedCommandShowsItsMessage() {
    // An exception that leaves an event handler is shown, and the event loop goes on.
    TProgram p;
    QVERIFY(p.Start());
    QTimer::singleShot(0, [] { throw EKestrunError("Bad format!"); });
    QTimer::singleShot(0, [&p] { p.Main().Doc.SetName(1, "X"); });
    QTRY_COMPARE(p.Messages, QStringList{QStringLiteral("Bad format!")});
    QTRY_COMPARE(p.Status(2), QStringLiteral("*")); // the next command still ran
}

void TestStartup::splashHoldsItsWholePicture() {
    TfmSplash splash(QStringLiteral("NVU / RSBN"));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QCOMPARE(splash.size(), QSize(314, 84));
    const auto* picture = splash.findChild<QLabel*>();
    QVERIFY(picture);
    QCOMPARE(picture->size(), QSize(310, 80));
}

KESTRUN_UI_TEST_MAIN(TestStartup)
#include "startup_test.moc"
