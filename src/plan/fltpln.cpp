#include "plan/fltpln.h"

#include <cmath>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/numconv.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "math/matrix.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

// Leg limits of the automatic beacon choice, km; its reach is kReachKm.
constexpr double kMinAutoLegKm = 20.0;
constexpr double kInitialBestSumKm = 10000.0;

[[noreturn]] void RaiseListIndex(int index) {
    Raise(MsgListIndex(index));
}

// Differences and sums of angles are formed in extended precision and rounded once, as every
// other intermediate of the computation.
double Sum(long double a, long double b) {
    return static_cast<double>(a + b);
}

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
void ComputeRSBN(TWayPoint& p, const TWayPoint& q, const TSpherePoint& sp, const TSpherePoint& sq,
                 const TSpherePoint& sb, const TVector3& pole, TSupPointKind supPoint) {
    const double d1 = DistanceKm(sp, sb);
    const bool atStart = d1 < kNearPointKm;
    const double d2 = atStart ? 0 : DistanceKm(sq, sb);
    if (atStart || d2 < kNearPointKm) {
        // A beacon at the start is flown away from (to q), one at the end is flown to (from
        // p): the leg runs between the beacon and the waypoint at the other end.
        const TSpherePoint& other = atStart ? sq : sp;
        p.RSBNMode = atStart ? rmAzimuthFrom : rmAzimuthTo;
        p.Distance = atStart ? DistanceKm(sb, sq) : d1;
        p.RSBNPlannedCourse = InitialCourse(sb, other);
        const double towardBeacon = InitialCourse(other, sb);
        p.TrueCourse = atStart ? p.RSBNPlannedCourse : towardBeacon;
        p.TrueBackCourse = atStart ? towardBeacon : p.RSBNPlannedCourse;
        p.MagCourse = Normalize2Pi(Sum(p.TrueCourse, -static_cast<long double>(p.MagDecl)));
        p.MagBackCourse = Normalize2Pi(Sum(p.TrueBackCourse, -static_cast<long double>(q.MagDecl)));
        p.RSBNSupPoint = TGeoPoint{};
        p.RSBNAzimuth = p.RSBNPlannedCourse;
        p.RSBNOrbit = atStart ? p.Distance : 0;
        p.RSBNTargetAngle = Normalize2Pi(Sum(p.RSBNPlannedCourse, kPi2));
        p.RSBNTargetDistance = 0;
        return;
    }
    // rmSRP: the course fields keep their waypoint values.
    p.RSBNMode = rmSRP;
    p.RSBNPlannedCourse = CourseOf(sp.U, pole, sb.E); // the leg against the beacon's meridian
    p.RSBNAzimuth = InitialCourse(sb, sq);
    p.RSBNOrbit = d2;
    if (supPoint == spTraverse) {
        const TSpherePoint ss(TraverseOf(pole, sb.U));
        p.RSBNSupPoint = ss.Pos;
        p.RSBNTargetAngle = InitialCourse(sb, ss);
        p.RSBNTargetDistance = DistanceKm(sb, ss);
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

void TWayPoint::SetName(std::string_view name) {
    std::size_t first = 0;
    // A control character would become a blank, and a leading blank goes.
    while (first < name.size() &&
           (static_cast<unsigned char>(name[first]) <= ' ' || name[first] == '#'))
        ++first;
    Name.assign(name.substr(first));
    for (char& c : Name) {
        if (c == '"') c = '\'';
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    }
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
    return InsertWayPoint(index, TWayPoint(this));
}

int TWayPointList::InsertWayPoint(int index, const TWayPoint& point) {
    if (index < 0 || index > Count()) RaiseListIndex(index);
    auto copy = std::make_unique<TWayPoint>(point);
    copy->Owner = this;
    Points_.insert(Points_.begin() + index, std::move(copy));
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
    // A plan without a leg has no totals: none of an earlier plan (say before a delete or an
    // undo back to one waypoint) stays on show.
    TotalDist = 0;
    SumForkMagDecl = 0;
    FinalMagCourse = 0;
    double forkSum = 0;
    PlanModified = true;
    const int n = Count();
    if (n == 0) return true;
    TSpherePoint sp(Points_[0]->Pos);
    // The beacon of the last leg that had one: a beacon serves several legs in a row.
    TSpherePoint sb;
    for (int k = 0; k + 1 < n; ++k) {
        TWayPoint& p = *Points_[static_cast<std::size_t>(k)];
        const TWayPoint& q = *Points_[static_cast<std::size_t>(k) + 1];
        const TSpherePoint sq(q.Pos);
        const TVector3 pole = Pole(sp, sq);
        p.Distance = DistanceKm(sp, sq);
        p.TrueCourse = CourseOf(sp.U, pole, sp.E);
        p.TrueBackCourse = InitialCourse(sq, sp);
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
        } else {
            p.Fork = NormalizePi(static_cast<double>(static_cast<long double>(p.TrueCourse) -
                                                     p.TrueBackCourse + kPi));
            forkSum = Sum(forkSum, p.Fork);
            p.SFork = forkSum;
            // A leg without a beacon has no RSBN values, whatever BeaconPos still holds (the
            // position of a removed beacon, or none ever assigned).
            if (BeaconOf(p)) {
                if (!IsSamePoint(sb.Pos, p.BeaconPos)) sb = TSpherePoint(p.BeaconPos);
                ComputeRSBN(p, q, sp, sq, sb, pole, SupPoint);
            } else
                ClearRSBNValues(p);
            TotalDist = Sum(TotalDist, p.Distance);
        }
        sp = sq;
    }
    if (n <= 1) return true;
    const TWayPoint& last = *Points_[static_cast<std::size_t>(n) - 2];
    const TWayPoint& finalPoint = *Points_[static_cast<std::size_t>(n) - 1];
    SumForkMagDecl = -NormalizePi(Sum(last.SFork, finalPoint.MagDecl));
    FinalMagCourse = Normalize2Pi(Sum(last.OrthCourseTakeOff, SumForkMagDecl));
    return true;
}

bool TWayPointList::AutoSelectBeacons(const TProgress& progress) {
    const std::optional<std::vector<int>> chosen = ChooseBeacons(*Beacons_, progress);
    if (!chosen) return false;
    AssignBeacons(*chosen);
    return true;
}

std::optional<std::vector<int>> TWayPointList::ChooseBeacons(const TRSBNList& beacons,
                                                             const TProgress& progress) const {
    const int n = Count();
    if (n < 2) return std::vector<int>();
    const TBeaconIndex& index = beacons.Index();
    const int legs = n - 1;
    const int reportEvery = (legs + 99) / 100;
    std::vector<int> chosen(static_cast<std::size_t>(legs), -1);
    TVector3 up = UnitVector(Points_[0]->Pos);
    for (int k = 0; k < legs; ++k) {
        if (progress && k % reportEvery == 0 && !progress(k, legs)) return std::nullopt;
        const TVector3 uq = UnitVector(Points_[static_cast<std::size_t>(k) + 1]->Pos);
        // A beacon at the end, else one at the start, else the least sum of distances.
        if (!(DistanceKmOf(up, uq) < kMinAutoLegKm)) {
            int c = index.FirstWithin(uq, kNearPointKm);
            if (c < 0) c = index.FirstWithin(up, kNearPointKm);
            if (c < 0) c = index.LeastSum(up, uq, kReachKm, kInitialBestSumKm);
            chosen[static_cast<std::size_t>(k)] = c;
        }
        up = uq;
    }
    if (progress && !progress(legs, legs)) return std::nullopt;
    return chosen;
}

void TWayPointList::AssignBeacons(const std::vector<int>& chosen) {
    const int n = Count();
    if (n < 2) return;
    // Every leg clears both its ends before its own choice: each waypoint ends with the beacon
    // of its own leg, the last with none, and a chosen beacon's position is copied afresh.
    for (int k = 0; k < n; ++k) {
        TWayPoint& w = *Points_[static_cast<std::size_t>(k)];
        w.SetBeacon(-1);
        if (k < static_cast<int>(chosen.size()) && chosen[static_cast<std::size_t>(k)] >= 0)
            w.SetBeacon(chosen[static_cast<std::size_t>(k)]);
    }
}

} // namespace kestrun
