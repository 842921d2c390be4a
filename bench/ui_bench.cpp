// The desktop program's speed, without a display (offscreen): one committed edit of a
// 200-waypoint plan with the full repaint of both grids (target: one frame, 16 ms); the undo of
// an automatic choice of beacons over 200 waypoints, repainted (target: 16 ms); opening the
// beacon picker on a leg with 10,000 beacons (target: 100 ms); start-up to the first painted main
// window, the splash pause left out, with the shipped data (target: 300 ms) and with a
// 100,000-beacon database.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QImage>
#include <QLayout>
#include <QScreen>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "base/cp1251.h"
#include "math/angles.h"
#include "plan/rsbnlist.h"
#include "settings/cfg.h"
#include "ui/picker.h"
#include "ui/startup.h"
#include "ui/uierror.h"
#include "ui/world.h"

namespace {

using namespace kestrun;
namespace fs = std::filesystem;

// A fresh working and configuration folder; the run folder is the executable's folder.
struct TBenchProgram {
    explicit TBenchProgram(const std::string& beaconFile = {}) {
        Dir = fs::temp_directory_path() / "kestrun-ui-bench";
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        if (!beaconFile.empty()) {
            TConfig config(std::filesystem::path(KESTRUN_RUN_DIR) / "rsbn_cis_fs2004.csv");
            config.RSBNBeaconFile = beaconFile;
            config.SaveToFile((Dir / "RSBN.cfg").string());
        }
    }
    ~TBenchProgram() {
        W.reset();
        World.reset();
        fs::remove_all(Dir);
    }
    void Start() {
        World = std::make_unique<TKestrunWorld>(
            TFileLocations(Dir, KESTRUN_RUN_DIR, Dir / "no-data", Dir / "config"));
        World->SetUp();
        W.emplace(CreateWindows(*World));
        W->fmMain->show();
        // The first paint happens once the window system has exposed the window.
        while (!W->fmMain->windowHandle() || !W->fmMain->windowHandle()->isExposed())
            QCoreApplication::processEvents();
        W->fmMain->repaint();
    }
    TfmMain& Main() { return *W->fmMain; }

    fs::path Dir;
    std::unique_ptr<TKestrunWorld> World;
    std::optional<TKestrunWindows> W;
};

// A route of n waypoints across European Russia and Ukraine, as the window's new plan.
void MakeRoute(TfmMain& m, int n) {
    m.Doc.Replace(
        [&] {
            TWayPointList& plan = m.Doc.Plan;
            plan.Clear();
            for (int i = 0; i < n; ++i) {
                TWayPoint& w = plan.AddWayPoint();
                w.Name = "WP" + std::to_string(i);
                // Columns of 50 legs of about 30 km northward, 1.5 degrees of longitude apart:
                // every leg long enough for a beacon of its own.
                w.SetPos(TGeoPoint{(48.0L + 0.27L * (i % 50)) * kDegToRad,
                                   (30.0L + 1.5L * (i / 50) + 0.05L * (i % 50)) * kDegToRad});
            }
        },
        true);
}

// The 200-waypoint route on both grids, row 100 in view, the hidden tab's grid as large as the
// shown one.
void Show200(TBenchProgram& p) {
    TfmMain& m = p.Main();
    QCoreApplication::processEvents();
    m.sgNVU->resize(m.sgRSBN->size());
    MakeRoute(m, 200);
    for (TPlanGrid* g : {m.sgRSBN, m.sgNVU})
        g->scrollTo(g->Model().index(99, g->Model().Column(ccCoords)));
}

void Paint(TfmMain& m, QImage& nvu) {
    m.sgRSBN->viewport()->repaint();
    m.sgNVU->render(&nvu); // the grid of the hidden tab, painted all the same
}

void CommittedEdit(benchmark::State& state) {
    TBenchProgram p;
    p.Start();
    TfmMain& m = p.Main();
    Show200(p);
    m.Doc.AutoSelectBeacons();
    QImage nvu(m.sgNVU->size(), QImage::Format_ARGB32_Premultiplied);
    const QString coords[2] = {QStringLiteral("N55°58.35’ E037°24.68’"),
                               QStringLiteral("N56°10.00’ E038°00.00’")};
    const QModelIndex cell = m.sgRSBN->Model().index(99, m.sgRSBN->Model().Column(ccCoords));
    int k = 0;
    for (auto _ : state) {
        // The coordinates of waypoint 100 typed and taken back: a command, recomputed,
        // refreshed, painted.
        m.sgRSBN->Model().setData(cell, coords[k++ & 1], Qt::EditRole);
        Paint(m, nvu);
    }
    state.counters["rows_painted"] = m.sgRSBN->viewport()->height() / 21 + 1;
}
BENCHMARK(CommittedEdit)->Unit(benchmark::kMillisecond);

void UndoAutoSelect(benchmark::State& state) {
    TBenchProgram p;
    p.Start();
    TfmMain& m = p.Main();
    Show200(p);
    m.Doc.AutoSelectBeacons();
    int chosen = 0;
    for (int i = 0; i < m.Doc.Plan.Count(); ++i) chosen += m.Doc.Plan[i].BeaconIndex >= 0;
    if (chosen == 0 || !m.Doc.Stack.canUndo()) state.SkipWithError("no beacon chosen");
    QImage nvu(m.sgNVU->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        m.Doc.Stack.undo(); // every leg's beacon back, recomputed, refreshed, painted
        Paint(m, nvu);
        state.PauseTiming();
        m.Doc.Stack.redo();
        Paint(m, nvu);
        state.ResumeTiming();
    }
    state.counters["legs_with_beacon"] = chosen;
}
BENCHMARK(UndoAutoSelect)->Unit(benchmark::kMillisecond);

void OpenPicker(benchmark::State& state) {
    TBenchProgram p;
    p.Start();
    TfmMain& m = p.Main();
    TRSBNList& beacons = p.World->BeaconList;
    beacons.Clear();
    char deg[8], min[8];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(deg, sizeof deg, "%d", 40 + i % 30);
        std::snprintf(min, sizeof min, "%02d.%02d", i % 60, (i * 7) % 100);
        const std::string n = std::to_string(i);
        beacons.Add(n, Cp("Маяк ") + n, "B" + n, "", "N", deg, min, "E",
                    std::to_string(20 + (i * 13) % 100), min);
    }
    MakeRoute(m, 2);
    m.sgRSBN->setFocus();
    m.sgRSBN->SetCurrent(1, m.sgRSBN->Model().Column(ccBeacon));
    for (auto _ : state) {
        m.sgRSBN->OpenPicker(); // the picker over the cell, every beacon annotated, dropped down
        TBeaconPicker* picker = m.sgRSBN->Picker();
        picker->view()->viewport()->repaint();
        state.PauseTiming();
        picker->hidePopup();
        m.sgRSBN->CloseEditor();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenPicker)->Unit(benchmark::kMillisecond);

// "12","Маяк 12","M12","","N","55","58.35","E","037","24.68", 100,000 times.
std::string BigBeaconFile() {
    const fs::path path = fs::temp_directory_path() / "kestrun_ui_bench_beacons.csv";
    std::ofstream out(path, std::ios::binary);
    const std::string name = Cp("Маяк ");
    char line[160];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(line, sizeof line,
                      "\"%d\",\"%s%d\",\"M%d\",\"\",\"N\",\"%d\",\"%02d.%02d\",\"E\",\"%03d\","
                      "\"%02d.%02d\"\r\n",
                      i, name.c_str(), i, i, 40 + i % 30, i % 60, i % 100, 20 + i % 100,
                      (i / 7) % 60, (i / 3) % 100);
        out << line;
    }
    return path.string();
}

void StartUp(benchmark::State& state) {
    const std::string beacons = state.range(0) ? BigBeaconFile() : std::string();
    for (auto _ : state) {
        auto p = std::make_unique<TBenchProgram>(beacons);
        p->Start(); // world, four windows, main window shown and painted
        state.PauseTiming();
        if (p->World->BeaconList.Count() < (state.range(0) ? 100000 : 1))
            state.SkipWithError("beacons not loaded");
        p.reset();
        state.ResumeTiming();
    }
    if (!beacons.empty()) fs::remove(beacons);
}
BENCHMARK(StartUp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TKestrunApplication app(argc, argv);
    SetMessageReporter([](const QString& m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
