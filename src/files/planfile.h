// The program's own plan file (.RBF): the support-point kind, and per waypoint its name,
// position and beacon name.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

namespace kestrun {

class TWayPointList;

/// The bytes of the plan file of a plan.
std::string FormatPlanFile(const TWayPointList& plan);
/// Writes the plan file completely or not at all (the previous file stays on failure).
void SavePlanFile(const TWayPointList& plan, const std::filesystem::path& path);
/// Replaces the plan's waypoints and SupPoint by those of the file; does not recompute. If an
/// exception is thrown, the plan and SupPoint are unchanged.
void OpenPlanFile(TWayPointList& plan, const std::filesystem::path& path);
/// The same over an open stream.
void OpenPlanFile(TWayPointList& plan, std::istream& in);

} // namespace kestrun
