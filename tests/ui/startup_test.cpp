// Start-up when files are missing: the main window opens with one message for each, and a
// route can still be typed and computed.
#include <QStatusBar>
#include <filesystem>

#include "base/error.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void unreadableBeaconFile();
    void noDeclinationGrid();
};

void TestStartup::unreadableBeaconFile() {
    TProgram p;
    TConfig config(std::string(KESTRUN_RUN_DIR) + "/");
    config.RSBNBeaconFile = p.Work.File("gone.csv");
    p.WriteConfig(config);
    p.Start();
    QVERIFY(p.Main().isVisible());
    QCOMPARE(p.Messages, QStringList{QStringLiteral("Cannot open file ") +
                                     QString::fromStdString(p.Work.File("gone.csv"))});
    QCOMPARE(p.World->BeaconList.Count(), 0);
    QCOMPARE(p.Main().cbRSBN->count(), 1); // the empty item only
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
    p.Start();
    QVERIFY(p.Main().isVisible());
    QCOMPARE(p.Messages, QStringList{QStringLiteral("Cannot open file magdec.bgl")});
    QVERIFY(p.World->BeaconList.Count() > 0);
    QCOMPARE(p.Plan().Count(), 1); // creation went on: the first waypoint is there
    QVERIFY(p.Status(0).contains(QStringLiteral("magdec.bgl")));
    TypeRoute(p);
    QVERIFY(qAbs(p.Plan()[1].Distance - kLeg2Km) < 0.001);
    for (int i = 0; i < 3; ++i) QCOMPARE(p.Plan()[i].MagDecl, 0.0);
    QCOMPARE(TProgram::Cell(p.Main().sgNVU, 1, 4), QStringLiteral("0.0"));
}

KESTRUN_UI_TEST_MAIN(TestStartup)
#include "startup_test.moc"
