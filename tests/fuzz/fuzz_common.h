// Shared by the fuzz targets: the input as a stream, and the one kind of failure a reader may
// report. Any other exception escapes and ends the run as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "base/error.h"

namespace kestrun::fuzz {

inline std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

template <class F> void Expect(F&& read) {
    try {
        read();
    } catch (const EKestrunError&) {
        // The reader's own report of a broken file.
    }
}

} // namespace kestrun::fuzz
