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
    char bytes[4096];
    std::size_t done = 0; // grid bytes read so far
    file->seekg(static_cast<std::streamoff>(kHeaderBytes));
    while (done < kGridBytes && *file) {
        const std::size_t want = std::min(sizeof bytes, kGridBytes - done);
        file->read(bytes, static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(file->gcount());
        // Little-endian 16-bit values; an odd last byte replaces the low byte of its value
        // only, as a raw read into the grid's memory would.
        for (std::size_t k = 0; k < got; ++k) {
            const std::size_t pos = done + k;
            auto& cell = Grid[pos / 2];
            auto u = static_cast<std::uint16_t>(cell);
            const auto b = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[k]));
            u = pos % 2 == 0 ? static_cast<std::uint16_t>((u & 0xFF00u) | b)
                             : static_cast<std::uint16_t>((u & 0x00FFu) | (b << 8));
            cell = static_cast<std::int16_t>(u);
        }
        done += got;
        if (got < want) break;
    }
}

double TMagDecGrid::MagDeclAt(const TGeoPoint& p) const {
    const double lon = static_cast<double>(Normalize2Pi(static_cast<double>(p.Lon)) * kRadToDeg);
    const double lat = static_cast<double>(NormalizePi(static_cast<double>(p.Lat)) * kRadToDeg);
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
