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
    try {
        // A settings file that cannot be read is written anew from the defaults; when even
        // that fails the program still starts, with the defaults.
        const std::filesystem::path kept = LoadStartupConfig(Config, Locations.ConfigFile());
        if (!kept.empty())
            StartupMessages.push_back("The settings file could not be read and was written anew; "
                                      "the old one is kept as " +
                                      kept.string());
    } catch (const std::exception& e) {
        StartupMessages.push_back(Message(e));
    }
    // The splash window speaks the interface language already.
    Texts.LoadLanguageFile(LanguageFilePath(LanguageDir(), Config.Language + ".lng"));
    const std::filesystem::path beacons = Config.BeaconFile();
    try {
        LoadBeaconFile(BeaconList, beacons);
        BeaconFile = beacons;
    } catch (const std::exception& e) {
        BeaconList.Clear();
        StartupMessages.push_back(Message(e));
    }
}

std::filesystem::path TKestrunWorld::LanguageDir() const {
    if (auto found = Locations.Find(TDataFile::Languages)) return *found;
    return Locations.ExeDir() / DataFileName(TDataFile::Languages);
}

} // namespace kestrun
