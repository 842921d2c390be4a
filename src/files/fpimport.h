// Import of simulator flight plans (FS2002 and FS2004 .PLN).
#pragma once

#include <filesystem>
#include <istream>
#include <string_view>

namespace kestrun {

class TWayPointList;

/// Replaces the plan's waypoints by those of the flight plan, with Name and Pos set (and the
/// declination looked up). Beacons and leg values are not set: the caller recomputes. If an
/// exception is thrown, the plan is unchanged.
void ImportFlightPlan(TWayPointList& plan, const std::filesystem::path& path);
/// The same over an open stream.
void ImportFlightPlan(TWayPointList& plan, std::istream& in);

} // namespace kestrun
