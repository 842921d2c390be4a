// Shared by the fuzz targets: the input as a stream, and the one kind of failure a reader may
// report. Any other exception escapes and ends the run as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

/// Runs a reader; true when it accepted the input, false when it reported it broken.
template <class F> bool Accepts(F&& read) {
    try {
        read();
        return true;
    } catch (const EKestrunError&) {
        return false;
    }
}

/// Ends the run as a crash: what the reader accepted did not come back the same through the
/// writer and the reader again.
[[noreturn]] inline void RoundTripBroken() {
    std::abort();
}

} // namespace kestrun::fuzz
