// The user settings and their file "RSBN.cfg", kept in the text form of a component stream:
//
//   object TConfig
//     Language = ''
//     FS2004Path = 'C:\Program Files\FS2004\'
//     ViewSPPanel = False
//     SupPointDef = 0
//     RSBNBeaconFile = ''
//   end
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

#include "settings/locations.h"

namespace kestrun {

/// The settings. Language, FS2004Path and RSBNBeaconFile name files: they hold the operating
/// system's form of the name (UTF-8), not code page 1251.
class TConfig {
public:
    /// Settings of this process: the default beacon file is the one its file locations find.
    TConfig();
    /// Settings whose default beacon file is the one `locations` find (when none is there, the
    /// first place it is looked for).
    explicit TConfig(const TFileLocations& locations);
    /// Settings with the given default beacon file.
    explicit TConfig(std::filesystem::path defaultBeaconFile)
        : DefaultBeaconFile_(std::move(defaultBeaconFile)) {}

    std::string Language;
    std::string FS2004Path = "C:\\Program Files\\FS2004\\";
    bool ViewSPPanel = false;
    std::uint8_t SupPointDef = 0;
    std::string RSBNBeaconFile;
    /// The object name of the file's header ("object Name: TConfig"), written back as read.
    std::string ObjectName;

    /// Reads the settings from the file. The whole file is checked first: a syntax error (or a
    /// file that cannot be opened) raises and changes nothing. Then the properties are applied
    /// in file order; an unknown name or a value of the wrong kind raises, and the properties
    /// applied before it keep their new values. After a successful read an empty
    /// RSBNBeaconFile becomes DefaultBeaconFile().
    void LoadFromFile(const std::filesystem::path& fileName);
    /// The same over the file's bytes.
    void LoadFromString(std::string_view text);
    void LoadFromStream(std::istream& in);

    /// Writes all five settings, creating the file's folder when it is missing; on failure the
    /// previous file of that name is intact. A read-only file is refused with "Cannot create
    /// file %s" (the reason "the file is read-only").
    void SaveToFile(const std::filesystem::path& fileName) const;
    /// The bytes SaveToFile writes.
    std::string SaveToString() const;

    void SetViewSPPanel(bool value) { ViewSPPanel = value; }
    void SetSupPointDef(std::uint8_t value) { SupPointDef = value; }

    /// The beacon file that an empty RSBNBeaconFile stands for.
    const std::filesystem::path& DefaultBeaconFile() const { return DefaultBeaconFile_; }
    /// The beacon file the settings name: RSBNBeaconFile, or DefaultBeaconFile() when it is empty.
    std::filesystem::path BeaconFile() const {
        return RSBNBeaconFile.empty() ? DefaultBeaconFile_ : std::filesystem::path(RSBNBeaconFile);
    }

private:
    void FillDefaultBeaconFile();
    friend std::filesystem::path LoadStartupConfig(TConfig& config,
                                                   const std::filesystem::path& fileName);

    std::filesystem::path DefaultBeaconFile_;
};

/// The start-up read of the settings: a file that cannot be read, for whatever reason, is
/// replaced by the settings as they stand (an error of that write propagates); in both cases
/// an empty RSBNBeaconFile then names the default beacon file, in memory only.
/// A file that exists but cannot be read is first renamed to "RSBN.cfg.bak" (or "RSBN.cfg.bak.1",
/// ".bak.2", ... when that is taken), so that hand-made settings are not lost; the result is
/// that name, or empty when nothing was kept. A file that cannot be renamed is not written:
/// that is raised, and the settings stay as they stand. The file is
/// TFileLocations::ConfigFile().
std::filesystem::path LoadStartupConfig(TConfig& config, const std::filesystem::path& fileName);

} // namespace kestrun
