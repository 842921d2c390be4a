// Import of X-Plane's flight plans (.fms) in both layouts:
//
//   "3 version" (X-Plane 8 to 10)       "1100 Version" (X-Plane 11 and 12)
//   I                                   I
//   3 version                           1100 Version
//   1                                   CYCLE 2511
//   10                                  ADEP UUEE
//   1 EDDF 0 50.032604 8.540641         ADES UWKD
//   11 MODAU 0 49.815000 8.811944       NUMENR 5
//   ...                                 1 UUEE ADEP 630.000000 55.972642 37.414589
//                                       ...
#pragma once

#include <filesystem>

#include <string_view>

namespace kestrun {

class TWayPointList;

/// Replaces the plan's waypoints by the waypoint lines of an X-Plane flight plan held in memory,
/// in order: Name the ident (code page 1251, SetName), Pos from the latitude and longitude in
/// decimal degrees (southern and western values 2*pi minus their magnitude). The counts in the
/// header are not relied on: every waypoint line counts. Waypoint types: 1 airport, 2 NDB, 3 VOR,
/// 11 fix, 28 latitude/longitude point. Padding entries that planners write after the waypoints
/// ("0 ---- 0 0.000000 0.000000") are passed over, and so is a sixth field of a "3 version"
/// waypoint line whose altitude is a number. `file` names the file in messages. Refuses, with
/// the line, a header of neither layout, a waypoint line with another number of fields or
/// another type, and a position that is not a number or lies beyond 90 or 180 degrees; and a
/// plan without waypoints. Beacons and leg values are not set: the caller recomputes. If an
/// exception is thrown, the plan is unchanged.
void ImportXPlaneFms(TWayPointList& plan, std::string_view bytes,
                     const std::filesystem::path& file);

} // namespace kestrun
