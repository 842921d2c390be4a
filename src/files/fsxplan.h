// Import of the XML flight plans of FSX, Prepar3D and MSFS 2020/2024 (.pln):
//
//   <SimBase.Document>
//     <FlightPlan.FlightPlan>
//       <ATCWaypoint id="Hamburg">
//         <WorldPosition>N53° 38' 1.22",E9° 59' 6.80",+000040.75</WorldPosition>
//         <ICAO><ICAOIdent>EDDH</ICAOIdent></ICAO>
//       </ATCWaypoint>
//       ...
#pragma once

#include <filesystem>

#include <optional>
#include <string>
#include <string_view>

#include "files/xmlplan.h"
#include "math/geopoint.h"

namespace kestrun {

class TWayPointList;

/// Replaces the plan's waypoints by the ATCWaypoints of an XML flight plan held in memory, in
/// order: Name the ICAOIdent of the waypoint's ICAO element when it has one, else its id
/// attribute (in code page 1251, kept by SetName); Pos from WorldPosition (southern and western
/// values 2*pi minus their magnitude, as every import keeps them). `file` names the file in
/// messages. Refuses malformed XML (with the line), a plan without waypoints, a waypoint whose
/// position cannot be read, and a plan whose waypoints carry no position (MSFS 2024 may write only
/// identifiers, which cannot be placed without the simulator's navigation database). Beacons
/// and leg values are not set: the caller recomputes. If an exception is thrown, the plan is
/// unchanged.
void ImportFsxPlan(TWayPointList& plan, const TXmlPlanBytes& bytes,
                   const std::filesystem::path& file);

/// A WorldPosition (UTF-8) in either form that simulators and planners write; the altitude
/// after the longitude is not used:
///   degrees, minutes, seconds   N53° 38' 1.22",E9° 59' 6.80",+000040.75  (seconds "." or ",")
///   decimal degrees             54.285833 , -130.444678,+116.0
/// Nothing when the text is neither, or the latitude exceeds 90 degrees or the longitude 180.
/// The text ends at its terminating zero, as XML texts do.
std::optional<TGeoPoint> ParseWorldPosition(const char* text);

/// "%d of %d waypoints in file %s have no position ...": the refusal of a plan with unplaced
/// waypoints.
[[noreturn]] void RaiseNoPositions(int unplaced, int total, const std::filesystem::path& file);

} // namespace kestrun
