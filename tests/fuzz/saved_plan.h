// Shared by the fuzz targets of the flight-plan readers: what a reader accepted is saved as a
// plan file that opens to the same plan (the saved bytes come back unchanged).
#pragma once

#include <sstream>
#include <string>

#include "files/planfile.h"
#include "fuzz_common.h"
#include "plan/fltpln.h"

namespace kestrun::fuzz {

inline void ExpectSavedPlanReopens(const TWayPointList& plan) {
    const std::string written = FormatPlanFile(plan);
    std::istringstream again(written);
    TWayPointList back(plan.Beacons(), plan.Grid());
    if (!Accepts([&] { OpenPlanFile(back, again); })) RoundTripBroken();
    if (FormatPlanFile(back) != written) RoundTripBroken();
}

} // namespace kestrun::fuzz
