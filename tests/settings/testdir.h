// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrun::test {

class TTestDir {
public:
    TTestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrun-XXXXXX").string();
        if (::mkdtemp(pattern.data())) Path_ = pattern;
    }
    ~TTestDir() {
        std::error_code ec;
        if (!Path_.empty()) std::filesystem::remove_all(Path_, ec);
    }
    TTestDir(const TTestDir&) = delete;
    TTestDir& operator=(const TTestDir&) = delete;

    /// The folder with a trailing "/", as the executable's folder is given.
    std::string Dir() const { return Path_ + "/"; }
    std::string File(const std::string& name) const { return Dir() + name; }

private:
    std::string Path_;
};

} // namespace kestrun::test
