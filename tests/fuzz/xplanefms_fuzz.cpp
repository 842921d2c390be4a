// Besides surviving any input, an imported plan is saved as a plan file that opens to the
// same plan.
#include "files/xplanefms.h"
#include "saved_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return kestrun::fuzz::FuzzPlanReader(
        data, size, [](kestrun::TWayPointList& plan, const std::string& bytes) {
            kestrun::ImportXPlaneFms(plan, bytes, "fuzz.fms");
        });
}
