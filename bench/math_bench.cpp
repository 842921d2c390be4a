// One leg's distance and course against GeographicLib's inverse problem on the same sphere.
#include <GeographicLib/Geodesic.hpp>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "math/mathem.h"

namespace {

using kestrun::TGeoPoint;

struct Leg {
    TGeoPoint a, b;                // radians, as the plan holds them
    double latA, lonA, latB, lonB; // degrees, for GeographicLib
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

} // namespace

BENCHMARK_MAIN();
