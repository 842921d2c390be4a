// A spatial index over the unit vectors of the beacons' positions: which beacons stand within a
// distance of a position, and which has the least sum of distances from two positions. Every
// answer is the one that a scan of the whole list in list order gives with DistanceKm (same
// limits, same rounding, same choice among equals): the index passes over a beacon only when
// it lies beyond the limit by a safe margin, and every other beacon gets that same exact test.
#pragma once

#include <cstdint>
#include <vector>

#include "math/geopoint.h"
#include "math/matrix.h"

namespace kestrun {

class TBeaconIndex {
public:
    TBeaconIndex() = default; // no beacons
    /// Indexes positions[j] as beacon j. Positions whose unit vector is not finite are no
    /// candidates of any query (no distance from them is below any limit).
    explicit TBeaconIndex(std::vector<TGeoPoint> positions);
    /// The positions the index was built from, in list order.
    const std::vector<TGeoPoint>& Positions() const { return Positions_; }
    /// u(P) of beacon j, as UnitVector gives it: computed once, when the index was built.
    TVector3 UnitVectorOf(int j) const;

    /// The first beacon in list order whose distance from the position of unit vector u is
    /// below km; -1 when there is none.
    int FirstWithin(const TVector3& u, double km) const;
    /// The beacon whose distances a from ua and b from ub are both below reachKm and whose sum
    /// a + b (rounded to double) is the least and below bestKm; among equal sums the first in
    /// list order; -1 when there is none.
    int LeastSum(const TVector3& ua, const TVector3& ub, double reachKm, double bestKm) const;

private:
    struct TPoint {
        double X, Y, Z;
        std::int32_t Index; // the beacon's index in the list
    };
    /// A box around the unit vectors of Points_[Begin, End); Left and Left + 1 are its
    /// halves, or Left is -1 for a leaf.
    struct TNode {
        double Lo[3], Hi[3];
        std::int32_t Begin, End, Left;
    };
    struct TSumSearch;

    static double Coord(const TPoint& p, int axis) {
        return axis == 0 ? p.X : axis == 1 ? p.Y : p.Z;
    }
    void BuildNode(std::int32_t id, std::int32_t begin, std::int32_t end);
    void FirstWithin(std::int32_t node, const double u[3], double chordKm, double cosOuter,
                     double cosInner, const TVector3& uv, double km, int& first) const;
    void LeastSum(std::int32_t node, TSumSearch& s) const;
    /// Distance from u to the node's box, in chord lengths of the unit sphere times the Earth
    /// radius: at most the distance on the sphere from u to any beacon in the box.
    double ChordKmTo(const TNode& node, const double u[3]) const;

    std::vector<TGeoPoint> Positions_;
    std::vector<std::int32_t> Slot_; // Points_ index of each beacon, -1 when not indexed
    std::vector<TPoint> Points_;     // in tree order
    std::vector<TNode> Nodes_;       // Nodes_[0] is the root
};

} // namespace kestrun
