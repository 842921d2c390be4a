// Besides surviving any input, the records the CSV reader accepts, written back in the form,
// read back to the same records.
#include "files/beaconfile.h"
#include "fuzz_common.h"
#include "plan/rsbnlist.h"

namespace {

std::string WriteCsv(const kestrun::TRSBNList& list) {
    std::string out;
    for (const kestrun::TRSBNRec& r : list.Records) {
        const std::string* fields[] = {
            &r.Number,     &r.Name,       &r.Ident,         &r.Extra,      &r.LatHemisphere,
            &r.LatDegrees, &r.LatMinutes, &r.LonHemisphere, &r.LonDegrees, &r.LonMinutes};
        for (const std::string* f : fields) out += (f == fields[0] ? "\"" : ",\"") + *f + "\"";
        out += "\r\n";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TRSBNList list;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsCsv(list, in); })) return 0;
    const std::string written = WriteCsv(list);
    std::istringstream again(written);
    kestrun::TRSBNList back;
    if (!kestrun::fuzz::Accepts([&] { kestrun::LoadBeaconsCsv(back, again); }))
        kestrun::fuzz::RoundTripBroken();
    if (WriteCsv(back) != written) kestrun::fuzz::RoundTripBroken();
    for (int i = 0; i < list.Count(); ++i)
        if (!(back[i].Position == list[i].Position)) kestrun::fuzz::RoundTripBroken();
    return 0;
}
