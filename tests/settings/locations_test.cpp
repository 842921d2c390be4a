#include "settings/locations.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testutil.h"

namespace kestrun {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A world of four separate folders, each named after its role.
struct Folders {
    Folders()
        : Work(fs::path(tmp.Path) / "work"), Exe(fs::path(tmp.Path) / "bin"),
          Data(fs::path(tmp.Path) / "share" / "kestrun"), Config(fs::path(tmp.Path) / "config") {
        for (const fs::path& p : {Work, Exe, Data}) fs::create_directories(p);
    }
    TFileLocations Locations() const { return TFileLocations(Work, Exe, Data, Config); }
    TempDir tmp;
    fs::path Work, Exe, Data, Config;
};

void Touch(const fs::path& p) {
    test::WriteBytes(p.string(), "x");
}

TEST(FileLocations, EachFileFoundInItsFirstPlaceThatHasIt) {
    struct Case {
        TDataFile Which;
        const char* Name;
        std::vector<int> Order; // 0 work, 1 exe, 2 data, 3 config
    };
    const Case cases[] = {
        {TDataFile::Config, "RSBN.cfg", {0, 3}},
        {TDataFile::DefaultBeacons, "rsbn_cis_fs2004.csv", {1, 2}},
        {TDataFile::Languages, "Language", {1, 2}},
        {TDataFile::MagDec, "magdec.bgl", {0, 1, 2}},
        {TDataFile::Help, "RSBNHelp.txt", {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Folders f;
        const fs::path roots[] = {f.Work, f.Exe, f.Data, f.Config};
        TFileLocations loc = f.Locations();
        std::vector<fs::path> want;
        for (int r : c.Order) want.push_back(roots[r] / c.Name);
        EXPECT_EQ(loc.Candidates(c.Which), want);
        EXPECT_FALSE(loc.Find(c.Which));
        // Fill the places from the last to the first: each time the earliest one wins.
        for (auto it = want.rbegin(); it != want.rend(); ++it) {
            fs::create_directories(it->parent_path());
            if (c.Which == TDataFile::Languages)
                fs::create_directory(*it);
            else
                Touch(*it);
            EXPECT_EQ(loc.Find(c.Which), *it);
        }
    }
}

TEST(FileLocations, WrongKindOfEntryIsNotFound) {
    Folders f;
    fs::create_directory(f.Work / "magdec.bgl");
    Touch(f.Exe / "Language");
    TFileLocations loc = f.Locations();
    EXPECT_FALSE(loc.Find(TDataFile::Languages));
    Touch(f.Data / "magdec.bgl");
    EXPECT_EQ(loc.Find(TDataFile::MagDec), f.Data / "magdec.bgl");
}

TEST(FileLocations, SettingsReadAndWrittenInOnePlace) {
    Folders f;
    TFileLocations loc = f.Locations();
    // None yet: the user's configuration folder, even though it does not exist.
    EXPECT_EQ(loc.ConfigFile(), f.Config / "RSBN.cfg");
    Touch(f.Work / "RSBN.cfg");
    EXPECT_EQ(loc.ConfigFile(), f.Work / "RSBN.cfg");
}

TEST(FileLocations, UserConfigFolderFromEnvironment) {
    EXPECT_EQ(UserConfigDir("/x/cfg", "/home/u"), fs::path("/x/cfg/kestrun"));
    EXPECT_EQ(UserConfigDir(nullptr, "/home/u"), fs::path("/home/u/.config/kestrun"));
    EXPECT_EQ(UserConfigDir("", "/home/u"), fs::path("/home/u/.config/kestrun"));
    // A relative XDG_CONFIG_HOME is not valid.
    EXPECT_EQ(UserConfigDir("cfg", "/home/u"), fs::path("/home/u/.config/kestrun"));
    EXPECT_EQ(UserConfigDir(nullptr, nullptr), fs::path());
}

TEST(FileLocations, ProcessLocations) {
    TFileLocations loc = TFileLocations::FromProcess();
    EXPECT_EQ(loc.WorkDir(), fs::current_path());
    EXPECT_TRUE(fs::exists(loc.ExeDir() / "settings_tests"));
    EXPECT_TRUE(loc.DataDir().is_absolute());
    EXPECT_EQ(loc.DataDir().filename(), "kestrun");
    EXPECT_EQ(loc.ConfigDir().filename(), "kestrun");
}

} // namespace
} // namespace kestrun
