// Besides surviving any input, an imported plan is saved as a plan file that opens to the
// same plan: the saved bytes come back unchanged.
#include "files/fpimport.h"
#include "saved_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return kestrun::fuzz::FuzzPlanReader(
        data, size, [](kestrun::TWayPointList& plan, const std::string& bytes) {
            std::istringstream in(bytes);
            kestrun::ImportFlightPlan(plan, in);
        });
}
