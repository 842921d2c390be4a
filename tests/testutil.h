// Small helpers shared by the tests: temporary folders, file bytes, error messages.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <iconv.h>
#include <stdlib.h>
#include <unistd.h>

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

/// `text` converted from one encoding to another by glibc's iconv, the tests' independent
/// reference for encodings; nothing when iconv knows either encoding not, or a character of the
/// text has none in `to`.
inline std::optional<std::string> Iconv(std::string_view text, const char* from, const char* to) {
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in(text), out(4 * text.size() + 8, '\0');
    char* pin = in.data();
    char* pout = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t r = ::iconv(cd, &pin, &inLeft, &pout, &outLeft);
    ::iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

inline std::string TestData(const std::string& rel) {
    return std::string(KESTRUN_TEST_DATA) + "/" + rel;
}

/// A file of the sample data shared beside the checkout (../shared/data).
inline std::string SharedData(const std::string& rel) {
    return std::string(KESTRUN_SHARED_DATA) + "/" + rel;
}

// What a check needs from outside the repository: each function returns "" when it is there,
// else a message that names what is missing. KESTRUN_REQUIRE (GoogleTest) and KESTRUN_QREQUIRE
// (Qt Test) end the test with that message: as a failure on the CI machine (CI=true), where
// scripts/setup and the checkout provide everything, so that nothing passes unchecked there;
// as a skip elsewhere.

inline bool OnCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string_view(ci) == "true";
}

/// `tool` not found on PATH; `package` is the Debian package that scripts/setup installs for it.
inline std::string MissingTool(const std::string& tool, const std::string& package) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "";
    while (!dirs.empty()) {
        const std::string_view dir = dirs.substr(0, dirs.find(':'));
        if (!dir.empty() && ::access((std::string(dir) + "/" + tool).c_str(), X_OK) == 0) return {};
        dirs.remove_prefix(std::min(dirs.size(), dir.size() + 1));
    }
    return tool + " not found on PATH (Debian package " + package + ", installed by scripts/setup)";
}

/// `rel` missing from the shared sample data.
inline std::string MissingSharedData(const std::string& rel) {
    std::error_code ec;
    if (std::filesystem::exists(SharedData(rel), ec)) return {};
    return "shared sample data not found: " + SharedData(rel) +
           " (the checkout's ../shared/data, or the folder KESTRUN_SHARED_DATA names)";
}

#define KESTRUN_REQUIRE(missing)                                                                   \
    do {                                                                                           \
        const std::string kestrunMissing = (missing);                                              \
        if (!kestrunMissing.empty()) {                                                             \
            if (::kestrun::test::OnCi()) FAIL() << kestrunMissing << " [required with CI=true]";   \
            GTEST_SKIP() << kestrunMissing;                                                        \
        }                                                                                          \
    } while (0)

#define KESTRUN_QREQUIRE(missing)                                                                  \
    do {                                                                                           \
        const std::string kestrunMissing = (missing);                                              \
        if (!kestrunMissing.empty()) {                                                             \
            if (::kestrun::test::OnCi())                                                           \
                QFAIL((kestrunMissing + " [required with CI=true]").c_str());                      \
            QSKIP(kestrunMissing.c_str());                                                         \
        }                                                                                          \
    } while (0)

} // namespace kestrun::test
