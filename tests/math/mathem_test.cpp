#include "math/mathem.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "testutil.h"

// Counting replacements of the global allocation functions: the spherical functions must not
// touch the heap.
namespace {
long long g_allocations = 0;
}

// free() is the right partner here: every replaced operator new takes its memory from malloc.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace kestrun {
namespace {

using test::kPiD;

TGeoPoint Pt(long double lat, long double lon) {
    return TGeoPoint{lat, lon};
}

/// Difference of two angles folded into [-pi, pi].
double AngleDiff(double a, double b) {
    return std::remainder(a - b, 2 * kPiD);
}

TEST(Mathem, NoHeapAllocation) {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> lat(-1.5, 1.5), lon(0, 6.28);
    double sink = 0;
    const long long before = g_allocations;
    for (int k = 0; k < 1000; ++k) {
        const TGeoPoint a = Pt(lat(rng), lon(rng)), b = Pt(lat(rng), lon(rng)),
                        r = Pt(lat(rng), lon(rng));
        TGeoPoint t;
        sink += CentralAngle(a, b) + InitialCourse(a, b) + CourseRelTo(a, b, r);
        TraversePoint(a, b, r, t);
        sink += static_cast<double>(t.Lat + t.Lon);
    }
    EXPECT_EQ(g_allocations - before, 0);
    EXPECT_TRUE(std::isfinite(sink));
    // The counter does see allocations (guards against a replacement that is never linked).
    auto* probe = new std::vector<int>(3);
    delete probe;
    EXPECT_GT(g_allocations - before, 0);
}

// The scalar product of a unit vector with itself rounds below 1 for many positions; the
// distance of a position to itself must still be exactly 0.
TEST(Mathem, CoincidentPositionsAreExactlyZeroApart) {
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> u(-1, 1), lon(0, 2 * kPiD);
    int belowOne = 0;
    for (int k = 0; k < 5000; ++k) {
        TGeoPoint p = Pt(std::asin(u(rng)), lon(rng));
        if (k % 2) p = Pt(Normalize2Pi(-static_cast<double>(p.Lat)), p.Lon); // stored S form
        const TGeoPoint q = p;
        EXPECT_EQ(CentralAngle(p, q), 0.0);
        TVector3 v =
            TVector3::CreateSpherical(static_cast<double>(p.Lon), static_cast<double>(p.Lat), 1);
        TVector3 w = v;
        if (v.Dot(w) < 1) ++belowOne;
    }
    EXPECT_EQ(CentralAngle(Pt(0, 0), Pt(0, 0)), 0.0);
    // The sample does contain the positions that made the special case necessary.
    EXPECT_GT(belowOne, 500);
}

struct Pair {
    TGeoPoint a, b;
    double latA, lonA, latB, lonB; // signed degrees for the oracle
    const char* kind;
};

/// Random pairs of every kind that matters, in the stored forms the program uses.
std::vector<Pair> MakePairs() {
    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> u(-1, 1), lon(-kPiD, kPiD), unit(0, 1);
    auto randLat = [&] { return std::asin(u(rng)); };
    std::vector<Pair> out;
    auto add = [&](double la, double lo, double lb, double lob, const char* kind) {
        if (la > kPiD / 2) la = kPiD / 2;
        if (la < -kPiD / 2) la = -kPiD / 2;
        if (lb > kPiD / 2) lb = kPiD / 2;
        if (lb < -kPiD / 2) lb = -kPiD / 2;
        Pair p;
        const double rd = 180 / kPiD;
        p.latA = la * rd;
        p.lonA = lo * rd;
        p.latB = lb * rd;
        p.lonB = lob * rd;
        p.kind = kind;
        // Half of the pairs in the typed form (south and west as 2pi minus the magnitude).
        auto store = [&](double x) { return out.size() % 2 ? Normalize2Pi(x) : x; };
        p.a = Pt(store(la), store(lo));
        p.b = Pt(store(lb), store(lob));
        out.push_back(p);
    };
    for (int k = 0; k < 5000; ++k) add(randLat(), lon(rng), randLat(), lon(rng), "random");
    for (int k = 0; k < 2500; ++k) { // 1e-11 .. 1e-3 rad apart
        const double la = randLat() * 0.99, lo = lon(rng);
        const double d = std::pow(10.0, -11 + 8 * unit(rng));
        const double dir = 2 * kPiD * unit(rng);
        add(la, lo, la + d * std::cos(dir), lo + d * std::sin(dir) / std::cos(la), "near");
    }
    for (int k = 0; k < 1500; ++k) { // antipodal and nearly so
        const double la = randLat(), lo = lon(rng);
        const double d = k % 3 ? std::pow(10.0, -9 + 7 * unit(rng)) : 0;
        const double lob = lo > 0 ? lo - kPiD + d : lo + kPiD - d;
        add(la, lo, -la + d * u(rng), lob, "antipodal");
    }
    for (int k = 0; k < 1500; ++k) { // a pole at one end, exact or within a hair
        const double pole = (k % 2 ? 1 : -1) * (kPiD / 2 - (k % 4 < 2 ? 0 : 1e-7 * unit(rng)));
        if (k % 8 < 4)
            add(pole, lon(rng), randLat(), lon(rng), "polar");
        else
            add(randLat(), lon(rng), pole, lon(rng), "polar");
    }
    for (int k = 0; k < 1500; ++k) { // along a meridian
        const double lo = lon(rng);
        add(randLat(), lo, randLat(), lo, "meridian");
    }
    return out;
}

TEST(Mathem, DistanceAndCourseAgreeWithGeographicLib) {
    const GeographicLib::Geodesic sphere(6378137, 0);
    const std::vector<Pair> pairs = MakePairs();
    ASSERT_GE(pairs.size(), 10000u);
    const double halfTurnKm = kPiD * kEarthRadiusKm;
    // Near 1 and -1 a scalar product rounded to double keeps only its last ulps: one ulp
    // below 1 is already 9.5e-5 km, two ulps 1.34e-4 km. Pairs within 1 km of each other or
    // of the antipode get that bound; the others must agree to 1e-6 km.
    const double twoUlpKm =
        static_cast<double>(std::acos(1 - std::ldexp(1.0L, -52)) * kEarthRadiusKm) + 1e-9;
    int coursesChecked = 0, failures = 0, closeOverOneUlp = 0, close = 0;
    for (const Pair& p : pairs) {
        double s12, azi1, azi2;
        sphere.Inverse(p.latA, p.lonA, p.latB, p.lonB, s12, azi1, azi2);
        const double refKm = s12 / 1000;
        const double angle = CentralAngle(p.a, p.b);
        const double km = angle * kEarthRadiusKm;
        const bool isClose = refKm <= 1 || refKm >= halfTurnKm - 1;
        const double err = std::abs(km - refKm);
        if (isClose) {
            ++close;
            if (err > 1e-4) ++closeOverOneUlp;
        }
        bool ok = err <= (isClose ? twoUlpKm : 1e-6);
        const double course = InitialCourse(p.a, p.b);
        ok = ok && course >= 0 && course <= 2 * kPiD;
        // The course is compared away from coincident and antipodal pairs and from legs that
        // run along a meridian, where the arc cosine of a ratio that rounds near +-1 keeps
        // only about half the digits (see CourseOfMeridianLegsIsNorthOrSouth).
        const double refCourse = std::remainder(azi1 * kPiD / 180, 2 * kPiD);
        const bool degenerate =
            angle < 1e-6 || angle > kPiD - 1e-6 || std::abs(std::sin(refCourse)) < 1e-6;
        if (!degenerate) {
            ++coursesChecked;
            ok = ok && std::abs(AngleDiff(course, refCourse)) <= 1e-9;
        }
        if (!ok && ++failures <= 10) {
            ADD_FAILURE() << p.kind << " " << p.latA << "," << p.lonA << " -> " << p.latB << ","
                          << p.lonB << ": km " << km << " ref " << refKm << ", course " << course
                          << " ref " << refCourse << " (checked " << !degenerate << ")";
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(coursesChecked, 7000);
    EXPECT_GT(close, 2000);
    // Two-ulp cases are rare: nearly all close pairs are within 1e-4 km.
    EXPECT_LT(closeOverOneUlp * 100, close) << closeOverOneUlp << " of " << close;
}

// Positions met many times (waypoints, beacons) keep their unit vectors: every function, and
// the course against another meridian and the traverse as the plan takes them from the leg's
// pole, must give bit for bit what the functions give on the bare positions.
TEST(Mathem, PositionsWithTheirUnitVectorsGiveTheSameBits) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> lat(-1.6, 7.9), lon(-7, 7);
    for (int k = 0; k < 2000; ++k) {
        const TGeoPoint a = Pt(lat(rng), lon(rng)), b = Pt(lat(rng), lon(rng)),
                        r = k % 5 ? Pt(lat(rng), lon(rng)) : a;
        const TSpherePoint sa(a), sb(b), sr(r);
        ASSERT_EQ(CentralAngle(sa, sb), CentralAngle(a, b));
        ASSERT_EQ(InitialCourse(sa, sb), InitialCourse(a, b));
        ASSERT_EQ(CourseOf(sa.U, Pole(sa, sb), sr.E), CourseRelTo(a, b, r));
        TGeoPoint t;
        TraversePoint(a, b, r, t);
        ASSERT_TRUE(IsSamePoint(TraverseOf(Pole(sa, sb), sr.U), t));
    }
}

// The course functions take lengths without bringing angles up to date; the result must be
// bit for bit that of the plain vector steps (AddInPlace, then GetRadius).
TEST(Mathem, CourseEqualsThePlainVectorSteps) {
    std::mt19937_64 rng(21);
    std::uniform_real_distribution<double> lat(-1.6, 1.6), lon(-1, 7);
    for (int k = 0; k < 20000; ++k) {
        const TGeoPoint a = Pt(lat(rng), lon(rng)), b = Pt(lat(rng), lon(rng)),
                        r = Pt(lat(rng), lon(rng));
        TVector3 ua =
            TVector3::CreateSpherical(static_cast<double>(a.Lon), static_cast<double>(a.Lat), 1);
        TVector3 ub =
            TVector3::CreateSpherical(static_cast<double>(b.Lon), static_cast<double>(b.Lat), 1);
        TVector3 n = ua.Cross(ub);
        if (n.GetRadius() == 0) continue;
        TVector3 e = TVector3::CreateSpherical(static_cast<double>(r.Lon - kPi2), 0, 1);
        const long double x = (long double)n.Dot(e) / ((long double)e.GetRadius() * n.GetRadius());
        const long double xc = x > 1 ? 1 : x < -1 ? -1 : x;
        const long double c =
            std::atan2(static_cast<double>(std::sqrt(1 - xc * xc)), static_cast<double>(xc));
        TVector3 along = n.Cross(e);
        ua.AddInPlace(along);
        const double want =
            ua.GetRadius() >= 1 ? static_cast<double>(c) : static_cast<double>(k2Pi - c);
        ASSERT_EQ(CourseRelTo(a, b, r), want) << k;
    }
}

TEST(Mathem, CourseOfMeridianLegsIsNorthOrSouth) {
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> lat(-1.5, 1.5), lon(0, 2 * kPiD);
    for (int k = 0; k < 2000; ++k) {
        const double lo = lon(rng), la = lat(rng), lb = lat(rng);
        if (la == lb) continue;
        const double c = InitialCourse(Pt(la, lo), Pt(lb, lo));
        const double want = lb > la ? 0 : kPiD;
        // The arc cosine of a ratio that rounds just below 1 gives up to about 2e-8 rad.
        EXPECT_NEAR(AngleDiff(c, want), 0, 3e-8) << la << " " << lb << " " << lo;
    }
}

TEST(Mathem, WorkedCourses) {
    struct Case {
        TGeoPoint a, b;
        double course;
        const char* what;
    };
    const long double d = kDegToRad;
    const Case cases[] = {
        {Pt(0, 0), Pt(10 * d, 0), 0, "due north"},
        {Pt(0, 0), Pt(-10 * d, 0), kPiD, "due south"},
        {Pt(0, 0), Pt(0, 10 * d), kPiD / 2, "due east"},
        {Pt(0, 0), Pt(0, -10 * d), 3 * kPiD / 2, "due west, negative longitude"},
        {Pt(0, 0), Pt(0, k2Pi - 10 * d), 3 * kPiD / 2, "due west, stored form"},
        {Pt(0, 20 * d), Pt(0, 5 * d), 3 * kPiD / 2, "due west away from Greenwich"},
        {Pt(0.5L, 1), Pt(0.5L, 1), 0, "coincident"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(InitialCourse(c.a, c.b), c.course, 1e-15);
    }
}

TEST(Mathem, CourseRelToOwnMeridianIsInitialCourse) {
    std::mt19937_64 rng(4);
    std::uniform_real_distribution<double> lat(-1.5, 1.5), lon(0, 2 * kPiD);
    for (int k = 0; k < 2000; ++k) {
        const TGeoPoint a = Pt(lat(rng), lon(rng)), b = Pt(lat(rng), lon(rng));
        EXPECT_EQ(CourseRelTo(a, b, a), InitialCourse(a, b));
        // Only the meridian of the reference counts, not its latitude.
        EXPECT_EQ(CourseRelTo(a, b, Pt(lat(rng), a.Lon)), InitialCourse(a, b));
    }
}

// The course against another meridian is the angle at which the great circle crosses that
// meridian; the oracle measures it at the crossing point (up to the direction of travel).
TEST(Mathem, CourseRelToIsTheCrossingAngleWithTheReferenceMeridian) {
    const GeographicLib::Geodesic sphere(6378137, 0);
    std::mt19937_64 rng(8);
    std::uniform_real_distribution<double> lat(-1.3, 1.3), lon(-kPiD, kPiD), off(-0.3, 0.3);
    int checked = 0;
    for (int k = 0; k < 2000; ++k) {
        const double la = lat(rng), lo = lon(rng), lb = lat(rng), lob = lo + off(rng) * 3;
        const double lr = lo + off(rng);
        // Crossing point: on the great circle and in the plane of the reference meridian.
        const double ax = std::cos(la) * std::cos(lo), ay = std::cos(la) * std::sin(lo),
                     az = std::sin(la);
        const double bx = std::cos(lb) * std::cos(lob), by = std::cos(lb) * std::sin(lob),
                     bz = std::sin(lb);
        const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
        const double mx = -std::sin(lr), my = std::cos(lr), mz = 0;
        double px = ny * mz - nz * my, py = nz * mx - nx * mz, pz = nx * my - ny * mx;
        const double len = std::sqrt(px * px + py * py + pz * pz);
        if (len < 1e-3 || std::hypot(nx, ny, nz) < 1e-3) continue;
        px /= len, py /= len, pz /= len;
        const double pLat = std::asin(pz) * 180 / kPiD, pLon = std::atan2(py, px) * 180 / kPiD;
        // The azimuth of the circle at the crossing, via the leg's end point nearer to it.
        double s12, azi1, azi2;
        sphere.Inverse(pLat, pLon, lb * 180 / kPiD, lob * 180 / kPiD, s12, azi1, azi2);
        if (s12 < 1000)
            sphere.Inverse(pLat, pLon, la * 180 / kPiD, lo * 180 / kPiD, s12, azi1, azi2);
        if (s12 < 1000 || s12 > 6378137 * (kPiD - 1e-3)) continue;
        const double ref = azi1 * kPiD / 180;
        const double got = CourseRelTo(Pt(la, lo), Pt(lb, lob), Pt(0.3, lr));
        if (std::abs(std::sin(ref)) < 1e-4) continue;
        ++checked;
        const double e1 = std::abs(std::remainder(got - ref, kPiD));
        const double e2 = std::abs(std::remainder(got + ref, kPiD));
        EXPECT_LE(std::min(e1, e2), 1e-9)
            << la << " " << lo << " " << lb << " " << lob << " " << lr << " " << e1 << " " << e2;
    }
    EXPECT_GT(checked, 1500);
}

TEST(Mathem, TraversePoint) {
    const GeographicLib::Geodesic sphere(6378137, 0);
    std::mt19937_64 rng(6);
    std::uniform_real_distribution<double> lat(-1.4, 1.4), lon(0, 2 * kPiD), f(-1, 2);
    auto deg = [](long double r) { return static_cast<double>(r * 180 / kPi); };
    auto signedLat = [](long double x) { return x > kPi ? x - k2Pi : x; };
    auto km = [&](TGeoPoint p, TGeoPoint q) {
        double s12;
        sphere.Inverse(deg(signedLat(p.Lat)), deg(p.Lon), deg(signedLat(q.Lat)), deg(q.Lon), s12);
        return s12 / 1000;
    };
    for (int k = 0; k < 1000; ++k) {
        const TGeoPoint a = Pt(lat(rng), lon(rng)), b = Pt(lat(rng), lon(rng));
        if (CentralAngle(a, b) < 0.01 || CentralAngle(a, b) > kPiD - 0.01) continue;
        // A point of the circle itself (found by GeographicLib) is its own traverse point.
        double s12, azi1, azi2, plat, plon;
        sphere.Inverse(deg(a.Lat), deg(a.Lon), deg(b.Lat), deg(b.Lon), s12, azi1, azi2);
        sphere.Direct(deg(a.Lat), deg(a.Lon), azi1, s12 * f(rng), plat, plon);
        const TGeoPoint on = Pt(plat * kPiD / 180, plon * kPiD / 180);
        TGeoPoint t;
        TraversePoint(a, b, on, t);
        EXPECT_GE(t.Lat, -kPi2);
        EXPECT_LE(t.Lat, kPi2);
        EXPECT_GE(t.Lon, 0);
        EXPECT_LT(t.Lon, k2Pi);
        EXPECT_LT(km(t, on), 1e-6);
        // An arbitrary point: the foot T makes a right angle, so by the spherical Pythagoras
        // cos(PA) = cos(PT) cos(TA), and T is the nearest point of the circle to P.
        const TGeoPoint p = Pt(lat(rng), lon(rng));
        TraversePoint(a, b, p, t);
        const double r = kEarthRadiusKm;
        const double pa = km(p, a) / r, pt = km(p, t) / r, ta = km(t, a) / r;
        EXPECT_NEAR(std::cos(pa), std::cos(pt) * std::cos(ta), 1e-12);
        EXPECT_LE(pt, kPiD / 2 + 1e-12);
        for (double g : {-0.7, 0.2, 0.5, 1.3}) {
            sphere.Direct(deg(a.Lat), deg(a.Lon), azi1, s12 * g, plat, plon);
            EXPECT_LE(pt, km(p, Pt(plat * kPiD / 180, plon * kPiD / 180)) / r + 1e-12);
        }
    }
    // A leg of no length still gives a position and raises nothing.
    TGeoPoint t;
    TraversePoint(Pt(0.5L, 1), Pt(0.5L, 1), Pt(0.2L, 2), t);
    EXPECT_TRUE(std::isfinite(static_cast<double>(t.Lat)));
    EXPECT_TRUE(std::isfinite(static_cast<double>(t.Lon)));
}

TEST(Mathem, Normalize) {
    const double pi = static_cast<double>(kPi), twoPi = static_cast<double>(k2Pi);
    struct Case {
        double x, to2Pi, toPi;
    };
    const Case cases[] = {
        {-0.1, twoPi - 0.1, -0.1},
        {0, 0, 0},
        {twoPi, twoPi, 0}, // 2pi stays 2pi in [0, 2pi]
        {twoPi + 0.1, 0.1, 0.1},
        {pi, pi, pi}, // pi stays pi
        {-pi, twoPi - pi, -pi},
        {3 * pi / 2, 3 * pi / 2, -pi / 2},
        {-3 * pi / 2, pi / 2, pi / 2},
        {-7, -7 + twoPi, -7 + twoPi}, // one turn only
        {13, 13 - twoPi, 13 - twoPi}, // one turn only: stays outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(Normalize2Pi(c.x), c.to2Pi, 1e-15);
        EXPECT_NEAR(NormalizePi(c.x), c.toPi, 1e-15);
    }
    EXPECT_EQ(Normalize2Pi(twoPi), twoPi);
    EXPECT_EQ(NormalizePi(pi), pi);
    EXPECT_EQ(NormalizePi(-pi), -pi);
}

} // namespace
} // namespace kestrun
