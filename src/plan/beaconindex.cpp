#include "plan/beaconindex.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "math/mathem.h"

namespace kestrun {

namespace {

// The tree passes over a box or a beacon only when it lies beyond a limit by this much. The
// distances it bounds are off by far less than a micrometre (the rounding of the cartesian
// coordinates and of the scalar products); a metre keeps every beacon that the exact test
// could take and costs nothing worth counting.
constexpr double kMarginKm = 1e-3;

// Beacons in a leaf: few enough to test one by one, enough to keep the tree small.
constexpr std::int32_t kLeafSize = 8;

// cos(km / R) for a comparison of scalar products of unit vectors; a distance at or beyond
// half the circumference bounds nothing (every scalar product is at least -1).
double CosOfKm(double km) {
    const double angle = km / kEarthRadiusKm;
    return angle < static_cast<double>(kPi) ? std::cos(angle) : -2;
}

bool Finite(const double u[3]) {
    return std::isfinite(u[0]) && std::isfinite(u[1]) && std::isfinite(u[2]);
}

void CoordsOf(TVector3 v, double u[3]) {
    for (int i = 0; i < 3; ++i) u[i] = v.GetCoord(i);
}

// The exact test: the distance as every other computation of the plan takes it.
double ExactKm(const TVector3& from, double x, double y, double z) {
    return DistanceKmOf(from, TVector3::CreateCartesian(x, y, z));
}

} // namespace

// One least-sum query: the two positions, the limits and the best beacon so far.
struct TBeaconIndex::TSumSearch {
    double A[3], B[3];
    TVector3 Av, Bv;
    double ReachKm, CosReach;
    bool ScreenSums; // cos(a + b) orders the sums: a + b stays below half a turn
    double BestKm, CosBest;
    int Best = -1;

    // Whether a beacon in the box can be within reach of both positions with a sum not above
    // the best: bound is the least sum the box allows.
    bool Open(double toA, double toB, double& bound) const {
        bound = toA + toB;
        return toA <= ReachKm + kMarginKm && toB <= ReachKm + kMarginKm &&
               bound <= BestKm + kMarginKm;
    }
};

TBeaconIndex::TBeaconIndex(std::vector<TGeoPoint> positions)
    : Positions_(std::move(positions)), Slot_(Positions_.size(), -1) {
    Points_.reserve(Positions_.size());
    for (std::size_t j = 0; j < Positions_.size(); ++j) {
        double u[3];
        CoordsOf(UnitVector(Positions_[j]), u);
        if (Finite(u)) Points_.push_back({u[0], u[1], u[2], static_cast<std::int32_t>(j)});
    }
    if (Points_.empty()) return;
    Nodes_.reserve(4 * (Points_.size() / kLeafSize + 1));
    Nodes_.emplace_back();
    BuildNode(0, 0, static_cast<std::int32_t>(Points_.size()));
    for (std::size_t i = 0; i < Points_.size(); ++i)
        Slot_[static_cast<std::size_t>(Points_[i].Index)] = static_cast<std::int32_t>(i);
}

void TBeaconIndex::BuildNode(std::int32_t id, std::int32_t begin, std::int32_t end) {
    TNode node{};
    node.Begin = begin;
    node.End = end;
    node.Left = -1;
    for (int i = 0; i < 3; ++i) node.Lo[i] = node.Hi[i] = Coord(Points_[begin], i);
    for (std::int32_t k = begin + 1; k < end; ++k)
        for (int i = 0; i < 3; ++i) {
            node.Lo[i] = std::min(node.Lo[i], Coord(Points_[k], i));
            node.Hi[i] = std::max(node.Hi[i], Coord(Points_[k], i));
        }
    if (end - begin > kLeafSize) {
        // Halves along the widest side of the box.
        int axis = 0;
        for (int i = 1; i < 3; ++i)
            if (node.Hi[i] - node.Lo[i] > node.Hi[axis] - node.Lo[axis]) axis = i;
        const std::int32_t mid = begin + (end - begin) / 2;
        std::nth_element(
            Points_.begin() + begin, Points_.begin() + mid, Points_.begin() + end,
            [axis](const TPoint& a, const TPoint& b) { return Coord(a, axis) < Coord(b, axis); });
        node.Left = static_cast<std::int32_t>(Nodes_.size());
        Nodes_.resize(Nodes_.size() + 2);
        BuildNode(node.Left, begin, mid);
        BuildNode(node.Left + 1, mid, end);
    }
    Nodes_[static_cast<std::size_t>(id)] = node;
}

TVector3 TBeaconIndex::UnitVectorOf(int j) const {
    const std::int32_t slot = Slot_[static_cast<std::size_t>(j)];
    if (slot < 0) return UnitVector(Positions_[static_cast<std::size_t>(j)]);
    const TPoint& p = Points_[static_cast<std::size_t>(slot)];
    return TVector3::CreateCartesian(p.X, p.Y, p.Z);
}

double TBeaconIndex::ChordKmTo(const TNode& node, const double u[3]) const {
    double sq = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = u[i] < node.Lo[i]   ? node.Lo[i] - u[i]
                         : u[i] > node.Hi[i] ? u[i] - node.Hi[i]
                                             : 0;
        sq += d * d;
    }
    // A chord is never longer than its arc.
    return std::sqrt(sq) * kEarthRadiusKm;
}

int TBeaconIndex::FirstWithin(const TVector3& uv, double km) const {
    double u[3];
    CoordsOf(uv, u);
    // No distance is below a limit of 0 or less, and none from a position that is not finite.
    if (Nodes_.empty() || !Finite(u) || !(km > 0)) return -1;
    const double cosOuter = CosOfKm(km + kMarginKm);
    // Closer than this by the scalar product, a beacon is within the limit without the exact
    // test; a limit below the margin takes the exact test always.
    const double cosInner = km > kMarginKm ? CosOfKm(km - kMarginKm) : 2;
    int first = -1;
    FirstWithin(0, u, km + kMarginKm, cosOuter, cosInner, uv, km, first);
    return first;
}

void TBeaconIndex::FirstWithin(std::int32_t id, const double u[3], double chordKm, double cosOuter,
                               double cosInner, const TVector3& uv, double km, int& first) const {
    const TNode& node = Nodes_[static_cast<std::size_t>(id)];
    if (ChordKmTo(node, u) > chordKm) return;
    if (node.Left >= 0) {
        FirstWithin(node.Left, u, chordKm, cosOuter, cosInner, uv, km, first);
        FirstWithin(node.Left + 1, u, chordKm, cosOuter, cosInner, uv, km, first);
        return;
    }
    for (std::int32_t k = node.Begin; k < node.End; ++k) {
        const TPoint& p = Points_[static_cast<std::size_t>(k)];
        if (first >= 0 && p.Index >= first) continue;
        const double dot = u[0] * p.X + u[1] * p.Y + u[2] * p.Z;
        if (dot < cosOuter) continue;
        if (dot >= cosInner || ExactKm(uv, p.X, p.Y, p.Z) < km) first = p.Index;
    }
}

int TBeaconIndex::LeastSum(const TVector3& ua, const TVector3& ub, double reachKm,
                           double bestKm) const {
    TSumSearch s;
    CoordsOf(ua, s.A);
    CoordsOf(ub, s.B);
    if (Nodes_.empty() || !Finite(s.A) || !Finite(s.B) || !(reachKm > 0) || !(bestKm > 0))
        return -1;
    s.Av = ua;
    s.Bv = ub;
    s.ReachKm = reachKm;
    s.CosReach = CosOfKm(reachKm + kMarginKm);
    s.ScreenSums = 2 * (reachKm + kMarginKm) / kEarthRadiusKm < static_cast<double>(kPi);
    s.BestKm = bestKm;
    s.CosBest = CosOfKm(bestKm + kMarginKm);
    double bound;
    if (s.Open(ChordKmTo(Nodes_[0], s.A), ChordKmTo(Nodes_[0], s.B), bound)) LeastSum(0, s);
    return s.Best;
}

void TBeaconIndex::LeastSum(std::int32_t id, TSumSearch& s) const {
    const TNode& node = Nodes_[static_cast<std::size_t>(id)];
    if (node.Left >= 0) {
        // The half that may hold the smaller sums first: a good best prunes the other.
        std::int32_t order[2] = {node.Left, node.Left + 1};
        double bound[2];
        bool open[2];
        for (int h = 0; h < 2; ++h) {
            const TNode& half = Nodes_[static_cast<std::size_t>(order[h])];
            open[h] = s.Open(ChordKmTo(half, s.A), ChordKmTo(half, s.B), bound[h]);
        }
        if (open[1] && (!open[0] || bound[1] < bound[0])) {
            std::swap(order[0], order[1]);
            std::swap(bound[0], bound[1]);
            std::swap(open[0], open[1]);
        }
        if (open[0]) LeastSum(order[0], s);
        // The best may have improved meanwhile.
        if (open[1] && bound[1] <= s.BestKm + kMarginKm) LeastSum(order[1], s);
        return;
    }
    for (std::int32_t k = node.Begin; k < node.End; ++k) {
        const TPoint& p = Points_[static_cast<std::size_t>(k)];
        const double dotA = s.A[0] * p.X + s.A[1] * p.Y + s.A[2] * p.Z;
        if (dotA < s.CosReach) continue;
        const double dotB = s.B[0] * p.X + s.B[1] * p.Y + s.B[2] * p.Z;
        if (dotB < s.CosReach) continue;
        if (s.ScreenSums) {
            // cos(a + b) from the two cosines, against the cosine of the best sum so far.
            const double sinA = std::sqrt(std::max(0.0, 1 - dotA * dotA));
            const double sinB = std::sqrt(std::max(0.0, 1 - dotB * dotB));
            if (dotA * dotB - sinA * sinB < s.CosBest) continue;
        }
        const double a = ExactKm(s.Av, p.X, p.Y, p.Z);
        const double b = ExactKm(s.Bv, p.X, p.Y, p.Z);
        if (!(a < s.ReachKm && b < s.ReachKm)) continue;
        const double sum = static_cast<double>(static_cast<long double>(a) + b);
        if (sum < s.BestKm || (sum == s.BestKm && s.Best >= 0 && p.Index < s.Best)) {
            s.BestKm = sum;
            s.CosBest = CosOfKm(sum + kMarginKm);
            s.Best = p.Index;
        }
    }
}

} // namespace kestrun
