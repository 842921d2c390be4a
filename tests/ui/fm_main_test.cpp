// The main window driven as a user drives it: a route typed into the grids, beacons chosen,
// keys, the support point, the totals and the exit question, the interface language.
#include <QButtonGroup>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

#include "base/cp1251.h"
#include "filedialogs.h"
#include "files/beaconfile.h"
#include "plan/rsbnlist.h"
#include "ui/fm_about.h"
#include "ui/fm_help.h"
#include "ui/mapview.h"
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
    void pickerMarksAndColours();
    void pickerTypingJumpsAndFollowsReload();
    void insertDeleteAppendKeys();
    void typingAndClicksInTheGrid();
    void supportPointSwitch();
    void exitQuestion();
    void unsavedWorkQuestion();
    void undoRedo();
    void cancelledAutoSelectChangesNothing();
    void copyCells();
    void languageSwitch();
    void languagesWhole();
    void windowStateRemembered();
    void statusTotalsShowWhole();
    void headerDragMovesWidthOnly();
    void title();
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
    const QString start = QStringLiteral("N55°58.35’ E037°00.00’");
    struct Case {
        const char* keys;
        QString shown, note; // the note names the text and the waypoint when it is refused
    } cases[] = {
        {"N555835E037", start, {}},
        {"X", start, QStringLiteral("'X00°00.00’ 0000°00.00’' is not a position")},
        // 99 minutes are a slip in the editor, though files may carry them into the degrees.
        {"N539993E0280198", start, QStringLiteral("'N53°99.93’ E028°01.98’' is not a position")},
        {"N535990E0280198", QStringLiteral("N53°59.90’ E028°01.98’"), {}},
    };
    for (const Case& c : cases) {
        TProgram::Select(g, 1, kCoords);
        TProgram::Type(QString::fromLatin1(c.keys));
        TProgram::Key(Qt::Key_Return);
        QCOMPARE(TProgram::Cell(g, 1, kCoords), c.shown);
        if (c.note.isEmpty()) continue;
        QVERIFY2(p.Status(0).startsWith(c.note), qPrintable(p.Status(0)));
        QVERIFY(p.Status(0).endsWith(QStringLiteral("waypoint 1 keeps its position")));
    }
    QVERIFY(p.Messages.isEmpty());
    // Escape in the editor restores the text it had when it opened.
    TProgram::Select(g, 1, kName);
    TProgram::Type(QStringLiteral("abc"));
    TProgram::Key(Qt::Key_Escape);
    QCOMPARE(TProgram::Cell(g, 1, kName), QString());
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
    QVERIFY(p.Questions.isEmpty());
}

void TestMain::autoSelectAndPicker() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    TPlanGrid* g = p.Main().sgRSBN;
    p.Main().mAutoSelect->trigger();
    const int chosen = p.Plan()[0].BeaconIndex;
    QVERIFY(chosen >= 0);
    QVERIFY(!TProgram::Cell(g, 1, kMode).isEmpty());
    // Planned course, target angle and distance are grey unless the mode is "СРП".
    const bool srp = p.Plan()[0].RSBNMode == rmSRP;
    for (int col = 13; col <= 15; ++col)
        QCOMPARE(g->Model().index(0, col).data(GreyRole).toBool(), !srp);

    // Arrows, Page keys and the wheel over the beacon column move and scroll; they never
    // change a beacon, nor open the picker.
    const int commands = p.Main().Doc.Stack.count();
    TProgram::Select(g, 1, kBeacon);
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Right,
                      Qt::Key_Left}) {
        TProgram::Key(k);
        QVERIFY(!g->Picker());
    }
    QWheelEvent wheel(QPointF(g->visualRect(g->currentIndex()).center()), QPointF(), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g->viewport(), &wheel);
    QCOMPARE(p.Plan()[0].BeaconIndex, chosen);
    QCOMPARE(p.Main().Doc.Stack.count(), commands);

    // Enter drops the picker down on the leg's own beacon; Escape closes it with no change.
    TProgram::Select(g, 1, kBeacon);
    TProgram::Key(Qt::Key_Return);
    TBeaconPicker* picker = g->Picker();
    QVERIFY(picker && picker->DroppedDown());
    QCOMPARE(picker->currentIndex(), chosen + 1);
    TProgram::Key(Qt::Key_Down); // moves in the list
    TProgram::Key(Qt::Key_Escape);
    QTRY_VERIFY(!g->Picker());
    QCOMPARE(p.Plan()[0].BeaconIndex, chosen);
    // F4, then a pick: the leg takes it; the empty item removes the beacon.
    TProgram::Key(Qt::Key_F4);
    QVERIFY(g->Picker() && g->Picker()->DroppedDown());
    TProgram::Key(Qt::Key_Home);
    TProgram::Key(Qt::Key_Return);
    QTRY_VERIFY(!g->Picker());
    QCOMPARE(p.Plan()[0].BeaconIndex, -1);
    QCOMPARE(TProgram::Cell(g, 1, kBeacon), QString());

    // On the last row there is no leg: nothing is annotated.
    TProgram::Select(g, 3, kBeacon);
    QTest::keyClick(g, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(g->Picker());
    QVERIFY(!p.World->BeaconList[0].Annotated);
    TProgram::Key(Qt::Key_Escape);
    QTRY_VERIFY(!g->Picker());

    // Enter on the beacon column of the NVU grid opens no picker.
    p.Main().pcMain->setCurrentIndex(1);
    TProgram::Select(p.Main().sgNVU, 1, kBeacon);
    TProgram::Key(Qt::Key_Return);
    QVERIFY(!p.Main().sgNVU->Picker());
}

void TestMain::pickerMarksAndColours() {
    // A leg from 50° N 30° E to 50° N 40° E; beacons on its start, on its end, and 300 and
    // 500 km east of its end along the parallel (1 km = 180 / (pi R cos 50°) degrees).
    TProgram p;
    QVERIFY(p.Start());
    const double lons[] = {30, 40, 40 + 300 * 180 / (kPiD * 6378.137 * std::cos(50 * kDeg)),
                           40 + 500 * 180 / (kPiD * 6378.137 * std::cos(50 * kDeg))};
    p.World->BeaconList.Clear();
    for (int i = 0; i < 4; ++i) {
        const std::string name = "B" + std::to_string(i), deg = std::to_string(int(lons[i]));
        const double min = (lons[i] - int(lons[i])) * 60;
        p.World->BeaconList.Add("1", name, name, "", "N", "50", "0", "E", deg, std::to_string(min));
    }
    p.Waypoints(2);
    p.Plan()[0].SetPos(TGeoPoint{50 * kPiL / 180, 30 * kPiL / 180});
    p.Plan()[1].SetPos(TGeoPoint{50 * kPiL / 180, 40 * kPiL / 180});
    TPlanGrid* g = p.Main().sgRSBN;
    TProgram::Select(g, 1, kBeacon);
    QVERIFY(g->OpenPicker());
    auto* items = qobject_cast<TBeaconItemDelegate*>(g->Picker()->view()->itemDelegate());
    QVERIFY(items);
    QStyleOptionViewItem option;
    option.palette = g->Picker()->view()->palette();
    const std::tuple<QString, QColor> cases[] = {
        {QStringLiteral("(v)B0, [B0] ("), QColor(0, 255, 0)},      // the leg's start
        {QStringLiteral("(^)B1, [B1] (0 km)"), QColor(0, 255, 0)}, // its end
        {QStringLiteral("B2, [B2] (300 km)"), QColor(0, 255, 255)},
        {QStringLiteral("B3, [B3] (500 km)"), option.palette.color(QPalette::Base)}};
    for (int i = 0; i < 4; ++i) {
        const auto look = items->Look(option, g->Picker()->model()->index(i + 1, 0));
        QVERIFY2(look.Text.startsWith(std::get<0>(cases[i])), qPrintable(look.Text));
        QCOMPARE(look.Background, std::get<1>(cases[i]));
    }
}

void TestMain::pickerTypingJumpsAndFollowsReload() {
    TProgram p;
    QVERIFY(p.Start());
    p.Waypoints(2);
    const TRSBNList& beacons = p.World->BeaconList;
    // The first beacon whose text starts with the name of the fifth one.
    const QString prefix = ToQ(beacons[4].Name.substr(0, 3));
    int first = -1;
    for (int i = 0; i < beacons.Count() && first < 0; ++i)
        if (ToQ(beacons[i].Name).startsWith(prefix, Qt::CaseInsensitive)) first = i;
    TPlanGrid* g = p.Main().sgRSBN;
    TProgram::Select(g, 1, kBeacon);
    TProgram::Type(prefix); // typing drops the list down and searches it
    QVERIFY(g->Picker() && g->Picker()->DroppedDown());
    QCOMPARE(g->Picker()->count(), beacons.Count() + 1);
    TProgram::Key(Qt::Key_Return);
    QTRY_VERIFY(!g->Picker());
    QCOMPARE(p.Plan()[0].BeaconIndex, first);

    // After another beacon file is loaded, the items follow the new list.
    LoadBeaconFile(p.World->BeaconList, test::TestData("beacons/good.csv"));
    p.Main().BeaconsReloaded();
    QVERIFY(g->OpenPicker());
    QCOMPARE(g->Picker()->count(), p.World->BeaconList.Count() + 1);
}

void TestMain::insertDeleteAppendKeys() {
    TProgram p;
    QVERIFY(p.Start());
    p.Waypoints(3);
    TPlanGrid* r = p.Main().sgRSBN;
    TPlanGrid* n = p.Main().sgNVU;
    auto names = [&] {
        QString s;
        for (int row = 1; row <= r->model()->rowCount(); ++row)
            s += TProgram::Cell(n, row, kName) + QLatin1Char('|');
        return s;
    };
    auto total = [&] {
        return QRegularExpression(QStringLiteral("(\\d+) km"))
            .match(p.Status(1))
            .captured(1)
            .toDouble();
    };
    QCOMPARE(names(), QStringLiteral("A|B|C|"));
    const double abc = total();
    QVERIFY(abc > 200);

    TProgram::Select(r, 2, 1);
    TProgram::Key(Qt::Key_Insert, Qt::ShiftModifier); // refused with a modifier
    QCOMPARE(names(), QStringLiteral("A|B|C|"));
    TProgram::Key(Qt::Key_Insert);
    QCOMPARE(names(), QStringLiteral("A||B|C|")); // shown in the other grid too
    // The totals follow at once: the empty waypoint lies at 0°, 0°.
    QVERIFY(total() > 10000);
    QCOMPARE(p.Main().lbTotalDistance->text(),
             QStringLiteral("Total distance: %1 km").arg(total(), 4, 'f', 0));

    TProgram::Key(Qt::Key_Delete); // without Ctrl nothing happens
    QCOMPARE(p.Plan().Count(), 4);
    TProgram::Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(names(), QStringLiteral("A|B|C|"));
    QCOMPARE(total(), abc);

    // Down on the last row appends and moves onto the new row in both grids; the totals and
    // the mark follow.
    p.Main().Doc.MarkSaved();
    TProgram::Select(r, 3, 1);
    TProgram::Key(Qt::Key_Down);
    QCOMPARE(p.Plan().Count(), 4);
    QCOMPARE(r->Row(), 4);
    QCOMPARE(n->Row(), 4);
    QVERIFY(total() > abc + 5000);
    QCOMPARE(p.Status(2), QStringLiteral("*"));

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
    QCOMPARE(r->model()->rowCount(), 1);
    QCOMPARE(n->model()->rowCount(), 1);
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

    // A click on a beacon cell drops the picker down.
    TProgram::Select(g, 1, kBeacon);
    QVERIFY(!g->Picker());
    const QRect cell = g->visualRect(g->currentIndex());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(g->Picker() && g->Picker()->DroppedDown());
}

void TestMain::supportPointSwitch() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    p.Main().Doc.MarkSaved();
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
        QVERIFY(p.Questions.isEmpty());
        QVERIFY(!p.Main().isVisible());
    }
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TProgram::Select(p.Main().sgRSBN, 1, kName);
    TProgram::Type(QStringLiteral("a\r"));
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    p.Answer = TfmMain::TAnswer::Cancel;
    TProgram::Key(Qt::Key_X, Qt::ControlModifier); // outside an editor Ctrl+X leaves
    QCOMPARE(p.Questions, QStringList{QStringLiteral(
                              "Вы хотите выйти из программы \"Kestrun\" не сохранив плана?")});
    QVERIFY(p.Main().isVisible());
    QVERIFY(!p.Main().close());
    // Save, the file written: the program ends without a second question.
    p.Answer = TfmMain::TAnswer::Save;
    answers.File(QString::fromStdString(p.Work.File("exit.rbf")));
    p.Main().mExitClick();
    QCOMPARE(p.Questions.size(), 3);
    QVERIFY(!p.Main().isVisible());
    QVERIFY(QFile::exists(QString::fromStdString(p.Work.File("exit.rbf"))));
}

void TestMain::unsavedWorkQuestion() {
    // Every command that replaces a modified plan asks first; Cancel, or Save with its dialog
    // cancelled, keeps the plan.
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TfmMain& m = p.Main();
    const QString rbf = QString::fromStdString(TestData("planfile/three-traverse.rbf"));
    const std::function<void()> commands[] = {
        [&] { m.mNew->trigger(); }, [&] { m.mOpenRSBN->trigger(); },
        [&] { m.mImportFP->trigger(); }, [&] { m.OpenFileCommand(rbf); }, // recent, dropped
        [&] { m.mExit->trigger(); }};
    for (auto answer : {TfmMain::TAnswer::Cancel, TfmMain::TAnswer::Save})
        for (const auto& command : commands) {
            p.Waypoints(2);
            p.Main().Doc.SetName(1, "X");
            p.Answer = answer;
            const qsizetype asked = p.Questions.size();
            if (answer == TfmMain::TAnswer::Save) answers.File(QString());
            command();
            QCOMPARE(p.Questions.size(), asked + 1);
            QCOMPARE(p.Plan()[0].Name, std::string("X"));
            QVERIFY(m.isVisible());
        }
    QCOMPARE(answers.Unexpected, 0);
    // Discard: a dropped plan file is opened.
    p.Answer = TfmMain::TAnswer::Discard;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(rbf)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &enter); // makes the window the drop's target
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &drop);
    QTRY_COMPARE(p.Plan().Count(), 3);
    QCOMPARE(m.RecentFiles.constFirst(), rbf);
    // New: one empty waypoint, no file name, nothing to save.
    m.mNew->trigger();
    QCOMPARE(p.Plan().Count(), 1);
    QCOMPARE(p.Status(0) + p.Status(2), QString());
}

void TestMain::cancelledAutoSelectChangesNothing() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    m.ProgressDelayMs = 0; // the dialog from the start, whatever the machine's speed
    // 3,000 legs zigzagging over the shipped database's stations.
    m.Doc.Replace(
        [&] {
            p.Plan().Clear();
            for (int i = 0; i <= 3000; ++i)
                p.Plan().AddWayPoint().SetPos(TGeoPoint{(50.0L + (i % 20) * 0.4L) * kPiL / 180,
                                                        (30.0L + (i / 20) * 0.2L) * kPiL / 180});
        },
        true);
    for (const bool cancel : {true, false}) {
        bool shown = false;
        // Runs once the dialog lets events through, that is while the choice goes on.
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            auto* b = d ? d->findChild<QPushButton*>() : nullptr;
            shown = b && b->text() == m.Text("sButton_Cancel");
            if (shown && cancel) b->click();
        });
        m.mAutoSelect->trigger();
        QVERIFY(shown);
        int chosen = 0;
        for (int i = 0; i < p.Plan().Count(); ++i) chosen += p.Plan()[i].BeaconIndex >= 0;
        QCOMPARE(chosen > 1000, !cancel);
        QCOMPARE(m.Doc.Stack.count(), cancel ? 0 : 1);
    }
}

void TestMain::undoRedo() {
    // Each kind of change, undone back to the saved plan and redone to where it was.
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    TypeRoute(p); // names, positions, two appends
    m.Doc.MarkSaved();
    TPlanGrid* g = m.sgRSBN;
    auto state = [&] { return m.CopyText() + p.Status(1) + QString::number(p.Plan().SupPoint); };
    const std::function<void()> changes[] = {
        [&] { m.mAutoSelect->trigger(); },
        [&] { // the empty item of the picker on leg 2
            TProgram::Select(g, 2, kBeacon);
            for (Qt::Key k : {Qt::Key_F4, Qt::Key_Home, Qt::Key_Return}) TProgram::Key(k);
        },
        [&] {
            TProgram::Select(g, 2, kCoords);
            TProgram::Type(QStringLiteral("N560000E0400000\r"));
        },
        [&] {
            TProgram::Select(g, 2, kName);
            TProgram::Type(QStringLiteral("zz\r"));
        },
        [&] { TProgram::Key(Qt::Key_Insert); },
        [&] {
            TProgram::Select(g, 1, kName);
            TProgram::Key(Qt::Key_Delete, Qt::ControlModifier);
        },
        [&] { m.rgSupportPointItems->button(1)->click(); },
    };
    QStringList states{state()};
    for (const auto& change : changes) {
        change();
        QTRY_VERIFY(!g->Picker());
        QVERIFY(!states.contains(state()));
        states << state();
    }
    for (qsizetype i = states.size() - 1; i > 0; --i) {
        QCOMPARE(p.Status(2), QStringLiteral("*"));
        TProgram::Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(state(), states[i - 1]);
    }
    QCOMPARE(p.Status(2), QString()); // back at the saved plan
    for (qsizetype i = 1; i < states.size(); ++i) {
        TProgram::Key(i % 2 ? Qt::Key_Y : Qt::Key_Z,
                      i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(state(), states[i]);
    }
}

void TestMain::copyCells() {
    TProgram p;
    QVERIFY(p.Start());
    TypeRoute(p);
    TPlanGrid* g = p.Main().sgRSBN;
    TProgram::Select(g, 2, kName);
    TProgram::Key(Qt::Key_C, Qt::ControlModifier); // one cell: the whole grid
    const QStringList all = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    QVERIFY(all[0].startsWith(QStringLiteral("N\tPoint\tCoords\tM.d.\tCourse\tMCrs\tDist\t")));
    QVERIFY(all[2].startsWith(QStringLiteral("2.\tULLI\tN59°48.02’ E030°15.73’\t")));
    QCOMPARE(all.size(), 5); // headings, three rows, the final line end
    g->selectionModel()->select(
        QItemSelection(g->model()->index(0, kName), g->model()->index(1, kCoords)),
        QItemSelectionModel::Select);
    p.Main().mCopy->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral(
                 "Point\tCoords\nUUEE\tN55°58.35’ E037°24.68’\nULLI\tN59°48.02’ E030°15.73’\n"));
}

void TestMain::languageSwitch() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    QCOMPARE(m.mFile->title(), QStringLiteral("&File"));
    QCOMPARE(m.pcMain->tabText(0), QStringLiteral("RSBN"));
    QCOMPARE(m.sgNVU->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("Fork"));
    QCOMPARE(m.mImportFP->toolTip(), QStringLiteral("Import Flight Plan from FS 2004(2)"));

    m.ApplyLanguage("Russian.lng");
    QCOMPARE(m.mFile->title(), QStringLiteral("Файл"));
    QCOMPARE(m.pcMain->tabText(0), QStringLiteral("РСБН"));
    QCOMPARE(m.sgRSBN->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("№"));
    QCOMPARE(m.mImportFP->toolTip(), QStringLiteral("Импорт из FS2002(4)"));
    QVERIFY(m.lbTotalDistance->text().startsWith(QStringLiteral("Общая дистанция:")));
    // The Help menu stands at the right end of the menu bar.
    QApplication::processEvents();
    const QRect help = m.HelpMenuBar->geometry();
    QVERIFY(qAbs(help.right() - m.MainMenu->width() + 1) <= 4);
    QVERIFY(help.left() > m.MainMenu->actionGeometry(m.mOptions->menuAction()).right());
}

// Every caption on the program's windows: titles, menus, their items and hints, buttons, labels,
// group boxes, tabs, column headings, the map's note; the grids' data and the help text are not
// captions.
QStringList Captions(TKestrunWindows& w) {
    QStringList out{w.fmMain->windowTitle(), w.fmConfig->windowTitle(),
                    w.fmMain->mapView->Scene().Note()};
    for (QWidget* top :
         std::initializer_list<QWidget*>{w.fmMain.get(), w.fmConfig, w.fmAbout, w.fmHelp})
        for (QWidget* c : top->findChildren<QWidget*>()) {
            if (c->window() != top && !qobject_cast<QMenu*>(c)) continue; // another window's
            if (auto* b = qobject_cast<QAbstractButton*>(c)) out << b->text() << b->toolTip();
            if (auto* l = qobject_cast<QLabel*>(c)) out << l->text();
            if (auto* g = qobject_cast<QGroupBox*>(c)) out << g->title();
            if (auto* t = qobject_cast<QTabBar*>(c))
                for (int i = 0; i < t->count(); ++i) out << t->tabText(i);
            if (auto* h = qobject_cast<QHeaderView*>(c))
                for (int i = 0; i < h->count(); ++i)
                    out << h->model()->headerData(i, h->orientation()).toString();
            for (QAction* a : c->actions()) out << a->text() << a->toolTip();
        }
    return out;
}

// The file dialogs' titles and kinds of file, and the question before an export replaces `file`.
QStringList FileDialogTexts(TfmMain& m, const std::string& file) {
    TDialogAnswers answers;
    QStringList out;
    answers.File(QString::fromStdString(file));
    answers.Custom([&](QDialog* d) {
        out << qobject_cast<QMessageBox*>(d)->text();
        d->reject();
    });
    for (QAction* c :
         {m.mExportGPX, m.mImportFP, m.mOpenRSBN, m.mSaveRSBN_as, m.mExport, m.mExportPDF,
          m.mExportKML, m.mExportPLN, m.mExportFMS, m.mExportLnmPlan, m.mExportMap})
        c->trigger();
    for (const TSeenDialog& s : answers.Seen) out << s.Title << s.Filters;
    return out;
}

void TestMain::languagesWhole() {
    TProgram p;
    QVERIFY(p.Start());
    TfmMain& m = p.Main();
    m.ShowSupportPointPanel(true);
    m.mapView->SetBaseMapFile(p.Work.File("missing.bin")); // the map says why it has no land
    m.mapView->BaseMap();
    WriteBytes(p.Work.File("plan.gpx"), "");
    const std::pair<const char*, bool> languages[] = {{"English.lng", false},
                                                      {"Russian.lng", true}};
    for (const auto& [file, russian] : languages) {
        m.ApplyLanguage(file);
        p.W->fmConfig->show(); // takes its captions on activation
        const QStringList texts = Captions(*p.W) + FileDialogTexts(m, p.Work.File("plan.gpx"));
        p.W->fmConfig->hide();
        for (const QString& t : texts.join(QLatin1Char('\n')).split(QLatin1Char('\n'))) {
            // Russian lines may name Latin things (GPX, FS2002, magdec.bgl), never alone;
            // the program's name is its name in every language.
            const bool latin = t.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}")));
            const bool cyrillic = t.contains(QRegularExpression(QStringLiteral("\\p{Cyrillic}")));
            QVERIFY2(russian ? !latin || cyrillic || t == QStringLiteral("Kestrun") : !cyrillic,
                     qPrintable(QLatin1String(file) + QStringLiteral(": ") + t));
        }
    }
}

void TestMain::windowStateRemembered() {
    TProgram p;
    QVERIFY(p.Start());
    // 801 x 629 does not fit the offscreen screen of 800 x 600: it is fitted into it.
    const QRect screen = p.Main().screen()->availableGeometry();
    QTRY_VERIFY2(screen.contains(p.Main().frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2").arg(p.Main().width()).arg(p.Main().height())));
    p.Main().resize(600, 450);
    p.Main().sgNVU->horizontalHeader()->resizeSection(kCoords, 177);
    QVERIFY(p.Main().close());
    p.W.reset();
    p.W.emplace(CreateWindows(*p.World));
    QCOMPARE(p.Main().size(), QSize(600, 450));
    QCOMPARE(p.Main().sgNVU->horizontalHeader()->sectionSize(kCoords), 177);
    QCOMPARE(QFileInfo(p.Main().StateFile()).dir(),
             QDir(QString::fromStdString(p.World->Locations.ConfigDir().string())));
}

void TestMain::statusTotalsShowWhole() {
    TProgram p;
    QVERIFY(p.Start());
    p.Main().Doc.Replace(
        [&] { // 4000 legs of 3.1 radians along the equator, 19772.22 km each
            p.Plan().Clear();
            for (int i = 0; i < 4001; ++i) p.Plan().AddWayPoint().SetPos({0, i % 2 * 3.1L});
        },
        false);
    p.Main().ApplyLanguage("Russian.lng");
    QCOMPARE(p.Status(1), QStringLiteral("Общ. дист.: 79088899 км   0.0° (270.0°)"));
    QLabel* const* panels = p.Main().StatusPanels;
    p.Main().resize(600, 500); // narrower than the window was laid out for
    QTRY_COMPARE(p.Main().statusBar()->width(), 600);
    QVERIFY(panels[1]->contentsRect().width() >=
            panels[1]->fontMetrics().horizontalAdvance(p.Status(1)));
    QVERIFY(panels[2]->geometry().right() < 600);
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
    const QString format = ToQ(TLanguageTexts().Get("sVersion"));
    QCOMPARE(
        TfmMain::TitleText(format, "1.2.3.4", "2005-03-05"),
        QStringLiteral(".:: Kestrun ::.       Version: 1.2; release: 3; build: 4 (2005-03-05)"));
    QCOMPARE(TfmMain::TitleText(format, "7", "2005-03-05"),
             QStringLiteral(".:: Kestrun ::.       Version: ; release: ; build: 7 (2005-03-05)"));
    QCOMPARE(TfmMain::VersionCaption(format, "1.2", "d"),
             QStringLiteral("Version: ; release: 1; build: 2 (d)"));
}

KESTRUN_UI_TEST_MAIN(TestMain)
#include "fm_main_test.moc"
