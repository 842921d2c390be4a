#include "settings/langs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/cp1251.h"
#include "base/fileio.h"
#include "base/velparser.h"

namespace kestrun {

namespace {

struct TTextDef {
    std::string_view Key;
    std::string_view BuiltInUtf8;
};

// "°" is converted to the byte 0xB0 of code page 1251 with the rest of the text.
constexpr std::array<TTextDef, TLanguageTexts::kAllCount> kTexts = {{
    {"sMainMenu_mFile", "&File"},
    {"sMainMenu_mOptions", "&Options"},
    {"sMainMenu_mHelp", "&Help"},
    {"sMainMenu_mImportFP", "&Import Flight Plan from FS 2004(2)"},
    {"sMainMenu_mOpenRSBN", "&Open RSBN file"},
    {"sMainMenu_mSaveRSBN", "&Save RSBN file"},
    {"sMainMenu_mSaveRSBN_as", "Save RSBN file &as..."},
    {"sMainMenu_mPrint", "&Print"},
    {"sMainMenu_mExit", "E&xit"},
    {"sMainMenu_mAutoSelect", "&Auto select RSBN beacons"},
    {"sMainMenu_mSettings", "&Settings"},
    {"sMainMenu_mRefer", "&Information"},
    {"sMainMenu_mAbout", "&About..."},
    {"sPageControl_tsRSBN", "RSBN"},
    {"sPageControl_tsNVU", "NVU"},
    {"sStrGrid_Number", "N"},
    {"sStrGrid_Points", "Point"},
    {"sStrGrid_Coords", "Coords"},
    {"sStrGrid_MagDecl", "M.d."},
    {"sStrGrid_TrueCourseAngle", "Course"},
    {"sStrGrid_TrueBackCourseAngle", "BCrs"},
    {"sStrGrid_MagCourseAngle", "MCrs"},
    {"sStrGrid_MagBackCourseAngle", "MBCrs"},
    {"sStrGrid_Fork", "Fork"},
    {"sStrGrid_SFork", "S.Fork"},
    {"sStrGrid_OrthCourseTakeOff", "OCTake"},
    {"sStrGrid_OrthCourseLand", "OCLand"},
    {"sStrGrid_Distance", "Dist"},
    {"sStrGrid_RSBNBeacon", "RSBN Beacon"},
    {"sStrGrid_RSBNSupPoint", "Sup Point"},
    {"sStrGrid_RSBNMode", "Mode"},
    {"sStrGrid_RSBNAzimuth", "Azimuth"},
    {"sStrGrid_RSBNOrbit", "Orbit"},
    {"sStrGrid_RSBNPlannedCourse", "Pln.crs"},
    {"sStrGrid_RSBNTargetAngle", "Trg.Angle"},
    {"sStrGrid_RSBNTargetDistance", "Trg.Dist"},
    {"sStatBarDist", "Total dist.: %4.0f km  %4.1f° (%4.1f°)"},
    {"sInterface_Language", "Interface language"},
    {"sTotalDist", "Total distance: %4.0f km"},
    {"sFork", "(Summary fork+mag.dec.): %4.1f°. Magnetic course: %4.1f°"},
    // The windows' other texts. "%1", "%2" stand for what the window puts in.
    {"sMainMenu_mEdit", "&Edit"},
    {"sMainMenu_mNew", "&New"},
    {"sMainMenu_mRecent", "&Recent files"},
    {"sMainMenu_mUndo", "&Undo"},
    {"sMainMenu_mRedo", "&Redo"},
    {"sMainMenu_mCopy", "&Copy"},
    {"sMainMenu_mPrintPreview", "Print preview..."},
    {"sMainMenu_mExportPDF", "Export PDF..."},
    {"sMainMenu_mExport", "Export for the navigator's helper..."},
    {"sMainMenu_mExportGPX", "Export GPX..."},
    {"sMainMenu_mExportKML", "Export KML..."},
    {"sMainMenu_mExports", "Export"},
    {"sMainMenu_mExportPLN", "Export MSFS/FSX plan (.pln)..."},
    {"sMainMenu_mExportFMS", "Export X-Plane plan (.fms)..."},
    {"sMainMenu_mExportLnmPlan", "Export Little Navmap plan (.lnmpln)..."},
    {"sToolBar", "Tool bar"},
    {"sSupportPoint", "Положение опорной точки"},
    {"sSupportPoint_EndWaypoint", "К(П)ПМ"},
    {"sSupportPoint_Traverse", "Траверз"},
    {"sNoMagDec", "No magdec.bgl: magnetic declination taken as 0"},
    {"sPositionRefused", "'%1' is not a position: waypoint %2 keeps its position"},
    {"sMissingBeacon", "Waypoint %1 \"%2\": beacon \"%3\" is not in the beacon database; "
                       "the leg has no beacon"},
    {"sConfirm", "Confirm"},
    {"sExitQuestion", "Вы хотите выйти из программы \"Kestrun\" не сохранив плана?"},
    {"sSaveQuestion", "The plan has been changed. Save it first?"},
    {"sButton_Save", "&Save"},
    {"sButton_Discard", "&Discard"},
    {"sButton_Cancel", "Cancel"},
    {"sButton_Ok", "Ok"},
    {"sButton_Close", "Закрыть"},
    {"sConfig_Title", "Configure"},
    {"sConfig_ViewSPPanel", "Показывать панель выбора опорной точки"},
    {"sBeaconsKept", "The beacon database stays as it was:"},
    {"sDialog_Import", "Импортировать флайт-план из MSFS2004"},
    {"sDialog_Open", "Открыть флайт-план с РСБН"},
    {"sDialog_Save", "Сохранить флайт-план с РСБН"},
    {"sDialog_ExportNH", "Сохранение флайт-плана для Штурманского помощника"},
    {"sDialog_ExportPDF", "Export PDF"},
    {"sDialog_ExportGPX", "Export GPX"},
    {"sDialog_ExportKML", "Export KML"},
    {"sDialog_ExportPLN", "Export the MSFS/FSX flight plan"},
    {"sDialog_ExportFMS", "Export the X-Plane flight plan"},
    {"sDialog_ExportLnmPlan", "Export the Little Navmap flight plan"},
    {"sDialog_PrintPreview", "Print preview"},
    {"sProgress_AutoSelect", "Choosing a beacon for every leg..."},
    {"sPrint_Page", "page %d of %d"},
    {"sPageControl_tsMap", "Map"},
    {"sMainMenu_mExportMap", "Export map..."},
    {"sMainMenu_mPrintMap", "Map page in the printout"},
    {"sDialog_ExportMap", "Export map"},
    {"sMap_FitRoute", "Fit route"},
    {"sMap_Assign", "Assign %1 [%2] to the leg %3"},
    {"sMap_Channel", "Channel %1"},
    {"sMap_Distance", "%1 km to %2"},
    // The file dialogs' kinds of file, the question before a file is replaced, and the rest of
    // what the map, the About window and the splash window say.
    {"sFilter_RBF", "RSBN file (*.rbf)"},
    {"sFilter_FS2004", "FS 2004 flight plane (*.pln)"},
    {"sFilter_PLN", "FSX, Prepar3D and MSFS flight plan (*.pln)"},
    {"sFilter_FMS", "X-Plane flight plan (*.fms)"},
    {"sFilter_LnmPlan", "Little Navmap flight plan (*.lnmpln)"},
    {"sFilter_AllPlans", "All flight plans (*.pln *.fms *.lnmpln)"},
    {"sFilter_NaviHelper", "navi_helper.txt"},
    {"sFilter_PDF", "PDF file (*.pdf)"},
    {"sFilter_GPX", "GPX route (*.gpx)"},
    {"sFilter_KML", "KML file (*.kml)"},
    {"sFilter_PNG", "PNG image (*.png)"},
    {"sFileExists", "%1 already exists."},
    {"sReplaceQuestion", "Do you want to replace it?"},
    {"sButton_Yes", "&Yes"},
    {"sButton_No", "&No"},
    {"sMap_NoBaseMapFile", "No base map file: the map shows no land."},
    {"sMap_NoLand", "The map shows no land: %1"},
    {"sMap_Km", "%1 km"},
    {"sAbout_Credit", "The Kestrun developers, 2025-2026"},
    {"sVersion", "Version: %1; release: %2; build: %3 (%4)"},
    {"sSplash", "NVU / RSBN flight-plan calculator"},
}};

const std::string kNoText;

} // namespace

TLanguageTexts::TLanguageTexts() {
    for (std::size_t i = 0; i < kAllCount; ++i) Texts_[i] = BuiltIn(i);
}

std::string_view TLanguageTexts::Key(std::size_t i) {
    return kTexts[i].Key;
}

const std::array<std::string_view, TLanguageTexts::kCount>& TLanguageTexts::Keys() {
    static const std::array<std::string_view, kCount> keys = [] {
        std::array<std::string_view, kCount> k;
        for (std::size_t i = 0; i < kCount; ++i) k[i] = kTexts[i].Key;
        return k;
    }();
    return keys;
}

std::string TLanguageTexts::BuiltIn(std::size_t i) {
    return Cp(kTexts[i].BuiltInUtf8);
}

std::size_t TLanguageTexts::IndexOf(std::string_view key) {
    for (std::size_t i = 0; i < kAllCount; ++i)
        if (SameText(kTexts[i].Key, key)) return i;
    return kAllCount;
}

const std::string& TLanguageTexts::Get(std::string_view key) const {
    std::size_t i = IndexOf(key);
    return i < kAllCount ? Texts_[i] : kNoText;
}

bool TLanguageTexts::Set(std::string_view key, std::string value) {
    std::size_t i = IndexOf(key);
    if (i == kAllCount) return false;
    Texts_[i] = std::move(value);
    return true;
}

void TLanguageTexts::ReadLanguage(std::istream& in) {
    TVelParser parser(in);
    std::string key, value;
    // The value is read as a quoted text even when the quotes are missing; its closing quote
    // is looked for on its own line only, so an entry never takes the next one with it.
    while (!parser.Eof()) {
        parser.ReadKey(key); // whether "=" followed does not matter
        parser.ReadQuoted(value);
        Set(key, value);
        parser.SkipLine();
        parser.SkipBlanks();
    }
}

void TLanguageTexts::LoadLanguageFile(const std::filesystem::path& path) {
    try {
        auto in = OpenFileRead(path);
        ReadLanguage(*in);
    } catch (...) {
        // A missing or unreadable language file leaves the texts as they are.
    }
}

std::filesystem::path LanguageFilePath(const std::filesystem::path& languageDir,
                                       std::string_view fileName) {
    return languageDir / fileName;
}

void ListLanguageFiles(std::vector<std::string>& list, const std::filesystem::path& languageDir) {
    list.clear();
    constexpr std::string_view kExt = ".lng";
    std::error_code ec;
    std::filesystem::directory_iterator it(languageDir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().native();
        if (name.size() >= kExt.size() &&
            name.compare(name.size() - kExt.size(), kExt.size(), kExt) == 0)
            list.push_back(name.substr(0, name.size() - kExt.size()));
    }
    std::sort(list.begin(), list.end());
}

} // namespace kestrun
