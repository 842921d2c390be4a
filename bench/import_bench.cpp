// Importing a simulator flight plan and computing it, per waypoint, at 1,000 and 10,000
// waypoints: the cost must grow linearly with the plan.
//
// With the allocator's defaults, freed memory above a threshold goes back to the kernel, and
// the next run takes it again page by page; on a virtual machine those page faults cost more
// for the 2.5 MB of a 10,000-waypoint plan than for a smaller one, beyond proportion. The
// second benchmark keeps freed memory in the process for both sizes (as a long-running
// program's heap does), which compares the work itself.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>

#include "benchgrid.h"
#include "files/fpimport.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

using namespace kestrun;

namespace {

std::string GeneratePlan(int count) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> lat(40, 65), lon(20, 140), min(0, 59.99);
    std::string text = "[flightplan]\r\nAppVersion=9.1.40901\r\ntitle=generated\r\n";
    char line[160];
    for (int i = 0; i < count; ++i) {
        std::snprintf(
            line, sizeof line,
            "waypoint.%d=RU, WP%d, , WP%d, I, N%d* %05.2f', E%03d* %05.2f', +000000.00,\r\n", i, i,
            i, static_cast<int>(lat(rng)), min(rng), static_cast<int>(lon(rng)), min(rng));
        text += line;
    }
    return text;
}

void ImportAndCalcPlan(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string text = GeneratePlan(count);
    TRSBNList beacons;
    TMagDecGrid grid;
    bench::FillBenchGrid(grid);
    for (auto _ : state) {
        TWayPointList plan(beacons, grid);
        std::istringstream in(text);
        ImportFlightPlan(plan, in);
        plan.CalcPlan();
        benchmark::DoNotOptimize(plan.TotalDist);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns_per_waypoint"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ImportAndCalcPlan(benchmark::State& state) {
    ImportAndCalcPlan(state);
}

void BM_ImportAndCalcPlan_ReusedMemory(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ImportAndCalcPlan(state);
}

} // namespace

BENCHMARK(BM_ImportAndCalcPlan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAndCalcPlan_ReusedMemory)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
