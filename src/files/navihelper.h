// Export of the computed plan for the navigator's-helper tool ("navi_helper.txt").
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrun {

class TWayPointList;

/// The bytes of the export: one line per leg.
std::string FormatNaviHelper(const TWayPointList& plan);
/// Writes the export completely or not at all.
void ExportNaviHelper(const TWayPointList& plan, const std::filesystem::path& path);

} // namespace kestrun
