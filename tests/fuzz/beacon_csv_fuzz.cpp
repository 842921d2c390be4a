#include "files/beaconfile.h"
#include "fuzz_common.h"
#include "plan/rsbnlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TRSBNList list;
    kestrun::fuzz::Expect([&] { kestrun::LoadBeaconsCsv(list, in); });
    return 0;
}
