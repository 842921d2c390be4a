#include "files/basemap.h"

#include <cstdint>

#include "base/error.h"
#include "base/fileio.h"

namespace kestrun {

namespace {

constexpr std::string_view kMagic = "KBMAP1";
constexpr std::int64_t kMaxLon = 180000, kMaxLat = 90000; // thousandths of a degree

class TReader {
public:
    explicit TReader(std::string_view bytes) : Bytes_(bytes) {}

    std::uint64_t Number() {
        std::uint64_t value = 0;
        for (int shift = 0;; shift += 7) {
            // Ten bytes carry 64 bits; a longer number is no number of this file.
            if (Pos_ >= Bytes_.size() || shift > 63) Raise(kMsgBadFormat);
            const auto byte = static_cast<unsigned char>(Bytes_[Pos_++]);
            value |= std::uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return value;
        }
    }
    std::int64_t Difference() {
        const std::uint64_t z = Number();
        // Far beyond any coordinate: keeps the sums below free of overflow.
        if (z > 4 * kMaxLon) Raise(kMsgBadFormat);
        const auto half = static_cast<std::int64_t>(z >> 1);
        return (z & 1) ? -half - 1 : half;
    }
    /// A count of items each taking at least minBytes bytes of what is left.
    std::size_t Count(std::size_t minBytes) {
        const std::uint64_t n = Number();
        if (n > (Bytes_.size() - Pos_) / minBytes) Raise(kMsgBadFormat);
        return static_cast<std::size_t>(n);
    }
    bool AtEnd() const { return Pos_ == Bytes_.size(); }

    std::int64_t Lon = 0, Lat = 0;

private:
    std::string_view Bytes_;
    std::size_t Pos_ = kMagic.size();
};

void ReadLayer(TReader& in, std::vector<TBaseMap::TLine>& parts) {
    in.Lon = in.Lat = 0;
    // Every part takes at least its count byte, every point two bytes.
    parts.resize(in.Count(1));
    for (TBaseMap::TLine& part : parts) {
        part.resize(in.Count(2));
        for (TLatLonDeg& p : part) {
            in.Lon += in.Difference();
            in.Lat += in.Difference();
            if (in.Lon < -kMaxLon || in.Lon > kMaxLon || in.Lat < -kMaxLat || in.Lat > kMaxLat)
                Raise(kMsgBadFormat);
            p.LonDeg = double(in.Lon) / 1000;
            p.LatDeg = double(in.Lat) / 1000;
        }
    }
}

// An edge that only closes an area round a pole, where there is no coast.
bool IsPoleEdge(const TLatLonDeg& a, const TLatLonDeg& b) {
    return (a.LatDeg <= -89.99 && b.LatDeg <= -89.99) || (a.LatDeg >= 89.99 && b.LatDeg >= 89.99);
}

void AppendCoastlines(const TBaseMap::TLine& ring, std::vector<TBaseMap::TLine>& out) {
    TBaseMap::TLine line;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (i > 0 && IsPoleEdge(ring[i - 1], ring[i])) {
            if (line.size() >= 2) out.push_back(std::move(line));
            line.clear();
        }
        line.push_back(ring[i]);
    }
    if (line.size() >= 2) out.push_back(std::move(line));
}

} // namespace

TBaseMap ParseBaseMap(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) Raise(kMsgBadFormat);
    TReader in(bytes);
    TBaseMap map;
    ReadLayer(in, map.LandRings);
    ReadLayer(in, map.Borders);
    if (!in.AtEnd()) Raise(kMsgBadFormat);
    for (const TBaseMap::TLine& ring : map.LandRings) AppendCoastlines(ring, map.Coastlines);
    return map;
}

TBaseMap ReadBaseMap(const std::filesystem::path& path) {
    const std::string bytes = ReadFileBytes(path);
    try {
        return ParseBaseMap(bytes);
    } catch (EKestrunError& e) {
        SetPlace(e, path.native());
        throw;
    }
}

} // namespace kestrun
