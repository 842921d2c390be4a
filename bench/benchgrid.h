// A declination grid for the import benchmarks: every value different, so that each lookup reads
// real data, with no file to read.
#pragma once

#include <cstdint>

#include "math/bglmag.h"

namespace kestrun::bench {

inline void FillBenchGrid(TMagDecGrid& grid) {
    for (std::size_t i = 0; i < grid.Grid.size(); ++i)
        grid.Grid[i] = static_cast<std::int16_t>(i % 2000);
}

} // namespace kestrun::bench
