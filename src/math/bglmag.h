// The simulator's world declination grid (magdec.bgl) and its bilinear lookup.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "math/geopoint.h"

namespace kestrun {

class TMagDecGrid {
public:
    static constexpr int kLonCount = 360;
    static constexpr int kLatCount = 181;
    static constexpr std::size_t kHeaderBytes = 136;
    static constexpr std::size_t kValueCount = kLonCount * kLatCount;
    /// The grid value of 180 degrees: a value v stands for v * 180 / kHalfTurn degrees.
    static constexpr double kHalfTurn = 32768;

    /// Reads the 130,320 bytes of grid from offset 136 of the file. Raises "Cannot open file
    /// %s", and "Bad format! " with the path for a file too short to hold the header and the
    /// whole grid; if an exception is thrown, the grid keeps its content.
    void LoadMagDecGrid(const std::filesystem::path& fileName);

    /// Declination at P in radians, positive east, interpolated bilinearly. Raises
    /// "Assertion failure (bglmag, line 63)" for a longitude of 360 degrees or more and
    /// "... line 65)" for a latitude beyond 90 degrees.
    double MagDeclAt(const TGeoPoint& p) const;

    /// Element for longitude index lon (0..359) and latitude index lat (-90..90).
    std::int16_t& At(int lon, int lat) { return Grid[lon * kLatCount + lat + 90]; }

    std::array<std::int16_t, kValueCount> Grid{}; // all zero until loaded
};

/// Loads the first of the candidate files that exists and holds a grid; each one that exists
/// but fails is added to `failures` (to be reported) and the next is tried. Returns the file
/// loaded, or nothing when none was (the grid then keeps its content).
std::optional<std::filesystem::path>
LoadFirstMagDecGrid(TMagDecGrid& grid, const std::vector<std::filesystem::path>& candidates,
                    std::vector<EKestrunError>& failures);

} // namespace kestrun
