// The flight plan: waypoints, the leg computation and the automatic choice of beacons.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "math/geopoint.h"
#include "plan/rsbnmode.h"

namespace kestrun {

class TMagDecGrid;
class TRSBNList;
class TRSBNRec;
class TWayPointList;

/// Told of a long computation's progress: the work done and the whole work. Returns false to
/// cancel the computation.
using TProgress = std::function<bool(int done, int total)>;

/// One waypoint and the values of the leg that starts at it. Angles radians, distances km.
class TWayPoint {
public:
    // The positions are cleared as bytes: their default initialisation goes through the
    // floating-point unit's extended registers, a slow store and reload per field, and the
    // importers create a waypoint for every line they read.
    explicit TWayPoint(TWayPointList* owner)
        : Pos(ZeroPoint()), BeaconPos(ZeroPoint()), RSBNSupPoint(ZeroPoint()), Owner(owner) {}

    /// Moves the waypoint; the declination is looked up only when the position changes. The
    /// new position is stored before the lookup, whose error goes on to the caller.
    void SetPos(const TGeoPoint& p);
    /// Assigns beacon `index` of the owner's beacon list (-1: none, BeaconPos kept). An index
    /// that names no record of the list is taken as -1.
    void SetBeacon(int index);
    /// Names the waypoint (code page 1251) as a plan file can hold it and give it back: a
    /// double quote becomes an apostrophe, a control character a blank, and blanks and "#"
    /// before the name go (the file writes the name in double quotes on its line, and its
    /// reader passes over blanks after the opening quote and takes a "#" there for a comment).
    /// Every name a plan file gives is kept as it is. Every way of naming a waypoint goes
    /// through here.
    void SetName(std::string_view name);

    TGeoPoint Pos;
    std::string Name; // set through SetName
    double MagDecl = 0;
    double Distance = 0;
    double TrueCourse = 0;
    double MagCourse = 0;
    double TrueBackCourse = 0;
    double MagBackCourse = 0;
    double Fork = 0;
    double SFork = 0;
    double OrthCourseTakeOff = 0;
    TGeoPoint BeaconPos; // copy of the assigned beacon's position; kept, unused, after removal
    double RSBNAzimuth = 0;
    double RSBNOrbit = 0;
    double RSBNPlannedCourse = 0;
    TGeoPoint RSBNSupPoint;
    double RSBNTargetAngle = 0;
    double RSBNTargetDistance = 0;
    TRSBNMode RSBNMode = rmNone;
    std::int32_t BeaconIndex = -1;
    TWayPointList* Owner;

private:
    static TGeoPoint ZeroPoint() {
        TGeoPoint zero;
        std::memset(static_cast<void*>(&zero), 0, sizeof zero);
        return zero;
    }
};

/// The plan. It knows the beacon list and the declination grid it works with.
class TWayPointList {
public:
    TWayPointList(const TRSBNList& beacons, const TMagDecGrid& grid)
        : Beacons_(&beacons), Grid_(&grid) {}
    TWayPointList(const TWayPointList&) = delete;
    TWayPointList& operator=(const TWayPointList&) = delete;

    int Count() const { return static_cast<int>(Points_.size()); }
    /// 0-based access.
    TWayPoint& operator[](int index) { return *Points_[static_cast<std::size_t>(index)]; }
    const TWayPoint& operator[](int index) const {
        return *Points_[static_cast<std::size_t>(index)];
    }

    /// Creates a waypoint with an empty name at the end, then CalcPlan. Returns the count.
    int AppendWayPoint();
    /// Creates a waypoint at 0-based position index, then CalcPlan. Returns the count.
    int InsertWayPoint(int index);
    /// The same with a copy of `point` (an undone delete), recomputed once.
    int InsertWayPoint(int index, const TWayPoint& point);
    /// Removes waypoint `number` (1-based) unless it is the only one; does not recompute.
    int DeleteWayPoint(int number);
    /// Waypoint `number`, 1-based.
    TWayPoint& GetWayPoint(int number) { return (*this)[number - 1]; }

    /// Appends a waypoint without recomputing (readers that recompute once at the end).
    TWayPoint& AddWayPoint();
    /// Removes every waypoint.
    void Clear() { Points_.clear(); }
    /// Replaces this plan's waypoints by those of `other` (which is left empty).
    void TakeWayPointsFrom(TWayPointList& other);

    /// Recomputes every leg from the first and the plan-wide values; always true. A plan of
    /// fewer than two waypoints has no leg, and its TotalDist, SumForkMagDecl and FinalMagCourse
    /// are 0. A leg whose waypoint has no beacon (BeaconOf gives nullptr) gets rmNone and RSBN
    /// values 0; its BeaconPos is not used.
    bool CalcPlan();
    /// Assigns a beacon to every leg long enough; does not recompute. `progress`, when given,
    /// is called at most 101 times with the legs done and all legs, the last time when every
    /// leg is chosen; when it returns false the choice stops and the plan is left as it was.
    /// Returns false when cancelled.
    bool AutoSelectBeacons(const TProgress& progress = {});
    /// The two steps of AutoSelectBeacons, for a choice from a database that is not yet the
    /// plan's (a reload that is cancelled leaves both as they were). ChooseBeacons gives the
    /// index in `beacons` of every leg's beacon (-1: none), changing nothing; no value when
    /// `progress` cancelled it. AssignBeacons gives every leg the beacon of that index in the
    /// plan's own list (which by then must be `beacons`) and the last waypoint none.
    std::optional<std::vector<int>> ChooseBeacons(const TRSBNList& beacons,
                                                  const TProgress& progress = {}) const;
    void AssignBeacons(const std::vector<int>& chosen);

    /// The beacon assigned to w, or nullptr when w has none or its index names no record.
    const TRSBNRec* BeaconOf(const TWayPoint& w) const;

    const TRSBNList& Beacons() const { return *Beacons_; }
    const TMagDecGrid& Grid() const { return *Grid_; }

    double TotalDist = 0;
    double SumForkMagDecl = 0;
    double FinalMagCourse = 0;
    bool PlanModified = false;
    TSupPointKind SupPoint = spEndWaypoint;

private:
    const TRSBNList* Beacons_;
    const TMagDecGrid* Grid_;
    std::vector<std::unique_ptr<TWayPoint>> Points_;
};

} // namespace kestrun
