// The desktop program's entry: the world, the splash window, the four windows, the event loop.
#include <QThread>
#include <QTimer>

#include "ui/fm_splash.h"
#include "ui/qtext.h"
#include "ui/startup.h"
#include "ui/uierror.h"
#include "ui/world.h"

int main(int argc, char** argv) {
    using namespace kestrun;
    TKestrunApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrun"));
    // The desktop entry this program is started from: its icon and name in the task bar.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrun"));
    app.setQuitOnLastWindowClosed(false);

    TKestrunWorld world(TFileLocations::FromProcess());
    try {
        world.SetUp();
    } catch (const std::exception& e) {
        ReportError(e);
        return 1;
    }

    auto splash = std::make_unique<TfmSplash>(ToQ(world.Texts.Get("sSplash")));
    splash->show();
    splash->repaint();
    QApplication::processEvents();
    QThread::msleep(1000);

    TKestrunWindows windows = CreateWindows(world);
    QObject::connect(windows.fmMain.get(), &TfmMain::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    splash.reset();
    windows.fmMain->show();
    // A file handed over by the desktop ("kestrun route.pln"), opened once the window is up.
    if (argc > 1) {
        const QString file = PathToQ(argv[1]);
        QTimer::singleShot(0, windows.fmMain.get(), [&windows, file] {
            RunReported([&] { windows.fmMain->OpenFile(file); });
        });
    }
    return app.exec();
}
