// The program's own plan file (.RBF): the support-point kind, and per waypoint its name,
// position and beacon name.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrun {

class TWayPointList;

/// The bytes of the plan file of a plan.
std::string FormatPlanFile(const TWayPointList& plan);
/// Writes the plan file completely or not at all (the previous file stays on failure).
void SavePlanFile(const TWayPointList& plan, const std::filesystem::path& path);
/// A waypoint of an opened plan file whose beacon the beacon list lacks: the leg is left without
/// a beacon, and a save would drop the name.
struct TMissingBeacon {
    int WayPoint = 0;       // 0-based index in the plan
    std::string Name;       // the waypoint's name (code page 1251)
    std::string BeaconName; // the name the file gives (code page 1251)
};

/// Replaces the plan's waypoints and SupPoint by those of the file; does not recompute. Returns
/// the waypoints whose beacon names the beacon list lacks, in plan order. If an exception is
/// thrown, the plan and SupPoint are unchanged.
std::vector<TMissingBeacon> OpenPlanFile(TWayPointList& plan, const std::filesystem::path& path);
/// The same over an open stream.
std::vector<TMissingBeacon> OpenPlanFile(TWayPointList& plan, std::istream& in);

} // namespace kestrun
