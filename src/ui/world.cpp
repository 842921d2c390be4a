#include "ui/world.h"

#include <filesystem>

#include "base/error.h"
#include "files/beaconfile.h"

namespace kestrun {

namespace {

std::string Message(const std::exception& e) {
    std::string text = ErrorText(e);
    const std::string where = ErrorWhere(e);
    if (!where.empty()) text += "\n" + where;
    return text;
}

} // namespace

TKestrunWorld::TKestrunWorld(TFileLocations locations)
    : Locations(std::move(locations)), Config(Locations) {}

void TKestrunWorld::SetUp() {
    const std::filesystem::path configFile = Locations.ConfigFile();
    std::error_code ec;
    std::filesystem::create_directories(configFile.parent_path(), ec);
    try {
        // A settings file that cannot be read is written anew from the defaults; when even
        // that fails the program still starts, with the defaults.
        LoadStartupConfig(Config, configFile.string());
    } catch (const std::exception& e) {
        StartupMessages.push_back(Message(e));
        if (Config.RSBNBeaconFile.empty()) Config.RSBNBeaconFile = Config.DefaultBeaconFile();
    }
    std::string beacons = Config.RSBNBeaconFile;
    if (beacons == Config.DefaultBeaconFile().native() && !std::filesystem::exists(beacons))
        if (auto found = Locations.Find(TDataFile::DefaultBeacons)) beacons = found->string();
    try {
        LoadBeaconFile(BeaconList, beacons);
    } catch (const std::exception& e) {
        BeaconList.Clear();
        StartupMessages.push_back(Message(e));
    }
}

std::string TKestrunWorld::LanguageBaseDir() const {
    if (auto found = Locations.Find(TDataFile::Languages)) return found->string();
    return (Locations.ExeDir() / DataFileName(TDataFile::Languages)).string();
}

} // namespace kestrun
