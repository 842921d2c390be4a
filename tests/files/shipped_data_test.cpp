// Every data file that ships beside the program, read through the program's own readers: the
// beacon database, the language files, the help text, the example routes and plan file, and the
// declination grid that the build generates into the run folder.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "files/beaconfile.h"
#include "files/fpimport.h"
#include "files/planfile.h"
#include "math/bglmag.h"
#include "math/wmm.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "settings/langs.h"
#include "testutil.h"

namespace kestrun {
namespace {

namespace fs = std::filesystem;

using test::kPiD;
const std::string kData = std::string(KESTRUN_SHIPPED_DATA) + "/";
const std::string kRun = std::string(KESTRUN_RUN_DIR) + "/";

double Deg(long double rad) {
    return static_cast<double>(rad) * 180.0 / kPiD;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Every line ends with CR LF, and there is no CR or LF elsewhere.
void ExpectCrLfLines(const std::string& bytes) {
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
        } else if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
        }
    }
}

bool HasCyrillic(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0xC0 || c == 0xA8 || c == 0xB8 || c == 0xB9) return true; // also "№"
    return false;
}

// --- beacon database ---------------------------------------------------------------------

// The airport table the beacons were made from (icao,name,lat,lon; decimal degrees).
std::map<std::string, std::pair<double, double>> Airports() {
    std::map<std::string, std::pair<double, double>> out;
    auto lines = Lines(ReadFileBytes(kData + "sources/cis_airports.csv"));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> f;
        std::stringstream ss(lines[i]);
        std::string field;
        while (std::getline(ss, field, ',')) f.push_back(field);
        if (f.size() != 4) continue;
        out[f[0]] = {static_cast<double>(StrToFloat(f[2])), static_cast<double>(StrToFloat(f[3]))};
    }
    return out;
}

TEST(ShippedData, BeaconDatabaseLoadsEveryRecordAtItsAirport) {
    const std::string path = kData + "rsbn_cis_fs2004.csv";
    const std::string bytes = ReadFileBytes(path);
    ExpectCrLfLines(bytes);
    auto lines = Lines(bytes);
    ASSERT_FALSE(lines.empty());
    // The first line says what the data is for.
    EXPECT_EQ(lines[0].rfind("# Demonstration", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("simulator"), std::string::npos);
    std::size_t records = 0;
    for (const auto& l : lines) records += !l.empty() && l[0] == '"';

    TRSBNList beacons;
    LoadBeaconFile(beacons, path);
    const auto airports = Airports();
    ASSERT_EQ(airports.size(), 72u);
    ASSERT_EQ(records, airports.size());
    ASSERT_EQ(beacons.Count(), static_cast<int>(records)); // no record lost to its neighbour

    std::set<std::string> names, idents, icaos;
    for (int i = 0; i < beacons.Count(); ++i) {
        const TRSBNRec& b = beacons[i];
        SCOPED_TRACE(b.Extra);
        EXPECT_TRUE(HasCyrillic(b.Name)) << Cp1251ToUtf8(b.Name);
        EXPECT_TRUE(names.insert(b.Name).second) << "name twice: " << Cp1251ToUtf8(b.Name);
        EXPECT_TRUE(idents.insert(b.Ident).second) << "ident twice: " << b.Ident;
        EXPECT_TRUE(icaos.insert(b.Extra).second);
        EXPECT_GE(b.Ident.size(), 2u);
        EXPECT_LE(b.Ident.size(), 3u);
        const int channel = StrToInt(b.Number);
        EXPECT_GE(channel, 1);
        EXPECT_LE(channel, 40);
        auto a = airports.find(b.Extra);
        ASSERT_NE(a, airports.end());
        // Minutes with two decimals: within 0.005 minute of the airport's reference point.
        EXPECT_NEAR(Deg(b.Position.Lat), a->second.first, 0.005 / 60 + 1e-9);
        EXPECT_NEAR(Deg(b.Position.Lon), a->second.second, 0.005 / 60 + 1e-9);
    }
}

// --- language files ------------------------------------------------------------------------

// The sequence of printf directives of a format text.
std::vector<std::string> Directives(const std::string& fmt) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < fmt.size() && std::string("0123456789.-").find(fmt[j]) != std::string::npos) ++j;
        if (j < fmt.size()) out.push_back(fmt.substr(i, j - i + 1));
        i = j;
    }
    return out;
}

TLanguageTexts ReadLanguageWithSentinels(const std::string& file) {
    TLanguageTexts texts;
    for (auto key : TLanguageTexts::Keys()) texts.Set(key, "\x01unset");
    auto in = OpenFileRead(kData + "Language/" + file);
    texts.ReadLanguage(*in); // errors of the reader pass through here
    return texts;
}

TEST(ShippedData, LanguageFilesSetEveryText) {
    for (const char* file : {"English.lng", "Russian.lng"}) {
        SCOPED_TRACE(file);
        ExpectCrLfLines(ReadFileBytes(kData + "Language/" + file));
        TLanguageTexts texts = ReadLanguageWithSentinels(file);
        for (std::size_t i = 0; i < TLanguageTexts::kCount; ++i) {
            SCOPED_TRACE(std::string(TLanguageTexts::Keys()[i]));
            EXPECT_NE(texts.Get(i), "\x01unset");
            EXPECT_FALSE(texts.Get(i).empty());
            // Format texts keep the built-in placeholders in their order, and format.
            EXPECT_EQ(Directives(texts.Get(i)), Directives(TLanguageTexts::BuiltIn(i)));
        }
        EXPECT_NO_THROW(Format(texts.Get("sTotalDist"), {4509.4}));
        EXPECT_NO_THROW(Format(texts.Get("sFork"), {-12.5, 347.25}));
        EXPECT_NO_THROW(Format(texts.Get("sStatBarDist"), {4509.4, -12.5, 347.25}));
    }
}

TEST(ShippedData, EnglishIsTheBuiltInAndRussianTheWindowCaptions) {
    TLanguageTexts en = ReadLanguageWithSentinels("English.lng");
    TLanguageTexts ru = ReadLanguageWithSentinels("Russian.lng");
    for (std::size_t i = 0; i < TLanguageTexts::kCount; ++i) {
        SCOPED_TRACE(std::string(TLanguageTexts::Keys()[i]));
        EXPECT_EQ(en.Get(i), TLanguageTexts::BuiltIn(i));
        EXPECT_NE(ru.Get(i), TLanguageTexts::BuiltIn(i));
        EXPECT_TRUE(HasCyrillic(ru.Get(i))) << Cp1251ToUtf8(ru.Get(i));
    }
    EXPECT_EQ(ru.Get("sMainMenu_mExit"), Cp("В&ыход"));
    EXPECT_EQ(ru.Get("sStrGrid_Coords"), Cp("Координаты ППМ"));
    EXPECT_EQ(ru.Get("sStrGrid_RSBNTargetDistance"), Cp("Р.цели"));
    EXPECT_EQ(ru.Get("sInterface_Language"), Cp("Язык интерфейса"));
    // The degree sign of the format texts is the code page 1251 byte.
    EXPECT_NE(ru.Get("sFork").find('\xB0'), std::string::npos);
    EXPECT_NE(en.Get("sStatBarDist").find('\xB0'), std::string::npos);
}

TEST(ShippedData, LanguageFilesSetTheWindowsTextsInTheirLanguage) {
    TLanguageTexts en, ru;
    for (std::size_t i = TLanguageTexts::kCount; i < TLanguageTexts::kAllCount; ++i) {
        en.Set(TLanguageTexts::Key(i), "\x01unset");
        ru.Set(TLanguageTexts::Key(i), "\x01unset");
    }
    en.ReadLanguage(*OpenFileRead(kData + "Language/English.lng"));
    ru.ReadLanguage(*OpenFileRead(kData + "Language/Russian.lng"));
    for (std::size_t i = TLanguageTexts::kCount; i < TLanguageTexts::kAllCount; ++i) {
        SCOPED_TRACE(std::string(TLanguageTexts::Key(i)));
        EXPECT_NE(en.Get(i), "\x01unset");
        EXPECT_FALSE(HasCyrillic(en.Get(i))) << en.Get(i);
        EXPECT_TRUE(HasCyrillic(ru.Get(i))) << Cp1251ToUtf8(ru.Get(i));
        // The window puts in as many values as the built-in text names.
        for (const char* arg : {"%1", "%2", "%3"})
            for (const std::string& text : {en.Get(i), ru.Get(i)})
                EXPECT_EQ(text.find(arg) == std::string::npos,
                          TLanguageTexts::BuiltIn(i).find(arg) == std::string::npos);
    }
}

TEST(ShippedData, LanguageFolderListsBothLanguages) {
    std::vector<std::string> list;
    ListLanguageFiles(list, kData + "Language");
    EXPECT_EQ(list, (std::vector<std::string>{"English", "Russian"}));
}

// --- help text -----------------------------------------------------------------------------

TEST(ShippedData, HelpTextExplainsColumnsModesKeysAndCommands) {
    const std::string help = ReadFileBytes(kData + "RSBNHelp.txt");
    ExpectCrLfLines(help);
    EXPECT_GT(help.size(), 2000u);
    EXPECT_EQ(help.find('\x98'), std::string::npos); // the one byte without a character
    EXPECT_EQ(help.find('\t'), std::string::npos);
    // Every column caption of both grids, as the Russian interface shows it.
    TLanguageTexts ru = ReadLanguageWithSentinels("Russian.lng");
    for (std::size_t i = 0; i < TLanguageTexts::kCount; ++i) {
        const std::string key(TLanguageTexts::Keys()[i]);
        if (key.rfind("sStrGrid_", 0) != 0 && key.rfind("sPageControl_", 0) != 0) continue;
        SCOPED_TRACE(key);
        EXPECT_NE(help.find(ru.Get(i)), std::string::npos) << Cp1251ToUtf8(ru.Get(i));
    }
    // The modes, the support points, the keys and the commands.
    for (const char* word : {"А.НА",
                             "А.ОТ",
                             "СРП",
                             "К(П)ПМ",
                             "Траверз",
                             "Insert",
                             "Ctrl+Delete",
                             "Enter",
                             "Backspace",
                             "Стрелка вниз",
                             "Импорт из FS2002(4)",
                             "Открыть файл",
                             "Сохранить файл",
                             "Сохранить файл как...",
                             "Печать",
                             "Автоподбор",
                             "Настройки",
                             "Выход",
                             "navi_helper.txt",
                             "Ctrl+I",
                             "Ctrl+O",
                             "Ctrl+S",
                             "Ctrl+P",
                             "Ctrl+X",
                             ".RBF",
                             ".PLN"}) {
        SCOPED_TRACE(word);
        EXPECT_NE(help.find(Cp(word)), std::string::npos);
    }
    // Both texts tell of every plan kind, the exports and printing; a paragraph is one line,
    // which the help window wraps, so no line goes on indented.
    for (const char* file : {"RSBNHelp.txt", "RSBNHelp_English.txt"}) {
        const std::string text = ReadFileBytes(kData + file);
        ExpectCrLfLines(text);
        EXPECT_EQ(text.find("\r\n "), std::string::npos) << file;
        for (const char* word : {".fms", ".lnmpln", "GPX", "KML", "PDF", "12"})
            EXPECT_NE(text.find(word), std::string::npos) << file << " " << word;
    }
}

// --- examples --------------------------------------------------------------------------------

struct TWorld {
    TRSBNList Beacons;
    TMagDecGrid Grid;
    TWayPointList Plan{Beacons, Grid};
    TWorld() {
        LoadBeaconFile(Beacons, kData + "rsbn_cis_fs2004.csv");
        Grid.LoadMagDecGrid(kRun + "magdec.bgl");
    }
};

TEST(ShippedData, ExampleFolderHoldsThreeFlightPlansAndOnePlanFile) {
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(kData + "examples"))
        files.insert(e.path().filename());
    EXPECT_EQ(files, (std::set<std::string>{"almaty-bukhara-fs2002.pln", "minsk-kharkiv.rbf",
                                            "moscow-irkutsk.pln", "moscow-stpetersburg.pln"}));
}

TEST(ShippedData, FlightPlansImportInTheirLayouts) {
    struct Case {
        const char* file;
        bool fs2004;
        const char* first;
        const char* last;
        int waypoints;
    };
    const Case cases[] = {
        {"moscow-irkutsk.pln", true, "UUEE", "UIII", 18},
        {"moscow-stpetersburg.pln", true, "UUEE", "ULLI", 5},
        {"almaty-bukhara-fs2002.pln", false, "UAAA", "UTSB", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = kData + "examples/" + c.file;
        const std::string bytes = ReadFileBytes(path);
        ExpectCrLfLines(bytes);
        EXPECT_EQ(bytes.find("AppVersion=9") != std::string::npos, c.fs2004);
        EXPECT_EQ(bytes.find("AppVersion") != std::string::npos, c.fs2004);
        TWorld w;
        ImportFlightPlan(w.Plan, path);
        ASSERT_EQ(w.Plan.Count(), c.waypoints);
        EXPECT_EQ(w.Plan[0].Name, c.first);
        EXPECT_EQ(w.Plan[c.waypoints - 1].Name, c.last);
        w.Plan.CalcPlan();
        w.Plan.AutoSelectBeacons();
        w.Plan.CalcPlan();
        std::set<int> modes;
        for (int k = 0; k + 1 < w.Plan.Count(); ++k) {
            const TWayPoint& p = w.Plan[k];
            SCOPED_TRACE(p.Name);
            EXPECT_FALSE(p.Name.empty());
            EXPECT_NE(p.MagDecl, 0.0);
            EXPECT_GE(p.BeaconIndex, 0) << "no beacon found for the leg";
            modes.insert(p.RSBNMode);
        }
        // Waypoints at airports and between them: all three modes occur.
        EXPECT_EQ(modes, (std::set<int>{rmSRP, rmAzimuthTo, rmAzimuthFrom}));
    }
}

TEST(ShippedData, LongRouteIsLongWithDeclinationsFromTheGeneratedGrid) {
    TWorld w;
    ImportFlightPlan(w.Plan, kData + "examples/moscow-irkutsk.pln");
    w.Plan.CalcPlan();
    EXPECT_GT(w.Plan.Count() - 1, 15);
    EXPECT_GT(w.Plan.TotalDist, 3000.0);
    // The run folder's grid against the model for the grid's own date (its header names it).
    const std::string grid = ReadFileBytes(kRun + "magdec.bgl");
    ASSERT_EQ(grid.size(), 136u + 130320u);
    const std::size_t at = grid.find("Date ");
    ASSERT_NE(at, std::string::npos);
    const double year = std::stod(grid.substr(at + 5, 9));
    TWmmModel model;
    model.LoadCof(kRun + "WMM2025.COF");
    for (int k = 0; k < w.Plan.Count(); ++k) {
        const TWayPoint& p = w.Plan[k];
        SCOPED_TRACE(p.Name);
        EXPECT_NEAR(Deg(p.MagDecl), model.Declination(Deg(p.Pos.Lat), Deg(p.Pos.Lon), 0, year),
                    0.1);
    }
    // Moscow's declination is east, Irkutsk's west of Moscow's.
    EXPECT_GT(Deg(w.Plan[0].MagDecl), 5.0);
    EXPECT_LT(Deg(w.Plan[w.Plan.Count() - 1].MagDecl), Deg(w.Plan[0].MagDecl));
}

TEST(ShippedData, PlanFileNamesBeaconsOfTheDatabase) {
    const std::string path = kData + "examples/minsk-kharkiv.rbf";
    const std::string bytes = ReadFileBytes(path);
    ExpectCrLfLines(bytes);
    EXPECT_NE(bytes.find('\x92'), std::string::npos);
    TWorld w;
    w.Plan.SupPoint = spEndWaypoint;
    OpenPlanFile(w.Plan, path);
    ASSERT_EQ(w.Plan.Count(), 5);
    EXPECT_EQ(w.Plan.SupPoint, spTraverse);
    EXPECT_EQ(w.Plan[1].Name, Cp("ЖЛОБИН"));
    w.Plan.CalcPlan();
    // One leg in each mode, the beacons found by their names.
    const struct {
        const char* beacon;
        TRSBNMode mode;
    } legs[] = {{"Минск", rmAzimuthFrom},
                {"Гомель", rmAzimuthTo},
                {"Жуляны", rmSRP},
                {"Харьков", rmAzimuthTo}};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const TRSBNRec* b = w.Plan.BeaconOf(w.Plan[k]);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name, Cp(legs[k].beacon));
        EXPECT_EQ(w.Plan[k].RSBNMode, legs[k].mode);
    }
    EXPECT_EQ(w.Plan[4].BeaconIndex, -1);
}

// --- run folder ------------------------------------------------------------------------------

TEST(ShippedData, RunFolderHoldsTheLayoutTheProgramExpects) {
    for (const char* f : {"rsbn_cis_fs2004.csv", "RSBNHelp.txt", "WMM2025.COF", "magdec.bgl",
                          "Language/English.lng", "Language/Russian.lng",
                          "examples/moscow-irkutsk.pln", "magdecgen"}) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(FileExists(kRun + f));
    }
    for (const char* f :
         {"rsbn_cis_fs2004.csv", "RSBNHelp.txt", "WMM2025.COF", "Language/Russian.lng"}) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(ReadFileBytes(kRun + f) == ReadFileBytes(kData + f));
    }
}

} // namespace
} // namespace kestrun
