// The rsbn.dat reader survives any input: it accepts it or reports it broken.
#include "files/beacondat.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrun::TRSBNList list;
    kestrun::fuzz::Expect(
        [&] { kestrun::LoadBeaconsDat(list, kestrun::fuzz::Bytes(data, size), "rsbn.dat"); });
    return 0;
}
