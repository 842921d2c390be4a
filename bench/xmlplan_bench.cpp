// Importing a 10,000-waypoint XML flight plan (FSX/MSFS layout) against pugixml's own parse of
// the same bytes: the import must take at most 50 ms and at most four times the parse. The
// import checks the text's encoding, parses, reads every waypoint's name and position, converts
// the name to the program's code page and looks up the declination of each waypoint; the
// recomputation of the plan is not part of it (the caller runs it once, as after any import).
// The file pair does the same from a file on disk: pugixml's load_file against the program's
// import of the file (ImportFlightPlan recognises the kind).
//
// The pairs keep freed memory in the process (as a long-running program's heap does), so that
// the page faults of memory handed back to the kernel and taken again do not weigh on one side
// more than on the other.
//
// The BM_Ratio_ benchmarks give the figures themselves, as the counters import_ms and
// import/parse: both pairs again, timed side by side in every iteration (MeasureRatio).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "benchgrid.h"
#include "files/fpimport.h"
#include "files/xmlplan.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

using namespace kestrun;

namespace {

// Waypoints as MSFS 2020 writes them, positions in degrees, minutes and seconds.
std::string GeneratePlan(int count) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> lat(0, 70), lon(0, 179), min(0, 59);
    std::uniform_real_distribution<double> sec(0, 59.99);
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<SimBase.Document Type=\"AceXML\" version=\"1,0\">\r\n"
                       "    <FlightPlan.FlightPlan>\r\n";
    char wp[512];
    for (int i = 0; i < count; ++i) {
        std::snprintf(wp, sizeof wp,
                      "        <ATCWaypoint id=\"WP%d\">\r\n"
                      "            <ATCWaypointType>Intersection</ATCWaypointType>\r\n"
                      "            <WorldPosition>%c%d\xC2\xB0 %d' %.2f\",%c%d\xC2\xB0 %d' "
                      "%.2f\",+000000.00</WorldPosition>\r\n"
                      "            <ICAO>\r\n"
                      "                <ICAORegion>UU</ICAORegion>\r\n"
                      "                <ICAOIdent>WP%d</ICAOIdent>\r\n"
                      "            </ICAO>\r\n"
                      "        </ATCWaypoint>\r\n",
                      i, i % 3 ? 'N' : 'S', lat(rng), min(rng), sec(rng), i % 5 ? 'E' : 'W',
                      lon(rng), min(rng), sec(rng), i);
        text += wp;
    }
    return text + "    </FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n";
}

const std::string& Plan() {
    static const std::string text = GeneratePlan(10000);
    return text;
}

void BM_PugixmlParse(benchmark::State& state) {
    const std::string& text = Plan();
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size());
        benchmark::DoNotOptimize(r.status);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void KeepFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

void BM_PugixmlParse_ReusedMemory(benchmark::State& state) {
    KeepFreedMemory();
    BM_PugixmlParse(state);
}

void BM_ImportXmlPlan_ReusedMemory(benchmark::State& state) {
    KeepFreedMemory();
    const std::string& text = Plan();
    TRSBNList beacons;
    TMagDecGrid grid;
    bench::FillBenchGrid(grid);
    for (auto _ : state) {
        TWayPointList plan(beacons, grid);
        ImportXmlPlan(plan, text, "bench.pln");
        benchmark::DoNotOptimize(plan[plan.Count() - 1].MagDecl);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// The plan written once to a file of the system's temporary folder, removed at exit.
const std::filesystem::path& PlanFile() {
    struct TFile {
        std::filesystem::path Path =
            std::filesystem::temp_directory_path() / "kestrun-xmlplan-bench.pln";
        TFile() { std::ofstream(Path, std::ios::binary) << Plan(); }
        ~TFile() {
            std::error_code ec;
            std::filesystem::remove(Path, ec);
        }
    };
    static const TFile file;
    return file.Path;
}

void BM_PugixmlLoadFile(benchmark::State& state) {
    KeepFreedMemory();
    const std::filesystem::path& path = PlanFile();
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result r = doc.load_file(path.c_str());
        benchmark::DoNotOptimize(r.status);
    }
}

void BM_ImportFlightPlanFile(benchmark::State& state) {
    KeepFreedMemory();
    const std::filesystem::path& path = PlanFile();
    TRSBNList beacons;
    TMagDecGrid grid;
    bench::FillBenchGrid(grid);
    for (auto _ : state) {
        TWayPointList plan(beacons, grid);
        ImportFlightPlan(plan, path);
        benchmark::DoNotOptimize(plan[plan.Count() - 1].MagDecl);
    }
}

// The figure the target is about, measured in pairs: each iteration parses, then imports, and
// times each. A pause of the (shared) machine then falls within one pair, and the median of
// the pairs' ratios leaves it out, where the medians of two separate runs, seconds apart,
// drift apart by as much as the margin they are compared with. The ratio of the thread's CPU
// times (cpu_import/parse) is given too: other processes on a busy machine stretch the wall
// time of the longer import more often than that of the parse.
template <class Parse, class Import>
void MeasureRatio(benchmark::State& state, Parse&& parse, Import&& import) {
    using Clock = std::chrono::steady_clock;
    KeepFreedMemory();
    TRSBNList beacons;
    TMagDecGrid grid;
    bench::FillBenchGrid(grid);
    auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    std::vector<double> parseMs, importMs, ratios, cpuRatios;
    for (auto _ : state) {
        const double c0 = cpuMs();
        const auto t0 = Clock::now();
        {
            pugi::xml_document doc;
            benchmark::DoNotOptimize(parse(doc).status);
        }
        const auto t1 = Clock::now();
        const double c1 = cpuMs();
        {
            TWayPointList plan(beacons, grid);
            import(plan);
            benchmark::DoNotOptimize(plan[plan.Count() - 1].MagDecl);
        }
        const auto t2 = Clock::now();
        const double c2 = cpuMs();
        cpuRatios.push_back((c2 - c1) / (c1 - c0));
        parseMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        importMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        ratios.push_back(importMs.back() / parseMs.back());
    }
    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    state.counters["parse_ms"] = median(parseMs);
    state.counters["import_ms"] = median(importMs);
    state.counters["import/parse"] = median(ratios);
    state.counters["cpu_import/parse"] = median(cpuRatios);
}

void BM_Ratio_ImportToParse(benchmark::State& state) {
    const std::string& text = Plan();
    MeasureRatio(
        state, [&](pugi::xml_document& doc) { return doc.load_buffer(text.data(), text.size()); },
        [&](TWayPointList& plan) { ImportXmlPlan(plan, text, "bench.pln"); });
}

void BM_Ratio_ImportFileToLoadFile(benchmark::State& state) {
    const std::filesystem::path& path = PlanFile();
    MeasureRatio(
        state, [&](pugi::xml_document& doc) { return doc.load_file(path.c_str()); },
        [&](TWayPointList& plan) { ImportFlightPlan(plan, path); });
}

} // namespace

BENCHMARK(BM_PugixmlParse_ReusedMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXmlPlan_ReusedMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFlightPlanFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio_ImportToParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio_ImportFileToLoadFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
