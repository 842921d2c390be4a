// Small helpers shared by the tests: temporary folders, file bytes, error messages.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>

#include <stdlib.h>

#include "base/error.h"

namespace kestrun::test {

/// The tests' own pi and degree, independent of the constants of the code under test.
inline constexpr double kPiD = std::numbers::pi;
inline constexpr long double kPiL = std::numbers::pi_v<long double>;
inline constexpr double kDeg = std::numbers::pi / 180;

/// Signed decimal degrees (north and east positive) as imports store them: radians, southern
/// latitudes and western longitudes as 2*pi minus their magnitude.
inline double StoredRad(double deg) {
    const double rad = std::fabs(deg) * kDeg;
    return deg < 0 ? 2 * kPiD - rad : rad;
}

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrun-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder from " + pattern);
        Path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The folder with a trailing "/".
    std::string Dir() const { return Path + "/"; }
    std::string File(const std::string& name) const { return Path + "/" + name; }
    std::string Path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

/// The message of the EKestrunError that f throws, or "<no error>".
template <class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const EKestrunError& e) {
        return e.what();
    }
    return "<no error>";
}

/// "FILE:LINE: MESSAGE" of the EKestrunError that f throws (the place as ErrorWhere gives it,
/// when known), or "<no error>".
template <class F> std::string PlacedMessageOf(F&& f) {
    try {
        f();
    } catch (const EKestrunError& e) {
        const std::string where = ErrorWhere(e);
        return (where.empty() ? "" : where + ": ") + e.what();
    }
    return "<no error>";
}

inline std::string TestData(const std::string& rel) {
    return std::string(KESTRUN_TEST_DATA) + "/" + rel;
}

} // namespace kestrun::test
