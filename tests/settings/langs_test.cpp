#include "settings/langs.h"

#include <gtest/gtest.h>

#include <cstdio>
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
#include "testutil.h"

namespace kestrun {
namespace {

using test::TempDir;

TEST(LanguageTexts, BuiltInTable) {
    const auto& keys = TLanguageTexts::Keys();
    ASSERT_EQ(keys.size(), 40u);
    EXPECT_EQ(keys.front(), "sMainMenu_mFile");
    EXPECT_EQ(keys[13], "sPageControl_tsRSBN");
    EXPECT_EQ(keys[15], "sStrGrid_Number");
    EXPECT_EQ(keys[35], "sStrGrid_RSBNTargetDistance");
    EXPECT_EQ(keys.back(), "sFork");
    std::set<std::string> upper;
    for (auto k : keys) upper.insert(UpperCase1251(k));
    EXPECT_EQ(upper.size(), 40u) << "keys must differ without regard to letter case";

    TLanguageTexts texts;
    // The degree sign is the byte 0xB0.
    const std::map<std::string, std::string> sample = {
        {"sMainMenu_mFile", "&File"},
        {"sMainMenu_mImportFP", "&Import Flight Plan from FS 2004(2)"},
        {"sMainMenu_mSaveRSBN_as", "Save RSBN file &as..."},
        {"sMainMenu_mExit", "E&xit"},
        {"sStrGrid_Number", "N"},
        {"sStrGrid_MagDecl", "M.d."},
        {"sStrGrid_RSBNPlannedCourse", "Pln.crs"},
        {"sStatBarDist", "Total dist.: %4.0f km  %4.1f\xB0 (%4.1f\xB0)"},
        {"sInterface_Language", "Interface language"},
        {"sTotalDist", "Total distance: %4.0f km"},
        {"sFork", "(Summary fork+mag.dec.): %4.1f\xB0. Magnetic course: %4.1f\xB0"},
        {"sPrint_Page", "page %d of %d"},
    };
    for (const auto& [key, value] : sample) {
        SCOPED_TRACE(key);
        EXPECT_EQ(texts.Get(key), value);
        EXPECT_EQ(texts.Get(UpperCase1251(key)), value);
    }
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(texts.Get(keys[i]), texts.Get(i));
}

TEST(LanguageTexts, SetAndGetIgnoreLetterCase) {
    TLanguageTexts texts;
    EXPECT_TRUE(texts.Set("SSTRGRID_FORK", "x"));
    EXPECT_EQ(texts.Get("sStrGrid_Fork"), "x");
    EXPECT_FALSE(texts.Set("sStrGrid_Nothing", "y"));
    EXPECT_EQ(texts.Get("sStrGrid_Nothing"), "");
    EXPECT_EQ(TLanguageTexts::IndexOf("sstrgrid_fork"), 23u);
}

// The texts that differ from the built-in values after reading a file.
std::map<std::string, std::string> Changed(const TLanguageTexts& texts) {
    std::map<std::string, std::string> changed;
    for (std::size_t i = 0; i < TLanguageTexts::kCount; ++i)
        if (texts.Get(i) != TLanguageTexts::BuiltIn(i))
            changed[std::string(TLanguageTexts::Keys()[i])] = texts.Get(i);
    return changed;
}

TEST(LanguageTexts, ReadingLanguageFiles) {
    struct Case {
        const char* name;
        std::string file;
        std::map<std::string, std::string> changed;
    };
    const std::string file = Cp("&Файл");
    const std::vector<Case> cases = {
        {"quoted entries, with and without =, lower-case key, comments",
         "# Russian\r\nsMainMenu_mFile = \"" + file +
             "\"\r\n\r\n# grid\r\nsstrgrid_fork \"Fork A\"\r\n  sStrGrid_SFork=\"  S \"  # c\r\n",
         {{"sMainMenu_mFile", file}, {"sStrGrid_Fork", "Fork A"}, {"sStrGrid_SFork", "S "}}},
        {"LF and CR line ends",
         "sStrGrid_Fork=\"a\"\nsStrGrid_SFork=\"b\"\rsStrGrid_Distance=\"c\"",
         {{"sStrGrid_Fork", "a"}, {"sStrGrid_SFork", "b"}, {"sStrGrid_Distance", "c"}}},
        {"an unquoted value ends with its line",
         "sStrGrid_Fork = Vilka  \r\nsStrGrid_SFork = \"S\"\r\nsStrGrid_Distance = \"D\"\r\n",
         {{"sStrGrid_Fork", "Vilka  "}, {"sStrGrid_SFork", "S"}, {"sStrGrid_Distance", "D"}}},
        {"# and ; belong to an unquoted value; comments and empty lines are passed",
         "sStrGrid_Fork = a#b;c\r\n\r\n# note\r\n   sStrGrid_SFork=\"S\"\r\n"
         "sStrGrid_Distance=\"D\"\r\n",
         {{"sStrGrid_Fork", "a#b;c"}, {"sStrGrid_SFork", "S"}, {"sStrGrid_Distance", "D"}}},
        {"two unquoted entries",
         "sStrGrid_Fork=A\r\nsStrGrid_SFork=B\r\n",
         {{"sStrGrid_Fork", "A"}, {"sStrGrid_SFork", "B"}}},
        {"a key with nothing after it takes the next line",
         "sStrGrid_Fork =\r\n\r\nnext line\r\nsStrGrid_SFork=\"S\"\r\nsStrGrid_Distance=\"D\"",
         {{"sStrGrid_Fork", "next line"}, {"sStrGrid_SFork", "S"}, {"sStrGrid_Distance", "D"}}},
        {"a line without a key and without quote",
         "-- junk\r\nsStrGrid_Fork=\"F\"\r\nsStrGrid_SFork=\"S\"\r\n",
         {{"sStrGrid_Fork", "F"}, {"sStrGrid_SFork", "S"}}},
        {"a line without a key but with quotes",
         "-- \"junk\" x\r\nsStrGrid_Fork=\"F\"\r\n",
         {{"sStrGrid_Fork", "F"}}},
        {"missing closing quote",
         "sStrGrid_Fork=\"F\r\nsStrGrid_SFork=\"S\"\r\n",
         {{"sStrGrid_Fork", "F"}, {"sStrGrid_SFork", "S"}}},
        {"unknown key ignored, repeated key takes the last value",
         "sNothing=\"x\"\r\nsStrGrid_Fork=\"1\"\r\nSSTRGRID_FORK=\"2\"\r\n",
         {{"sStrGrid_Fork", "2"}}},
        {"last line without line end",
         "sStrGrid_Fork=\"1\"\r\nsStrGrid_SFork=\"2\"",
         {{"sStrGrid_Fork", "1"}, {"sStrGrid_SFork", "2"}}},
        {"an empty quoted value", "sStrGrid_Fork=\"\"\r\n", {{"sStrGrid_Fork", ""}}},
        {"a NUL byte ends the reading with an error, the entries before it kept",
         std::string("sStrGrid_Fork=\"1\"\r\n\0sStrGrid_SFork=\"2\"", 38),
         {{"sStrGrid_Fork", "1"}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLanguageTexts texts;
        std::istringstream in(c.file);
        try {
            texts.ReadLanguage(in);
        } catch (const kestrun::EKestrunError&) {
        }
        EXPECT_EQ(Changed(texts), c.changed);

        TempDir dir;
        WriteFileAtomic(dir.File("x.lng"), c.file);
        TLanguageTexts fromFile;
        fromFile.LoadLanguageFile(dir.File("x.lng"));
        EXPECT_EQ(Changed(fromFile), c.changed);
    }
}

TEST(LanguageTexts, TextsAreNotResetBetweenFiles) {
    TempDir dir;
    WriteFileAtomic(dir.File("a.lng"), "sStrGrid_Fork = \"A fork\"\r\n");
    WriteFileAtomic(dir.File("b.lng"), "sStrGrid_SFork = \"B sum\"\r\n");
    TLanguageTexts texts;
    texts.LoadLanguageFile(dir.File("a.lng"));
    texts.LoadLanguageFile(dir.File("b.lng"));
    EXPECT_EQ(Changed(texts), (std::map<std::string, std::string>{{"sStrGrid_Fork", "A fork"},
                                                                  {"sStrGrid_SFork", "B sum"}}));
}

TEST(LanguageTexts, MissingOrUnreadableFilesChangeNothing) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.lng"));
    TLanguageTexts texts;
    texts.Set("sStrGrid_Fork", "kept");
    for (const std::string& path :
         {dir.File("none.lng"), dir.File("folder.lng"), dir.File(".lng"), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_NO_THROW(texts.LoadLanguageFile(path));
        EXPECT_EQ(Changed(texts), (std::map<std::string, std::string>{{"sStrGrid_Fork", "kept"}}));
    }
}

// Guards against format texts of an edited language file making Format write bytes it never
// formatted: widths and precisions are cut to what a cell can show.
TEST(LanguageTexts, HostileFormatTextsAreCut) {
    TempDir dir;
    WriteFileAtomic(dir.File("x.lng"), "sTotalDist = \"%.300f km\"\r\n"
                                       "sFork = \"%99999999999999999999.1f|%-0.99999f|\"\r\n");
    TLanguageTexts texts;
    texts.LoadLanguageFile(dir.File("x.lng"));
    char expected[512];
    std::snprintf(expected, sizeof expected, "%.20f km", 1e200);
    EXPECT_EQ(Format(texts.Get("sTotalDist"), {1e200}), expected);
    std::snprintf(expected, sizeof expected, "%64.1f|%-.20f|", -1.25, 1.0 / 3);
    EXPECT_EQ(Format(texts.Get("sFork"), {-1.25, 1.0 / 3}), expected);
}

TEST(LanguageFiles, PathAndList) {
    EXPECT_EQ(LanguageFilePath("/opt/k/Language", "Russian.lng"), "/opt/k/Language/Russian.lng");

    TempDir dir;
    const std::string languages = dir.File("Language");
    std::vector<std::string> list = {"stale"};
    ListLanguageFiles(list, languages); // no Language folder
    EXPECT_TRUE(list.empty());

    std::filesystem::create_directory(languages);
    ListLanguageFiles(list, languages); // an empty one
    EXPECT_TRUE(list.empty());

    // Names are the file system's own (UTF-8), whatever code page 1251 can hold.
    for (const std::string& name :
         {std::string("English.lng"), std::string("Русский.lng"), std::string("中文.lng"),
          std::string("readme.txt"), std::string("old.lng.bak"), std::string("lng")})
        WriteFileAtomic(LanguageFilePath(languages, name), "sStrGrid_Fork=\"F\"\r\n");
    std::filesystem::create_directory(LanguageFilePath(languages, "x.lng"));
    ListLanguageFiles(list, languages);
    std::vector<std::string> expected = {"English", "x", "Русский", "中文"};
    EXPECT_EQ(list, expected);

    // A listed name leads back to its file.
    for (const std::string name : {"Русский", "中文"}) {
        TLanguageTexts texts;
        texts.LoadLanguageFile(LanguageFilePath(languages, name + ".lng"));
        EXPECT_EQ(texts.Get("sStrGrid_Fork"), "F");
    }
    // A folder that looks like a language applies nothing.
    TLanguageTexts none;
    none.LoadLanguageFile(LanguageFilePath(languages, "x.lng"));
    EXPECT_TRUE(Changed(none).empty());
}

} // namespace
} // namespace kestrun
