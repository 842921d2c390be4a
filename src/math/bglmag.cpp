#include "math/bglmag.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>

#include "base/error.h"
#include "base/fileio.h"
#include "math/mathem.h"

namespace kestrun {

namespace {

using Real = long double;

constexpr std::size_t kGridBytes = TMagDecGrid::kValueCount * 2;

int Sign(int x) {
    return (x > 0) - (x < 0);
}

} // namespace

void TMagDecGrid::LoadMagDecGrid(const std::filesystem::path& fileName) {
    // Opening comes first: a file that cannot be opened leaves the grid as it was.
    std::unique_ptr<std::ifstream> file = OpenFileRead(fileName);
    // The whole grid or nothing: an empty, truncated or header-only file would otherwise
    // give declination 0 (or half a grid) everywhere without a word.
    std::string bytes(kGridBytes, '\0');
    file->seekg(static_cast<std::streamoff>(kHeaderBytes));
    file->read(bytes.data(), static_cast<std::streamsize>(kGridBytes));
    if (!*file || file->gcount() != static_cast<std::streamsize>(kGridBytes))
        RaiseNamingFile(std::string(kMsgBadFormat) + " ", fileName);
    // Little-endian 16-bit values in element order.
    for (std::size_t k = 0; k < kValueCount; ++k) {
        const auto lo = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k]));
        const auto hi = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k + 1]));
        Grid[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
}

std::optional<std::filesystem::path>
LoadFirstMagDecGrid(TMagDecGrid& grid, const std::vector<std::filesystem::path>& candidates,
                    std::vector<EKestrunError>& failures) {
    for (const std::filesystem::path& path : candidates) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        try {
            grid.LoadMagDecGrid(path);
            return path;
        } catch (const EKestrunError& e) {
            // A broken file in the first place must not hide a good one in the next.
            failures.push_back(e);
        }
    }
    return std::nullopt;
}

double TMagDecGrid::MagDeclAt(const TGeoPoint& p) const {
    const double lon = static_cast<double>(Normalize2Pi(static_cast<double>(p.Lon)) * kRadToDeg);
    double lat = static_cast<double>(NormalizePi(static_cast<double>(p.Lat)) * kRadToDeg);
    // A pole stored as 2pi minus 90 degrees (the South Pole as typed) or as 90 degrees comes
    // back a hair beyond 90 from the conversions; it is the pole, not a latitude past it.
    constexpr double kPoleSlack = 1e-9;
    if (lat < -90 && lat >= -90 - kPoleSlack) lat = -90;
    if (lat > 90 && lat <= 90 + kPoleSlack) lat = 90;
    // Written as negations so that a NaN fails the checks instead of indexing the grid.
    if (!(lon >= 0 && lon < 360)) Raise(MsgAssertion("bglmag", 63));
    if (!(lat >= -90 && lat <= 90)) Raise(MsgAssertion("bglmag", 65));
    const int i = static_cast<int>(lat); // truncated towards zero: -90 .. 90
    const int j = static_cast<int>(lon); // 0 .. 359
    // The second row lies one degree further from the equator; at a pole there is none, so the
    // polar row stands for it.
    const int i2 = (i == 90 || i == -90) ? i : i + Sign(i);
    const int j2 = j == 359 ? 0 : j + Sign(j);
    auto v = [this](int a, int b) -> Real {
        return Real(Grid[static_cast<std::size_t>(b * kLatCount + a + 90)]) * 180 / kHalfTurn;
    };
    const Real t = std::abs(Real(lat) - i);
    const double r1 = static_cast<double>(v(i, j) + t * (v(i2, j) - v(i, j)));
    const double r2 = static_cast<double>(v(i, j2) + t * (v(i2, j2) - v(i, j2)));
    return static_cast<double>((r1 + (Real(lon) - j) * (Real(r2) - r1)) * kDegToRad);
}

} // namespace kestrun
