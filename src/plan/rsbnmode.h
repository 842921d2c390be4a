// The two small enumerations shared by the plan, the beacon list and the files.
#pragma once

#include <cstdint>

namespace kestrun {

/// RSBN mode of a leg, one byte.
enum TRSBNMode : std::uint8_t {
    rmNone = 0,        // no mode
    rmSRP = 1,         // "СРП": the beacon stands away from both ends of the leg
    rmAzimuthTo = 2,   // "А.НА": the beacon stands within 3 km of the leg's end
    rmAzimuthFrom = 3, // "А.ОТ": the beacon stands within 3 km of the leg's start
};

/// Where the support point of an rmSRP leg lies; the program-wide kind is the byte SupPoint.
enum TSupPointKind : std::uint8_t {
    spEndWaypoint = 0, // "К(П)ПМ", plan-file word "Endwaypoint"
    spTraverse = 1,    // "Траверз", plan-file word "Traverse"
};

} // namespace kestrun
