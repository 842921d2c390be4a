// Besides surviving any input, the stations the rsbn.dat reader accepts, written back in the
// form, read back to the same stations.
#include <cmath>

#include "base/numconv.h"
#include "files/beacondat.h"
#include "fuzz_common.h"
#include "math/tools.h"

namespace {

std::string WriteDat(const kestrun::TRSBNList& list) {
    std::string out;
    for (const kestrun::TRSBNRec& r : list.Records) {
        const kestrun::TLatLonDeg p = kestrun::GeoPointToDegrees(r.Position);
        out += r.Number + "|" + r.Name + "|" + r.Ident + "|116.0|" +
               kestrun::FloatToFixed(p.LatDeg, 12) + "|" + kestrun::FloatToFixed(p.LonDeg, 12) +
               "|0\n";
    }
    return out;
}

// Within a billionth of a degree: written with twelve decimals, read again. (A distance would
// not do: the central angle of two points so close is lost in rounding.)
bool SamePlace(const kestrun::TGeoPoint& a, const kestrun::TGeoPoint& b) {
    const kestrun::TLatLonDeg p = kestrun::GeoPointToDegrees(a);
    const kestrun::TLatLonDeg q = kestrun::GeoPointToDegrees(b);
    return std::fabs(p.LatDeg - q.LatDeg) < 1e-9 &&
           std::fabs(std::remainder(p.LonDeg - q.LonDeg, 360.0)) < 1e-9;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = kestrun::fuzz::Bytes(data, size);
    kestrun::TRSBNList list;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsDat(list, bytes, "rsbn.dat"); }))
        return 0;
    kestrun::TRSBNList back;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsDat(back, WriteDat(list), "x"); }))
        kestrun::fuzz::RoundTripBroken();
    if (back.Count() != list.Count()) kestrun::fuzz::RoundTripBroken();
    for (int i = 0; i < list.Count(); ++i)
        if (back[i].Number != list[i].Number || back[i].Name != list[i].Name ||
            back[i].Ident != list[i].Ident || !SamePlace(back[i].Position, list[i].Position))
            kestrun::fuzz::RoundTripBroken();
    return 0;
}
