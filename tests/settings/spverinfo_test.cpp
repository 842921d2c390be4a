#include "settings/spverinfo.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <utime.h>

#include "base/fileio.h"
#include "testutil.h"

namespace kestrun {
namespace {

using test::TempDir;

std::string ProjectVersion() {
    return std::to_string(KESTRUN_VERSION_MAJOR) + "." + std::to_string(KESTRUN_VERSION_MINOR) +
           "." + std::to_string(KESTRUN_VERSION_RELEASE) + "." +
           std::to_string(KESTRUN_VERSION_BUILD);
}

TEST(VersionTable, QueriesOfTheExecutablesTable) {
    auto table = ExeVersionTable();
    struct Case {
        const char* path;
        std::optional<std::string> value;
    };
    const std::vector<Case> cases = {
        {"\\StringFileInfo\\041904E3\\FileVersion", ProjectVersion()},
        {"\\StringFileInfo\\041904E3\\FileVersion\\", ProjectVersion()},
        {"\\StringFileInfo\\041904e3\\fileversion", ProjectVersion()},
        {"\\StringFileInfo\\041904E3\\ProductName", "Kestrun"},
        {"\\StringFileInfo\\041904E3\\ProductName\\", "Kestrun"},
        {"\\StringFileInfo\\040904E4\\FileVersion", std::nullopt},
        {"\\StringFileInfo\\041904B0\\FileVersion", std::nullopt},
        {"\\StringFileInfo\\041904E3", std::nullopt},
        {"\\StringFileInfo\\041904E3\\FileVersionX", std::nullopt},
        {"\\StringFileInfo\\041904E3\\Comments", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(QueryVersionValue(table, c.path), c.value);
    }
}

// Sets a file's last-write time to a local date and time.
void SetLocalMTime(const std::string& path, int year, int month, int day, int hour, int min) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = min;
    tm.tm_isdst = -1;
    utimbuf times{};
    times.actime = times.modtime = std::mktime(&tm);
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

TEST(VerInfo, FileDate) {
    TempDir dir;
    const std::string exe = dir.File("kestrun");
    WriteFileAtomic(exe, "x");
    struct Case {
        int y, m, d, hh, mm;
        const char* text;
    };
    for (const Case& c :
         {Case{2005, 3, 5, 12, 0, "2005-03-05"}, Case{1999, 12, 31, 23, 59, "1999-12-31"},
          Case{2024, 1, 1, 0, 1, "2024-01-01"}}) {
        SCOPED_TRACE(c.text);
        SetLocalMTime(exe, c.y, c.m, c.d, c.hh, c.mm);
        EXPECT_EQ(TVerInfo(exe, ExeVersionTable()).FileDate, c.text);
    }
    EXPECT_EQ(FileDateText(dir.File("missing")), "");
}

TEST(VerInfo, TablesOfOtherLanguagesAreNotFound) {
    TempDir dir;
    const std::string exe = dir.File("kestrun");
    WriteFileAtomic(exe, "x");
    SetLocalMTime(exe, 2005, 3, 5, 10, 0);

    const std::vector<TVersionString> english = {
        {"\\StringFileInfo\\040904E4\\FileVersion", "2.0.0.0"},
        {"\\StringFileInfo\\040904E4\\ProductName", "Other"},
    };
    TVerInfo other(exe, english);
    EXPECT_EQ(other.FileVersion, "");
    EXPECT_EQ(other.ProductName, "");
    EXPECT_EQ(other.FileDate, "2005-03-05");

    TVerInfo none(exe, {});
    EXPECT_EQ(none.FileVersion + none.FileDescription + none.ProductName + none.CompanyName +
                  none.LegalCopyright,
              "");
    EXPECT_EQ(none.FileDate, "2005-03-05");

    // Stored with or without trailing backslashes, each field finds its own value.
    const std::vector<TVersionString> russian = {
        {"\\StringFileInfo\\041904E3\\FileVersion", "1.2.3.4"},
        {"\\StringFileInfo\\041904E3\\FileDescription", "d"},
        {"\\StringFileInfo\\041904E3\\ProductName\\", "p"},
        {"\\StringFileInfo\\041904E3\\CompanyName", "c"},
        {"\\StringFileInfo\\041904E3\\LegalCopyright\\", "l"},
    };
    TVerInfo ru(exe, russian);
    EXPECT_EQ(ru.FileVersion, "1.2.3.4");
    EXPECT_EQ(ru.FileDescription, "d");
    EXPECT_EQ(ru.ProductName, "p");
    EXPECT_EQ(ru.CompanyName, "c");
    EXPECT_EQ(ru.LegalCopyright, "l");
}

TEST(VerInfo, TheRunningExecutable) {
    TVerInfo info;
    EXPECT_EQ(info.FileVersion, ProjectVersion());
    EXPECT_EQ(info.ProductName, "Kestrun");
    EXPECT_FALSE(info.FileDescription.empty());
    EXPECT_FALSE(info.CompanyName.empty());
    EXPECT_FALSE(info.LegalCopyright.empty());
    // The date of this test program, found independently.
    struct stat st {};
    ASSERT_EQ(::stat("/proc/self/exe", &st), 0);
    std::time_t t = st.st_mtime;
    char expected[16];
    std::strftime(expected, sizeof expected, "%Y-%m-%d", std::localtime(&t));
    EXPECT_EQ(info.FileDate, expected);
    EXPECT_TRUE(std::regex_match(info.FileDate, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}")));
}

} // namespace
} // namespace kestrun
