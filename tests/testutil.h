// Small helpers shared by the tests: temporary folders, file bytes, error messages.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <stdlib.h>

#include "base/error.h"

namespace kestrun::test {

/// A fresh folder under /tmp, removed with everything in it.
struct TempDir {
    TempDir() {
        char tmpl[] = "/tmp/kestrun-test-XXXXXX";
        Path = ::mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
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

inline std::string TestData(const std::string& rel) {
    return std::string(KESTRUN_TEST_DATA) + "/" + rel;
}

} // namespace kestrun::test
