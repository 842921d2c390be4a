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

/// Reads `bytes` from the file `name` of a fresh folder through read(path) and checks the
/// refusal: `message` placed at that file and `line` (none when `message` is empty).
template <class Read>
void ExpectFileRefusal(const std::string& name, const std::string& bytes,
                       const std::string& message, int line, Read&& read) {
    TempDir dir;
    WriteBytes(dir.File(name), bytes);
    EXPECT_EQ(PlacedMessageOf([&] { read(dir.File(name)); }),
              message.empty() ? "<no error>"
                              : dir.File(name) + ":" + std::to_string(line) + ": " + message);
}

} // namespace kestrun::test
