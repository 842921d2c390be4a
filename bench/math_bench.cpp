// One leg's distance and course against GeographicLib's inverse problem on the same sphere,
// and, from unit vectors computed once per position, against the plain-double haversine
// distance and atan2 course measured in the same run.
//
// Target: CentralAngle + InitialCourse from cached unit vectors within 2x the haversine pair.
#include <GeographicLib/Geodesic.hpp>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "math/mathem.h"

namespace {

using kestrun::TGeoPoint;

struct Leg {
    TGeoPoint a, b;                // radians, as the plan holds them
    double latA, lonA, latB, lonB; // degrees, for GeographicLib
    double radLatA, radLonA, radLatB, radLonB;
};

/// Random legs, varied from call to call so that nothing folds into a constant.
const std::vector<Leg>& Legs() {
    static const std::vector<Leg> legs = [] {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> u(-1, 1), lon(0, 2 * std::numbers::pi);
        std::vector<Leg> out(4096);
        for (Leg& l : out) {
            const double la = std::asin(u(rng)), lo = lon(rng);
            const double lb = std::asin(u(rng)), lob = lon(rng);
            l.a = TGeoPoint{la, lo};
            l.b = TGeoPoint{lb, lob};
            l.latA = la * 180 / std::numbers::pi;
            l.lonA = lo * 180 / std::numbers::pi;
            l.latB = lb * 180 / std::numbers::pi;
            l.lonB = lob * 180 / std::numbers::pi;
            l.radLatA = la, l.radLonA = lo, l.radLatB = lb, l.radLonB = lob;
        }
        return out;
    }();
    return legs;
}

void BM_CentralAngleAndInitialCourse(benchmark::State& state) {
    const std::vector<Leg>& legs = Legs();
    std::size_t k = 0;
    for (auto _ : state) {
        const Leg& l = legs[k++ & (legs.size() - 1)];
        benchmark::DoNotOptimize(kestrun::CentralAngle(l.a, l.b) * kestrun::kEarthRadiusKm);
        benchmark::DoNotOptimize(kestrun::InitialCourse(l.a, l.b));
    }
}
BENCHMARK(BM_CentralAngleAndInitialCourse);

void BM_GeographicLibInverse(benchmark::State& state) {
    const GeographicLib::Geodesic sphere(6378137, 0);
    const std::vector<Leg>& legs = Legs();
    std::size_t k = 0;
    for (auto _ : state) {
        const Leg& l = legs[k++ & (legs.size() - 1)];
        double s12, azi1, azi2;
        sphere.Inverse(l.latA, l.lonA, l.latB, l.lonB, s12, azi1, azi2);
        benchmark::DoNotOptimize(s12);
        benchmark::DoNotOptimize(azi1);
    }
}
BENCHMARK(BM_GeographicLibInverse);

void BM_CentralAngle(benchmark::State& state) {
    const std::vector<Leg>& legs = Legs();
    std::size_t k = 0;
    for (auto _ : state) {
        const Leg& l = legs[k++ & (legs.size() - 1)];
        benchmark::DoNotOptimize(kestrun::CentralAngle(l.a, l.b));
    }
}
BENCHMARK(BM_CentralAngle);

void BM_InitialCourse(benchmark::State& state) {
    const std::vector<Leg>& legs = Legs();
    std::size_t k = 0;
    for (auto _ : state) {
        const Leg& l = legs[k++ & (legs.size() - 1)];
        benchmark::DoNotOptimize(kestrun::InitialCourse(l.a, l.b));
    }
}
BENCHMARK(BM_InitialCourse);

// Distance and course of positions that carry their unit vectors (and meridian normals),
// computed once per position as the plan keeps them.
void BM_CentralAngleAndInitialCourse_Cached(benchmark::State& state) {
    std::vector<std::pair<kestrun::TSpherePoint, kestrun::TSpherePoint>> cached;
    for (const Leg& l : Legs())
        cached.emplace_back(kestrun::TSpherePoint(l.a), kestrun::TSpherePoint(l.b));
    std::size_t k = 0;
    for (auto _ : state) {
        const auto& [a, b] = cached[k++ & (cached.size() - 1)];
        benchmark::DoNotOptimize(kestrun::DistanceKm(a, b));
        benchmark::DoNotOptimize(kestrun::InitialCourse(a, b));
    }
}
BENCHMARK(BM_CentralAngleAndInitialCourse_Cached);

// The yardstick of the cached pair: haversine distance and atan2 course in plain doubles.
void BM_HaversineAndAtan2Course(benchmark::State& state) {
    const std::vector<Leg>& legs = Legs();
    std::size_t k = 0;
    for (auto _ : state) {
        const Leg& l = legs[k++ & (legs.size() - 1)];
        const double dLat = l.radLatB - l.radLatA, dLon = l.radLonB - l.radLonA;
        const double sLat = std::sin(dLat / 2), sLon = std::sin(dLon / 2);
        const double cosA = std::cos(l.radLatA), cosB = std::cos(l.radLatB);
        const double h = sLat * sLat + cosA * cosB * sLon * sLon;
        benchmark::DoNotOptimize(2 * std::asin(std::sqrt(h)) * kestrun::kEarthRadiusKm);
        benchmark::DoNotOptimize(
            std::atan2(std::sin(dLon) * cosB,
                       cosA * std::sin(l.radLatB) - std::sin(l.radLatA) * cosB * std::cos(dLon)));
    }
}
BENCHMARK(BM_HaversineAndAtan2Course);

} // namespace

BENCHMARK_MAIN();
