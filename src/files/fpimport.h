// Import of simulator flight plans: the FS2002 and FS2004 .PLN reader, and the import of a plan
// file of any kind the program reads (see planimport.h).
#pragma once

#include <filesystem>
#include <istream>
#include <string_view>

namespace kestrun {

class TWayPointList;

/// Replaces the plan's waypoints by those of the flight plan file, of any kind the program reads
/// (FS2002/2004, FSX/P3D/MSFS XML, Little Navmap, X-Plane; recognised by content and name),
/// with Name and Pos set (and the declination looked up). A file from which no waypoint is read
/// is refused. Beacons and leg values are not set: the caller recomputes. If an exception is
/// thrown, the plan is unchanged.
void ImportFlightPlan(TWayPointList& plan, const std::filesystem::path& path);
/// The FS2002/2004 reader over an open stream; a stream without waypoint lines gives an empty
/// plan.
void ImportFlightPlan(TWayPointList& plan, std::istream& in);

} // namespace kestrun
