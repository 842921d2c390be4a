// The program as the window tests drive it: a fresh world in its own folders, the windows of the
// program, and the keyboard as the user types.
#pragma once

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "testutil.h"
#include "ui/picker.h"
#include "ui/startup.h"
#include "ui/uierror.h"
#include "ui/world.h"

namespace kestrun::test {

class TProgram {
public:
    /// A program whose executable's folder is exeDir (by default a fresh folder that links to
    /// the run folder's shipped data, so that nothing the program writes beside its executable
    /// outlives the test). The process works in a fresh folder of its own, with its own
    /// XDG_CONFIG_HOME. Messages for the user and the exit question are recorded instead of
    /// shown.
    explicit TProgram(std::string exeDir = {}) : ExeDir(std::move(exeDir)) {
        if (ExeDir.empty()) {
            ExeDir = Work.File("exe");
            std::filesystem::create_directory(ExeDir);
            for (const auto& e : std::filesystem::directory_iterator(KESTRUN_RUN_DIR))
                std::filesystem::create_symlink(e.path(),
                                                ExeDir + "/" + e.path().filename().string());
        }
        PreviousDir = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(Work.Path));
        PreviousXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(Work.File("xdg")));
        Previous = SetMessageReporter([this](const QString& m) { Messages << m; });
    }
    ~TProgram() {
        W.reset();
        SetMessageReporter(std::move(Previous));
        QDir::setCurrent(PreviousDir);
        qputenv("XDG_CONFIG_HOME", PreviousXdg);
    }

    /// The settings file of the working directory, written before Start.
    void WriteConfig(const TConfig& config) { config.SaveToFile(Work.File("RSBN.cfg")); }

    /// The start-up: the world's set-up, the four windows, the main window shown and active;
    /// false when the window did not become active. Call as QVERIFY(p.Start()).
    [[nodiscard]] bool Start() {
        World = std::make_unique<TKestrunWorld>(
            TFileLocations(Work.Path, ExeDir, Work.File("no-data"), Work.File("config")));
        World->SetUp();
        W.emplace(CreateWindows(*World));
        Main().Ask = [this](const QString& question) {
            Questions << question;
            return Answer;
        };
        Main().show();
        return QTest::qWaitForWindowActive(&Main());
    }

    TfmMain& Main() { return *W->fmMain; }
    TWayPointList& Plan() { return World->WayPointList; }

    /// Types text into whatever has the input focus, one key at a time.
    static void Type(const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            } else {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(QApplication::focusWidget(), &press);
            }
        }
    }
    /// A key to whatever has the input focus: a dropped-down list, else the focus widget.
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* to = popup ? (popup->focusWidget() ? popup->focusWidget() : popup)
                            : QApplication::focusWidget();
        // Without a window manager, a closed list gives the activation back to nobody.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!to && qobject_cast<QMainWindow*>(w) && w->isVisible()) {
                w->activateWindow();
                if (QTest::qWaitForWindowActive(w)) to = w->focusWidget();
            }
        QTest::keyClick(to, key, mods);
    }
    /// Makes a cell of a grid current, with the focus in the grid.
    static void Select(TPlanGrid* grid, int row, int col) {
        grid->setFocus();
        grid->SetCurrent(row, col);
    }
    static QString Cell(TPlanGrid* grid, int row, int col) {
        return grid->Model().index(row - 1, col).data().toString();
    }
    QString Status(int panel) { return Main().StatusPanels[panel]->text(); }
    /// The plan replaced by `n` waypoints named A, B, C, ... at 1-degree steps, as saved.
    void Waypoints(int n) {
        Main().Doc.Replace(
            [&] {
                Plan().Clear();
                for (int i = 0; i < n; ++i) {
                    TWayPoint& w = Plan().AddWayPoint();
                    w.Name = std::string(1, static_cast<char>('A' + i));
                    w.SetPos(TGeoPoint{(50.0L + i) * kPiL / 180, (30.0L + i) * kPiL / 180});
                }
            },
            true);
    }

    TempDir Work;
    std::string ExeDir;
    std::unique_ptr<TKestrunWorld> World;
    std::optional<TKestrunWindows> W;
    QStringList Messages;
    QStringList Questions;
    TfmMain::TAnswer Answer = TfmMain::TAnswer::Discard;

private:
    TMessageReporter Previous;
    QString PreviousDir;
    QByteArray PreviousXdg;
};

// Columns of the grids, by what they show.
inline const int kName = ColumnOf(RSBNColumns(), ccName),
                 kCoords = ColumnOf(RSBNColumns(), ccCoords),
                 kBeacon = ColumnOf(RSBNColumns(), ccBeacon),
                 kRsbnDist = ColumnOf(RSBNColumns(), ccDistance),
                 kNvuDist = ColumnOf(NVUColumns(), ccDistance),
                 kMode = ColumnOf(RSBNColumns(), ccRSBNMode);

struct TTypedPoint {
    const char* Name;  // typed in lower case
    const char* Keys;  // what is typed into the coordinate mask
    const char* Shown; // the coordinate text of the grid
};

// Sheremetyevo, Pulkovo, Minsk.
inline const TTypedPoint kRoute[] = {
    {"uuee", "N555835E0372468", "N55°58.35’ E037°24.68’"},
    {"ulli", "N594802E0301573", "N59°48.02’ E030°15.73’"},
    {"umms", "N535290E0273230", "N53°52.90’ E027°32.30’"},
};

// Great-circle distances on the sphere of 6378.137 km (haversine, computed apart from the
// program), km.
inline constexpr double kLeg1Km = 599.849, kLeg2Km = 679.269;

inline void TypeRoute(TProgram& p) {
    TPlanGrid* g = p.Main().sgRSBN;
    for (int i = 0; i < 3; ++i) {
        const int row = i + 1;
        if (i > 0) {
            TProgram::Select(g, row - 1, kName);
            TProgram::Key(Qt::Key_Down); // appends on the last row
        }
        TProgram::Select(g, row, kName);
        TProgram::Type(QString::fromLatin1(kRoute[i].Name));
        TProgram::Key(Qt::Key_Tab); // takes the name, opens the coordinates
        TProgram::Type(QString::fromLatin1(kRoute[i].Keys));
        TProgram::Key(Qt::Key_Return);
    }
}

} // namespace kestrun::test

/// The entry of a window test: the program's application class, so that the tests see the
/// same default error handling as the program.
#define KESTRUN_UI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        kestrun::TKestrunApplication app(argc, argv);                                              \
        TestClass t;                                                                               \
        return QTest::qExec(&t, argc, argv);                                                       \
    }
