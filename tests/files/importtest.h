// Shared by the tests of the flight-plan readers.
#pragma once

#include <string>

#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "testutil.h"

namespace kestrun::test {

/// "FILE:LINE: MESSAGE" of an import into a plan of one waypoint. A refused import leaves the
/// plan as it was; a plan of any other size afterwards is added to the text.
template <class Import> std::string RefusalOf(Import&& import) {
    TRSBNList beacons;
    TMagDecGrid grid;
    TWayPointList plan(beacons, grid);
    plan.AppendWayPoint();
    std::string message = PlacedMessageOf([&] { import(plan); });
    if (plan.Count() != 1) message += " [plan left with " + std::to_string(plan.Count()) + "]";
    return message;
}

} // namespace kestrun::test
