// Import of Little Navmap's own flight plans (.lnmpln):
//
//   <LittleNavmap>
//     <Flightplan>
//       <Waypoints>
//         <Waypoint>
//           <Ident>EDDF</Ident>
//           <Pos Lon="8.546506" Lat="50.024780" Alt="354.00"/>
//         </Waypoint>
//         ...
#pragma once

#include <filesystem>

#include "files/xmlplan.h"

namespace kestrun {

class TWayPointList;

/// Replaces the plan's waypoints by the Waypoints of a Little Navmap plan held in memory, in
/// order: Name the Ident (code page 1251, SetName; empty when there is none), Pos from the
/// Lat and Lon of Pos in decimal degrees (southern and western values 2*pi minus their
/// magnitude). `file` names the file in messages. Refuses malformed XML (with the line), a
/// plan without waypoints, and a waypoint without a readable position ("'%s' is not a valid
/// latitude" or longitude, with its line).
/// Beacons and leg values are not set: the caller recomputes. If an exception is thrown, the
/// plan is unchanged.
void ImportLnmPlan(TWayPointList& plan, const TXmlPlanBytes& bytes,
                   const std::filesystem::path& file);

} // namespace kestrun
