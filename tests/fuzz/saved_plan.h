// Shared by the fuzz targets of the flight-plan readers: what a reader accepted is saved as a
// plan file that opens to the same plan (the saved bytes come back unchanged).
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "files/planfile.h"
#include "fuzz_common.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun::fuzz {

inline void ExpectSavedPlanReopens(const TWayPointList& plan) {
    const std::string written = FormatPlanFile(plan);
    std::istringstream again(written);
    TWayPointList back(plan.Beacons(), plan.Grid());
    if (!Accepts([&] { OpenPlanFile(back, again); })) RoundTripBroken();
    if (FormatPlanFile(back) != written) RoundTripBroken();
}

/// The whole run of a flight-plan reader's target: import(plan, bytes) survives any input, and
/// a plan it accepts is saved as a plan file that opens to the same plan.
template <class Import>
int FuzzPlanReader(const std::uint8_t* data, std::size_t size, Import&& import) {
    static const TRSBNList beacons;
    static const TMagDecGrid grid;
    const std::string bytes = Bytes(data, size);
    TWayPointList plan(beacons, grid);
    if (Accepts([&] { import(plan, bytes); })) ExpectSavedPlanReopens(plan);
    return 0;
}

} // namespace kestrun::fuzz
