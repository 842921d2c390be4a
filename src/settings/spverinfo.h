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

/// "Version: " with the file version, its last "." turned into "; build: " and then the last
/// "." of that into "; release: " (1.2.3.4: "1.2; release: 3; build: 4"; where a step finds no
/// ".", its text goes to the front), then " (", the file date and ")".
std::string VersionText(std::string_view fileVersion, std::string_view fileDate);

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
