// Besides surviving any input, a base map the reader accepts holds only places on the globe, and
// its coastline no more points than its land.
#include <cstdlib>

#include "files/basemap.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrun::TBaseMap map;
    const std::string bytes = kestrun::fuzz::Bytes(data, size);
    if (!kestrun::fuzz::Accepts([&] { map = kestrun::ParseBaseMap(bytes); })) return 0;
    std::size_t land = 0, coast = 0;
    for (const auto* layer : {&map.LandRings, &map.Borders, &map.Coastlines})
        for (const auto& part : *layer)
            for (const kestrun::TLatLonDeg& p : part)
                if (!(p.LatDeg >= -90 && p.LatDeg <= 90 && p.LonDeg >= -180 && p.LonDeg <= 180))
                    std::abort();
    for (const auto& r : map.LandRings) land += r.size();
    for (const auto& c : map.Coastlines) coast += c.size();
    if (coast > land) std::abort();
    return 0;
}
