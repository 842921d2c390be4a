// Where each of the program's files lives, decided in one place for the desktop program and
// kestrun-cli alike.
//
//   RSBN.cfg          working directory (a portable set-up), else the user's configuration
//                     folder ($XDG_CONFIG_HOME/kestrun, by default ~/.config/kestrun); written
//                     back to the file it was read from, else to the configuration folder
//   beacon database   beside the executable, else the installed data folder
//   Language/         beside the executable, else the installed data folder
//   magdec.bgl        working directory, beside the executable, the installed data folder
//   RSBNHelp.txt      working directory, beside the executable, the installed data folder; a
//                     language's own help text RSBNHelp_<language>.txt (RSBNHelp_English.txt)
//                     in the same places comes first while that language is chosen
//   base map          beside the executable, else the installed data folder
//
// The installed data folder is <prefix>/share/kestrun, fixed when the program is built.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrun {

inline constexpr const char* kConfigFileName = "RSBN.cfg";
inline constexpr const char* kDefaultBeaconFileName = "rsbn_cis_fs2004.csv";

enum class TDataFile { Config, DefaultBeacons, MagDec, Help, Languages, BaseMap };

/// Where each of the program's files lives; paths in the operating system's own form.
class TFileLocations {
public:
    TFileLocations(std::filesystem::path workDir, std::filesystem::path exeDir,
                   std::filesystem::path dataDir, std::filesystem::path configDir);
    /// The process's: working directory, the executable's folder, the installed data folder
    /// (<prefix>/share/kestrun fixed at build time), $XDG_CONFIG_HOME/kestrun (or
    /// ~/.config/kestrun).
    static TFileLocations FromProcess();
    /// Places looked at for a file, in order (Config: workDir/RSBN.cfg, configDir/RSBN.cfg;
    /// DefaultBeacons, Languages, BaseMap: exeDir, dataDir; MagDec, Help: workDir, exeDir,
    /// dataDir).
    std::vector<std::filesystem::path> Candidates(TDataFile which) const;
    /// The first candidate that exists, if any: a folder for Languages, a file otherwise.
    std::optional<std::filesystem::path> Find(TDataFile which) const;
    /// The help text for an interface language ("English", as Config.Language names it): the
    /// first RSBNHelp_<language>.txt of the places RSBNHelp.txt is looked for, else the first
    /// RSBNHelp.txt (the Russian text), if any.
    std::optional<std::filesystem::path> FindHelp(const std::string& language) const;
    /// RSBN.cfg to read and to write back: the working directory's when it exists, else the
    /// user's configuration folder's (which SaveToFile creates when missing).
    std::filesystem::path ConfigFile() const;

    const std::filesystem::path& WorkDir() const { return WorkDir_; }
    const std::filesystem::path& ExeDir() const { return ExeDir_; }
    const std::filesystem::path& DataDir() const { return DataDir_; }
    const std::filesystem::path& ConfigDir() const { return ConfigDir_; }

private:
    std::filesystem::path WorkDir_, ExeDir_, DataDir_, ConfigDir_;
};

/// The file or folder name that a kind of file is looked for by ("RSBN.cfg", "Language", ...).
const char* DataFileName(TDataFile which);

/// The user's configuration folder for the program from the environment's values (either may be
/// null): XDG_CONFIG_HOME/kestrun when that is an absolute path, else HOME/.config/kestrun; an
/// empty path when neither is usable.
std::filesystem::path UserConfigDir(const char* xdgConfigHome, const char* home);

} // namespace kestrun
