#include "settings/locations.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#ifndef KESTRUN_DATA_DIR
#error "KESTRUN_DATA_DIR (the installed data folder) must be defined by the build"
#endif
#ifndef KESTRUN_BIN_TO_DATA
#error "KESTRUN_BIN_TO_DATA (the data folder relative to the installed executables) must be defined"
#endif

namespace kestrun {

namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& p, TDataFile which) {
    std::error_code ec;
    return which == TDataFile::Languages ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec);
}

// `cmake --install --prefix DIR` may place the program under another prefix than the one it was
// configured with; its data then lies at the same place relative to the executable.
fs::path InstalledDataDir(const fs::path& exeDir) {
    std::error_code ec;
    fs::path relocated = (exeDir / KESTRUN_BIN_TO_DATA).lexically_normal();
    if (!exeDir.empty() && fs::is_directory(relocated, ec)) return relocated;
    return fs::path(KESTRUN_DATA_DIR);
}

} // namespace

const char* DataFileName(TDataFile which) {
    switch (which) {
    case TDataFile::Config:
        return kConfigFileName;
    case TDataFile::DefaultBeacons:
        return kDefaultBeaconFileName;
    case TDataFile::MagDec:
        return "magdec.bgl";
    case TDataFile::Help:
        return "RSBNHelp.txt";
    case TDataFile::Languages:
        return "Language";
    case TDataFile::BaseMap:
        return "naturalearth-50m.bin";
    }
    return "";
}

fs::path UserConfigDir(const char* xdgConfigHome, const char* home) {
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the base-directory rules say.
    if (xdgConfigHome && *xdgConfigHome && fs::path(xdgConfigHome).is_absolute())
        return fs::path(xdgConfigHome) / "kestrun";
    if (home && *home) return fs::path(home) / ".config" / "kestrun";
    return {};
}

TFileLocations::TFileLocations(fs::path workDir, fs::path exeDir, fs::path dataDir,
                               fs::path configDir)
    : WorkDir_(std::move(workDir)), ExeDir_(std::move(exeDir)), DataDir_(std::move(dataDir)),
      ConfigDir_(std::move(configDir)) {}

TFileLocations TFileLocations::FromProcess() {
    std::error_code ec;
    fs::path work = fs::current_path(ec);
    if (ec) work = ".";
    fs::path exe = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec) exe.clear();
    const char* home = std::getenv("HOME");
    std::string pwHome;
    if (!home || !*home) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
            pwHome = pw->pw_dir;
            home = pwHome.c_str();
        }
    }
    fs::path config = UserConfigDir(std::getenv("XDG_CONFIG_HOME"), home);
    // Without any home the settings stay in the working directory.
    if (config.empty()) config = work;
    return TFileLocations(work, exe, InstalledDataDir(exe), config);
}

std::vector<fs::path> TFileLocations::Candidates(TDataFile which) const {
    const char* name = DataFileName(which);
    switch (which) {
    case TDataFile::Config:
        return {WorkDir_ / name, ConfigDir_ / name};
    case TDataFile::DefaultBeacons:
    case TDataFile::Languages:
    case TDataFile::BaseMap:
        return {ExeDir_ / name, DataDir_ / name};
    case TDataFile::MagDec:
    case TDataFile::Help:
        return {WorkDir_ / name, ExeDir_ / name, DataDir_ / name};
    }
    return {};
}

std::optional<fs::path> TFileLocations::Find(TDataFile which) const {
    for (fs::path& p : Candidates(which))
        if (Exists(p, which)) return std::move(p);
    return std::nullopt;
}

std::optional<fs::path> TFileLocations::FindHelp(const std::string& language) const {
    if (!language.empty()) {
        for (fs::path& p : Candidates(TDataFile::Help)) {
            p.replace_filename("RSBNHelp_" + language + ".txt");
            if (Exists(p, TDataFile::Help)) return std::move(p);
        }
    }
    return Find(TDataFile::Help);
}

fs::path TFileLocations::ConfigFile() const {
    std::vector<fs::path> c = Candidates(TDataFile::Config);
    return Exists(c[0], TDataFile::Config) ? c[0] : c[1];
}

} // namespace kestrun
