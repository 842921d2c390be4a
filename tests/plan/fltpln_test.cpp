// The plan and its leg computation, checked against GeographicLib on the sphere and against
// hand-worked legs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "base/error.h"
#include "plan/fltpln.h"
#include "plan_world.h"
#include "testutil.h"

namespace kestrun::test {
namespace {

// Declination linear in longitude: column j holds 50*j, so between columns 1 and 358 the
// declination is 50 * lon * 180 / 32768 degrees wherever the waypoint stands.
void FillLinearGrid(TMagDecGrid& grid) {
    for (int j = 0; j < TMagDecGrid::kLonCount; ++j)
        for (int i = -90; i <= 90; ++i) grid.At(j, i) = static_cast<std::int16_t>(50 * j);
}
double LinearDecl(double lonDeg) {
    return lonDeg * 50 * 180 / 32768 * kDeg;
}

// --- NVU values of single legs against GeographicLib -------------------------------------

struct LegCase {
    const char* name;
    double lat1, lon1, lat2, lon2; // signed degrees
    double courseTol;
};

TEST(CalcPlan, SingleLegsMatchSphericalGeodesics) {
    const LegCase cases[] = {
        {"Moscow to Kyiv", 55.9725, 37.4113, 50.4017, 30.4497, 1e-9},
        {"across the date line and the equator", 10, 170, -10, -170, 1e-9},
        {"southern hemisphere", -33.9, 151.2, -37.8, 144.9, 1e-9},
        {"short east-west at 60N", 60, 10, 60, 10.5, 1e-9},
        {"along the equator", 0, 20, 0, 21, 1e-9},
        {"due south", 45, 100, 44, 100, 1e-9},
        {"near the pole", 80, 5, 80, 175, 1e-9},
        {"15 metres", 1.5, 1.5, 1.0001 + 0.5, 1.5001, 1e-6},
        {"western longitudes", 40.6, -73.8, 51.5, -0.5 - 1.0, 1e-9},
    };
    for (const LegCase& c : cases) {
        SCOPED_TRACE(c.name);
        TWorld w;
        FillLinearGrid(*w.Grid);
        // Waypoints keep the typed form (south and west as 2*pi minus the magnitude).
        TWayPoint& p = w.Add(Typed(c.lat1, c.lon1));
        TWayPoint& q = w.Add(Typed(c.lat2, c.lon2));
        ASSERT_TRUE(w.Plan.CalcPlan());
        TInverse ref = Inverse(p.Pos, q.Pos);
        const double declP = LinearDecl(LonDeg(p.Pos)), declQ = LinearDecl(LonDeg(q.Pos));
        EXPECT_NEAR(p.MagDecl, declP, 1e-12);
        EXPECT_NEAR(q.MagDecl, declQ, 1e-12);
        EXPECT_NEAR(p.Distance, ref.km, 1e-6);
        EXPECT_NEAR(AngleDiff(p.TrueCourse, ref.azi1), 0, c.courseTol);
        EXPECT_NEAR(AngleDiff(p.TrueBackCourse, ref.azi2 + kPiD), 0, c.courseTol);
        EXPECT_NEAR(AngleDiff(p.MagCourse, ref.azi1 - declP), 0, c.courseTol);
        EXPECT_NEAR(AngleDiff(p.MagBackCourse, ref.azi2 + kPiD - declQ), 0, c.courseTol);
        EXPECT_NEAR(p.Fork, AngleDiff(ref.azi1, ref.azi2), c.courseTol);
        EXPECT_EQ(p.SFork, p.Fork);
        EXPECT_EQ(p.OrthCourseTakeOff, p.TrueCourse);
        for (double v : {p.TrueCourse, p.TrueBackCourse, p.MagCourse, p.MagBackCourse}) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 2 * kPiD);
        }
        EXPECT_EQ(w.Plan.TotalDist, p.Distance);
        // The magnetic course at the end of the last leg: the forward course there less the
        // declination of the final waypoint.
        EXPECT_NEAR(AngleDiff(w.Plan.FinalMagCourse, ref.azi2 - declQ), 0, c.courseTol);
        EXPECT_NEAR(w.Plan.SumForkMagDecl, -AngleDiff(p.Fork + declQ, 0), 1e-12);
        EXPECT_TRUE(w.Plan.PlanModified);
        // The last waypoint carries no leg.
        EXPECT_EQ(q.Distance, 0);
        EXPECT_EQ(q.RSBNMode, rmNone);
    }
}

TEST(CalcPlan, RouteForksAndOrthodromicCourses) {
    TWorld w;
    FillLinearGrid(*w.Grid);
    const TGeoPoint route[] = {Geo(55.97, 37.41), Geo(53.88, 28.03), Geo(52.17, 20.97),
                               Geo(52.36, 13.50), Geo(48.35, 11.78)};
    for (const TGeoPoint& p : route) w.Add(p);
    w.Plan.CalcPlan();
    double forks = 0, total = 0;
    for (int k = 0; k + 1 < w.Plan.Count(); ++k) {
        SCOPED_TRACE(k);
        const TWayPoint& p = w.Plan[k];
        TInverse ref = Inverse(route[k], route[k + 1]);
        EXPECT_NEAR(AngleDiff(p.OrthCourseTakeOff, ref.azi1 + forks), 0, 1e-9);
        forks += AngleDiff(ref.azi1, ref.azi2);
        EXPECT_NEAR(p.SFork, forks, 1e-9);
        total += ref.km;
    }
    EXPECT_NEAR(w.Plan.TotalDist, total, 1e-6);
    TInverse last = Inverse(route[3], route[4]);
    EXPECT_NEAR(AngleDiff(w.Plan.FinalMagCourse, last.azi2 - LinearDecl(11.78)), 0, 1e-9);
}

TEST(CalcPlan, LegDueNorthAlongAMeridian) {
    TWorld w;
    TWayPoint& p = w.Add(Geo(50, 30));
    w.Add(Geo(51, 30));
    w.Plan.CalcPlan();
    EXPECT_NEAR(p.Distance, kPiD / 180 * 6378.137, 1e-9);
    EXPECT_NEAR(AngleDiff(p.TrueCourse, 0), 0, 1e-12);
    EXPECT_NEAR(p.TrueBackCourse, kPiD, 1e-12);
    EXPECT_NEAR(p.Fork, 0, 1e-12);
    EXPECT_NEAR(p.SFork, 0, 1e-12);
    EXPECT_NEAR(AngleDiff(p.OrthCourseTakeOff, 0), 0, 1e-12);
}

TEST(CalcPlan, OneGreatCircleKeepsTheOrthodromicCourse) {
    // Points of one great circle, whose true course turns by several degrees on the way.
    GeographicLib::GeodesicLine line = Sphere().Line(35, -5, 40);
    TWorld w;
    for (double km : {0.0, 900.0, 2100.0, 3500.0}) {
        double lat, lon;
        line.Position(km * 1000, lat, lon);
        w.Add(Typed(lat, lon));
    }
    w.Plan.CalcPlan();
    for (int k = 1; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_GT(std::abs(AngleDiff(w.Plan[k].TrueCourse, w.Plan[0].TrueCourse)), 0.05);
        EXPECT_NEAR(AngleDiff(w.Plan[k].OrthCourseTakeOff, w.Plan[0].OrthCourseTakeOff), 0, 1e-9);
    }
}

// Guards against the totals of the plan before a delete staying on show for one waypoint.
TEST(CalcPlan, SingleWaypointHasNoTotals) {
    TWorld w;
    w.Add(Geo(50, 30));
    w.Add(Geo(55, 37));
    w.Plan.CalcPlan();
    ASSERT_NE(w.Plan.FinalMagCourse, 0);
    w.Plan.DeleteWayPoint(2);
    EXPECT_TRUE(w.Plan.CalcPlan());
    EXPECT_EQ(w.Plan.TotalDist, 0);
    EXPECT_EQ(w.Plan.SumForkMagDecl, 0);
    EXPECT_EQ(w.Plan.FinalMagCourse, 0);
    EXPECT_TRUE(w.Plan.PlanModified);
}

// --- Modes and RSBN values ----------------------------------------------------------------

TEST(CalcPlanModes, BeaconNearBothEndsFliesFromIt) {
    TWorld w;
    TWayPoint& p = w.Add(Geo(50, 30));
    TWayPoint& q = w.Add(Direct(p.Pos, 90, 4.0));
    TGeoPoint b = Direct(Direct(p.Pos, 90, 2.0), 0, std::sqrt(2.9 * 2.9 - 4.0));
    ASSERT_NEAR(Inverse(p.Pos, b).km, 2.9, 0.005);
    ASSERT_NEAR(Inverse(q.Pos, b).km, 2.9, 0.005);
    p.SetBeacon(w.AddBeacon(b));
    w.Plan.CalcPlan();
    EXPECT_EQ(p.RSBNMode, rmAzimuthFrom);
}

TEST(CalcPlanModes, ThreeKilometresIsNotNear) {
    struct Case {
        const char* name;
        bool atEnd;
    };
    for (Case c : {Case{"end", true}, Case{"start", false}}) {
        SCOPED_TRACE(c.name);
        TWorld w;
        TWayPoint& p = w.Add(Geo(50, 30));
        TWayPoint& q = w.Add(Direct(p.Pos, 90, 50));
        TGeoPoint below;
        // Beyond the end or before the start, so that the other end is far.
        TGeoPoint at = c.atEnd ? FirstAtOrBeyond(q.Pos, 90, 3.0, &below)
                               : FirstAtOrBeyond(p.Pos, 270, 3.0, &below);
        const TGeoPoint& from = c.atEnd ? q.Pos : p.Pos;
        ASSERT_GE(DistanceKm(from, at), 3.0);
        ASSERT_LT(DistanceKm(from, at) - 3.0, 1e-8);
        ASSERT_LT(DistanceKm(from, below), 3.0);
        p.SetBeacon(w.AddBeacon(at));
        w.Plan.CalcPlan();
        EXPECT_EQ(p.RSBNMode, rmSRP);
        p.SetBeacon(w.AddBeacon(below));
        w.Plan.CalcPlan();
        EXPECT_EQ(p.RSBNMode, c.atEnd ? rmAzimuthTo : rmAzimuthFrom);
    }
}

TEST(CalcPlanModes, AzimuthToMeasuresTheLegToTheBeacon) {
    TWorld w;
    FillLinearGrid(*w.Grid);
    TWayPoint& p = w.Add(Geo(50, 30));
    TWayPoint& q = w.Add(Direct(p.Pos, 60, 100));
    const TGeoPoint b = Direct(q.Pos, 150, 1.5);
    p.SetBeacon(w.AddBeacon(b));
    w.Plan.SupPoint = spTraverse; // the azimuth modes have no support point whatever the kind
    w.Plan.CalcPlan();
    ASSERT_EQ(p.RSBNMode, rmAzimuthTo);
    const TInverse toBeacon = Inverse(p.Pos, b), fromBeacon = Inverse(b, p.Pos);
    const TInverse leg = Inverse(p.Pos, q.Pos);
    EXPECT_NEAR(p.Distance, toBeacon.km, 1e-6);
    EXPECT_NEAR(AngleDiff(p.TrueCourse, toBeacon.azi1), 0, 1e-9);
    EXPECT_NEAR(AngleDiff(p.RSBNPlannedCourse, fromBeacon.azi1), 0, 1e-9);
    EXPECT_EQ(p.TrueBackCourse, p.RSBNPlannedCourse);
    EXPECT_EQ(p.RSBNAzimuth, p.RSBNPlannedCourse);
    EXPECT_NEAR(AngleDiff(p.MagCourse, toBeacon.azi1 - p.MagDecl), 0, 1e-9);
    EXPECT_NEAR(AngleDiff(p.MagBackCourse, fromBeacon.azi1 - q.MagDecl), 0, 1e-9);
    EXPECT_EQ(p.RSBNOrbit, 0);
    EXPECT_EQ(p.RSBNTargetDistance, 0);
    EXPECT_NEAR(AngleDiff(p.RSBNTargetAngle, fromBeacon.azi1 + kPiD / 2), 0, 1e-9);
    EXPECT_EQ(p.RSBNSupPoint, TGeoPoint{});
    // Fork and orthodromic course stay those of the waypoints.
    EXPECT_NEAR(p.Fork, AngleDiff(leg.azi1, leg.azi2), 1e-9);
    EXPECT_NEAR(AngleDiff(p.OrthCourseTakeOff, leg.azi1), 0, 1e-9);
    EXPECT_EQ(w.Plan.TotalDist, p.Distance);
}

TEST(CalcPlanModes, AzimuthFromMeasuresTheLegFromTheBeacon) {
    TWorld w;
    FillLinearGrid(*w.Grid);
    TWayPoint& p = w.Add(Geo(-20, 140));
    TWayPoint& q = w.Add(Direct(p.Pos, 300, 250));
    const TGeoPoint b = Direct(p.Pos, 200, 1.2);
    p.SetBeacon(w.AddBeacon(b));
    w.Plan.CalcPlan();
    ASSERT_EQ(p.RSBNMode, rmAzimuthFrom);
    const TInverse fromBeacon = Inverse(b, q.Pos), back = Inverse(q.Pos, b);
    const TInverse leg = Inverse(p.Pos, q.Pos);
    EXPECT_NEAR(p.Distance, fromBeacon.km, 1e-6);
    EXPECT_NEAR(AngleDiff(p.RSBNPlannedCourse, fromBeacon.azi1), 0, 1e-9);
    EXPECT_EQ(p.TrueCourse, p.RSBNPlannedCourse);
    EXPECT_NEAR(AngleDiff(p.TrueBackCourse, back.azi1), 0, 1e-9);
    EXPECT_NEAR(AngleDiff(p.MagCourse, fromBeacon.azi1 - p.MagDecl), 0, 1e-9);
    EXPECT_NEAR(AngleDiff(p.MagBackCourse, back.azi1 - q.MagDecl), 0, 1e-9);
    EXPECT_EQ(p.RSBNAzimuth, p.RSBNPlannedCourse);
    EXPECT_EQ(p.RSBNOrbit, p.Distance);
    EXPECT_EQ(p.RSBNTargetDistance, 0);
    EXPECT_NEAR(AngleDiff(p.RSBNTargetAngle, fromBeacon.azi1 + kPiD / 2), 0, 1e-9);
    EXPECT_EQ(p.RSBNSupPoint, TGeoPoint{});
    EXPECT_NEAR(p.Fork, AngleDiff(leg.azi1, leg.azi2), 1e-9);
    EXPECT_NEAR(AngleDiff(p.OrthCourseTakeOff, leg.azi1), 0, 1e-9);
}

TEST(CalcPlanModes, TraverseMayLieOutsideTheLeg) {
    // Leg along the equator from 20E to 21E, beacon half a degree north of 23E: the traverse
    // is the point (0, 23E), beyond the leg's end; the target is due south of the beacon.
    TWorld w;
    TWayPoint& p = w.Add(Geo(0, 20));
    TWayPoint& q = w.Add(Geo(0, 21));
    const TGeoPoint b = Geo(0.5, 23);
    p.SetBeacon(w.AddBeacon(b));
    w.Plan.SupPoint = spTraverse;
    w.Plan.CalcPlan();
    ASSERT_EQ(p.RSBNMode, rmSRP);
    EXPECT_NEAR(static_cast<double>(p.RSBNSupPoint.Lat), 0, 1e-12);
    EXPECT_NEAR(static_cast<double>(p.RSBNSupPoint.Lon), 23 * kDeg, 1e-12);
    EXPECT_NEAR(p.RSBNTargetDistance, 0.5 * kDeg * 6378.137, 1e-6);
    EXPECT_NEAR(p.RSBNTargetAngle, kPiD, 1e-9);
    EXPECT_NEAR(p.RSBNPlannedCourse, kPiD / 2, 1e-9); // the equator crosses every meridian at 90
    const TInverse toEnd = Inverse(b, q.Pos);
    EXPECT_NEAR(AngleDiff(p.RSBNAzimuth, toEnd.azi1), 0, 1e-9);
    EXPECT_NEAR(p.RSBNOrbit, toEnd.km, 1e-6);
    // The course fields are those of the waypoints.
    EXPECT_NEAR(p.Distance, kDeg * 6378.137, 1e-9);
    EXPECT_NEAR(p.TrueCourse, kPiD / 2, 1e-12);
    EXPECT_NEAR(p.TrueBackCourse, 3 * kPiD / 2, 1e-12);
}

// The course of the great circle from a through b where it crosses the meridian lonDeg (and,
// in arcDeg, how far along the circle from a that lies, -180 .. 180 degrees), and the foot of
// the perpendicular from a point, both found on GeographicLib's great circle by bisection. Over
// one turn the circle's unrolled longitude runs through 360 degrees one way, so it meets the
// meridian once (a circle along a meridian meets the others only at the poles).
double CourseWhereLonIs(const TGeoPoint& a, const TGeoPoint& b, double lonDeg,
                        double* arcDeg = nullptr) {
    using G = GeographicLib::Geodesic;
    const GeographicLib::GeodesicLine line =
        Sphere().InverseLine(LatDeg(a), LonDeg(a), LatDeg(b), LonDeg(b));
    double azi;
    auto lonAt = [&](double arc) {
        double lat, lon, s12, m12, M12, M21, S12;
        line.GenPosition(true, arc, G::LONGITUDE | G::AZIMUTH | G::LONG_UNROLL, lat, lon, azi, s12,
                         m12, M12, M21, S12);
        return lon;
    };
    double lo = -180, hi = 180;
    const double lon0 = lonAt(lo), east = lonAt(hi) > lon0 ? 1 : -1;
    const double target =
        lon0 + east * std::fmod(std::fmod(east * (lonDeg - lon0), 360) + 360, 360);
    for (int i = 0; i < 100; ++i) {
        const double mid = (lo + hi) / 2;
        (east * (lonAt(mid) - target) < 0 ? lo : hi) = mid;
    }
    lonAt(lo);
    if (arcDeg) *arcDeg = lo;
    return Course(azi);
}

TGeoPoint FootOfPerpendicular(const TGeoPoint& a, const TGeoPoint& b, const TGeoPoint& x) {
    double s12, azi1, azi2;
    Sphere().Inverse(LatDeg(a), LonDeg(a), LatDeg(b), LonDeg(b), s12, azi1, azi2);
    GeographicLib::GeodesicLine line = Sphere().Line(LatDeg(a), LonDeg(a), azi1);
    // Positive while x lies ahead along the circle.
    auto ahead = [&](double s) {
        double lat, lon, azi, t12, ta1, ta2;
        line.Position(s, lat, lon, azi);
        Sphere().Inverse(lat, lon, LatDeg(x), LonDeg(x), t12, ta1, ta2);
        return std::cos((ta1 - azi) * kDeg);
    };
    const double quarter = 6378137.0 * kPiD / 2;
    double lo = -quarter, hi = quarter;
    for (double s = -quarter; s < quarter; s += quarter / 90)
        if (ahead(s) > 0 && ahead(s + quarter / 90) <= 0) lo = s, hi = s + quarter / 90;
    for (int i = 0; i < 200; ++i) {
        double mid = (lo + hi) / 2;
        (ahead(mid) > 0 ? lo : hi) = mid;
    }
    double lat, lon;
    line.Position(lo, lat, lon);
    return Geo(lat, lon);
}

TEST(CalcPlanModes, SrpValuesAgainstGreatCircleConstructions) {
    for (TSupPointKind kind : {spTraverse, spEndWaypoint}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TWorld w;
        TWayPoint& p = w.Add(Geo(50, 10));
        TWayPoint& q = w.Add(Geo(40, 40));
        const TGeoPoint b = Geo(35, 25);
        p.SetBeacon(w.AddBeacon(b));
        w.Plan.SupPoint = kind;
        w.Plan.CalcPlan();
        ASSERT_EQ(p.RSBNMode, rmSRP);
        EXPECT_NEAR(AngleDiff(p.RSBNPlannedCourse, CourseWhereLonIs(p.Pos, q.Pos, 25)), 0, 1e-8);
        const TInverse toEnd = Inverse(b, q.Pos);
        EXPECT_NEAR(AngleDiff(p.RSBNAzimuth, toEnd.azi1), 0, 1e-9);
        EXPECT_NEAR(p.RSBNOrbit, toEnd.km, 1e-6);
        if (kind == spTraverse) {
            const TGeoPoint foot = FootOfPerpendicular(p.Pos, q.Pos, b);
            EXPECT_NEAR(Inverse(p.RSBNSupPoint, foot).km, 0, 1e-6);
            const TInverse toFoot = Inverse(b, foot);
            EXPECT_NEAR(AngleDiff(p.RSBNTargetAngle, toFoot.azi1), 0, 1e-8);
            EXPECT_NEAR(p.RSBNTargetDistance, toFoot.km, 1e-6);
        } else {
            EXPECT_EQ(p.RSBNSupPoint, q.Pos);
            EXPECT_EQ(p.RSBNTargetAngle, p.RSBNAzimuth);
            EXPECT_EQ(p.RSBNTargetDistance, p.RSBNOrbit);
        }
    }
}

// --- The repeated waypoint ----------------------------------------------------------------

void ExpectSameLeg(const TWayPoint& a, const TWayPoint& b) {
    EXPECT_EQ(a.Distance, b.Distance);
    EXPECT_EQ(a.TrueCourse, b.TrueCourse);
    EXPECT_EQ(a.MagCourse, b.MagCourse);
    EXPECT_EQ(a.TrueBackCourse, b.TrueBackCourse);
    EXPECT_EQ(a.MagBackCourse, b.MagBackCourse);
    EXPECT_EQ(a.Fork, b.Fork);
    EXPECT_EQ(a.SFork, b.SFork);
    EXPECT_EQ(a.OrthCourseTakeOff, b.OrthCourseTakeOff);
    EXPECT_EQ(a.RSBNMode, b.RSBNMode);
    EXPECT_EQ(a.RSBNAzimuth, b.RSBNAzimuth);
    EXPECT_EQ(a.RSBNOrbit, b.RSBNOrbit);
    EXPECT_EQ(a.RSBNPlannedCourse, b.RSBNPlannedCourse);
    EXPECT_EQ(a.RSBNSupPoint, b.RSBNSupPoint);
    EXPECT_EQ(a.RSBNTargetAngle, b.RSBNTargetAngle);
    EXPECT_EQ(a.RSBNTargetDistance, b.RSBNTargetDistance);
}

// Guards against a leg without a beacon being measured from whatever BeaconPos holds: the
// position (0, 0) when none was ever assigned, or that of a beacon since removed.
TEST(CalcPlanModes, LegWithoutBeaconHasNoRSBNValues) {
    TWorld never;
    TWayPoint& a = never.Add(Direct(Geo(0, 0), 45, 1.0)); // 1 km from (0, 0)
    never.Add(Geo(1, 1));
    never.Plan.CalcPlan();
    EXPECT_EQ(a.BeaconIndex, -1);
    EXPECT_EQ(a.RSBNMode, rmNone);
    EXPECT_EQ(a.RSBNOrbit, 0);
    EXPECT_NEAR(a.Distance, DistanceKm(a.Pos, never.Plan[1].Pos), 1e-9);
    EXPECT_NEAR(a.TrueCourse, InitialCourse(a.Pos, never.Plan[1].Pos), 1e-12);

    // A beacon within 3 km of the start, then removed: the leg is the one never given one.
    const TGeoPoint start = Geo(55.5, 37.5), end = Geo(56.5, 39.0);
    TWorld removed;
    removed.AddBeacon(Direct(start, 120, 2.0));
    TWayPoint& p = removed.Add(start);
    removed.Add(end);
    p.SetBeacon(0);
    removed.Plan.SupPoint = spTraverse;
    removed.Plan.CalcPlan();
    ASSERT_EQ(p.RSBNMode, rmAzimuthFrom);
    p.SetBeacon(-1);
    removed.Plan.CalcPlan();

    TWorld plain;
    plain.Add(start);
    plain.Add(end);
    plain.Plan.SupPoint = spTraverse;
    plain.Plan.CalcPlan();
    ExpectSameLeg(p, plain.Plan[0]);
    EXPECT_EQ(removed.Plan.TotalDist, plain.Plan.TotalDist);
}

// Guards against a leg of no length ending the computation (later legs keeping stale values
// and the total counting only earlier legs) or turning every later orthodromic course by pi.
TEST(CalcPlanRepeatedWaypoint, LaterLegsAreComputedAsWithoutTheRepeat) {
    const TGeoPoint a = Geo(55.97, 37.41), b = Geo(53.88, 28.03), c = Geo(52.17, 20.97);
    const TGeoPoint beacon = Geo(53.0, 25.0);

    TWorld plain;
    FillLinearGrid(*plain.Grid);
    plain.AddBeacon(beacon);
    plain.Add(a);
    plain.Add(b).SetBeacon(0);
    plain.Add(c);
    plain.Plan.SupPoint = spTraverse;
    plain.Plan.CalcPlan();
    ASSERT_EQ(plain.Plan[1].RSBNMode, rmSRP);

    TWorld rep;
    FillLinearGrid(*rep.Grid);
    rep.AddBeacon(beacon);
    rep.Add(a);
    rep.Add(b).SetBeacon(0);
    rep.Add(Geo(60, 60)).SetBeacon(0); // moved onto b below, after a first computation
    rep.Add(c);
    rep.Plan.SupPoint = spTraverse;
    rep.Plan.CalcPlan();
    rep.Plan[2].SetPos(b);
    EXPECT_TRUE(rep.Plan.CalcPlan());

    const TWayPoint& zero = rep.Plan[1];
    EXPECT_EQ(zero.Distance, 0);
    EXPECT_EQ(zero.Fork, 0);
    EXPECT_EQ(zero.SFork, rep.Plan[0].SFork);
    EXPECT_EQ(zero.RSBNMode, rmNone);
    EXPECT_EQ(zero.RSBNAzimuth, 0);
    EXPECT_EQ(zero.RSBNOrbit, 0);
    EXPECT_EQ(zero.RSBNPlannedCourse, 0);
    EXPECT_EQ(zero.RSBNTargetAngle, 0);
    EXPECT_EQ(zero.RSBNTargetDistance, 0);
    EXPECT_EQ(zero.RSBNSupPoint, TGeoPoint{});
    EXPECT_EQ(zero.BeaconIndex, 0); // the assignment itself stays

    ExpectSameLeg(rep.Plan[0], plain.Plan[0]);
    ExpectSameLeg(rep.Plan[2], plain.Plan[1]);
    EXPECT_EQ(rep.Plan.TotalDist,
              rep.Plan[0].Distance + rep.Plan[1].Distance + rep.Plan[2].Distance);
    EXPECT_EQ(rep.Plan.TotalDist, plain.Plan.TotalDist);
    EXPECT_EQ(rep.Plan.SumForkMagDecl, plain.Plan.SumForkMagDecl);
    EXPECT_EQ(rep.Plan.FinalMagCourse, plain.Plan.FinalMagCourse);
}

TEST(CalcPlanRepeatedWaypoint, NewWaypointsAtTheOrigin) {
    // Appending to a plan whose waypoints are all still at (0, 0): every leg is of no length.
    TWorld w;
    EXPECT_EQ(w.Plan.AppendWayPoint(), 1);
    EXPECT_EQ(w.Plan.AppendWayPoint(), 2);
    EXPECT_EQ(w.Plan.AppendWayPoint(), 3);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(w.Plan[k].Distance, 0);
        EXPECT_EQ(w.Plan[k].TrueCourse, 0);
        EXPECT_EQ(w.Plan[k].Fork, 0);
        EXPECT_EQ(w.Plan[k].RSBNMode, rmNone);
    }
    EXPECT_EQ(w.Plan.TotalDist, 0);
    // A first leg of no length leaves the orthodromic course of the next one its true course.
    w.Plan[2].SetPos(Geo(10, 10));
    w.Plan.CalcPlan();
    EXPECT_EQ(w.Plan[1].OrthCourseTakeOff, w.Plan[1].TrueCourse);
    EXPECT_EQ(w.Plan.TotalDist, w.Plan[1].Distance);
}

// --- A long route against independent values ---------------------------------------------

// Guards the unit vectors, meridian normals and poles that CalcPlan shares between the legs and
// beacons of one pass: every leg of a long route, in every mode, against GeographicLib.
TEST(CalcPlanRoute, EveryLegAgainstSphericalGeodesics) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> unit(0, 1);
    for (TSupPointKind kind : {spTraverse, spEndWaypoint}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TWorld w;
        FillLinearGrid(*w.Grid);
        std::vector<TRSBNMode> modes;    // the mode each leg is built for
        std::vector<bool> alongMeridian; // legs due north or south
        TGeoPoint at = Geo(48, 12);
        for (int k = 0; k < 400; ++k) {
            TWayPoint& p = w.Add(at);
            // Legs in every direction, some along a meridian or the equator, some repeated.
            const double r = unit(rng);
            if (r < 0.05)
                at = Direct(at, unit(rng) < 0.5 ? 0 : 180, 20 + 300 * unit(rng));
            else if (r < 0.1)
                at = Typed(0, 10 + 100 * unit(rng));
            else if (r > 0.95)
                at = p.Pos;
            else
                at = Direct(at, 360 * unit(rng), 20 + 3000 * unit(rng));
            alongMeridian.push_back(r < 0.05);
            // The mode, worked out by hand from where the beacon is placed: under 3 km from the
            // start it is flown from, under 3 km from the end (and so farther from the start)
            // flown to, farther from both it is off the route; a leg of no length has none.
            const double u = unit(rng);
            TRSBNMode mode = rmNone;
            TGeoPoint b;
            if (u < 0.2)
                b = Direct(p.Pos, 360 * unit(rng), 2.9 * unit(rng)), mode = rmAzimuthFrom;
            else if (u < 0.25)
                b = p.Pos, mode = rmAzimuthFrom;
            else if (u < 0.45)
                b = Direct(at, 360 * unit(rng), 2.9 * unit(rng)), mode = rmAzimuthTo;
            else if (u < 0.9)
                b = Direct(p.Pos, 360 * unit(rng), 5 + 800 * unit(rng)), mode = rmSRP;
            if (mode != rmNone) p.SetBeacon(w.AddBeacon(b));
            // Each beacon is far enough from the other end for the mode it was placed for.
            const bool noLength = at == p.Pos;
            const double otherEndKm = mode == rmAzimuthTo ? Inverse(p.Pos, b).km
                                      : mode == rmSRP     ? Inverse(at, b).km
                                                          : 1e9;
            ASSERT_TRUE(noLength || otherEndKm > 3.1) << otherEndKm;
            modes.push_back(noLength ? rmNone : mode);
        }
        w.Add(at);
        for (TRSBNMode m : {rmNone, rmSRP, rmAzimuthTo, rmAzimuthFrom})
            ASSERT_NE(std::count(modes.begin(), modes.end(), m), 0);
        w.Plan.SupPoint = kind;
        w.Plan.CalcPlan();

        // Courses are compared to 1e-7: the arc cosine of a course keeps only half its digits
        // for a leg due north or south.
        const double tol = 1e-7;
        double forks = 0, total = 0;
        for (int k = 0; k + 1 < w.Plan.Count(); ++k) {
            SCOPED_TRACE(k);
            const TWayPoint& p = w.Plan[k];
            const TWayPoint& q = w.Plan[k + 1];
            const TGeoPoint& b = p.BeaconPos;
            const TRSBNMode mode = modes[static_cast<std::size_t>(k)];
            ASSERT_EQ(p.RSBNMode, mode);
            // Fork and orthodromic course come from the waypoints; a leg of no length has no
            // great circle, so no course and no fork.
            const bool noLength = p.Pos == q.Pos;
            const TInverse leg = Inverse(p.Pos, q.Pos);
            EXPECT_NEAR(AngleDiff(p.OrthCourseTakeOff, (noLength ? 0 : leg.azi1) + forks), 0, 1e-6);
            const double fork = noLength ? 0 : AngleDiff(leg.azi1, leg.azi2);
            forks += fork;
            EXPECT_NEAR(p.Fork, fork, tol);
            EXPECT_NEAR(p.SFork, forks, 1e-6);
            // The azimuth modes measure the leg from or to the beacon instead of the waypoint
            // it stands near.
            const TInverse measured = mode == rmAzimuthFrom ? Inverse(b, q.Pos)
                                      : mode == rmAzimuthTo ? Inverse(p.Pos, b)
                                                            : leg;
            total += measured.km;
            EXPECT_NEAR(p.Distance, measured.km, 1e-6);
            EXPECT_NEAR(AngleDiff(p.TrueCourse, noLength ? 0 : measured.azi1), 0, tol);
            EXPECT_NEAR(AngleDiff(p.TrueBackCourse, noLength ? 0 : measured.azi2 + kPiD), 0, tol);
            EXPECT_NEAR(AngleDiff(p.MagCourse, p.TrueCourse - p.MagDecl), 0, 1e-12);
            EXPECT_NEAR(AngleDiff(p.MagBackCourse, p.TrueBackCourse - q.MagDecl), 0, 1e-12);
            // RSBN values: along the beacon's radial in the azimuth modes; off the route, from
            // the beacon to the leg's end and to the support point.
            double planned = 0, azimuth = 0, orbit = 0, target = 0, targetKm = 0;
            bool comparePlanned = true;
            TGeoPoint sup{};
            if (mode == rmAzimuthFrom || mode == rmAzimuthTo) {
                planned = mode == rmAzimuthFrom ? measured.azi1 : measured.azi2 + kPiD;
                azimuth = planned;
                orbit = mode == rmAzimuthFrom ? measured.km : 0;
                target = planned + kPiD / 2;
            } else if (mode == rmSRP) {
                // Measured where the leg's circle meets the plane of the beacon's meridian nearer
                // the start: compared where that is plainly the beacon's own meridian (not
                // beyond the pole, nor at a pole for a leg along a meridian).
                double crossingDeg;
                planned = CourseWhereLonIs(p.Pos, q.Pos, LonDeg(b), &crossingDeg);
                comparePlanned =
                    !alongMeridian[static_cast<std::size_t>(k)] && std::abs(crossingDeg) < 60;
                const TInverse toEnd = Inverse(b, q.Pos);
                azimuth = toEnd.azi1;
                orbit = toEnd.km;
                sup = kind == spTraverse ? FootOfPerpendicular(p.Pos, q.Pos, b) : q.Pos;
                const TInverse toSup = Inverse(b, sup);
                target = toSup.azi1;
                targetKm = toSup.km;
            }
            if (comparePlanned) {
                EXPECT_NEAR(AngleDiff(p.RSBNPlannedCourse, planned), 0, tol);
            }
            EXPECT_NEAR(AngleDiff(p.RSBNAzimuth, azimuth), 0, tol);
            EXPECT_NEAR(p.RSBNOrbit, orbit, 1e-6);
            EXPECT_NEAR(AngleDiff(p.RSBNTargetAngle, target), 0, tol);
            EXPECT_NEAR(p.RSBNTargetDistance, targetKm, 1e-6);
            EXPECT_NEAR(Inverse(p.RSBNSupPoint, sup).km, 0, 1e-6);
        }
        EXPECT_NEAR(w.Plan.TotalDist, total, 1e-5);
    }
}

// --- Waypoints and the list ---------------------------------------------------------------

TEST(WayPoint, SetPosLooksUpTheDeclinationOnlyOnChange) {
    TWorld w;
    for (int j = 0; j < TMagDecGrid::kLonCount; ++j)
        for (int i = -90; i <= 90; ++i) w.Grid->At(j, i) = 1000;
    TWayPoint& p = w.Plan.AddWayPoint();
    p.SetPos(Geo(0, 0)); // the initial position: no lookup
    EXPECT_EQ(p.MagDecl, 0);
    p.SetPos(Geo(10, 30.5));
    EXPECT_NEAR(p.MagDecl, 1000.0 * 180 / 32768 * kDeg, 1e-15);
    FillLinearGrid(*w.Grid);
    p.SetPos(Geo(10, 30.5)); // unchanged: the old value stays
    EXPECT_NEAR(p.MagDecl, 1000.0 * 180 / 32768 * kDeg, 1e-15);
    p.SetPos(Geo(10, 40.5));
    EXPECT_NEAR(p.MagDecl, LinearDecl(40.5), 1e-12);
}

TEST(WayPoint, SetPosStoresThePositionBeforeTheLookupFails) {
    TWorld w;
    FillLinearGrid(*w.Grid);
    TWayPoint& p = w.Add(Geo(10, 40.5));
    const double before = p.MagDecl;
    const TGeoPoint bad{2.0L, 0.5L}; // a latitude beyond 90 degrees
    EXPECT_EQ(MessageOf([&] { p.SetPos(bad); }), "Assertion failure (bglmag, line 65)");
    EXPECT_EQ(p.Pos, bad);
    EXPECT_EQ(p.MagDecl, before);
}

TEST(WayPoint, SetBeacon) {
    TWorld w;
    w.AddBeacon(Geo(50, 30));
    w.AddBeacon(Geo(51, 31));
    TWayPoint& p = w.Plan.AddWayPoint();
    EXPECT_EQ(p.BeaconIndex, -1);
    p.SetBeacon(1);
    EXPECT_EQ(p.BeaconIndex, 1);
    EXPECT_EQ(p.BeaconPos, Geo(51, 31));
    // The same index again copies nothing.
    w.Beacons[1].Position = Geo(1, 1);
    p.SetBeacon(1);
    EXPECT_EQ(p.BeaconPos, Geo(51, 31));
    // -1 removes the assignment and keeps the position.
    p.SetBeacon(-1);
    EXPECT_EQ(p.BeaconIndex, -1);
    EXPECT_EQ(p.BeaconPos, Geo(51, 31));
    // An index that names no record is no beacon.
    p.SetBeacon(0);
    for (int bad : {2, 7, -5}) {
        SCOPED_TRACE(bad);
        p.SetBeacon(bad);
        EXPECT_EQ(p.BeaconIndex, -1);
        EXPECT_EQ(p.BeaconPos, Geo(50, 30));
    }
}

TEST(WayPoint, BeaconOfNeverReadsAStaleIndex) {
    TWorld w;
    w.AddBeacon(Geo(50, 30), "ONE");
    w.AddBeacon(Geo(51, 31), "TWO");
    TWayPoint& p = w.Plan.AddWayPoint();
    EXPECT_EQ(w.Plan.BeaconOf(p), nullptr);
    p.SetBeacon(1);
    ASSERT_NE(w.Plan.BeaconOf(p), nullptr);
    EXPECT_EQ(w.Plan.BeaconOf(p)->Name, "TWO");
    // The list is reloaded shorter: the index stays but names nothing.
    w.Beacons.Records.pop_back();
    EXPECT_EQ(p.BeaconIndex, 1);
    EXPECT_EQ(w.Plan.BeaconOf(p), nullptr);
    p.BeaconIndex = -7;
    EXPECT_EQ(w.Plan.BeaconOf(p), nullptr);
}

TEST(WayPointList, InsertAppendDeleteGet) {
    TWorld w;
    EXPECT_EQ(w.Plan.AppendWayPoint(), 1);
    w.Plan[0].Name = "A";
    EXPECT_EQ(w.Plan.AppendWayPoint(), 2);
    w.Plan[1].Name = "B";
    EXPECT_EQ(w.Plan.InsertWayPoint(0), 3);
    EXPECT_EQ(w.Plan.GetWayPoint(1).Name, "");
    EXPECT_EQ(w.Plan.GetWayPoint(2).Name, "A");
    EXPECT_EQ(&w.Plan.GetWayPoint(3), &w.Plan[2]);
    EXPECT_EQ(w.Plan.GetWayPoint(1).Owner, &w.Plan);
    EXPECT_EQ(w.Plan.InsertWayPoint(3), 4); // at the end
    EXPECT_EQ(w.Plan.GetWayPoint(3).Name, "B");

    w.Plan[1].SetPos(Geo(10, 10));
    w.Plan[2].SetPos(Geo(11, 11));
    w.Plan.CalcPlan();
    const double legValue = w.Plan[1].Distance;
    EXPECT_GT(legValue, 0);
    // Deleting does not recompute.
    EXPECT_EQ(w.Plan.DeleteWayPoint(1), 3);
    EXPECT_EQ(w.Plan.GetWayPoint(1).Name, "A");
    EXPECT_EQ(w.Plan.GetWayPoint(1).Distance, legValue);

    EXPECT_EQ(MessageOf([&] { w.Plan.DeleteWayPoint(4); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf([&] { w.Plan.InsertWayPoint(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(w.Plan.Count(), 3);

    EXPECT_EQ(w.Plan.DeleteWayPoint(3), 2);
    EXPECT_EQ(w.Plan.DeleteWayPoint(1), 1);
    // The only waypoint is never deleted.
    EXPECT_EQ(w.Plan.DeleteWayPoint(1), 1);
    EXPECT_EQ(w.Plan.GetWayPoint(1).Name, "B");
}

TEST(WayPointList, TakeWayPointsFrom) {
    TWorld a, b;
    b.Add(Geo(1, 1), "X");
    b.Add(Geo(2, 2), "Y");
    a.Add(Geo(3, 3), "old");
    a.Plan.TakeWayPointsFrom(b.Plan);
    EXPECT_EQ(b.Plan.Count(), 0);
    ASSERT_EQ(a.Plan.Count(), 2);
    EXPECT_EQ(a.Plan[0].Name, "X");
    EXPECT_EQ(a.Plan[1].Owner, &a.Plan);
}

} // namespace
} // namespace kestrun::test
