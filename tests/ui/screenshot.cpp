// Shows the main window with the long example route imported and its beacons chosen, and saves
// a picture of the screen's window to the file named by the first argument. Run it from the run
// folder under a display (scripts/screenshot uses a virtual one).
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <optional>

#include "files/fpimport.h"
#include "ui/fm_about.h"
#include "ui/fm_config.h"
#include "ui/fm_help.h"
#include "ui/fm_splash.h"
#include "ui/picker.h"
#include "ui/printplan.h"
#include "ui/progress.h"
#include "ui/qtext.h"
#include "ui/startup.h"
#include "ui/uierror.h"
#include "ui/world.h"

int main(int argc, char** argv) {
    using namespace kestrun;
    TKestrunApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: ui_screenshot OUT.png [PLAN.pln "
                     "[picker|nvu|map|ru|edit|menu|progress|splash|config|about|help|pdf]]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::string plan = argc > 2 ? argv[2] : "examples/moscow-irkutsk.pln";
    // "picker": the beacon picker dropped down over the second leg; "nvu": the NVU tab; "map": the
    // map tab, the first leg flown with a beacon off the route ("СРП") current; "ru": the
    // Russian captions with the support-point selector; "edit": coordinates half typed into the
    // editor; "menu": the File menu dropped down; "progress": the automatic choice's progress
    // dialog a third of the way; "splash": the splash window alone; "config",
    // "about", "help": that window alone; "pdf": the Russian captions, and the plan exported as a
    // PDF file to OUT instead of a picture.
    const std::string mode = argc > 3 ? argv[3] : "";
    const bool picker = mode == "picker";
    SetMessageReporter([](const QString& m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });

    TKestrunWorld world(TFileLocations::FromProcess());
    world.SetUp();
    if (mode == "splash") {
        TfmSplash splash(ToQ(world.Texts.Get("sSplash")));
        splash.show();
        QTimer::singleShot(500, [&] {
            const QPixmap shot = splash.grab();
            QApplication::exit(shot.save(out, "PNG") ? 0 : 1);
        });
        return app.exec();
    }

    TKestrunWindows windows = CreateWindows(world);
    TfmMain& m = *windows.fmMain;
    // The route is imported once the window is up, as a pilot would: the start-up's own
    // changes are forgotten at the first activation, the import's are not.
    auto importRoute = [&] {
        m.Doc.Replace([&] { ImportFlightPlan(world.WayPointList, plan); }, false);
        m.CurrentFileName = QString::fromStdString(plan);
        m.mAutoSelectClick();
    };
    if (mode == "pdf") {
        importRoute();
        m.ApplyLanguage("Russian.lng");
        m.CurrentFileName = QFileInfo(m.CurrentFileName).fileName();
        ExportPlanPdf(world.WayPointList, m.windowTitle(), m.CurrentFileName,
                      world.Texts.Get("sPrint_Page"), out);
        return 0;
    }
    if (mode == "ru") {
        m.ApplyLanguage("Russian.lng");
        m.ShowSupportPointPanel(true);
    }
    m.show();
    QTimer::singleShot(100, importRoute);
    m.activateWindow();
    QDialog* alone = mode == "config"  ? static_cast<QDialog*>(windows.fmConfig)
                     : mode == "about" ? static_cast<QDialog*>(windows.fmAbout)
                     : mode == "help"  ? static_cast<QDialog*>(windows.fmHelp)
                                       : nullptr;
    if (alone) {
        alone->show();
        QTimer::singleShot(800, [&] {
            const QPixmap shot = alone->grab();
            QApplication::exit(shot.save(out, "PNG") ? 0 : 1);
        });
        return app.exec();
    }
    QTimer::singleShot(800, [&] {
        if (mode == "nvu") m.pcMain->setCurrentIndex(1);
        m.sgRSBN->setFocus();
        m.sgRSBN->SetCurrent(2, m.sgRSBN->Model().Column(picker ? ccBeacon : ccCoords));
        if (mode == "map") {
            m.pcMain->setCurrentWidget(m.tsMap);
            for (int i = 0; i + 1 < world.WayPointList.Count(); ++i)
                if (world.WayPointList[i].RSBNMode == rmSRP) {
                    m.sgRSBN->SetCurrent(i + 1, m.sgRSBN->Col()); // the map follows the grid
                    break;
                }
        }
        if (picker) m.sgRSBN->OpenPicker();
        std::optional<TCommandProgress> progress;
        if (mode == "progress") {
            progress.emplace(&m, m.mAutoSelect->iconText(), m.Text("sProgress_AutoSelect"),
                             m.Text("sButton_Cancel"), 0);
            progress->Callback()(1, 3);
        }
        if (mode == "menu") m.mFile->popup(m.mapToGlobal(QPoint(0, m.menuBar()->height())));
        if (mode == "edit") {
            m.sgRSBN->edit(m.sgRSBN->currentIndex());
            for (const QChar c : QStringLiteral("n5512e03")) {
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(QApplication::focusWidget(), &key);
            }
        }
        QApplication::processEvents();
        QThread::msleep(300);
        QApplication::processEvents();
        // The screen's pixels where the main window lies, a dropped-down list included.
        const QRect r = m.frameGeometry();
        const QPixmap shot = m.screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
        const bool saved = shot.save(out, "PNG");
        std::fprintf(stderr, "%s %dx%d\n", saved ? "saved" : "NOT saved", shot.width(),
                     shot.height());
        QApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
