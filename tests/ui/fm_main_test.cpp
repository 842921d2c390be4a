// The main window driven as a user drives it: a route typed into the grids, beacons chosen,
// keys, the support point, the totals and the exit question, the interface language.
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>

#include "base/cp1251.h"
#include "files/beaconfile.h"
#include "plan/rsbnlist.h"
#include "ui/qtext.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

double Number(const QString& cell) {
    bool ok = false;
    const double v = cell.trimmed().toDouble(&ok);
    return ok ? v : -1;
}

} // namespace

class TestMain : public QObject {
    Q_OBJECT
private slots:
    void typedRouteShowsInBothGrids();
    void partlyTypedCoordinatesBecomeZeros();
    void namesUpperCasedInBothGrids();
    void autoSelectAndPicker();
    void pickerTypingJumpsAndFollowsReload();
    void insertDeleteAppendKeys();
    void typingAndClicksInTheGrid();
    void supportPointSwitch();
    void exitQuestion();
    void languageSwitch();
    void headerDragMovesWidthOnly();
    void title();
    void toolButtonPlaces();
};

void TestMain::typedRouteShowsInBothGrids() {
    TProgram p;
    QVERIFY(p.Start());
    QCOMPARE(p.Status(2), QString()); // no "*" right after start-up
    TypeRoute(p);
    QCOMPARE(p.Plan().Count(), 3);
    TPlanGrid* r = p.Main().sgRSBN;
    TPlanGrid* n = p.Main().sgNVU;
    for (int row = 1; row <= 3; ++row) {
        QCOMPARE(TProgram::Cell(r, row, kName),
                 QString::fromLatin1(kRoute[row - 1].Name).toUpper());
        QCOMPARE(TProgram::Cell(r, row, kCoords), QString::fromUtf8(kRoute[row - 1].Shown));
        QCOMPARE(TProgram::Cell(n, row, kCoords), QString::fromUtf8(kRoute[row - 1].Shown));
        QCOMPARE(TProgram::Cell(r, row, 1), QStringLiteral("%1.").arg(row));
    }
    QVERIFY(qAbs(Number(TProgram::Cell(r, 1, kRsbnDist)) - kLeg1Km) < 0.06);
    QVERIFY(qAbs(Number(TProgram::Cell(n, 2, kNvuDist)) - kLeg2Km) < 0.06);
    QCOMPARE(TProgram::Cell(r, 3, kRsbnDist), QString()); // the last row starts no leg
    QCOMPARE(p.Main().lbTotalDistance->text(), QStringLiteral("Total distance: 1279 km"));
    QVERIFY(p.Status(1).startsWith(QStringLiteral("Total dist.: 1279 km")));
    QCOMPARE(p.Status(2), QStringLiteral("*"));

    // New coordinates typed into row 2, then a click into row 3: waypoint 2 takes them.
    TProgram::Select(r, 2, kCoords);
    TProgram::Type(QStringLiteral("N500000E0300000"));
    r->SetCurrent(3, kName);
    QCOMPARE(TProgram::Cell(r, 2, kCoords), QStringLiteral("N50°00.00’ E030°00.00’"));
    QCOMPARE(TProgram::Cell(r, 3, kCoords), QString::fromUtf8(kRoute[2].Shown));
}

void TestMain::partlyTypedCoordinatesBecomeZeros() {
    TProgram p;
    QVERIFY(p.Start());
    TPlanGrid* g = p.Main().sgRSBN;
    TProgram::Select(g, 1, kCoords);
    TProgram::Type(QStringLiteral("N555835E037"));
    TProgram::Key(Qt::Key_Return);
    QCOMPARE(TProgram::Cell(g, 1, kCoords), QStringLiteral("N55°58.35’ E037°00.00’"));
    // A text the parser rejects changes nothing and shows no message.
    TProgram::Select(g, 1, kCoords);
    TProgram::Type(QStringLiteral("X"));
    TProgram::Key(Qt::Key_Return);
    QCOMPARE(TProgram::Cell(g, 1, kCoords), QStringLiteral("N55°58.35’ E037°00.00’"));
    QVERIFY(p.Messages.isEmpty());
}

void TestMain::namesUpperCasedInBothGrids() {
    TProgram p;
    QVERIFY(p.Start());
    p.Main().pcMain->setCurrentIndex(1);
    TPlanGrid* n = p.Main().sgNVU;
    TProgram::Select(n, 1, kName);
    TProgram::Type(QStringLiteral("ab"));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("ab")); // the NVU grid shows what was typed
    editor->insert(QStringLiteral("ц"));            // Cyrillic stays as it is
    TProgram::Key(Qt::Key_Return);
    QCOMPARE(p.Plan()[0].Name, Cp("ABц"));
    // Ctrl+X inside the editor cuts; it does not leave the program.
    TProgram::Select(n, 1, kName);
    TProgram::Type(QStringLiteral("q"));
    TProgram::Key(Qt::Key_A, Qt::ControlModifier);
    TProgram::Key(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), QString());
    QVERIFY(p.Main().isVisible());
    QCOMPARE(p.Questions, 0);
}

void TestMain::autoSelectAndPicker() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    TPlanGrid* g = p.Main().sgRSBN;
    QTest::mouseClick(p.Main().sbAutoSelect, Qt::LeftButton);
    const int chosen = p.Plan()[0].BeaconIndex;
    QVERIFY(chosen >= 0);
    QVERIFY(!TProgram::Cell(g, 1, kBeacon).isEmpty());
    QVERIFY(!TProgram::Cell(g, 1, kMode).isEmpty());
    // Planned course, target angle and distance are grey unless the mode is "СРП".
    const bool srp = p.Plan()[0].RSBNMode == rmSRP;
    for (int col = 13; col <= 15; ++col)
        QCOMPARE(g->Model().index(0, col).data(GreyRole).toBool(), !srp);

    // Opening the picker and leaving it without a choice keeps the leg's beacon.
    TBeaconPicker* picker = p.Main().cbRSBN;
    TProgram::Select(g, 1, kBeacon);
    QVERIFY(picker->isVisible());
    QCOMPARE(picker->currentIndex(), chosen + 1);
    g->setFocus();
    QVERIFY(!picker->isVisible());
    QCOMPARE(p.Plan()[0].BeaconIndex, chosen);

    // Dropping the list down annotates every beacon against the leg; the empty item removes
    // the leg's beacon.
    TProgram::Select(g, 1, kBeacon);
    picker->showPopup();
    const TRSBNRec& b = p.World->BeaconList[chosen];
    QVERIFY(b.Annotated);
    QVERIFY(picker->Model()
                .index(chosen + 1)
                .data(PickerTextRole)
                .toString()
                .endsWith(QStringLiteral(" km)")));
    picker->hidePopup();
    emit picker->activated(0);
    QCOMPARE(p.Plan()[0].BeaconIndex, -1);
    QCOMPARE(TProgram::Cell(g, 1, kBeacon), QString());
    QVERIFY(!picker->isVisible());

    // On the last row there is no leg: nothing is annotated.
    TProgram::Select(g, 3, kBeacon);
    picker->showPopup();
    QVERIFY(!p.World->BeaconList[0].Annotated);
    picker->hidePopup();
    g->setFocus();

    // Enter on the beacon column of the NVU grid opens no picker.
    p.Main().pcMain->setCurrentIndex(1);
    TProgram::Select(p.Main().sgNVU, 1, kBeacon);
    TProgram::Key(Qt::Key_Return);
    QVERIFY(!picker->isVisible());
}

void TestMain::pickerTypingJumpsAndFollowsReload() {
    TProgram p;
    QVERIFY(p.Start());
    p.Plan().AppendWayPoint();
    p.Main().SetGridRowCounts();
    TBeaconPicker* picker = p.Main().cbRSBN;
    const TRSBNList& beacons = p.World->BeaconList;
    QCOMPARE(picker->count(), beacons.Count() + 1);
    // The first beacon whose text starts with the name of the fifth one.
    const QString prefix = ToQ(beacons[4].Name.substr(0, 3));
    int first = -1;
    for (int i = 0; i < beacons.Count() && first < 0; ++i)
        if (ToQ(beacons[i].Name).startsWith(prefix, Qt::CaseInsensitive)) first = i;
    TProgram::Select(p.Main().sgRSBN, 1, kBeacon);
    picker->showPopup();
    TProgram::Type(prefix);
    TProgram::Key(Qt::Key_Return);
    QCOMPARE(p.Plan()[0].BeaconIndex, first);

    // After another beacon file is loaded, the items follow the new list.
    LoadBeaconFile(p.World->BeaconList, test::TestData("beacons/good.csv"));
    p.Main().BeaconsReloaded();
    QCOMPARE(picker->count(), p.World->BeaconList.Count() + 1);
}

void TestMain::insertDeleteAppendKeys() {
    TProgram p;
    QVERIFY(p.Start());
    p.Plan().AppendWayPoint();
    p.Plan().AppendWayPoint();
    for (int i = 0; i < 3; ++i) p.Plan()[i].Name = std::string(1, static_cast<char>('A' + i));
    p.Main().SetGridRowCounts();
    TPlanGrid* r = p.Main().sgRSBN;
    TPlanGrid* n = p.Main().sgNVU;
    auto names = [&] {
        QString s;
        for (int row = 1; row < r->Model().RowCount(); ++row)
            s += TProgram::Cell(n, row, kName) + QLatin1Char('|');
        return s;
    };
    QCOMPARE(names(), QStringLiteral("A|B|C|"));

    TProgram::Select(r, 2, 1);
    TProgram::Key(Qt::Key_Insert, Qt::ShiftModifier); // refused with a modifier
    QCOMPARE(names(), QStringLiteral("A|B|C|"));
    TProgram::Key(Qt::Key_Insert);
    QCOMPARE(names(), QStringLiteral("A||B|C|")); // shown in the other grid too

    TProgram::Key(Qt::Key_Delete); // without Ctrl nothing happens
    QCOMPARE(p.Plan().Count(), 4);
    TProgram::Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(names(), QStringLiteral("A|B|C|"));

    // Down on the last row appends and moves onto the new row in both grids; the status bar
    // is not renewed by this key.
    p.Plan().PlanModified = false;
    p.Main().RefreshTotals();
    TProgram::Select(r, 3, 1);
    TProgram::Key(Qt::Key_Down);
    QCOMPARE(p.Plan().Count(), 4);
    QCOMPARE(r->Row(), 4);
    QCOMPARE(n->Row(), 4);
    QCOMPARE(p.Status(2), QString());

    // Down inside the editor of the last row: the name is taken, then a row appended.
    TProgram::Select(r, 4, kName);
    TProgram::Type(QStringLiteral("d"));
    TProgram::Key(Qt::Key_Down);
    QCOMPARE(p.Plan()[3].Name, std::string("D"));
    QCOMPARE(p.Plan().Count(), 5);
    QCOMPARE(r->Row(), 5);
    QVERIFY(!r->EditorOpen());

    TProgram::Select(r, 1, 1);
    TProgram::Key(Qt::Key_Up); // swallowed on the first row
    QCOMPARE(r->Row(), 1);

    // Ctrl+Delete leaves one waypoint and then does nothing.
    for (int i = 0; i < 5; ++i) TProgram::Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(p.Plan().Count(), 1);
    QCOMPARE(r->Model().RowCount(), 2);
    QCOMPARE(n->Model().RowCount(), 2);
}

void TestMain::typingAndClicksInTheGrid() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    TPlanGrid* g = p.Main().sgRSBN;
    // Typing on a cell that cannot be edited neither edits nor moves the current cell.
    TProgram::Select(g, 3, 1);
    TProgram::Type(QStringLiteral("1u"));
    QCOMPARE(g->Row(), 3);
    QCOMPARE(g->Col(), 1);
    QVERIFY(!g->EditorOpen());

    // Enter opens the editor on the name; Up on the first row leaves it open.
    TProgram::Select(g, 1, kName);
    TProgram::Key(Qt::Key_Return);
    QVERIFY(g->EditorOpen());
    TProgram::Key(Qt::Key_Up);
    QVERIFY(g->EditorOpen());
    TProgram::Key(Qt::Key_End);
    TProgram::Type(QStringLiteral("x"));
    TProgram::Key(Qt::Key_Return);
    QVERIFY(!g->EditorOpen());
    QCOMPARE(p.Plan()[0].Name, std::string("UUEEX"));

    // Pressing the current beacon cell again, after the picker was left, opens it again.
    TBeaconPicker* picker = p.Main().cbRSBN;
    TProgram::Select(g, 1, kBeacon);
    QVERIFY(picker->isVisible());
    g->setFocus();
    QVERIFY(!picker->isVisible());
    const QRect cell = g->visualRect(g->currentIndex());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(picker->isVisible());
}

void TestMain::supportPointSwitch() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    p.Plan().PlanModified = false;
    p.Main().RefreshTotals();
    // Hidden while the settings say so; the panel under the tool bar shrinks to its bevel.
    QVERIFY(!p.Main().rgSupportPoint->isVisible());
    const int shrunk = p.Main().Panel1->height();
    p.Main().ShowSupportPointPanel(true);
    QVERIFY(p.Main().rgSupportPoint->isVisible());
    QVERIFY(p.Main().Panel1->height() > shrunk + 30);
    auto* traverse = p.Main().findChild<QRadioButton*>(QStringLiteral("rgSupportPoint_1"));
    QVERIFY(traverse);
    traverse->click();
    QCOMPARE(p.Plan().SupPoint, spTraverse);
    QCOMPARE(p.Status(2), QStringLiteral("*"));
}

void TestMain::exitQuestion() {
    {
        TProgram p; // a plan without changes ends at once
        QVERIFY(p.Start());
        p.Main().mExit->trigger();
        QCOMPARE(p.Questions, 0);
        QVERIFY(!p.Main().isVisible());
    }
    TProgram p;
    QVERIFY(p.Start());
    TProgram::Select(p.Main().sgRSBN, 1, kName); // merely opening the editor marks the plan
    TProgram::Type(QStringLiteral("a"));
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    TProgram::Key(Qt::Key_Escape);
    p.Answer = false;
    TProgram::Key(Qt::Key_X, Qt::ControlModifier); // outside an editor Ctrl+X leaves
    QCOMPARE(p.Questions, 1);
    QVERIFY(p.Main().isVisible());
    QVERIFY(!p.Main().close());
    QCOMPARE(p.Questions, 2);
    p.Answer = true;
    p.Main().mExitClick();
    QCOMPARE(p.Questions, 3); // OK ends it without a second question
    QVERIFY(!p.Main().isVisible());
}

void TestMain::languageSwitch() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    QCOMPARE(m.mFile->title(), QStringLiteral("&File"));
    QCOMPARE(m.pcMain->tabText(0), QStringLiteral("RSBN"));
    QCOMPARE(m.sgNVU->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("Fork"));
    QCOMPARE(m.sbImport->toolTip(), QStringLiteral("Import Flight Plan from FS 2004(2)"));

    m.ApplyLanguage("Russian.lng");
    QCOMPARE(m.mFile->title(), QStringLiteral("Файл"));
    QCOMPARE(m.pcMain->tabText(0), QStringLiteral("РСБН"));
    QCOMPARE(m.sgRSBN->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("№"));
    QCOMPARE(m.sbImport->toolTip(), QStringLiteral("Импорт из FS2002(4)"));
    QVERIFY(m.lbTotalDistance->text().startsWith(QStringLiteral("Общая дистанция:")));
    // The Help menu stands at the right end of the menu bar.
    QApplication::processEvents();
    const QRect help = m.HelpMenuBar->geometry();
    QVERIFY(qAbs(help.right() - m.MainMenu->width() + 1) <= 4);
    QVERIFY(help.left() > m.MainMenu->actionGeometry(m.mOptions->menuAction()).right());
}

void TestMain::headerDragMovesWidthOnly() {
    TProgram p;
    QVERIFY(p.Start());
    QHeaderView* h = p.Main().sgRSBN->horizontalHeader();
    const int nameWidth = h->sectionSize(kName), coordsWidth = h->sectionSize(kCoords);
    h->moveSection(kName, kCoords); // the "Point" header dragged one place right
    QCOMPARE(h->logicalIndex(kName), kName);
    QCOMPARE(h->model()->headerData(kName, Qt::Horizontal).toString(), QStringLiteral("Point"));
    QCOMPARE(h->sectionSize(kName), coordsWidth);
    QCOMPARE(h->sectionSize(kCoords), nameWidth);
}

void TestMain::title() {
    QCOMPARE(
        TfmMain::TitleText("1.2.3.4", "2005-03-05"),
        QStringLiteral(".:: Kestrun ::.       Version: 1.2; release: 3; build: 4 (2005-03-05)"));
    QCOMPARE(TfmMain::TitleText("7", "2005-03-05"),
             QStringLiteral(".:: Kestrun ::.       Version: ; release: ; build: 7 (2005-03-05)"));
}

void TestMain::toolButtonPlaces() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    const QToolButton* buttons[] = {m.sbImport,     m.sbOpen,  m.sbSave,
                                    m.sbAutoSelect, m.sbPrint, m.sbExportToNH};
    const int x[] = {8, 32, 56, 96, 136, 176};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(buttons[i]->mapTo(m.CoolBar1, QPoint(0, 0)).x(), x[i]);
        QCOMPARE(buttons[i]->size(), QSize(23, 22));
    }
}

KESTRUN_UI_TEST_MAIN(TestMain)
#include "fm_main_test.moc"
