// Opening a 2,000-waypoint plan file whose every waypoint names a beacon of a database of
// 1,000,000 beacons, beside opening the same plan against a database of one beacon: the
// beacon names are looked up through an index built once per open, so the large database
// costs the index and not a scan of the list for every waypoint (which took some 17 s).
//
// Target: the open against 1,000,000 beacons within 1 s.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "files/planfile.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace {

using namespace kestrun;

constexpr int kWaypoints = 2000;

// Beacons "B<n>" spread over the northern hemisphere; every tenth name is given to two beacons,
// so that the nearest of a name is chosen too.
const TRSBNList& Beacons(int count) {
    static TRSBNList large, small;
    TRSBNList& list = count > 1 ? large : small;
    if (list.Count() == 0) {
        list.Records.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const std::string name = "B" + std::to_string(i % 10 == 1 ? i - 1 : i);
            list.Add(std::to_string(i), name, "I" + std::to_string(i), "", "N",
                     std::to_string(i % 80), std::to_string(i % 60), "E", std::to_string(i % 170),
                     std::to_string((i / 7) % 60));
        }
    }
    return list;
}

// waypoint.k="W<k>", N..., E..., "B<n>" for beacons spread over the whole database.
const std::string& PlanText() {
    static const std::string text = [] {
        std::string t = "SupPoint=Endwaypoint\r\n";
        for (int k = 0; k < kWaypoints; ++k) {
            int beacon = (k * 499) % 1000000;
            if (beacon % 10 == 1) --beacon; // a name the database gives to two beacons
            t += "waypoint." + std::to_string(k) + "=\"W" + std::to_string(k) + "\", N" +
                 std::to_string(k % 80) + "*00.00\x92, E" + std::to_string(k % 170) +
                 "*00.00\x92, \"B" + std::to_string(beacon) + "\"\r\n";
        }
        return t;
    }();
    return text;
}

void OpenAgainst(benchmark::State& state, int beacons) {
    const TRSBNList& list = Beacons(beacons);
    static const TMagDecGrid grid;
    for (auto _ : state) {
        TWayPointList plan(list, grid);
        std::istringstream in(PlanText());
        OpenPlanFile(plan, in);
        if (plan.Count() != kWaypoints) state.SkipWithError("wrong waypoint count");
        benchmark::DoNotOptimize(plan[kWaypoints - 1].BeaconIndex);
    }
    state.SetItemsProcessed(state.iterations() * kWaypoints);
}

void BM_OpenPlanFile_2000Waypoints_1000000Beacons(benchmark::State& state) {
    OpenAgainst(state, 1000000);
}
BENCHMARK(BM_OpenPlanFile_2000Waypoints_1000000Beacons)->Unit(benchmark::kMillisecond);

void BM_OpenPlanFile_2000Waypoints_1Beacon(benchmark::State& state) {
    OpenAgainst(state, 1);
}
BENCHMARK(BM_OpenPlanFile_2000Waypoints_1Beacon)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
