#include "files/planfile.h"
#include "fuzz_common.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace {

// Two beacons, so that beacon names in a plan file can be found.
const kestrun::TRSBNList& Beacons() {
    static const kestrun::TRSBNList list = [] {
        kestrun::TRSBNList l;
        l.Add("12", "\xD8\xE5\xF0\xE5\xEC\xE5\xF2\xFC\xE5\xE2\xEE", "SHR", "", "N", "55", "58.35",
              "E", "037", "24.68");
        l.Add("5", "\xD0\xFF\xE7\xE0\xED\xFC", "RZN", "", "N", "54", "37.80", "E", "039", "42.00");
        return l;
    }();
    return list;
}

} // namespace

// Besides surviving any input, a plan file the reader accepts is written back so that it opens
// to the same plan: the written bytes come back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kestrun::TMagDecGrid grid;
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TWayPointList plan(Beacons(), grid);
    if (!kestrun::fuzz::Accepts([&] { kestrun::OpenPlanFile(plan, in); })) return 0;
    const std::string written = kestrun::FormatPlanFile(plan);
    std::istringstream again(written);
    kestrun::TWayPointList back(Beacons(), grid);
    if (!kestrun::fuzz::Accepts([&] { kestrun::OpenPlanFile(back, again); }))
        kestrun::fuzz::RoundTripBroken();
    if (kestrun::FormatPlanFile(back) != written) kestrun::fuzz::RoundTripBroken();
    return 0;
}
