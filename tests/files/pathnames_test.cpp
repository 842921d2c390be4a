// Every reader and writer under folders whose names code page 1251 holds only in part or not at
// all: file names are the operating system's own and reach it unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "files/beaconfile.h"
#include "files/fpimport.h"
#include "files/navihelper.h"
#include "files/planfile.h"
#include "math/bglmag.h"
#include "math/wmm.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "settings/cfg.h"
#include "settings/langs.h"
#include "settings/spverinfo.h"
#include "testutil.h"

namespace kestrun {
namespace {

namespace fs = std::filesystem;

// Latin with a letter code page 1251 lacks, Cyrillic that it holds, CJK that it lacks entirely.
const char* const kFolders[] = {"Flugpläne", "Маршруты", "飞行计划"};

// The UTF-8 message of what f raises.
template <class F> std::string TextOf(F&& f) {
    try {
        f();
    } catch (const EKestrunError& e) {
        return ErrorText(e);
    }
    return "<no error>";
}

struct Folder {
    explicit Folder(const char* name) : Dir(fs::path(tmp.Path) / name) {
        fs::create_directory(Dir);
    }
    fs::path Copy(const std::string& fixture, const std::string& as) const {
        fs::copy_file(test::TestData(fixture), Dir / as);
        return Dir / as;
    }
    test::TempDir tmp;
    fs::path Dir;
};

TEST(PathNames, PlansImportedSavedOpenedAndExported) {
    for (const char* name : kFolders) {
        SCOPED_TRACE(name);
        Folder f(name);
        TRSBNList BeaconList;
        LoadBeaconFile(BeaconList, f.Copy("beacons/good.csv", "маяки.csv"));
        ASSERT_GT(BeaconList.Count(), 0);
        TMagDecGrid MagDecGrid;
        TWayPointList plan(BeaconList, MagDecGrid);
        ImportFlightPlan(plan, f.Copy("plans/fs2004.pln", "route.pln"));
        ASSERT_GT(plan.Count(), 1);
        plan[0].SetBeacon(0);
        plan.CalcPlan();

        const fs::path rbf = f.Dir / "план.rbf", txt = f.Dir / "navi_helper.txt";
        SavePlanFile(plan, rbf);
        ExportNaviHelper(plan, txt);
        EXPECT_EQ(ReadFileBytes(txt), FormatNaviHelper(plan));
        TWayPointList back(BeaconList, MagDecGrid);
        OpenPlanFile(back, rbf);
        EXPECT_EQ(FormatPlanFile(back), FormatPlanFile(plan));
        EXPECT_EQ(back[0].BeaconIndex, 0);
        EXPECT_FALSE(FileDateText(rbf).empty());
    }
}

TEST(PathNames, BeaconsGridModelAndLanguages) {
    for (const char* name : kFolders) {
        SCOPED_TRACE(name);
        Folder f(name);
        TRSBNList csv, cfg;
        LoadBeaconFile(csv, f.Copy("beacons/good.csv", "b.csv"));
        LoadBeaconFile(cfg, f.Copy("beacons/good.cfg", "b.cfg"));
        EXPECT_GT(csv.Count(), 0);
        EXPECT_GT(cfg.Count(), 0);

        std::string grid(TMagDecGrid::kHeaderBytes + 2 * TMagDecGrid::kValueCount, '\0');
        grid[TMagDecGrid::kHeaderBytes + 2] = 7; // longitude 0, latitude -89
        WriteFileAtomic(f.Dir / "magdec.bgl", grid);
        TMagDecGrid MagDecGrid;
        MagDecGrid.LoadMagDecGrid(f.Dir / "magdec.bgl");
        EXPECT_EQ(MagDecGrid.At(0, -89), 7);

        TWmmModel model;
        fs::copy_file(std::string(KESTRUN_SHIPPED_DATA) + "/WMM2025.COF", f.Dir / "WMM.COF");
        EXPECT_NO_THROW(model.LoadCof(f.Dir / "WMM.COF"));

        fs::create_directory(f.Dir / "Language");
        WriteFileAtomic(f.Dir / "Language" / "Deutsch.lng", "sStrGrid_Fork=\"Gabel\"\r\n");
        std::vector<std::string> list;
        ListLanguageFiles(list, f.Dir / "Language");
        ASSERT_EQ(list, std::vector<std::string>{"Deutsch"});
        TLanguageTexts texts;
        texts.LoadLanguageFile(LanguageFilePath(f.Dir / "Language", list[0] + ".lng"));
        EXPECT_EQ(texts.Get("sStrGrid_Fork"), "Gabel");
    }
}

TEST(PathNames, SettingsNameABeaconFileThatReadsBack) {
    for (const char* name : kFolders) {
        SCOPED_TRACE(name);
        Folder f(name);
        const fs::path beacons = f.Copy("beacons/good.cfg", "rsbn.cfg");
        const fs::path file = f.Dir / "kestrun" / "RSBN.cfg"; // a folder made by the save
        TConfig config(f.Dir / "default.csv");
        config.RSBNBeaconFile = beacons.native();
        config.FS2004Path = f.Dir.native() + "/FS9/";
        config.SaveToFile(file);

        TConfig back(f.Dir / "default.csv");
        back.LoadFromFile(file);
        EXPECT_EQ(back.RSBNBeaconFile, beacons.native());
        EXPECT_EQ(back.FS2004Path, config.FS2004Path);
        TRSBNList list;
        LoadBeaconFile(list, back.RSBNBeaconFile);
        EXPECT_GT(list.Count(), 0);
    }
}

TEST(PathNames, MessagesNameThePathAsGiven) {
    for (const char* name : kFolders) {
        SCOPED_TRACE(name);
        Folder f(name);
        const fs::path missing = f.Dir / "none.rbf", nowhere = f.Dir / "no" / "x.rbf";
        TRSBNList BeaconList;
        TMagDecGrid MagDecGrid;
        TWayPointList plan(BeaconList, MagDecGrid);
        EXPECT_EQ(TextOf([&] { OpenPlanFile(plan, missing); }),
                  "Cannot open file " + missing.native());
        EXPECT_EQ(TextOf([&] { SavePlanFile(plan, nowhere); }),
                  "Cannot create file " + nowhere.native());
        const fs::path bad = f.Copy("beacons/bad_section.cfg", "bad.cfg");
        EXPECT_EQ(TextOf([&] { LoadBeaconFile(BeaconList, bad); }),
                  "Bad format RSBN_DAT.CFG file! Path " + bad.native() + ".");
        // The code page 1251 form keeps what it can hold.
        EXPECT_EQ(test::MessageOf([&] { OpenPlanFile(plan, missing); }),
                  "Cannot open file " + Utf8ToCp1251(missing.native()));
    }
}

} // namespace
} // namespace kestrun
