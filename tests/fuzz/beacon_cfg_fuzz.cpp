// Besides surviving any input, the records the CFG reader accepts, written back in the form,
// read back to the same records.
#include "files/beaconfile.h"
#include "fuzz_common.h"
#include "plan/rsbnlist.h"

namespace {

// Minutes as the form writes them: hundredths without the point (and without the sign, which
// the longitude's degrees carry).
std::string Hundredths(std::string minutes) {
    std::string out;
    for (char c : minutes)
        if (c != '.' && c != '-') out += c;
    return out;
}

std::string WriteCfg(const kestrun::TRSBNList& list) {
    std::string out = "[RSBN]\r\n";
    for (const kestrun::TRSBNRec& r : list.Records)
        out += "K=" + r.Number + "," + r.LatDegrees + "*" + Hundredths(r.LatMinutes) + "," +
               r.LonDegrees + "*" + Hundredths(r.LonMinutes) + ",0," + r.Ident + "\r\n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TRSBNList list;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsCfg(list, in, "RSBN_DAT.CFG"); }))
        return 0;
    const std::string written = WriteCfg(list);
    std::istringstream again(written);
    kestrun::TRSBNList back;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsCfg(back, again, "RSBN_DAT.CFG"); }))
        kestrun::fuzz::RoundTripBroken();
    if (back.Count() != list.Count()) kestrun::fuzz::RoundTripBroken();
    for (int i = 0; i < list.Count(); ++i)
        if (back[i].Number != list[i].Number || back[i].Ident != list[i].Ident ||
            back[i].LatMinutes != list[i].LatMinutes || back[i].LonMinutes != list[i].LonMinutes ||
            !(back[i].Position == list[i].Position))
            kestrun::fuzz::RoundTripBroken();
    return 0;
}
