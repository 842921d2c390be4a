// The program's world: the plan, the beacon database, the declination grid, the settings, the
// version information and the interface texts, created once and passed by reference to every
// window, so that each test builds a fresh one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "settings/cfg.h"
#include "settings/langs.h"
#include "settings/locations.h"
#include "settings/spverinfo.h"

namespace kestrun {

struct TKestrunWorld {
    explicit TKestrunWorld(TFileLocations locations);
    TKestrunWorld(const TKestrunWorld&) = delete;
    TKestrunWorld& operator=(const TKestrunWorld&) = delete;

    TFileLocations Locations;
    TRSBNList BeaconList;
    TMagDecGrid MagDecGrid;
    TWayPointList WayPointList{BeaconList, MagDecGrid};
    TConfig Config;
    TVerInfo VerInfo;
    TLanguageTexts Texts;

    /// The beacon database file BeaconList was read from (empty: none was read).
    std::filesystem::path BeaconFile;
    /// Whether "magdec.bgl" was read; without it every declination is 0.
    bool MagDecLoaded = false;
    /// Messages of the start-up that the main window shows once it is up (UTF-8), for example
    /// a beacon database that could not be read.
    std::vector<std::string> StartupMessages;

    /// The modules' set-up before any window: the settings from RSBN.cfg, the texts of their
    /// interface language, then the beacon database the settings name. A beacon file that cannot be
    /// read leaves the database empty and its message in StartupMessages, so that the user can
    /// choose another file in the settings instead of editing RSBN.cfg by hand.
    void SetUp();

    /// The "Language" folder in use (beside the executable, else the installed data folder):
    /// what LanguageFilePath and ListLanguageFiles take.
    std::filesystem::path LanguageDir() const;
};

} // namespace kestrun
