#include "files/lnmplan.h"
#include "fuzz_common.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kestrun::TRSBNList beacons;
    static const kestrun::TMagDecGrid grid;
    const std::string bytes = kestrun::fuzz::Bytes(data, size);
    kestrun::TWayPointList plan(beacons, grid);
    kestrun::fuzz::Expect([&] { kestrun::ImportLnmPlan(plan, bytes, "fuzz.lnmpln"); });
    return 0;
}
