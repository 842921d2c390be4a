// Besides surviving any input, an imported plan is saved as a plan file that opens to the
// same plan: the saved bytes come back unchanged.
#include "files/fpimport.h"
#include "files/planfile.h"
#include "fuzz_common.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kestrun::TRSBNList beacons;
    static const kestrun::TMagDecGrid grid;
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TWayPointList plan(beacons, grid);
    if (!kestrun::fuzz::Accepts([&] { kestrun::ImportFlightPlan(plan, in); })) return 0;
    const std::string written = kestrun::FormatPlanFile(plan);
    std::istringstream again(written);
    kestrun::TWayPointList back(beacons, grid);
    if (!kestrun::fuzz::Accepts([&] { kestrun::OpenPlanFile(back, again); }))
        kestrun::fuzz::RoundTripBroken();
    if (kestrun::FormatPlanFile(back) != written) kestrun::fuzz::RoundTripBroken();
    return 0;
}
