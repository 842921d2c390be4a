// magdecgen: the declination grid magdec.bgl from the World Magnetic Model, for machines without
// a simulator, or the model's declination at one position.
//
// Exit status: 0 done, 1 a file could not be read or written, 2 the command line was wrong.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "math/wmm.h"
#include "settings/locations.h"

namespace {

using namespace kestrun;

constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;

// The model's own range of heights above the ellipsoid.
constexpr double kMinHeightKm = -1.0;
constexpr double kMaxHeightKm = 850.0;

const char* const kUsage =
    "Usage: magdecgen [--date DATE] [--cof FILE] [-o FILE]\n"
    "       magdecgen --at LAT LON [--height KM] [--date DATE] [--cof FILE]\n"
    "\n"
    "Writes the magnetic declination grid (magdec.bgl) of the World Magnetic Model for one\n"
    "date at sea level, or with --at prints the model's declination at one position.\n"
    "\n"
    "  --date DATE      decimal year (2027.5) or calendar date (2027-07-02) within the\n"
    "                   model's validity; default: today, kept within the validity\n"
    "  --cof FILE       coefficient file; default: WMM2025.COF beside this program, else in\n"
    "                   the installed data folder\n"
    "  -o, --output FILE  grid file to write; default: magdec.bgl in the current folder\n"
    "  --at LAT LON     print the declination in degrees, east positive, to four decimals,\n"
    "                   at latitude LAT and longitude LON (degrees, north and east positive)\n"
    "  --height KM      height above the WGS-84 ellipsoid for --at, -1 to 850 km; default 0\n"
    "  -h, --help       show this text\n"
    "\n"
    "Exit status: 0 done, 1 file error, 2 usage error.\n";

struct TUsageError {
    std::string Message;
};

struct TOptions {
    std::optional<std::string> Date; // as typed
    std::filesystem::path Cof;       // file names in the operating system's form, as typed
    std::filesystem::path Output = "magdec.bgl";
    bool OutputGiven = false;
    bool At = false;
    double Lat = 0, Lon = 0;
    std::optional<double> HeightKm;
    bool Help = false;
};

double ParseNumber(std::string_view what, std::string_view text) {
    try {
        long double v = StrToFloat(text);
        if (std::isfinite(static_cast<double>(v))) return static_cast<double>(v);
    } catch (const EKestrunError&) {
    }
    throw TUsageError{std::string(what) + " '" + std::string(text) + "' is not a number"};
}

// WMM2025.COF beside the program (the run folder), else in the installed data folder.
std::filesystem::path DefaultCof() {
    const TFileLocations where = TFileLocations::FromProcess();
    std::filesystem::path beside = where.ExeDir() / "WMM2025.COF";
    return FileExists(beside) ? beside : where.DataDir() / "WMM2025.COF";
}

TOptions ParseArgs(const std::vector<std::string_view>& args) {
    TOptions o;
    o.Cof = DefaultCof();
    auto value = [&](std::size_t& i, std::string_view opt) -> std::string_view {
        if (i + 1 >= args.size()) throw TUsageError{std::string(opt) + " needs a value"};
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view a = args[i];
        if (a == "-h" || a == "--help") {
            o.Help = true;
        } else if (a == "--date") {
            if (o.Date) throw TUsageError{"--date given twice"};
            o.Date = std::string(value(i, a));
        } else if (a == "--cof") {
            o.Cof = value(i, a);
        } else if (a == "-o" || a == "--output") {
            o.Output = value(i, a);
            o.OutputGiven = true;
        } else if (a == "--at") {
            if (o.At) throw TUsageError{"--at given twice"};
            if (i + 2 >= args.size()) throw TUsageError{"--at needs a latitude and a longitude"};
            o.At = true;
            o.Lat = ParseNumber("latitude", args[++i]);
            o.Lon = ParseNumber("longitude", args[++i]);
        } else if (a == "--height") {
            o.HeightKm = ParseNumber("height", value(i, a));
        } else {
            throw TUsageError{"unknown argument '" + std::string(a) + "'"};
        }
    }
    if (o.Help) return o;
    if (o.HeightKm && !o.At) throw TUsageError{"--height is only used with --at"};
    if (o.At && o.OutputGiven) throw TUsageError{"--at prints the declination; it writes no file"};
    if (o.At) {
        if (o.Lat < -90.0 || o.Lat > 90.0)
            throw TUsageError{"latitude " + FloatToRoundTrip(o.Lat) + " is outside -90 to 90"};
        if (o.Lon < -180.0 || o.Lon > 360.0)
            throw TUsageError{"longitude " + FloatToRoundTrip(o.Lon) + " is outside -180 to 360"};
        const double h = o.HeightKm.value_or(0.0);
        if (h < kMinHeightKm || h > kMaxHeightKm)
            throw TUsageError{"height " + FloatToRoundTrip(h) +
                              " km is outside the model's -1 to 850 km"};
    }
    return o;
}

// "2027-07-02" as a calendar date, anything else as a decimal year.
double ParseDate(std::string_view text) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    const std::string s(text);
    if (s.size() >= 8 && s[4] == '-' &&
        std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) == 3) {
        try {
            return DecimalYear(y, m, d);
        } catch (const EKestrunError&) {
            throw TUsageError{"date '" + s + "' is not a calendar date"};
        }
    }
    return ParseNumber("date", text);
}

double Today() {
    using namespace std::chrono;
    const year_month_day ymd{floor<days>(system_clock::now())};
    return DecimalYear(static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                       static_cast<int>(unsigned(ymd.day())));
}

// The message in UTF-8, as the terminal takes it.
void PrintError(const std::string& message) {
    std::fprintf(stderr, "magdecgen: %s\n", message.c_str());
}

int Run(const std::vector<std::string_view>& args) {
    TOptions o;
    try {
        o = ParseArgs(args);
    } catch (const TUsageError& e) {
        PrintError(e.Message);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (o.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    TWmmModel model;
    try {
        model.LoadCof(o.Cof);
    } catch (const EKestrunError& e) {
        PrintError(ErrorText(e));
        return kExitFile;
    }

    double year = 0;
    try {
        if (o.Date) {
            year = ParseDate(*o.Date);
            if (year < model.ValidFrom() || year > model.ValidTo())
                throw TUsageError{"date " + *o.Date + " is outside the validity of " +
                                  model.ModelName() + " (" + FloatToFixed(model.ValidFrom(), 1) +
                                  " to " + FloatToFixed(model.ValidTo(), 1) + ")"};
        } else {
            // Four decimals, as the grid's header states the date.
            year = std::round(Today() * 1e4) / 1e4;
            year = std::fmin(std::fmax(year, model.ValidFrom()), model.ValidTo());
        }
    } catch (const TUsageError& e) {
        PrintError(e.Message);
        return kExitUsage;
    }

    if (o.At) {
        const double d = model.Declination(o.Lat, o.Lon, o.HeightKm.value_or(0.0), year);
        std::string text = FloatToFixed(d, 4);
        if (text == "-0.0000") text = "0.0000";
        std::printf("%s\n", text.c_str());
        return 0;
    }

    try {
        WriteFileAtomic(o.Output, BuildMagDecFile(model, year));
    } catch (const EKestrunError& e) {
        PrintError(ErrorText(e));
        return kExitFile;
    }
    std::printf("magdecgen: %s written (%s, %s)\n", o.Output.c_str(), model.ModelName().c_str(),
                FloatToFixed(year, 4).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    return Run(args);
}
