// The automatic choice of beacons: order of the passes, list order, and the 20 km, 3 km and
// 360 km limits. Geometry is laid out with GeographicLib on the sphere.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "plan_world.h"

namespace kestrun::test {
namespace {

// Chooses beacons for the leg p -> q of a fresh plan; the index the leg gets.
int ChooseFor(const TGeoPoint& p, const TGeoPoint& q, const std::vector<TGeoPoint>& beacons) {
    TWorld w;
    for (const TGeoPoint& b : beacons) w.AddBeacon(b);
    w.Add(p);
    w.Add(q);
    w.Plan.AutoSelectBeacons();
    EXPECT_EQ(w.Plan[1].BeaconIndex, -1);
    if (w.Plan[0].BeaconIndex >= 0) {
        EXPECT_EQ(w.Plan[0].BeaconPos, beacons[static_cast<std::size_t>(w.Plan[0].BeaconIndex)]);
    }
    return w.Plan[0].BeaconIndex;
}

TEST(AutoSelectBeacons, PassesAndLimits) {
    // A 100 km leg due east.
    const TGeoPoint p = Geo(50, 30);
    const TGeoPoint q = Direct(p, 90, 100);
    const double backAzi = Inverse(q, p).azi1 / kDeg; // from q towards p
    const TGeoPoint mid = Direct(p, 90, 50);
    TGeoPoint endBelow3, startBelow3, below360;
    const TGeoPoint endAt3 = FirstAtOrBeyond(q, 90, 3.0, &endBelow3);
    const TGeoPoint startAt3 = FirstAtOrBeyond(p, 270, 3.0, &startBelow3);
    // On the leg's great circle behind p: 360 km from q and 260 km from p.
    const TGeoPoint at360 = FirstAtOrBeyond(q, backAzi, 360.0, &below360);
    ASSERT_GE(DistanceKm(q, at360), 360.0);
    ASSERT_LT(DistanceKm(q, below360), 360.0);
    ASSERT_LT(DistanceKm(p, at360), 360.0);

    struct Case {
        const char* name;
        std::vector<TGeoPoint> beacons;
        int want;
    };
    const Case cases[] = {
        {"no beacons", {}, -1},
        {"the end before the start", {Direct(p, 270, 2), Direct(q, 90, 2)}, 1},
        {"the start before the best sum", {mid, Direct(p, 270, 2.9)}, 1},
        {"the first at the end, not the closest", {Direct(q, 0, 2.5), Direct(q, 0, 0.5)}, 0},
        {"the first at the start, not the closest", {Direct(p, 0, 2.5), Direct(p, 0, 0.5)}, 0},
        {"the smallest sum",
         {Direct(mid, 0, 200), Direct(mid, 0, 30), Direct(mid, 180, 10), Direct(mid, 0, 20)},
         2},
        {"3.0 km from the end is not at the end", {endAt3, mid}, 1},
        {"under 3 km from the end is", {endBelow3, mid}, 0},
        {"3.0 km from the start is not at the start", {startAt3, mid}, 1},
        {"under 3 km from the start is", {startBelow3, mid}, 0},
        {"261 and 361 km: out of reach", {Direct(p, 270, 261)}, -1},
        {"259 and 359 km: within reach", {Direct(p, 270, 259)}, 0},
        {"360.0 km is out of reach", {at360}, -1},
        {"just under 360 km is within", {below360}, 0},
        {"out of reach of the start only", {Direct(q, 90, 300)}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseFor(p, q, c.beacons), c.want);
    }
}

TEST(AutoSelectBeacons, EqualSumsKeepTheEarlierBeacon) {
    // Mirror images across the equator are exactly equally far from a leg along it.
    const TGeoPoint p = Geo(0, 30), q = Geo(0, 31);
    const TGeoPoint north = Geo(0.3, 30.4), south = Geo(-0.3, 30.4);
    ASSERT_EQ(DistanceKm(p, north) + DistanceKm(q, north),
              DistanceKm(p, south) + DistanceKm(q, south));
    EXPECT_EQ(ChooseFor(p, q, {north, south}), 0);
    EXPECT_EQ(ChooseFor(p, q, {south, north}), 0);
    EXPECT_EQ(ChooseFor(p, q, {Geo(5, 30.5), south, north}), 1);
}

TEST(AutoSelectBeacons, LegLengthLimit) {
    const TGeoPoint p = Geo(45, 10);
    TGeoPoint shortEnd;
    const TGeoPoint longEnd = FirstAtOrBeyond(p, 45, 20.0, &shortEnd);
    ASSERT_GE(DistanceKm(p, longEnd), 20.0);
    ASSERT_LT(DistanceKm(p, shortEnd), 20.0);
    for (bool longEnough : {true, false}) {
        SCOPED_TRACE(longEnough);
        TWorld w;
        const TGeoPoint q = longEnough ? longEnd : shortEnd;
        w.AddBeacon(Direct(q, 0, 1));
        TWayPoint& a = w.Add(p);
        w.Add(q);
        a.SetBeacon(0); // the user's choice is replaced either way
        a.BeaconPos = Geo(1, 2);
        w.Plan.AutoSelectBeacons();
        EXPECT_EQ(a.BeaconIndex, longEnough ? 0 : -1);
        EXPECT_EQ(a.BeaconPos, longEnough ? Direct(q, 0, 1) : Geo(1, 2));
    }
    // 19.9 km, as the user sees it.
    TWorld w;
    w.AddBeacon(Direct(p, 0, 1));
    w.Add(p).SetBeacon(0);
    w.Add(Direct(p, 45, 19.9));
    w.Plan.AutoSelectBeacons();
    EXPECT_EQ(w.Plan[0].BeaconIndex, -1);
}

TEST(AutoSelectBeacons, EveryWaypointEndsWithItsOwnLegsBeacon) {
    TWorld w;
    const TGeoPoint a = Geo(55, 37), b = Direct(a, 270, 150), c = Direct(b, 250, 150),
                    d = Direct(c, 260, 10); // the last leg is too short
    w.AddBeacon(Direct(b, 30, 1), "at b");
    w.AddBeacon(Direct(c, 0, 150), "far from c");
    w.Add(a);
    w.Add(b);
    w.Add(c);
    TWayPoint& last = w.Add(d);
    last.SetBeacon(1);
    const TGeoPoint kept = last.BeaconPos;
    w.Plan.AutoSelectBeacons();
    EXPECT_EQ(w.Plan[0].BeaconIndex, 0); // at the end of a -> b
    EXPECT_EQ(w.Plan[1].BeaconIndex, 0); // at the start of b -> c
    EXPECT_EQ(w.Plan[2].BeaconIndex, -1);
    // The final waypoint loses its beacon and keeps the position.
    EXPECT_EQ(last.BeaconIndex, -1);
    EXPECT_EQ(last.BeaconPos, kept);
}

TEST(AutoSelectBeacons, EmptyListAndSingleWaypoint) {
    TWorld w;
    w.Add(Geo(50, 30)).BeaconIndex = 4; // an index left from an earlier list
    w.Plan.AutoSelectBeacons();
    EXPECT_EQ(w.Plan[0].BeaconIndex, 4); // a single waypoint: nothing happens
    w.Add(Geo(52, 33)).BeaconIndex = 2;
    w.Plan.AutoSelectBeacons();
    EXPECT_EQ(w.Plan[0].BeaconIndex, -1);
    EXPECT_EQ(w.Plan[1].BeaconIndex, -1);
}

TEST(AutoSelectBeacons, ProgressAndCancel) {
    TWorld w;
    w.AddBeacon(Geo(50.5, 30));
    for (int k = 0; k < 500; ++k) w.Add(Geo(50 + (k % 2), 30)).SetBeacon(k % 3 ? -1 : 0);
    std::vector<int> before;
    for (int k = 0; k < w.Plan.Count(); ++k) before.push_back(w.Plan[k].BeaconIndex);
    for (int cancelAt : {0, 3}) {
        int calls = 0;
        EXPECT_FALSE(w.Plan.AutoSelectBeacons([&](int, int) { return calls++ < cancelAt; }));
        for (int k = 0; k < w.Plan.Count(); ++k) ASSERT_EQ(w.Plan[k].BeaconIndex, before[k]);
    }
    int calls = 0, last = -1;
    EXPECT_TRUE(w.Plan.AutoSelectBeacons([&](int done, int total) {
        EXPECT_EQ(total, 499);
        EXPECT_GT(done, last);
        last = done, ++calls;
        return true;
    }));
    EXPECT_LE(calls, 101);
    EXPECT_EQ(w.Plan[1].BeaconIndex, 0);
}

// The choice as a scan of the whole list makes it, every distance computed where it is used:
// the spatial index must make the same choice for every leg.
std::vector<int> ReferenceChoice(const std::vector<TGeoPoint>& route,
                                 const std::vector<TGeoPoint>& beacons) {
    std::vector<int> chosen(route.size(), -1);
    for (std::size_t k = 0; k + 1 < route.size(); ++k) {
        const TGeoPoint &p = route[k], &q = route[k + 1];
        chosen[k] = chosen[k + 1] = -1;
        if (DistanceKm(p, q) < 20) continue;
        int c = -1;
        for (std::size_t j = 0; j < beacons.size() && c < 0; ++j)
            if (DistanceKm(q, beacons[j]) < 3) c = static_cast<int>(j);
        for (std::size_t j = 0; j < beacons.size() && c < 0; ++j)
            if (DistanceKm(p, beacons[j]) < 3) c = static_cast<int>(j);
        if (c < 0) {
            double best = 10000;
            for (std::size_t j = 0; j < beacons.size(); ++j) {
                double a = DistanceKm(p, beacons[j]), b = DistanceKm(q, beacons[j]);
                double s = static_cast<double>(static_cast<long double>(a) + b);
                if (a < 360 && b < 360 && s < best) best = s, c = static_cast<int>(j);
            }
        }
        chosen[k] = c;
    }
    return chosen;
}

TEST(AutoSelectBeacons, SameChoiceAsAScanOfTheWholeList) {
    struct Case {
        const char* name;
        TGeoPoint start;
        double heading, turn; // degrees: the route turns by up to +-turn/2 per leg
    };
    const Case cases[] = {
        {"Europe", Geo(52, 20), 0, 360},
        {"across the antimeridian", Geo(64, 178), 90, 60},
        {"over the north pole", Geo(88, 0), 0, 40},
        {"over the south pole", Geo(-88, 100), 180, 40},
        {"along the equator, mirror beacons", Geo(0, 30), 90, 0},
    };
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TGeoPoint> route{c.start};
        double heading = c.heading;
        for (int k = 0; k < 60; ++k) {
            heading += c.turn * (unit(rng) - 0.5);
            const double km = unit(rng) < 0.15 ? 25 * unit(rng) : 20 + 400 * unit(rng);
            route.push_back(Direct(route.back(), heading, km));
        }
        // Beacons around the route; some exactly 3 km or 360 km (as computed) from a waypoint
        // or just nearer, some repeating an earlier one or mirrored across the equator: equal
        // sums that the first in the list must win.
        std::vector<TGeoPoint> beacons{Geo(90, 0), Geo(-90, 0)};
        for (int j = 0; j < 400; ++j) {
            const TGeoPoint& near = route[static_cast<std::size_t>(unit(rng) * route.size())];
            const double azi = 360 * unit(rng), pick = unit(rng);
            TGeoPoint below;
            if (pick < 0.05) {
                beacons.push_back(FirstAtOrBeyond(near, azi, pick < 0.025 ? 3.0 : 360.0, &below));
                if (unit(rng) < 0.5) beacons.push_back(below);
            } else if (pick < 0.1 && beacons.size() > 2) {
                beacons.push_back(beacons[static_cast<std::size_t>(unit(rng) * beacons.size())]);
            } else {
                const TGeoPoint b =
                    Direct(near, azi, pick < 0.25 ? 3.5 * unit(rng) : 500 * unit(rng));
                beacons.push_back(b);
                if (c.turn == 0)
                    beacons.insert(beacons.end() - (unit(rng) < 0.5), Geo(-LatDeg(b), LonDeg(b)));
            }
        }
        TWorld w;
        for (const TGeoPoint& b : beacons) w.AddBeacon(b);
        for (const TGeoPoint& p : route) w.Add(p);
        w.Plan.AutoSelectBeacons();
        const std::vector<int> want = ReferenceChoice(route, beacons);
        int assigned = 0;
        for (int k = 0; k < w.Plan.Count(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(w.Plan[k].BeaconIndex, want[static_cast<std::size_t>(k)]);
            assigned += w.Plan[k].BeaconIndex >= 0;
        }
        EXPECT_GT(assigned, 30);
    }
}

} // namespace
} // namespace kestrun::test
