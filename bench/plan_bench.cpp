// Cost of the leg computation and of the automatic beacon choice, per leg (and per leg and
// beacon), beside GeographicLib's inverse on the sphere measured in the same run.
//
// Targets: CalcPlan at most 4 inverses per leg (a 1,000-waypoint plan, every leg in "СРП"
// with the traverse support point); AutoSelectBeacons (CPU time) at most 30 ms for 1,000
// waypoints against 10,000 beacons and at most 1 s for 10,000 against 100,000.
#include <benchmark/benchmark.h>

#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "math/bglmag.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace {

using namespace kestrun;

const GeographicLib::Geodesic& Sphere() {
    static const GeographicLib::Geodesic g(6378137.0, 0.0);
    return g;
}

constexpr double kDegD = std::numbers::pi / 180;

TGeoPoint Geo(double latDeg, double lonDeg) {
    if (lonDeg < 0) lonDeg += 360;
    return TGeoPoint{latDeg * kDegD, lonDeg * kDegD};
}
double LatDeg(const TGeoPoint& p) {
    return static_cast<double>(p.Lat) / kDegD;
}
double LonDeg(const TGeoPoint& p) {
    return static_cast<double>(p.Lon) / kDegD;
}

TGeoPoint Direct(const TGeoPoint& from, double aziDeg, double km) {
    double lat, lon;
    Sphere().Direct(LatDeg(from), LonDeg(from), aziDeg, km * 1000, lat, lon);
    return Geo(lat, lon);
}

constexpr int kWaypoints = 1000;
constexpr int kLegs = kWaypoints - 1;

// A route of `waypoints` winding over Eurasia, legs of 40 to 160 km.
std::vector<TGeoPoint> Route(std::size_t waypoints = kWaypoints) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<TGeoPoint> route{Geo(48, 10)};
    double heading = 80;
    while (route.size() < waypoints) {
        heading += 40 * (unit(rng) - 0.5);
        // Winding within 40..62 N, 5..95 E.
        if (LatDeg(route.back()) > 62) heading = 150;
        if (LatDeg(route.back()) < 40) heading = 30;
        if (LonDeg(route.back()) > 95) heading = 270;
        if (LonDeg(route.back()) < 5) heading = 90;
        route.push_back(Direct(route.back(), heading, 40 + 120 * unit(rng)));
    }
    return route;
}

struct TWorld {
    std::unique_ptr<TMagDecGrid> Grid = std::make_unique<TMagDecGrid>();
    TRSBNList Beacons;
    TWayPointList Plan{Beacons, *Grid};
};

void AddBeacon(TRSBNList& list, const TGeoPoint& p) {
    list.Records.push_back(TRSBNRec("1", "B", "ID", "", "N", "0", "0", "E", "0", "0"));
    list.Records.back().Position = p;
}

void BM_CalcPlan_SrpTraverse(benchmark::State& state) {
    TWorld w;
    const std::vector<TGeoPoint> route = Route();
    for (int k = 0; k < kWaypoints; ++k) {
        TWayPoint& p = w.Plan.AddWayPoint();
        p.SetPos(route[k]);
        if (k + 1 < kWaypoints) {
            // A beacon 30 km off the middle of every leg: "СРП", the traverse inside the leg.
            double s12, azi1, azi2;
            Sphere().Inverse(LatDeg(route[k]), LonDeg(route[k]), LatDeg(route[k + 1]),
                             LonDeg(route[k + 1]), s12, azi1, azi2);
            TGeoPoint mid = Direct(route[k], azi1, s12 / 2000);
            AddBeacon(w.Beacons, Direct(mid, azi1 + 90, 30));
            p.SetBeacon(k);
        }
    }
    w.Plan.SupPoint = spTraverse;
    w.Plan.CalcPlan();
    for (int k = 0; k < kLegs; ++k)
        if (w.Plan[k].RSBNMode != rmSRP) state.SkipWithError("a leg is not in rmSRP");
    for (auto _ : state) {
        w.Plan.CalcPlan();
        benchmark::DoNotOptimize(w.Plan.TotalDist);
    }
    state.SetItemsProcessed(state.iterations() * kLegs);
    state.counters["per_leg"] = benchmark::Counter(static_cast<double>(kLegs),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(BM_CalcPlan_SrpTraverse)->Unit(benchmark::kMicrosecond);

// A route and beacons over the route's box, none standing at a waypoint by design: no leg
// ends its search early at a beacon by a waypoint. Made once per size.
TWorld& AutoSelectWorld(int waypoints, int beacons) {
    static std::map<std::pair<int, int>, std::unique_ptr<TWorld>> worlds;
    std::unique_ptr<TWorld>& w = worlds[{waypoints, beacons}];
    if (w) return *w;
    w = std::make_unique<TWorld>();
    const std::vector<TGeoPoint> route = Route(static_cast<std::size_t>(waypoints));
    for (const TGeoPoint& p : route) w->Plan.AddWayPoint().SetPos(p);
    // Waypoints by latitude: a beacon is checked against those less than 0.05 degrees
    // (5.5 km) north or south of it only.
    std::vector<TGeoPoint> byLat = route;
    std::sort(byLat.begin(), byLat.end(),
              [](const TGeoPoint& a, const TGeoPoint& b) { return a.Lat < b.Lat; });
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> lat(38, 64), lon(0, 100);
    while (w->Beacons.Count() < beacons) {
        const TGeoPoint b = Geo(lat(rng), lon(rng));
        const TGeoPoint from{b.Lat - 0.05 * kDegD, 0};
        bool nearWaypoint = false;
        for (auto p = std::lower_bound(
                 byLat.begin(), byLat.end(), from,
                 [](const TGeoPoint&a, const TGeoPoint&c) { return a.Lat < c.Lat; });
             p != byLat.end() && p->Lat < b.Lat + 0.05 * kDegD && !nearWaypoint; ++p)
            nearWaypoint = DistanceKm(*p, b) < 3.5;
        if (!nearWaypoint) AddBeacon(w->Beacons, b);
    }
    return *w;
}

void BM_AutoSelectBeacons(benchmark::State& state) {
    const int waypoints = static_cast<int>(state.range(0));
    const int beacons = static_cast<int>(state.range(1));
    TWorld& w = AutoSelectWorld(waypoints, beacons);
    for (auto _ : state) {
        w.Plan.AutoSelectBeacons();
        benchmark::DoNotOptimize(w.Plan[0].BeaconIndex);
    }
    int assigned = 0;
    for (int k = 0; k < w.Plan.Count(); ++k) assigned += w.Plan[k].BeaconIndex >= 0;
    state.counters["legs_with_beacon"] = assigned;
    const double pairs = static_cast<double>(waypoints - 1) * beacons;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pairs));
    state.counters["per_leg_and_beacon"] = benchmark::Counter(
        pairs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AutoSelectBeacons)
    ->Args({1000, 10000})
    ->Args({10000, 100000})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Building the spatial index of a database of 100,000 beacons, as every load of one does.
void BM_BeaconIndexBuild(benchmark::State& state) {
    const TRSBNList& beacons = AutoSelectWorld(10000, 100000).Beacons;
    for (auto _ : state) {
        beacons.Reindex();
        benchmark::DoNotOptimize(&beacons.Index());
    }
}
BENCHMARK(BM_BeaconIndexBuild)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The yardstick: one inverse problem per leg of the same route.
void BM_GeographicLibInverse_Sphere(benchmark::State& state) {
    const std::vector<TGeoPoint> route = Route();
    std::vector<double> lat(route.size()), lon(route.size());
    for (std::size_t k = 0; k < route.size(); ++k)
        lat[k] = LatDeg(route[k]), lon[k] = LonDeg(route[k]);
    for (auto _ : state) {
        for (int k = 0; k < kLegs; ++k) {
            double s12, azi1, azi2;
            Sphere().Inverse(lat[k], lon[k], lat[k + 1], lon[k + 1], s12, azi1, azi2);
            benchmark::DoNotOptimize(s12);
            benchmark::DoNotOptimize(azi1);
        }
    }
    state.SetItemsProcessed(state.iterations() * kLegs);
    state.counters["per_inverse"] = benchmark::Counter(
        static_cast<double>(kLegs),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GeographicLibInverse_Sphere)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
