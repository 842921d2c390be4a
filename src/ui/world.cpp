#include "ui/world.h"

#include <filesystem>

#include "base/error.h"
#include "files/beaconfile.h"

namespace kestrun {

namespace {

std::string WithSlash(const std::filesystem::path& dir) {
    std::string s = dir.string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

} // namespace

TKestrunWorld::TKestrunWorld(TFileLocations locations)
    : Locations(std::move(locations)), Config(WithSlash(Locations.ExeDir())) {}

void TKestrunWorld::SetUp() {
    LoadStartupConfig(Config, Locations.ConfigFile().string());
    std::string beacons = Config.RSBNBeaconFile;
    if (beacons == Config.DefaultBeaconFile() && !std::filesystem::exists(beacons))
        if (auto found = Locations.Find(TDataFile::DefaultBeacons)) beacons = found->string();
    try {
        LoadBeaconFile(BeaconList, beacons);
    } catch (const std::exception& e) {
        BeaconList.Clear();
        std::string text = ErrorText(e);
        const std::string where = ErrorWhere(e);
        if (!where.empty()) text += "\n" + where;
        StartupMessages.push_back(std::move(text));
    }
}

std::string TKestrunWorld::LanguageBaseDir() const {
    if (auto found = Locations.Find(TDataFile::Languages)) return WithSlash(found->parent_path());
    return WithSlash(Locations.ExeDir());
}

} // namespace kestrun
