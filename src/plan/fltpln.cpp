#include "plan/fltpln.h"

#include <cmath>
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

// A position with its unit vector u(P) and meridian normal e(P), computed once per pass and
// used by every leg and beacon test that meets the position.
struct TSpherePoint {
    explicit TSpherePoint(const TGeoPoint& p) : Pos(p), U(UnitVector(p)), E(MeridianNormal(p)) {}
    TGeoPoint Pos;
    TVector3 U;
    TVector3 E;
};

TVector3 Pole(TVector3 a, TVector3 b) {
    return a.Cross(b);
}

double DistanceKmOf(const TVector3& a, const TVector3& b) {
    return CentralAngleOf(a, b) * kEarthRadiusKm;
}

double InitialCourseOf(const TSpherePoint& a, const TSpherePoint& b) {
    return CourseOf(a.U, Pole(a.U, b.U), a.E);
}

// The mode of leg p -> q and its RSBN values; the azimuth modes measure the leg from the
// beacon. Each distance and course is computed once: the orbit of an rmSRP leg is the
// distance d2 of the mode test (the central angle is symmetric), and with the end waypoint as
// support point the target values are the azimuth and the orbit themselves.
void ComputeRSBN(TWayPoint& p, const TWayPoint& q, const TSpherePoint& sp, const TSpherePoint& sq,
                 const TVector3& pole, TSupPointKind supPoint) {
    const TSpherePoint sb(p.BeaconPos);
    const double d1 = DistanceKmOf(sp.U, sb.U);
    const bool atStart = d1 < kNearPointKm;
    const double d2 = atStart ? 0 : DistanceKmOf(sq.U, sb.U);
    if (atStart || d2 < kNearPointKm) {
        // A beacon at the start is flown away from (to q), one at the end is flown to (from
        // p): the leg runs between the beacon and the waypoint at the other end.
        const TSpherePoint& other = atStart ? sq : sp;
        p.RSBNMode = atStart ? rmAzimuthFrom : rmAzimuthTo;
        p.Distance = atStart ? DistanceKmOf(sb.U, sq.U) : d1;
        p.RSBNPlannedCourse = InitialCourseOf(sb, other);
        const double towardBeacon = InitialCourseOf(other, sb);
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
    p.RSBNAzimuth = InitialCourseOf(sb, sq);
    p.RSBNOrbit = d2;
    if (supPoint == spTraverse) {
        const TGeoPoint s = TraverseOf(pole, sb.U);
        const TVector3 us = UnitVector(s);
        p.RSBNSupPoint = s;
        p.RSBNTargetAngle = CourseOf(sb.U, Pole(sb.U, us), sb.E);
        p.RSBNTargetDistance = DistanceKmOf(sb.U, us);
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
    if (n == 0) return true;
    TSpherePoint sp(Points_[0]->Pos);
    for (int k = 0; k + 1 < n; ++k) {
        TWayPoint& p = *Points_[static_cast<std::size_t>(k)];
        const TWayPoint& q = *Points_[static_cast<std::size_t>(k) + 1];
        const TSpherePoint sq(q.Pos);
        const TVector3 pole = Pole(sp.U, sq.U);
        p.Distance = DistanceKmOf(sp.U, sq.U);
        p.TrueCourse = CourseOf(sp.U, pole, sp.E);
        p.TrueBackCourse = InitialCourseOf(sq, sp);
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
            if (BeaconOf(p))
                ComputeRSBN(p, q, sp, sq, pole, SupPoint);
            else
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

void TWayPointList::AutoSelectBeacons() {
    const TRSBNList& beacons = *Beacons_;
    const int n = Count();
    const int m = beacons.Count();
    if (n < 2) return;
    // Distances from a waypoint to every beacon, in list order. The end waypoint of one leg
    // is the start of the next, so its row is computed once and serves both legs.
    std::vector<TVector3> beaconU;
    beaconU.reserve(static_cast<std::size_t>(m));
    for (int j = 0; j < m; ++j) beaconU.push_back(UnitVector(beacons[j].Position));
    std::vector<double> fromStart(static_cast<std::size_t>(m));
    std::vector<double> fromEnd(static_cast<std::size_t>(m));
    int endRowOf = -1; // waypoint whose distances fromEnd holds
    auto fillRow = [&](std::vector<double>& row, const TVector3& u) {
        for (std::size_t j = 0; j < beaconU.size(); ++j) row[j] = DistanceKmOf(u, beaconU[j]);
    };
    for (int k = 0; k + 1 < n; ++k) {
        TWayPoint& p = *Points_[static_cast<std::size_t>(k)];
        TWayPoint& q = *Points_[static_cast<std::size_t>(k) + 1];
        p.SetBeacon(-1);
        q.SetBeacon(-1);
        const TVector3 up = UnitVector(p.Pos), uq = UnitVector(q.Pos);
        if (DistanceKmOf(up, uq) < kMinAutoLegKm) continue;

        if (endRowOf == k) {
            std::swap(fromStart, fromEnd);
        } else {
            fillRow(fromStart, up);
        }
        fillRow(fromEnd, uq);
        endRowOf = k + 1;

        int chosen = -1;
        for (int j = 0; j < m && chosen < 0; ++j)
            if (fromEnd[static_cast<std::size_t>(j)] < kNearPointKm) chosen = j;
        for (int j = 0; j < m && chosen < 0; ++j)
            if (fromStart[static_cast<std::size_t>(j)] < kNearPointKm) chosen = j;
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
