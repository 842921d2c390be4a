#include "settings/spverinfo.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

#include <sys/stat.h>

#include "base/cp1251.h"
#include "base/fileio.h"

#define KESTRUN_STR2(x) #x
#define KESTRUN_STR(x) KESTRUN_STR2(x)

namespace kestrun {

namespace {

constexpr std::string_view kStringTable = "\\StringFileInfo\\041904E3\\";

// The version strings that the build puts into the program in place of a version resource;
// the file version is the project version. The description is typed as code page 1251 bytes
// ("Расчёт маршрута для НВУ и РСБН") so that the table stays a constant.
constexpr std::array<TVersionString, 5> kExeVersionTable = {{
    {"\\StringFileInfo\\041904E3\\FileVersion",
     KESTRUN_STR(KESTRUN_VERSION_MAJOR) "." KESTRUN_STR(KESTRUN_VERSION_MINOR) "." KESTRUN_STR(
         KESTRUN_VERSION_RELEASE) "." KESTRUN_STR(KESTRUN_VERSION_BUILD)},
    {"\\StringFileInfo\\041904E3\\FileDescription",
     "\xD0\xE0\xF1\xF7\xB8\xF2 \xEC\xE0\xF0\xF8\xF0\xF3\xF2\xE0 \xE4\xEB\xFF \xCD\xC2\xD3 \xE8 "
     "\xD0\xD1\xC1\xCD"},
    {"\\StringFileInfo\\041904E3\\ProductName", "Kestrun"},
    {"\\StringFileInfo\\041904E3\\CompanyName", "Kestrun developers"},
    {"\\StringFileInfo\\041904E3\\LegalCopyright", "Copyright (C) Kestrun developers"},
}};

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t sep = path.find('\\', start);
        if (sep == std::string_view::npos) sep = path.size();
        if (sep > start) parts.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
    return parts;
}

void Query(std::span<const TVersionString> table, std::string_view name, std::string& field) {
    std::string path(kStringTable);
    path += name;
    if (auto value = QueryVersionValue(table, path)) field = *value;
}

} // namespace

std::span<const TVersionString> ExeVersionTable() {
    return kExeVersionTable;
}

std::optional<std::string> QueryVersionValue(std::span<const TVersionString> table,
                                             std::string_view subBlock) {
    std::vector<std::string_view> want = Components(subBlock);
    for (const TVersionString& entry : table) {
        std::vector<std::string_view> have = Components(entry.Path);
        if (have.size() != want.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < have.size(); ++i) same = SameText(have[i], want[i]);
        if (same) return std::string(entry.Value);
    }
    return std::nullopt;
}

std::string FileDateText(const std::filesystem::path& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    std::time_t t = st.st_mtime;
    std::tm local{};
    if (!::localtime_r(&t, &local)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

TVerInfo::TVerInfo() : TVerInfo(ExePath(), ExeVersionTable()) {}

TVerInfo::TVerInfo(const std::filesystem::path& exePath, std::span<const TVersionString> table) {
    FileDate = FileDateText(exePath);
    // The paths as the program has always asked for them; a trailing backslash changes
    // nothing.
    Query(table, "FileVersion\\", FileVersion);
    Query(table, "FileDescription\\", FileDescription);
    Query(table, "ProductName", ProductName);
    Query(table, "CompanyName", CompanyName);
    Query(table, "LegalCopyright", LegalCopyright);
}

TVersionParts SplitFileVersion(std::string_view fileVersion) {
    TVersionParts parts;
    std::string_view rest = fileVersion;
    for (std::string* part : {&parts.Build, &parts.Release}) {
        const std::size_t dot = rest.rfind('.');
        *part = dot == std::string_view::npos ? rest : rest.substr(dot + 1);
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(0, dot);
    }
    parts.Version = rest;
    return parts;
}

} // namespace kestrun
