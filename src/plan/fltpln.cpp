#include "plan/fltpln.h"

#include <utility>

#include "base/error.h"
#include "base/numconv.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

// Leg and reach limits of the automatic beacon choice, km.
constexpr double kMinAutoLegKm = 20.0;
constexpr double kReachKm = 360.0;
constexpr double kInitialBestSumKm = 10000.0;

[[noreturn]] void RaiseListIndex(int index) {
    Raise(Format("List index out of bounds (%d)", {static_cast<long long>(index)}));
}

// Differences and sums of angles are formed in extended precision and rounded once, as every
// other intermediate of the computation.
double Sum(long double a, long double b) { return static_cast<double>(a + b); }

void ClearRSBNValues(TWayPoint& p) {
    p.RSBNMode = rmNone;
    p.RSBNAzimuth = 0;
    p.RSBNOrbit = 0;
    p.RSBNPlannedCourse = 0;
    p.RSBNSupPoint = TGeoPoint{};
    p.RSBNTargetAngle = 0;
    p.RSBNTargetDistance = 0;
}

// The mode of leg p -> q and its RSBN values; the azimuth modes measure the leg from the
// beacon. Each distance and course is computed once: the orbit of an rmSRP leg is the
// distance d2 of the mode test (the central angle is symmetric), and with the end waypoint as
// support point the target values are the azimuth and the orbit themselves.
void ComputeRSBN(TWayPoint& p, const TWayPoint& q, TSupPointKind supPoint) {
    const TGeoPoint& b = p.BeaconPos;
    const double d1 = DistanceKm(p.Pos, b);
    if (d1 < NEAR_POINT_KM) {
        p.RSBNMode = rmAzimuthFrom;
        p.Distance = DistanceKm(b, q.Pos);
        p.RSBNPlannedCourse = InitialCourse(b, q.Pos);
        p.TrueCourse = p.RSBNPlannedCourse;
        p.TrueBackCourse = InitialCourse(q.Pos, b);
        p.MagCourse = Normalize2Pi(Sum(p.TrueCourse, -static_cast<long double>(p.MagDecl)));
        p.MagBackCourse = Normalize2Pi(Sum(p.TrueBackCourse, -static_cast<long double>(q.MagDecl)));
        p.RSBNSupPoint = TGeoPoint{};
        p.RSBNAzimuth = p.RSBNPlannedCourse;
        p.RSBNOrbit = p.Distance;
        p.RSBNTargetAngle = Normalize2Pi(Sum(p.RSBNPlannedCourse, kPi2));
        p.RSBNTargetDistance = 0;
        return;
    }
    const double d2 = DistanceKm(q.Pos, b);
    if (d2 < NEAR_POINT_KM) {
        p.RSBNMode = rmAzimuthTo;
        p.Distance = d1;
        p.RSBNPlannedCourse = InitialCourse(b, p.Pos);
        p.TrueCourse = InitialCourse(p.Pos, b);
        p.TrueBackCourse = p.RSBNPlannedCourse;
        p.MagCourse = Normalize2Pi(Sum(p.TrueCourse, -static_cast<long double>(p.MagDecl)));
        p.MagBackCourse = Normalize2Pi(Sum(p.TrueBackCourse, -static_cast<long double>(q.MagDecl)));
        p.RSBNSupPoint = TGeoPoint{};
        p.RSBNAzimuth = p.RSBNPlannedCourse;
        p.RSBNOrbit = 0;
        p.RSBNTargetAngle = Normalize2Pi(Sum(p.RSBNPlannedCourse, kPi2));
        p.RSBNTargetDistance = 0;
        return;
    }
    // rmSRP: the course fields keep their waypoint values.
    p.RSBNMode = rmSRP;
    p.RSBNPlannedCourse = CourseRelTo(p.Pos, q.Pos, b);
    p.RSBNAzimuth = InitialCourse(b, q.Pos);
    p.RSBNOrbit = d2;
    if (supPoint == spTraverse) {
        TGeoPoint s;
        TraversePoint(p.Pos, q.Pos, b, s);
        p.RSBNSupPoint = s;
        p.RSBNTargetAngle = InitialCourse(b, s);
        p.RSBNTargetDistance = DistanceKm(b, s);
    } else {
        p.RSBNSupPoint = q.Pos;
        p.RSBNTargetAngle = p.RSBNAzimuth;
        p.RSBNTargetDistance = p.RSBNOrbit;
    }
}

} // namespace

void TWayPoint::SetPos(const TGeoPoint& p) {
    if (p.Lat == Pos.Lat && p.Lon == Pos.Lon) return;
    Pos = p;
    if (Owner) MagDecl = Owner->Grid().MagDeclAt(Pos);
}

void TWayPoint::SetBeacon(int index) {
    // An index that names no record of the list is no beacon: it must never be read.
    const TRSBNRec* rec = Owner ? Owner->Beacons().Find(index) : nullptr;
    if (!rec) index = -1;
    if (index == BeaconIndex) return;
    BeaconIndex = index;
    if (rec) BeaconPos = rec->Position;
}

TWayPoint& TWayPointList::AddWayPoint() {
    Points_.push_back(std::make_unique<TWayPoint>(this));
    return *Points_.back();
}

int TWayPointList::AppendWayPoint() {
    AddWayPoint();
    CalcPlan();
    return Count();
}

int TWayPointList::InsertWayPoint(int index) {
    if (index < 0 || index > Count()) RaiseListIndex(index);
    Points_.insert(Points_.begin() + index, std::make_unique<TWayPoint>(this));
    CalcPlan();
    return Count();
}

int TWayPointList::DeleteWayPoint(int number) {
    if (Count() == 1) return 1;
    if (number < 1 || number > Count()) RaiseListIndex(number - 1);
    Points_.erase(Points_.begin() + (number - 1));
    return Count();
}

void TWayPointList::TakeWayPointsFrom(TWayPointList& other) {
    if (&other == this) return;
    Points_ = std::move(other.Points_);
    other.Points_.clear();
    for (auto& w : Points_) w->Owner = this;
}

const TRSBNRec* TWayPointList::BeaconOf(const TWayPoint& w) const {
    return Beacons_->Find(w.BeaconIndex);
}

bool TWayPointList::CalcPlan() {
    TotalDist = 0;
    double forkSum = 0;
    PlanModified = true;
    const int n = Count();
    for (int k = 0; k + 1 < n; ++k) {
        TWayPoint& p = *Points_[static_cast<std::size_t>(k)];
        const TWayPoint& q = *Points_[static_cast<std::size_t>(k) + 1];
        p.Distance = DistanceKm(p.Pos, q.Pos);
        p.TrueCourse = InitialCourse(p.Pos, q.Pos);
        p.TrueBackCourse = InitialCourse(q.Pos, p.Pos);
        p.MagCourse = Normalize2Pi(Sum(p.TrueCourse, -static_cast<long double>(p.MagDecl)));
        p.MagBackCourse = Normalize2Pi(Sum(p.TrueBackCourse, -static_cast<long double>(q.MagDecl)));
        p.OrthCourseTakeOff = Normalize2Pi(Sum(p.TrueCourse, forkSum));
        if (p.Distance == 0) {
            // A repeated waypoint: a leg of no length does not turn the great circle (the
            // formula would give pi and turn every later orthodromic course by 180 degrees),
            // has no RSBN values and adds nothing; the legs after it are computed as usual.
            p.Fork = 0;
            p.SFork = forkSum;
            ClearRSBNValues(p);
            continue;
        }
        p.Fork = NormalizePi(
            static_cast<double>(static_cast<long double>(p.TrueCourse) - p.TrueBackCourse + kPi));
        forkSum = Sum(forkSum, p.Fork);
        p.SFork = forkSum;
        ComputeRSBN(p, q, SupPoint);
        TotalDist = Sum(TotalDist, p.Distance);
    }
    if (n <= 1) return true;
    const TWayPoint& last = *Points_[static_cast<std::size_t>(n) - 2];
    const TWayPoint& finalPoint = *Points_[static_cast<std::size_t>(n) - 1];
    SumForkMagDecl = -NormalizePi(Sum(last.SFork, finalPoint.MagDecl));
    FinalMagCourse = Normalize2Pi(Sum(last.OrthCourseTakeOff, SumForkMagDecl));
    return true;
}

void TWayPointList::AutoSelectBeacons() {
    const TRSBNList& beacons = *Beacons_;
    const int n = Count();
    const int m = beacons.Count();
    // Distances from a waypoint to every beacon, in list order. The end waypoint of one leg
    // is the start of the next, so its row is computed once and serves both legs.
    std::vector<double> fromStart(static_cast<std::size_t>(m));
    std::vector<double> fromEnd(static_cast<std::size_t>(m));
    int endRowOf = -1; // waypoint whose distances fromEnd holds
    auto fillRow = [&](std::vector<double>& row, const TGeoPoint& pos) {
        for (int j = 0; j < m; ++j)
            row[static_cast<std::size_t>(j)] = DistanceKm(pos, beacons[j].Position);
    };
    for (int k = 0; k + 1 < n; ++k) {
        TWayPoint& p = *Points_[static_cast<std::size_t>(k)];
        TWayPoint& q = *Points_[static_cast<std::size_t>(k) + 1];
        p.SetBeacon(-1);
        q.SetBeacon(-1);
        if (DistanceKm(p.Pos, q.Pos) < kMinAutoLegKm) continue;

        if (endRowOf == k) std::swap(fromStart, fromEnd);
        else fillRow(fromStart, p.Pos);
        fillRow(fromEnd, q.Pos);
        endRowOf = k + 1;

        int chosen = -1;
        for (int j = 0; j < m && chosen < 0; ++j)
            if (fromEnd[static_cast<std::size_t>(j)] < NEAR_POINT_KM) chosen = j;
        for (int j = 0; j < m && chosen < 0; ++j)
            if (fromStart[static_cast<std::size_t>(j)] < NEAR_POINT_KM) chosen = j;
        if (chosen < 0) {
            double best = kInitialBestSumKm;
            for (int j = 0; j < m; ++j) {
                const double a = fromStart[static_cast<std::size_t>(j)];
                const double b = fromEnd[static_cast<std::size_t>(j)];
                if (a < kReachKm && b < kReachKm) {
                    const double s = Sum(a, b);
                    if (s < best) {
                        best = s;
                        chosen = j;
                    }
                }
            }
        }
        // Only the last assignment of the search is observable: SetBeacon copies the position.
        if (chosen >= 0) p.SetBeacon(chosen);
    }
}

} // namespace kestrun
