#include "settings/cfg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "testutil.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrun {
namespace {

using test::TempDir;

const std::string kDefaultBeacons = "/opt/kestrun/rsbn_cis_fs2004.csv";

// The file of a first start, typed from the format.
const std::string kDefaultFile = "object TConfig\r\n"
                                 "  Language = ''\r\n"
                                 "  FS2004Path = 'C:\\Program Files\\FS2004\\'\r\n"
                                 "  ViewSPPanel = False\r\n"
                                 "  SupPointDef = 0\r\n"
                                 "  RSBNBeaconFile = ''\r\n"
                                 "end\r\n";

std::string Body(const std::string& properties) {
    return "object TConfig\r\n" + properties + "end\r\n";
}

// The error of a load, if any.
std::optional<std::string> Load(TConfig& config, const std::string& text) {
    try {
        config.LoadFromString(text);
    } catch (const EKestrunError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

TEST(Config, DefaultsWrittenByteForByte) {
    TConfig config(kDefaultBeacons);
    EXPECT_EQ(config.SaveToString(), kDefaultFile);
    TempDir dir;
    config.SaveToFile(dir.File("RSBN.cfg"));
    EXPECT_EQ(ReadFileBytes(dir.File("RSBN.cfg")), kDefaultFile);
}

TEST(Config, AllFiveSettingsWritten) {
    TConfig config(kDefaultBeacons);
    config.Language = "Russian";
    config.FS2004Path = "D:\\FS9\\";
    config.SetViewSPPanel(true);
    config.SetSupPointDef(1);
    config.RSBNBeaconFile = "/data/rsbn.cfg";
    EXPECT_EQ(config.SaveToString(), "object TConfig\r\n"
                                     "  Language = 'Russian'\r\n"
                                     "  FS2004Path = 'D:\\FS9\\'\r\n"
                                     "  ViewSPPanel = True\r\n"
                                     "  SupPointDef = 1\r\n"
                                     "  RSBNBeaconFile = '/data/rsbn.cfg'\r\n"
                                     "end\r\n");
}

// Each text is written in its exact form and reads back unchanged.
TEST(Config, TextsWrittenAndReadBack) {
    const std::string a64(64, 'a'), b36(36, 'b');
    std::string cyr70;
    for (int i = 0; i < 70; ++i) cyr70 += "А"; // Cyrillic capital A, U+0410 = 1040
    std::string codes64, codes6;
    for (int i = 0; i < 64; ++i) codes64 += "#1040";
    for (int i = 0; i < 6; ++i) codes6 += "#1040";
    struct Case {
        const char* name;
        std::string text;
        std::string form; // what follows "  RSBNBeaconFile = " up to the final CR LF
    };
    const std::vector<Case> cases = {
        {"apostrophe", "D:\\Data\\Pilot's\\beacons.csv", "'D:\\Data\\Pilot'#39's\\beacons.csv'"},
        {"Cyrillic", "D:\\Игры\\rsbn.csv", "'D:\\'#1048#1075#1088#1099'\\rsbn.csv'"},
        // Characters that code page 1251 lacks get codes the older files never hold.
        {"Latin", "/home/zoë/Flugpläne/b.csv", "'/home/zo'#235'/Flugpl'#228'ne/b.csv'"},
        {"CJK", "/飞行计划/b.csv", "'/'#39134#34892#35745#21010'/b.csv'"},
        {"beyond the basic plane", "/\U0001D11E", "'/'#55348#56606"},
        {"a byte that is not UTF-8", "/\xFF\xC3", "'/'#56575#56515"},
        {"tab", "C:\\a\tb", "'C:\\a'#9'b'"},
        {"only codes", "\t'", "#9#39"},
        {"degree sign and quote mark", "x°’", "'x'#176#8217"},
        {"100 ASCII characters", a64 + b36, "\r\n    '" + a64 + "' +\r\n    '" + b36 + "'"},
        {"exactly 64 characters", a64, "'" + a64 + "'"},
        {"65 characters", a64 + "z", "\r\n    '" + a64 + "' +\r\n    'z'"},
        {"a code counts as one character", std::string(63, 'a') + "'b",
         "\r\n    '" + std::string(63, 'a') + "'#39 +\r\n    'b'"},
        {"a run ends at the line limit", std::string(60, 'a') + "\t" + std::string(10, 'c'),
         "\r\n    '" + std::string(60, 'a') + "'#9'ccc' +\r\n    'ccccccc'"},
        {"70 Cyrillic letters", cyr70, "\r\n    " + codes64 + " +\r\n    " + codes6},
        {"128 characters", a64 + a64, "\r\n    '" + a64 + "' +\r\n    '" + a64 + "'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TConfig config(kDefaultBeacons);
        config.RSBNBeaconFile = c.text;
        std::string file = config.SaveToString();
        std::string expected = kDefaultFile;
        expected.replace(expected.find("  RSBNBeaconFile = ''"), 21,
                         "  RSBNBeaconFile = " + c.form);
        EXPECT_EQ(file, expected);

        TConfig back(kDefaultBeacons);
        EXPECT_EQ(Load(back, file), std::nullopt);
        EXPECT_EQ(back.RSBNBeaconFile, c.text);
        // The same text in the other text settings.
        config.Language = c.text;
        config.FS2004Path = c.text;
        EXPECT_EQ(Load(back, config.SaveToString()), std::nullopt);
        EXPECT_EQ(back.Language, c.text);
        EXPECT_EQ(back.FS2004Path, c.text);
        EXPECT_EQ(back.SaveToString(), config.SaveToString());
    }
}

// What a file sets; unset expectations keep the defaults.
struct TExpect {
    std::string Language;
    std::string FS2004Path = "C:\\Program Files\\FS2004\\";
    bool ViewSPPanel = false;
    int SupPointDef = 0;
    std::string RSBNBeaconFile;
};

void Check(const TConfig& c, const TExpect& e) {
    EXPECT_EQ(c.Language, e.Language);
    EXPECT_EQ(c.FS2004Path, e.FS2004Path);
    EXPECT_EQ(c.ViewSPPanel, e.ViewSPPanel);
    EXPECT_EQ(int(c.SupPointDef), e.SupPointDef);
    EXPECT_EQ(c.RSBNBeaconFile, e.RSBNBeaconFile);
}

TEST(Config, ReadingValidFiles) {
    const std::string def = kDefaultBeacons;
    struct Case {
        const char* name;
        std::string file;
        TExpect expect;
    };
    auto with = [](auto set) {
        TExpect e;
        e.RSBNBeaconFile = kDefaultBeacons;
        set(e);
        return e;
    };
    const std::vector<Case> cases = {
        {"the default file fills in the beacon file", kDefaultFile, with([](TExpect&) {})},
        {"lower-case names and values, other order, LF only",
         "OBJECT TConfig\nsuppointdef = 1\nviewsppanel = tRUE\nlanguage = 'English'\n"
         "rsbnbeaconfile = '/b.csv'\nEND\n",
         with([](TExpect& e) {
             e.SupPointDef = 1;
             e.ViewSPPanel = true;
             e.Language = "English";
             e.RSBNBeaconFile = "/b.csv";
         })},
        {"only some properties", Body("  Language = 'x'\r\n"),
         with([](TExpect& e) { e.Language = "x"; })},
        {"a byte-order mark in front", "\xEF\xBB\xBF" + Body("  Language = 'x'\r\n"),
         with([](TExpect& e) { e.Language = "x"; })},
        {"the last of a repeated property wins", Body("  Language = 'a'\r\n  Language = 'b'\r\n"),
         with([](TExpect& e) { e.Language = "b"; })},
        {"SupPointDef 257", Body("  SupPointDef = 257\r\n"),
         with([](TExpect& e) { e.SupPointDef = 1; })},
        {"SupPointDef -1", Body("  SupPointDef = -1\r\n"),
         with([](TExpect& e) { e.SupPointDef = 255; })},
        {"SupPointDef hexadecimal", Body("  SupPointDef = $1FF\r\n"),
         with([](TExpect& e) { e.SupPointDef = 255; })},
        {"SupPointDef lowest integer", Body("  SupPointDef = -2147483648\r\n"),
         with([](TExpect& e) { e.SupPointDef = 0; })},
        {"joined literals across lines, mixed kinds",
         Body("  Language = 'ab' +\r\n  #1048 + 'c''d'#33\r\n"),
         with([](TExpect& e) { e.Language = "abИc'd!"; })},
        {"UTF-16 literal: its quoted bytes are units of the same number",
         Body("  Language = #1048'\xE9'\r\n"), with([](TExpect& e) { e.Language = "Иé"; })},
        {"8-bit literal: its quoted bytes are code page 1251",
         Body("  Language = '\xC8\xE3\xF0\xFB'\r\n"),
         with([](TExpect& e) { e.Language = "Игры"; })},
        {"UTF-16 characters outside code page 1251", Body("  Language = #8364#1234\r\n"),
         with([](TExpect& e) { e.Language = "€Ӓ"; })},
        {"object name, inherited header, child position",
         "inherited Cfg: TSomething [2]\r\n  Language = 'x'\r\nend\r\n",
         with([](TExpect& e) { e.Language = "x"; })},
        {"text after the final end is ignored", kDefaultFile + "garbage 'unterminated\r\n",
         with([](TExpect&) {})},
        {"tabs and blanks between tokens", "object\tTConfig\t Language\t=\t''\r\nFS2004Path='p'end",
         with([](TExpect& e) { e.FS2004Path = "p"; })},
        {"a line of 4095 bytes", Body("  Language = '" + std::string(4095 - 17, 'x') + "'\r\n"),
         with([](TExpect& e) { e.Language = std::string(4078, 'x'); })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TConfig config(kDefaultBeacons);
        EXPECT_EQ(Load(config, c.file), std::nullopt);
        Check(config, c.expect);
    }
}

TEST(Config, ObjectNameKeptAndWrittenBack) {
    TConfig config(kDefaultBeacons);
    ASSERT_EQ(Load(config, "object Config1: TConfig\r\nend\r\n"), std::nullopt);
    EXPECT_EQ(config.ObjectName, "Config1");
    config.RSBNBeaconFile.clear();
    EXPECT_EQ(config.SaveToString(), "object Config1: TConfig" + kDefaultFile.substr(14));
}

TEST(Config, RejectedFiles) {
    struct Case {
        const char* name;
        std::string file;
        bool appliesLanguage; // "Language = 'L'" stands first and is applied before the error
    };
    const std::string lang = "  Language = 'L'\r\n";
    const std::vector<Case> cases = {
        // Syntax errors: nothing is applied.
        {"unbalanced apostrophe", Body(lang + "  FS2004Path = 'C:\\\r\n"), false},
        {"missing end", "object TConfig\r\n" + lang, false},
        {"missing =", Body(lang + "  FS2004Path 'x'\r\n"), false},
        {"no header", lang + "end\r\n", false},
        {"header without class", "object\r\n" + lang + "end\r\n", false},
        {"NUL byte before end", Body(lang + std::string("\0", 1)), false},
        {"empty file", "", false},
        {"+ without a second literal", Body(lang + "  FS2004Path = 'a' +\r\n"), false},
        {"+ before a word", Body(lang + "  FS2004Path = 'a' + b\r\n"), false},
        {"malformed real", Body(lang + "  SupPointDef = 1e\r\n"), false},
        {"integer beyond 64 bits", Body(lang + "  SupPointDef = 99999999999999999999\r\n"), false},
        {"lone minus", Body(lang + "  SupPointDef = -\r\n"), false},
        {"a line of 4096 bytes",
         Body(lang + "  FS2004Path = '" + std::string(4096 - 19, 'x') + "'\r\n"), false},
        {"a line of 4095 blanks and its line feed", Body(lang + std::string(4095, ' ') + "\n"),
         false},
        {"unclosed list", Body(lang + "  FS2004Path = (1 2\r\n"), false},
        {"bad binary", Body(lang + "  FS2004Path = {0G}\r\n"), false},
        {"deep nesting", Body(lang + "  FS2004Path = " + std::string(5000, '(')), false},
        // Rejected while applying: what stands before the error is applied.
        {"foreign property", Body(lang + "  Width = 5\r\n  FS2004Path = 'x'\r\n"), true},
        {"word for a text", Body(lang + "  FS2004Path = Path\r\n"), true},
        {"integer for a text", Body(lang + "  RSBNBeaconFile = 5\r\n"), true},
        {"integer for a boolean", Body(lang + "  ViewSPPanel = 1\r\n"), true},
        {"text for a boolean", Body(lang + "  ViewSPPanel = 'True'\r\n"), true},
        {"word for a boolean", Body(lang + "  ViewSPPanel = Yes\r\n"), true},
        {"text for an integer", Body(lang + "  SupPointDef = '1'\r\n"), true},
        {"real for an integer", Body(lang + "  SupPointDef = 1.5\r\n"), true},
        {"integer beyond 32 bits", Body(lang + "  SupPointDef = 2147483648\r\n"), true},
        {"set", Body(lang + "  SupPointDef = [a, b]\r\n"), true},
        {"list", Body(lang + "  FS2004Path = ('a' 1 (b))\r\n"), true},
        {"binary", Body(lang + "  FS2004Path = {00FF 10}\r\n"), true},
        {"collection", Body(lang + "  FS2004Path = <item [1] X = 1 end>\r\n"), true},
        {"dotted name", Body(lang + "  Font.Name = 'x'\r\n"), true},
        {"nested object", Body(lang + "  object Child: TChild\r\n  end\r\n"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TConfig config(kDefaultBeacons);
        EXPECT_NE(Load(config, c.file), std::nullopt);
        TExpect e;
        if (c.appliesLanguage) e.Language = "L";
        Check(config, e); // no default beacon file after a failed read
    }
}

TEST(Config, ErrorMessages) {
    TConfig config(kDefaultBeacons);
    EXPECT_EQ(Load(config, Body("  Width = 5\r\n")), "Property Width does not exist");
    EXPECT_EQ(Load(config, Body("  Language = x\r\n")), "Invalid property value");
    EXPECT_EQ(Load(config, Body("\r\n  Language = 'x\r\n")), "Invalid string constant on line 3");
    TempDir dir;
    EXPECT_THROW(
        {
            try {
                config.LoadFromFile(dir.File("none.cfg"));
            } catch (const EKestrunError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("none.cfg"));
                throw;
            }
        },
        EKestrunError);
}

TEST(Startup, FirstStartWritesDefaultsAndFindsTheDefaultBeacons) {
    TempDir dir;
    const std::string cfg = dir.File("RSBN.cfg");
    TConfig first(kDefaultBeacons);
    EXPECT_EQ(LoadStartupConfig(first, cfg), ""); // nothing to keep
    EXPECT_EQ(ReadFileBytes(cfg), kDefaultFile);
    // The file keeps the empty value, this run uses the default beacon file at once.
    EXPECT_EQ(first.RSBNBeaconFile, kDefaultBeacons);

    TConfig second(kDefaultBeacons);
    LoadStartupConfig(second, cfg);
    EXPECT_EQ(second.RSBNBeaconFile, kDefaultBeacons);
    EXPECT_EQ(ReadFileBytes(cfg), kDefaultFile);
}

TEST(Startup, DamagedFilesAreRewritten) {
    struct Case {
        const char* name;
        std::string file;
        std::string rewritten;
    };
    std::string withLanguage = kDefaultFile;
    withLanguage.replace(withLanguage.find("Language = ''"), 13, "Language = 'Russian'");
    const std::vector<Case> cases = {
        {"unbalanced apostrophe", Body("  Language = 'Russian'\r\n  FS2004Path = 'x\r\n"),
         kDefaultFile},
        {"foreign line after Language",
         Body("  Language = 'Russian'\r\n  Foreign = 1\r\n  FS2004Path = 'x'\r\n"), withLanguage},
        {"truncated file", kDefaultFile.substr(0, 60), kDefaultFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string cfg = dir.File("RSBN.cfg");
        WriteFileAtomic(cfg, c.file);
        TConfig config(kDefaultBeacons);
        // The damaged file is kept beside the rewritten one, byte for byte.
        EXPECT_EQ(LoadStartupConfig(config, cfg), cfg + ".bak");
        EXPECT_EQ(ReadFileBytes(cfg), c.rewritten);
        EXPECT_EQ(ReadFileBytes(cfg + ".bak"), c.file);
        EXPECT_EQ(config.RSBNBeaconFile, kDefaultBeacons);
    }
}

// Guards against losing settings: an older damaged file is never replaced by a newer one, and
// one that cannot be kept (its folder takes no new name, the file is writable) is not written.
TEST(Startup, EveryDamagedFileIsKeptAndOneThatCannotBeIsNotWritten) {
    TempDir dir;
    const std::string cfg = dir.File("RSBN.cfg");
    for (const char* damaged : {"first", "second", "third"}) {
        WriteFileAtomic(cfg, damaged);
        TConfig config(kDefaultBeacons);
        LoadStartupConfig(config, cfg);
    }
    EXPECT_EQ(ReadFileBytes(cfg + ".bak"), "first");
    EXPECT_EQ(ReadFileBytes(cfg + ".bak.1"), "second");
    EXPECT_EQ(ReadFileBytes(cfg + ".bak.2"), "third");

    // Root renames anywhere: the start runs in a child that gives up root first.
    WriteFileAtomic(cfg, "  RSBNBeaconFile = '/my/beacons.cfg'");
    ::chmod(cfg.c_str(), 0666);
    ::chmod(dir.Path.c_str(), 0555);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        TConfig config(kDefaultBeacons);
        const std::string message = test::MessageOf([&] { LoadStartupConfig(config, cfg); });
        ::_exit(message.starts_with("The settings file " + cfg +
                                    " could not be read, nor kept "
                                    "as RSBN.cfg.bak.3 (Permission denied); it is left as it is")
                    ? 0
                    : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(dir.Path.c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFileBytes(cfg), "  RSBNBeaconFile = '/my/beacons.cfg'");
}

TEST(Config, AReadOnlyFileIsNotReplaced) {
    TempDir dir;
    const std::string cfg = dir.File("RSBN.cfg");
    WriteFileAtomic(cfg, kDefaultFile);
    ::chmod(cfg.c_str(), 0444);
    TConfig config(kDefaultBeacons);
    config.Language = "Russian";
    EXPECT_EQ(test::PlacedMessageOf([&] { config.SaveToFile(cfg); }),
              cfg + ": the file is read-only: Cannot create file " + cfg);
    EXPECT_EQ(ReadFileBytes(cfg), kDefaultFile);
}

TEST(Startup, AKeptBeaconFileIsNotReplaced) {
    TempDir dir;
    const std::string cfg = dir.File("RSBN.cfg");
    WriteFileAtomic(cfg, Body("  RSBNBeaconFile = '/my/beacons.cfg'\r\n"));
    TConfig config(kDefaultBeacons);
    LoadStartupConfig(config, cfg);
    EXPECT_EQ(config.RSBNBeaconFile, "/my/beacons.cfg");
}

TEST(Startup, AFailedFallbackWriteReachesTheCaller) {
    TempDir dir;
    // A folder in place of the file: it can neither be read nor replaced.
    const std::string cfg = dir.File("RSBN.cfg");
    std::filesystem::create_directory(cfg);
    TConfig config(kDefaultBeacons);
    try {
        LoadStartupConfig(config, cfg);
        FAIL() << "no error";
    } catch (const EKestrunError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + cfg);
    }
    // A folder that cannot be made: a file stands where it would be.
    WriteFileAtomic(dir.File("file"), "x");
    const std::string blocked = dir.File("file/kestrun/RSBN.cfg");
    EXPECT_EQ(test::MessageOf([&] { LoadStartupConfig(config, blocked); }),
              "Cannot create file " + blocked);
}

TEST(Startup, FirstStartCreatesTheConfigurationFolder) {
    TempDir dir;
    const std::string cfg = dir.File(".config/kestrun/RSBN.cfg");
    TConfig config(kDefaultBeacons);
    LoadStartupConfig(config, cfg);
    EXPECT_EQ(ReadFileBytes(cfg), kDefaultFile);
}

} // namespace
} // namespace kestrun
