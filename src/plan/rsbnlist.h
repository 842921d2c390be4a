// The RSBN beacon database: records, the list and the picker annotations. Its two file forms
// are read by files/beaconfile.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "math/geopoint.h"
#include "plan/beaconindex.h"
#include "plan/rsbnmode.h"

namespace kestrun {

class TWayPoint;

/// Distance under which a beacon counts as standing at a waypoint.
inline constexpr double kNearPointKm = 3.0;
/// How far a beacon serves a leg: the automatic choice takes a beacon only when it is closer
/// than this to both ends of the leg, and the map draws this circle around the current leg's.
inline constexpr double kReachKm = 360.0;

class TRSBNRec {
public:
    /// Stores the ten texts and computes Position. Raises "'%s' is not a valid integer value",
    /// "'%s' is not a valid floating point value" or "Range check error" (empty hemisphere),
    /// and "'%s' is not a valid latitude" (or longitude) for a hemisphere letter other than
    /// N, S (E, W) in either case or a position beyond a pole or beyond 180 degrees.
    TRSBNRec(std::string_view number, std::string_view name, std::string_view ident,
             std::string_view extra, std::string_view latHemisphere, std::string_view latDegrees,
             std::string_view latMinutes, std::string_view lonHemisphere,
             std::string_view lonDegrees, std::string_view lonMinutes);

    std::string Number, Name, Ident, Extra;
    std::string LatHemisphere, LatDegrees, LatMinutes;
    std::string LonHemisphere, LonDegrees, LonMinutes;
    TGeoPoint Position; // southern latitudes negative, western longitudes 2*pi minus magnitude

    /// The name files give the beacon: its Name, or its Ident when it has none (the beacons
    /// of a .cfg database).
    const std::string& NameOrIdent() const { return Name.empty() ? Ident : Name; }

    double LegDistance = 0; // km from the end waypoint of the leg the picker is editing
    bool Annotated = false;
    TRSBNMode LegNearness = rmNone;
};

/// The beacons in file order; a record's index is its identity until the next reload.
class TRSBNList {
public:
    int Count() const { return static_cast<int>(Records.size()); }
    bool IsValidIndex(int index) const { return index >= 0 && index < Count(); }
    /// The record at index, or nullptr when the index names no record of this list.
    const TRSBNRec* Find(int index) const {
        return IsValidIndex(index) ? &Records[static_cast<std::size_t>(index)] : nullptr;
    }
    const TRSBNRec& operator[](int index) const { return Records[static_cast<std::size_t>(index)]; }
    TRSBNRec& operator[](int index) { return Records[static_cast<std::size_t>(index)]; }

    /// Creates a record at the end; a record that fails to convert is not left in the list.
    TRSBNRec& Add(std::string_view number, std::string_view name, std::string_view ident,
                  std::string_view extra, std::string_view latHemisphere,
                  std::string_view latDegrees, std::string_view latMinutes,
                  std::string_view lonHemisphere, std::string_view lonDegrees,
                  std::string_view lonMinutes);
    void Clear() { Records.clear(); }
    /// Whether `other` holds the same records, field for field as read, in the same order (the
    /// annotations aside): a database read again that means the same beacons by each index.
    bool SameRecords(const TRSBNList& other) const;

    /// Annotates every beacon with its distance from legEnd and the mode it would give the leg.
    void AnnotateBeacons(const TWayPoint& legStart, const TWayPoint& legEnd);
    void ClearBeaconAnnotations();

    /// The records' positions in a spatial index, each unit vector computed once. Built anew
    /// by Reindex, which the loading of a database calls; here first when records were added,
    /// removed or moved since.
    const TBeaconIndex& Index() const;
    void Reindex() const;

    std::vector<TRSBNRec> Records;

private:
    mutable TBeaconIndex Index_; // a cache of the records' positions, kept with them
};

} // namespace kestrun
