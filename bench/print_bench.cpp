// Printing a 200-waypoint plan to a PDF file: the laying out of every page, the text
// conversions and Qt's PDF writer, as "Export PDF" runs them. Target: under 1 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <numbers>

#include "files/beaconfile.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "ui/printplan.h"

namespace {

using namespace kestrun;

// A route through the shipped beacons, each waypoint a little off its beacon, so that most
// legs get a beacon and a mode and the rows carry their longest texts.
void BM_ExportPdf200(benchmark::State& state) {
    TMagDecGrid grid;
    TRSBNList beacons;
    LoadBeaconFile(beacons, KESTRUN_SHIPPED_DATA "/rsbn_cis_fs2004.csv");
    TWayPointList plan(beacons, grid);
    const int count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        const TRSBNRec& b = beacons[i % beacons.Count()];
        TWayPoint& w = plan.AddWayPoint();
        w.Name = "WP" + std::to_string(i + 1);
        TGeoPoint p{b.Position.Lat + 0.001L, b.Position.Lon + 0.002L};
        if (p.Lat < 0) p.Lat += 2 * std::numbers::pi_v<long double>;
        w.SetPos(p);
    }
    plan.AutoSelectBeacons();
    plan.CalcPlan();

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("plan.pdf"));
    int pages = 0;
    for (auto _ : state) {
        pages = ExportPlanPdf(plan, QStringLiteral(".:: Kestrun ::."),
                              QStringLiteral("/home/pilot/route.rbf"), "page %d of %d", pdf)
                    .Pages;
    }
    state.counters["pages"] = pages;
    state.counters["bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_ExportPdf200)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts and the PDF writer need an application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
