// Besides surviving any input, an imported plan is saved as a plan file that opens to the
// same plan, and a parse in the bytes themselves (as a plan read from a file is parsed)
// accepts what the parse of a copy accepts, with the same waypoints.
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
    const bool accepted =
        kestrun::fuzz::Accepts([&] { kestrun::ImportFsxPlan(plan, bytes, "fuzz.pln"); });
    std::string lent = bytes;
    kestrun::TWayPointList inPlace(beacons, grid);
    if (kestrun::fuzz::Accepts([&] {
            kestrun::ImportFsxPlan(inPlace, kestrun::TXmlPlanBytes::Lend(lent.data(), lent.size()),
                                   "fuzz.pln");
        }) != accepted ||
        inPlace.Count() != plan.Count())
        kestrun::fuzz::RoundTripBroken();
    for (int i = 0; i < plan.Count(); ++i)
        if (inPlace[i].Name != plan[i].Name || !(inPlace[i].Pos == plan[i].Pos))
            kestrun::fuzz::RoundTripBroken();
    if (accepted) kestrun::fuzz::ExpectSavedPlanReopens(plan);
    return 0;
}
