// The file commands driven through their menu shortcuts, with every dialog answered as a user
// would: what each dialog shows, what each command writes, and the state it leaves.
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

#include "filedialogs.h"
#include "files/fpimport.h"
#include "plan/fltpln.h"
#include "ui/qtext.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Both helpers return false on failure: call them as QVERIFY(Copy(...)), so that the test ends
// there instead of running on into a dialog.
[[nodiscard]] bool Copy(const std::string& from, const std::string& to) {
    QFile::remove(Q(to));
    return QFile::copy(Q(from), Q(to));
}

// The menu's shortcut, as typed into the active main window.
[[nodiscard]] bool Shortcut(TProgram& p, Qt::Key key) {
    p.Main().activateWindow();
    if (!QTest::qWaitForWindowActive(&p.Main())) return false;
    QTest::keyClick(&p.Main(), key, Qt::ControlModifier);
    return true;
}

// The names of `dir` that the filter's working patterns (its last parenthesised group) match.
QStringList Matched(const QString& filter, const QString& dir) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const QString patterns = filter.mid(open + 1, filter.size() - open - 2);
    return QDir(dir).entryList(patterns.split(QLatin1Char(' ')), QDir::Files, QDir::Name);
}

} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void importSaveOpenExport();
    void failedImportAndOpenChangeNothing();
    void openNamesMissingBeacons();
    void exportPdf();
    void fileFromCommandLine();
    void printPreviewAndCancelledPrint();
    void otherFormatsAndExports();
    void simulatorExportsReadBack();
};

void TestFileCommands::importSaveOpenExport() {
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TfmMain& m = p.Main();
    const std::string pln = p.Work.File("route.PLN");
    QVERIFY(Copy(TestData("plans/fs2004.pln"), pln));

    // Import: the plan, "*", the .PLN name; the filter takes the extension in any case.
    answers.File(Q(pln));
    QVERIFY(Shortcut(p, Qt::Key_I));
    QCOMPARE(answers.Seen.back().Title, QStringLiteral("Импортировать флайт-план из MSFS2004"));
    QCOMPARE(answers.Seen.back().DefaultSuffix, QString());
    const QString plnFilter = answers.Seen.back().Filters.constFirst();
    for (const char* n : {"a.pln", "b.Pln", "c.txt"})
        QFile(Q(p.Work.File(n))).open(QIODevice::WriteOnly);
    QCOMPARE(Matched(plnFilter, Q(p.Work.Path)),
             (QStringList{QStringLiteral("a.pln"), QStringLiteral("b.Pln"),
                          QStringLiteral("route.PLN")}));
    const int count = p.Plan().Count();
    QVERIFY(count >= 2);
    QCOMPARE(m.sgRSBN->model()->rowCount(), count);
    QCOMPARE(p.Status(0), Q(pln));
    QCOMPARE(p.Status(2), QStringLiteral("*"));

    // The first save asks; "plan." is written as plan.RBF, where later saves go too.
    answers.File(Q(p.Work.File("plan.")));
    QVERIFY(Shortcut(p, Qt::Key_S));
    QCOMPARE(answers.Seen.back().ObjectName, QStringLiteral("SaveDialog"));
    QCOMPARE(answers.Seen.back().Title, QStringLiteral("Сохранить флайт-план с РСБН"));
    QCOMPARE(answers.Seen.back().DefaultSuffix, QStringLiteral("RBF"));
    const QString rbf = Q(p.Work.File("plan.RBF"));
    QVERIFY(QFile::exists(rbf));
    QVERIFY(!QFile::exists(Q(p.Work.File("plan."))));
    QCOMPARE(p.Status(0), rbf);
    QCOMPARE(p.Status(2), QString());
    m.mAutoSelectClick();
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    const qint64 before = QFileInfo(rbf).size();
    QVERIFY(Shortcut(p, Qt::Key_S)); // no dialog now
    QCOMPARE(answers.Seen.size(), std::size_t(2));
    QCOMPARE(p.Status(2), QString());
    QVERIFY(QFileInfo(rbf).size() > before); // beacon names were written

    // Save as, cancelled: nothing changes.
    m.mAutoSelectClick();
    answers.File(QString());
    m.mSaveRSBN_asClick();
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    QCOMPARE(p.Status(0), rbf);

    // Open: the plan file's name, no "*".
    answers.File(rbf);
    QVERIFY(Shortcut(p, Qt::Key_O));
    QCOMPARE(answers.Seen.back().Title, QStringLiteral("Открыть флайт-план с РСБН"));
    QCOMPARE(p.Plan().Count(), count);
    QCOMPARE(p.Status(0), rbf);
    QCOMPARE(p.Status(2), QString());

    // Export: offers navi_helper.txt, changes neither the mark nor the name.
    m.mAutoSelectClick();
    answers.File(Q(p.Work.File("navi_helper.txt")));
    m.mExport->trigger();
    QCOMPARE(answers.Seen.back().Title,
             QStringLiteral("Сохранение флайт-плана для Штурманского помощника"));
    QCOMPARE(answers.Seen.back().Initial, QStringLiteral("navi_helper.txt"));
    QVERIFY(QFileInfo(Q(p.Work.File("navi_helper.txt"))).size() > 0);
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    QCOMPARE(p.Status(0), rbf);
    QCOMPARE(answers.Unexpected, 0);
    QVERIFY(p.Messages.isEmpty());
}

void TestFileCommands::failedImportAndOpenChangeNothing() {
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TypeRoute(p);
    const QString shown = p.Main().sgRSBN->model()->index(1, kName).data().toString();
    const std::string broken = p.Work.File("broken.pln");
    QVERIFY(Copy(TestData("plans/broken.pln"), broken));
    const std::string badRbf = p.Work.File("bad.rbf");
    QVERIFY(Copy(TestData("plans/broken.pln"), badRbf));

    answers.File(Q(broken));
    QVERIFY(Shortcut(p, Qt::Key_I));
    answers.File(Q(badRbf));
    QVERIFY(Shortcut(p, Qt::Key_O));
    QCOMPARE(p.Messages.size(), 2);
    // The message, and the place on a second line.
    QCOMPARE(p.Messages[0],
             QStringLiteral("Ожидается символ \"*\"\n") + Q(broken) + QStringLiteral(":4"));
    QCOMPARE(p.Plan().Count(), 3);
    QCOMPARE(p.Main().sgRSBN->model()->rowCount(), 3);
    QCOMPARE(p.Main().sgRSBN->model()->index(1, kName).data().toString(), shown);
    QCOMPARE(p.Status(0), QString());
    QCOMPARE(p.Status(2), QStringLiteral("*"));
}

void TestFileCommands::openNamesMissingBeacons() {
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    answers.File(Q(TestData("planfile/three-endwaypoint.rbf")));
    QVERIFY(Shortcut(p, Qt::Key_O));
    QCOMPARE(p.Plan().Count(), 3);
    QCOMPARE(p.Messages,
             QStringList{QStringLiteral("Waypoint 2 \"Точка 1\": beacon \"Рязань\" is not in the "
                                        "beacon database; the leg has no beacon")});
}

void TestFileCommands::exportPdf() {
    KESTRUN_QREQUIRE(MissingTool("pdftotext", "poppler-utils"));
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TypeRoute(p);
    answers.File(Q(p.Work.File("route")));
    p.Main().mExportPDFClick();
    QCOMPARE(answers.Seen.back().Initial, QStringLiteral("plan.pdf"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {Q(p.Work.File("route.pdf")), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY2(pdf.contains(QStringLiteral("3. UMMS N53*52.90’ E027*32.30’")), qPrintable(pdf));
    QVERIFY(pdf.contains(p.Main().windowTitle().simplified()));
    QVERIFY(pdf.contains(QStringLiteral("page 1 of 1")));
    QCOMPARE(p.Status(2), QStringLiteral("*"));
}

void TestFileCommands::fileFromCommandLine() {
    TProgram p;
    QVERIFY(p.Start());
    p.Main().OpenFile(Q(TestData("planfile/three-traverse.rbf")));
    QCOMPARE(p.Plan().Count(), 3);
    QCOMPARE(p.Plan().SupPoint, spTraverse);
    QCOMPARE(p.Status(2), QString());
    // Any other name is imported; a relative one is taken from the working folder.
    QVERIFY(Copy(TestData("plans/fs2002.pln"), p.Work.File("r.PLN")));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(Q(p.Work.Path));
    p.Main().OpenFile(QStringLiteral("r.PLN"));
    QDir::setCurrent(cwd);
    QCOMPARE(p.Status(0), Q(p.Work.File("r.PLN")));
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    // Guards against names that are not UTF-8 ("caf\xe9" of a Latin-1 system): main() hands
    // them over through PathToQ, and they must reach the file system unchanged.
    const std::string latin1 = p.Work.File("caf\xe9.pln");
    WriteBytes(latin1, ReadBytes(TestData("plans/fs2004.pln")));
    p.Main().OpenFile(PathToQ(latin1));
    QCOMPARE(QToPath(p.Status(0)).native(), latin1);
}

void TestFileCommands::printPreviewAndCancelledPrint() {
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TypeRoute(p);
    for (int i = 0; i < 57; ++i) p.Plan().AppendWayPoint(); // 60 rows: more than one page
    int pages = 0;
    answers.Custom([&](QDialog* d) {
        if (auto* w = d->findChild<QPrintPreviewWidget*>()) pages = w->pageCount();
        d->reject();
    });
    p.Main().mPrintPreviewClick();
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
    // A cancelled print dialog prints nothing and says nothing.
    answers.Custom([](QDialog* d) { d->reject(); });
    QVERIFY(Shortcut(p, Qt::Key_P));
    QCOMPARE(answers.Seen.back().ObjectName, QStringLiteral("PrintDialog"));
    QVERIFY(p.Messages.isEmpty());
    QCOMPARE(answers.Unexpected, 0);
}

void TestFileCommands::otherFormatsAndExports() {
    KESTRUN_QREQUIRE(MissingSharedData("plans/modern/UUEE-UWKD-xp11.fms"));
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    const std::string fms = p.Work.File("route.FMS");
    QVERIFY(Copy(SharedData("plans/modern/UUEE-UWKD-xp11.fms"), fms));
    answers.File(Q(fms));
    QVERIFY(Shortcut(p, Qt::Key_I));
    QVERIFY(p.Plan().Count() > 2);
    QCOMPARE(p.Status(0), Q(fms));
    // One entry per kind, then all of them.
    const QStringList filters = answers.Seen.back().Filters;
    QCOMPARE(filters.size(), 5);
    QVERIFY(filters.last().startsWith(QStringLiteral("All flight plans (*.pln *.fms *.lnmpln)")));
    for (const char* n : {"a.Pln", "b.lnmPLN", "c.txt"})
        QFile(Q(p.Work.File(n))).open(QIODevice::WriteOnly);
    QCOMPARE(Matched(filters.last(), Q(p.Work.Path)),
             (QStringList{QStringLiteral("a.Pln"), QStringLiteral("b.lnmPLN"),
                          QStringLiteral("route.FMS")}));

    // GPX and KML beside the imported file, offered with its name.
    answers.File(Q(p.Work.File("route.gpx")));
    p.Main().mExportGPXClick();
    QCOMPARE(answers.Seen.back().Initial, QStringLiteral("route.gpx"));
    answers.File(Q(p.Work.File("route.kml")));
    p.Main().mExportKMLClick();
    QCOMPARE(answers.Seen.back().Initial, QStringLiteral("route.kml"));
    QVERIFY(ReadBytes(p.Work.File("route.gpx")).find("<rtept") != std::string::npos);
    QVERIFY(ReadBytes(p.Work.File("route.kml")).find("<kml") != std::string::npos);
    QCOMPARE(p.Status(2), QStringLiteral("*"));
    // An export over an existing file asks first: No keeps the file, Yes replaces it.
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        WriteBytes(p.Work.File("route.gpx"), "old");
        answers.File(Q(p.Work.File("route.gpx")));
        answers.Custom(
            [answer](QDialog* d) { qobject_cast<QMessageBox*>(d)->button(answer)->click(); });
        p.Main().mExportGPXClick();
        QCOMPARE(answers.Seen.back().ObjectName, QStringLiteral("ReplaceQuestion"));
        QCOMPARE(ReadBytes(p.Work.File("route.gpx")) == "old", answer == QMessageBox::No);
    }
    QCOMPARE(answers.Unexpected, 0);
}

void TestFileCommands::simulatorExportsReadBack() {
    TProgram p;
    QVERIFY(p.Start());
    TDialogAnswers answers;
    TfmMain& m = p.Main();
    m.OpenFile(Q(p.ExeDir + "/examples/minsk-kharkiv.rbf")); // a Cyrillic name among them
    QCOMPARE(p.Plan().Count(), 5);
    const QList<QAction*> menu = m.mExports->actions();
    const std::pair<QAction*, const char*> exports[] = {
        {m.mExportPLN, "out.pln"}, {m.mExportFMS, "out.fms"}, {m.mExportLnmPlan, "out.lnmpln"}};
    for (const auto& [action, file] : exports) {
        QVERIFY(menu.contains(action));
        answers.File(Q(p.Work.File(file)));
        action->trigger();
        TWayPointList back(p.World->BeaconList, p.World->MagDecGrid);
        ImportFlightPlan(back, p.Work.File(file));
        QCOMPARE(back.Count(), p.Plan().Count());
    }
    QCOMPARE(answers.Unexpected, 0);
}

KESTRUN_UI_TEST_MAIN(TestFileCommands)
#include "filecmd_test.moc"
