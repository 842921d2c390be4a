// Export of the computed plan as KML, which a pilot opens in a globe viewer:
//
//   Document "UUEE - UWKD"
//     Folder "Route"                     the route as one line through every waypoint
//     Folder "Waypoints"                 a placemark per waypoint; its description holds the
//                                        values of the leg that starts there, as the grids
//                                        show them (courses, distance, beacon, mode, ...)
//     Folder "Beacons"                   a placemark per beacon assigned to some leg
//     Folder "Beacon lines"              per leg flown with a beacon off the route ("СРП"), a
//                                        line from the beacon to the leg's support point
#pragma once

#include <filesystem>
#include <string>

namespace kestrun {

class TWayPointList;

/// The KML 2.2 text of the plan (UTF-8, CR LF line ends), from the values the last CalcPlan
/// left in the waypoints; positions as longitude,latitude in signed decimal degrees.
std::string FormatKml(const TWayPointList& plan);

/// Writes FormatKml to the file as every file of the program is written (WriteFileAtomic):
/// completely or not at all, an earlier file of that name intact after a failure, which raises
/// "Cannot create file %s" or "Stream write error".
void ExportKml(const TWayPointList& plan, const std::filesystem::path& path);

} // namespace kestrun
