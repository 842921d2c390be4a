// Besides surviving any input, an imported plan is saved as a plan file that opens to the
// same plan.
#include "files/fsxplan.h"
#include "fuzz_common.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "saved_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kestrun::TRSBNList beacons;
    static const kestrun::TMagDecGrid grid;
    const std::string bytes = kestrun::fuzz::Bytes(data, size);
    kestrun::TWayPointList plan(beacons, grid);
    if (kestrun::fuzz::Accepts([&] { kestrun::ImportFsxPlan(plan, bytes, "fuzz.pln"); }))
        kestrun::fuzz::ExpectSavedPlanReopens(plan);
    return 0;
}
