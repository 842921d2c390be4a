// The version information of the program's own executable: the strings of its version table
// and the date the executable was last written.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrun {

/// One string of a version table, keyed by its sub-block path
/// ("\StringFileInfo\041904E3\FileVersion").
struct TVersionString {
    std::string_view Path;
    std::string_view Value;
};

/// The version table built into this executable (language 0419, code page 04E3): file version
/// "major.minor.release.build" of the project version, description, product name "Kestrun",
/// company name and legal notice.
std::span<const TVersionString> ExeVersionTable();

/// The value stored under a sub-block path, or nothing when the table has none. Components
/// match without regard to letter case; empty components (a trailing backslash) are ignored.
std::optional<std::string> QueryVersionValue(std::span<const TVersionString> table,
                                             std::string_view subBlock);

/// The local last-write date of a file as "YYYY-mm-dd"; empty when the file cannot be found.
std::string FileDateText(const std::filesystem::path& path);

/// The parts of a file version "major.minor.release.build" as the version line names them: the
/// build after the last ".", the release after the "." before it, the version ("1.2") the rest.
/// A part whose "." is missing takes what is left and the parts before it stay empty ("7": build
/// "7"; "1.2": release "1", build "2").
struct TVersionParts {
    std::string Version, Release, Build;
};
TVersionParts SplitFileVersion(std::string_view fileVersion);

class TVerInfo {
public:
    /// The running executable and its built-in version table.
    TVerInfo();
    /// An executable at exePath with the given version table (empty: no version resource).
    TVerInfo(const std::filesystem::path& exePath, std::span<const TVersionString> table);

    std::string FileVersion;
    std::string FileDescription;
    std::string ProductName;
    std::string CompanyName;
    std::string LegalCopyright;
    std::string FileDate;
};

} // namespace kestrun
