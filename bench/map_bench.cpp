// The map's speed without a display (offscreen), in a 1000 x 700 view of the long example route
// with the shipped 1:50m base map and 10,000 beacons spread over the globe: one repaint of the
// whole-world view (target: one frame, 16 ms); a repaint after a pan or a zoom step at the
// route's scale (target: 8 ms); the first show of the map, the base map read, projected and
// painted (target: 150 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "base/fileio.h"
#include "files/planimport.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "settings/locations.h"
#include "ui/mapview.h"

namespace {

using namespace kestrun;
namespace fs = std::filesystem;

const fs::path kRunDir = KESTRUN_RUN_DIR;

// The example route with its beacons chosen among 10,000 spread over the globe.
struct TMapWorld {
    TMapWorld() {
        char lat[16], lon[16], minutes[16];
        std::uint32_t seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
        };
        for (int i = 0; i < 10000; ++i) {
            std::snprintf(lat, sizeof lat, "%d", next(135) - 55);
            std::snprintf(lon, sizeof lon, "%d", next(360) - 180);
            std::snprintf(minutes, sizeof minutes, "%d.%02d", next(60), next(100));
            const std::string n = std::to_string(i);
            Beacons.Add(n, "B" + n, "B" + n.substr(0, 3), "", "N", lat, minutes, "E", lon, minutes);
        }
        const fs::path route = kRunDir / "examples" / "moscow-irkutsk.pln";
        ImportFlightPlanBytes(Plan, ReadFileBytes(route), route);
        Plan.AutoSelectBeacons();
        Plan.CalcPlan();
    }
    TRSBNList Beacons;
    TMagDecGrid Grid;
    TWayPointList Plan{Beacons, Grid};
};

// A map view shown and painted once, as the map tab is when the user first opens it.
std::unique_ptr<TMapView> ShowMap(const TMapWorld& w) {
    auto view = std::make_unique<TMapView>(w.Plan, w.Beacons);
    view->SetBaseMapFile(kRunDir / DataFileName(TDataFile::BaseMap));
    view->resize(1000, 700);
    view->show();
    while (!view->windowHandle() || !view->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    view->repaint();
    return view;
}

void WholeWorldRepaint(benchmark::State& state) {
    TMapWorld w;
    auto view = ShowMap(w);
    view->SetViewport(TMapScene::Fit(view->Scene().DomainBounds(), view->size(), 0));
    if (!view->BaseMap()) state.SkipWithError("no base map");
    for (auto _ : state) view->repaint();
}
BENCHMARK(WholeWorldRepaint)->Unit(benchmark::kMillisecond);

void RouteScalePanZoom(benchmark::State& state) {
    TMapWorld w;
    auto view = ShowMap(w);
    view->setCurrentRow(3);
    const QPointF centre(500, 350);
    int k = 0;
    for (auto _ : state) {
        // A drag of 40 pixels there and back, and a notch of the wheel in and out, in turn.
        const int step = k++ % 4;
        if (step < 2) {
            const QPointF to = centre + QPointF(step ? -40 : 40, 20);
            QMouseEvent press(QEvent::MouseButtonPress, centre, centre, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, to, to, Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QCoreApplication::sendEvent(view.get(), &press);
            QCoreApplication::sendEvent(view.get(), &move);
            QCoreApplication::sendEvent(view.get(), &release);
        } else {
            QWheelEvent wheel(centre, centre, QPoint(), QPoint(0, step == 2 ? 120 : -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.get(), &wheel);
        }
        view->repaint();
    }
}
BENCHMARK(RouteScalePanZoom)->Unit(benchmark::kMillisecond);

void FirstShow(benchmark::State& state) {
    TMapWorld w;
    for (auto _ : state) {
        auto view = ShowMap(w);
        state.PauseTiming();
        if (!view->BaseMap()) state.SkipWithError("no base map");
        view.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
