// The base map under the route: land, coastline and country borders of the world, read from the
// program's own compact file (made from Natural Earth's 1:50m data by tools/mkbasemap.py).
//
//     offset  size  what
//     0       6     "KBMAP1"
//     6       ...   land layer: the land's rings, outer rings and holes alike
//     ...     ...   border layer: the lines between two countries
//
//     layer:  count of parts, then each part: count of points, then its points
//     point:  longitude, latitude, each the difference in thousandths of a degree from the
//             layer's previous point (the first from 0, 0)
//     number: unsigned LEB128 (7 bits a byte, low bits first, high bit set on all but the last
//             byte); a difference d is stored as 2d when d >= 0 and -2d - 1 when d < 0
//
// The rings are polygons on the sphere, each edge taken the short way round the globe: a ring may
// cross the 180th meridian, and Antarctica's longitudes wind once round the South Pole.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "math/tools.h"

namespace kestrun {

struct TBaseMap {
    using TLine = std::vector<TLatLonDeg>;
    /// Rings of the land, each closed (its first point repeated at its end); a place is on land
    /// when it lies inside an odd number of them.
    std::vector<TLine> LandRings;
    /// The coastline: the land rings without their edges that run along a pole (within 0.01
    /// degrees), which only close an area round it.
    std::vector<TLine> Coastlines;
    /// Country borders on land.
    std::vector<TLine> Borders;
};

/// Reads the base map file. Raises "Cannot open file %s" when it cannot be read and "Bad
/// format!" (with the file as the failure's File) when its content is not a base map: a wrong
/// header, a number or point outside its range, a count beyond the file's end, or bytes left
/// after the last layer. If an exception is thrown, nothing is produced.
TBaseMap ReadBaseMap(const std::filesystem::path& path);

/// The same from the file's bytes.
TBaseMap ParseBaseMap(std::string_view bytes);

} // namespace kestrun
