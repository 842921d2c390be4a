// Export of the plan as a GPX 1.1 route, which moving maps and planners load:
//
//   <gpx version="1.1" creator="Kestrun" xmlns="http://www.topografix.com/GPX/1/1">
//     <rte>
//       <name>UUEE - UWKD</name>
//       <rtept lat="55.972642" lon="37.414589"><name>UUEE</name></rtept>
//       ...
#pragma once

#include <filesystem>
#include <string>

namespace kestrun {

class TWayPointList;

/// The GPX text of the plan (UTF-8, CR LF line ends): one route named after its first and last
/// waypoints, one rtept per waypoint in order with its position in signed decimal degrees (six
/// decimals, latitude in [-90, 90], longitude in [-180, 180)) and its name when it has one.
std::string FormatGpx(const TWayPointList& plan);

/// Writes FormatGpx to the file as every file of the program is written (WriteFileAtomic):
/// completely or not at all, an earlier file of that name intact after a failure, which raises
/// "Cannot create file %s" or "Stream write error".
void ExportGpx(const TWayPointList& plan, const std::filesystem::path& path);

} // namespace kestrun
