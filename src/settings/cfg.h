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
#include <istream>
#include <string>
#include <string_view>

#include "base/fileio.h"

namespace kestrun {

inline constexpr const char* kConfigFileName = "RSBN.cfg";
inline constexpr const char* kDefaultBeaconFileName = "rsbn_cis_fs2004.csv";

class TConfig {
public:
    TConfig() = default;
    /// Settings of a program whose executable lies in exeDir (with its trailing "/").
    explicit TConfig(std::string exeDir) : ExeDir(std::move(exeDir)) {}

    std::string Language;
    std::string FS2004Path = "C:\\Program Files\\FS2004\\";
    bool ViewSPPanel = false;
    std::uint8_t SupPointDef = 0;
    std::string RSBNBeaconFile;
    /// The object name of the file's header ("object Name: TConfig"), written back as read.
    std::string ObjectName;
    /// The executable's folder, which the default beacon file and the dialog's file live in.
    std::string ExeDir = kestrun::ExeDir();

    /// Reads the settings from the file. The whole file is checked first: a syntax error (or a
    /// file that cannot be opened) raises and changes nothing. Then the properties are applied
    /// in file order; an unknown name or a value of the wrong kind raises, and the properties
    /// applied before it keep their new values. After a successful read an empty
    /// RSBNBeaconFile becomes DefaultBeaconFile().
    void LoadFromFile(std::string_view fileName);
    /// The same over the file's bytes.
    void LoadFromString(std::string_view text);
    void LoadFromStream(std::istream& in);

    /// Writes all five settings; on failure the previous file of that name is intact.
    void SaveToFile(std::string_view fileName) const;
    /// The bytes SaveToFile writes.
    std::string SaveToString() const;

    void SetViewSPPanel(bool value) { ViewSPPanel = value; }
    void SetSupPointDef(std::uint8_t value) { SupPointDef = value; }

    /// ExeDir + "rsbn_cis_fs2004.csv".
    std::string DefaultBeaconFile() const { return ExeDir + kDefaultBeaconFileName; }
    /// ExeDir + "RSBN.cfg", the file the settings dialog writes.
    std::string ExeConfigFile() const { return ExeDir + kConfigFileName; }

private:
    void FillDefaultBeaconFile();
    friend void LoadStartupConfig(TConfig& config, std::string_view fileName);
};

/// The start-up read of the settings: a file that cannot be read, for whatever reason, is
/// replaced by the settings as they stand (an error of that write propagates); in both cases
/// an empty RSBNBeaconFile then names the default beacon file, in memory only.
void LoadStartupConfig(TConfig& config, std::string_view fileName = kConfigFileName);

} // namespace kestrun
