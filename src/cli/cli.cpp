#include "cli/cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "files/beaconfile.h"
#include "files/fpimport.h"
#include "files/gpxexport.h"
#include "files/kmlexport.h"
#include "files/navihelper.h"
#include "files/planexport.h"
#include "files/planfile.h"
#include "math/bglmag.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/gridcells.h"
#include "plan/rsbnlist.h"
#include "settings/cfg.h"
#include "settings/langs.h"
#include "settings/locations.h"
#include "settings/spverinfo.h"

namespace kestrun::cli {

namespace {

constexpr const char* kOptions =
    "usage: kestrun-cli [OPTIONS] PLAN\n"
    "  PLAN                  a flight plan to import (.pln of FS2002/2004, FSX, Prepar3D or MSFS;\n"
    "                        .fms of X-Plane; .lnmpln of Little Navmap) or a plan file (.rbf: "
    "opened)\n"
    "  --beacons FILE        the beacon database (.csv, .cfg or rsbn.dat form)\n"
    "  --magdec FILE         the declination grid (magdec.bgl layout)\n"
    "  --support-point KIND  endwaypoint | traverse: sets the support point after the plan is "
    "read\n"
    "  --auto-select         choose the beacons automatically before the final computation\n"
    "  --table WHICH         rsbn | nvu | both | none: the tables to print (default both)\n"
    "  --format FORMAT       text | csv | json (default text)\n"
    "  --export FILE         write the navigator's-helper export\n"
    "  --export-gpx FILE     write the route as GPX 1.1 (moving maps, planners)\n"
    "  --export-kml FILE     write the route, legs and beacons as KML (globe viewers)\n"
    "  --export-pln FILE     write the plan as an XML .pln (FSX, Prepar3D, MSFS 2020/2024)\n"
    "  --export-fms FILE     write the plan as an X-Plane 11/12 .fms\n"
    "  --export-lnmpln FILE  write the plan as a Little Navmap .lnmpln\n"
    "  --save FILE           write the plan file\n"
    "  --paths               show where each file of the program is found, then stop\n"
    "  --help, --version\n"
    "  --                    ends the options: what follows is the plan, even when it starts "
    "with \"-\"\n";

// The options and, one line each, where the files are looked for (the first place that has
// one is taken).
std::string Usage(const TFileLocations& where) {
    const std::string data = where.DataDir().native();
    return kOptions + std::string("files, each from the first place that has it:\n") +
           "  RSBN.cfg              the working directory, else " + where.ConfigDir().native() +
           "\n"
           "  beacon database       --beacons, else the file RSBN.cfg names, else "
           "rsbn_cis_fs2004.csv beside kestrun-cli, else in " +
           data +
           "\n"
           "  magdec.bgl            --magdec, else the working directory, beside kestrun-cli, " +
           data +
           "\n"
           "  RSBNHelp.txt          the working directory, beside kestrun-cli, " +
           data +
           "\n"
           "  Language/             beside kestrun-cli, " +
           data + "\n";
}

struct TOptions {
    std::string Plan;
    std::optional<std::string> Beacons, MagDec, Export, ExportGpx, ExportKml, Save;
    std::optional<std::string> ExportPln, ExportFms, ExportLnmPlan;
    std::optional<TSupPointKind> SupPoint;
    bool AutoSelect = false;
    bool Paths = false;
    bool Rsbn = true, Nvu = true;
    std::string Format = "text";
};

struct UsageError {
    std::string Message;
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Extension(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return Lower(path.substr(dot));
}

// Returns false for --help / --version (already answered).
bool ParseArgs(const std::vector<std::string>& args, TOptions& o, const TFileLocations& where,
               std::ostream& out) {
    std::vector<std::string> positional;
    bool options = true; // until "--": what follows it is a file, even when it starts with "-"
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options = false;
            continue;
        }
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError{"option " + a + " needs a value"};
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            out << Usage(where);
            return false;
        } else if (a == "--version") {
            TVerInfo VerInfo;
            out << "kestrun-cli " << VerInfo.FileVersion << " (" << VerInfo.FileDate << ")\n";
            return false;
        } else if (a == "--beacons") {
            o.Beacons = value();
        } else if (a == "--magdec") {
            o.MagDec = value();
        } else if (a == "--export") {
            o.Export = value();
        } else if (a == "--export-gpx") {
            o.ExportGpx = value();
        } else if (a == "--export-kml") {
            o.ExportKml = value();
        } else if (a == "--export-pln") {
            o.ExportPln = value();
        } else if (a == "--export-fms") {
            o.ExportFms = value();
        } else if (a == "--export-lnmpln") {
            o.ExportLnmPlan = value();
        } else if (a == "--save") {
            o.Save = value();
        } else if (a == "--paths") {
            o.Paths = true;
        } else if (a == "--auto-select") {
            o.AutoSelect = true;
        } else if (a == "--support-point") {
            std::string v = Lower(value());
            if (v == "endwaypoint")
                o.SupPoint = spEndWaypoint;
            else if (v == "traverse")
                o.SupPoint = spTraverse;
            else
                throw UsageError{"--support-point takes endwaypoint or traverse, not '" + v + "'"};
        } else if (a == "--table") {
            std::string v = Lower(value());
            if (v == "rsbn")
                o.Rsbn = true, o.Nvu = false;
            else if (v == "nvu")
                o.Rsbn = false, o.Nvu = true;
            else if (v == "both")
                o.Rsbn = o.Nvu = true;
            else if (v == "none")
                o.Rsbn = o.Nvu = false;
            else
                throw UsageError{"--table takes rsbn, nvu, both or none, not '" + v + "'"};
        } else if (a == "--format") {
            std::string v = Lower(value());
            if (v != "text" && v != "csv" && v != "json")
                throw UsageError{"--format takes text, csv or json, not '" + v + "'"};
            o.Format = v;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError{"unknown option " + a};
        } else {
            positional.push_back(a);
        }
    }
    if (o.Paths && positional.empty()) return true;
    if (positional.empty()) throw UsageError{"no plan file given"};
    if (positional.size() > 1) throw UsageError{"more than one plan file given"};
    o.Plan = positional[0];
    std::string ext = Extension(o.Plan);
    if (ext != ".pln" && ext != ".fms" && ext != ".lnmpln" && ext != ".rbf")
        throw UsageError{"the plan must be a .pln, .fms or .lnmpln flight plan or a .rbf plan "
                         "file: " +
                         o.Plan};
    return true;
}

// Texts inside the program are code page 1251; the terminal speaks UTF-8. File names are the
// operating system's own and pass unchanged.
std::string Out(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

// Appends a text of the program to a line for the terminal; most cells are plain ASCII, which
// both code pages write alike.
void AppendOut(std::string& line, const std::string& cp1251) {
    if (std::all_of(cp1251.begin(), cp1251.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        line += cp1251;
    else
        line += Cp1251ToUtf8(cp1251);
}

// Writes a line made row by row: a big plan is never held as text.
void WriteLine(std::ostream& out, const std::string& line) {
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

struct TTable {
    std::string Title;
    std::vector<TColDescript> Columns;
};

std::vector<TTable> Tables(const TOptions& o, const TLanguageTexts& texts) {
    std::vector<TTable> tables;
    auto add = [&](const char* titleKey, std::vector<TColDescript> cols) {
        for (auto& c : cols)
            if (*c.LanguageKey) c.Caption = texts.Get(c.LanguageKey);
        cols.erase(cols.begin()); // the marker column has no text
        tables.push_back({texts.Get(titleKey), std::move(cols)});
    };
    if (o.Rsbn) add("sPageControl_tsRSBN", RSBNColumns());
    if (o.Nvu) add("sPageControl_tsNVU", NVUColumns());
    return tables;
}

void PrintText(const TWayPointList& plan, const TOptions& o, const TLanguageTexts& texts,
               std::ostream& out) {
    const std::vector<TTable> tables = Tables(o, texts);
    // A column is as wide as its caption and the widest text of its content, each code page
    // 1251 byte one character on the terminal. The texts are made to be measured and dropped,
    // each content once a row whichever tables show it; then the rows are made again and
    // written one by one.
    std::vector<TCellContent> contents;
    for (const TTable& t : tables)
        for (const TColDescript& c : t.Columns)
            if (std::find(contents.begin(), contents.end(), c.Content) == contents.end())
                contents.push_back(c.Content);
    std::vector<std::size_t> widest(contents.size(), 0);
    for (int r = 1; r <= plan.Count(); ++r)
        for (std::size_t k = 0; k < contents.size(); ++k)
            widest[k] = std::max(widest[k], CellText(plan, r, contents[k]).size());
    std::string line;
    for (const TTable& t : tables) {
        std::vector<std::size_t> widths;
        for (const TColDescript& c : t.Columns) {
            const auto k =
                std::find(contents.begin(), contents.end(), c.Content) - contents.begin();
            widths.push_back(std::max(c.Caption.size(), widest[static_cast<std::size_t>(k)]));
        }
        out << Out(t.Title) << "\n";
        for (int r = 0; r <= plan.Count(); ++r) {
            line.clear();
            for (std::size_t i = 0; i < t.Columns.size(); ++i) {
                const TColDescript& c = t.Columns[i];
                const std::string cell = r == 0 ? c.Caption : CellText(plan, r, c.Content);
                const std::size_t pad = widths[i] - cell.size();
                if (i) line += "  ";
                if (c.Align == caRight) line.append(pad, ' ');
                AppendOut(line, cell);
                if (c.Align != caRight) line.append(pad, ' ');
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            line += '\n';
            WriteLine(out, line);
        }
        out << "\n";
    }
    out << Out(Format(texts.Get("sTotalDist"), {plan.TotalDist})) << "\n";
    out << Out(Format(texts.Get("sFork"), {static_cast<double>(plan.SumForkMagDecl * kRadToDeg),
                                           static_cast<double>(plan.FinalMagCourse * kRadToDeg)}))
        << "\n";
}

std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

void PrintCsv(const TWayPointList& plan, const TOptions& o, const TLanguageTexts& texts,
              std::ostream& out) {
    bool first = true;
    std::string line;
    for (const TTable& t : Tables(o, texts)) {
        if (!first) out << "\n";
        first = false;
        for (int r = 0; r <= plan.Count(); ++r) {
            line.clear();
            for (std::size_t i = 0; i < t.Columns.size(); ++i) {
                const TColDescript& c = t.Columns[i];
                if (i) line += ',';
                AppendOut(line, CsvField(r == 0 ? c.Caption : CellText(plan, r, c.Content)));
            }
            line += '\n';
            WriteLine(out, line);
        }
    }
}

std::string JsonString(const std::string& cp1251) {
    std::string s = Out(cp1251), q = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            q += "\\\"";
            break;
        case '\\':
            q += "\\\\";
            break;
        case '\n':
            q += "\\n";
            break;
        case '\r':
            q += "\\r";
            break;
        case '\t':
            q += "\\t";
            break;
        default:
            if (c < 0x20) {
                q += "\\u00";
                q += "0123456789abcdef"[c >> 4];
                q += "0123456789abcdef"[c & 15];
            } else {
                q += static_cast<char>(c);
            }
        }
    }
    return q + "\"";
}

// JSON has no NaN or infinity: a value that is not finite is written as null.
std::string JsonNumber(long double v) {
    const double d = static_cast<double>(v);
    return std::isfinite(d) ? FloatToRoundTrip(d) : std::string("null");
}

std::string JsonPoint(const TGeoPoint& p) {
    return "{\"lat\": " + JsonNumber(p.Lat) + ", \"lon\": " + JsonNumber(p.Lon) + "}";
}

const char* ModeName(TRSBNMode m) {
    switch (m) {
    case rmSRP:
        return "rmSRP";
    case rmAzimuthTo:
        return "rmAzimuthTo";
    case rmAzimuthFrom:
        return "rmAzimuthFrom";
    default:
        return "rmNone";
    }
}

void PrintJson(const TWayPointList& plan, std::ostream& out) {
    out << "{\n";
    out << "  \"SupPoint\": \"" << (plan.SupPoint == spTraverse ? "spTraverse" : "spEndWaypoint")
        << "\",\n";
    out << "  \"TotalDist\": " << JsonNumber(plan.TotalDist) << ",\n";
    out << "  \"SumForkMagDecl\": " << JsonNumber(plan.SumForkMagDecl) << ",\n";
    out << "  \"FinalMagCourse\": " << JsonNumber(plan.FinalMagCourse) << ",\n";
    out << "  \"waypoints\": [";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        out << (i ? ",\n" : "\n") << "    {";
        out << "\"Pos\": " << JsonPoint(w.Pos);
        out << ", \"Name\": " << JsonString(w.Name);
        const std::pair<const char*, double> reals[] = {{"MagDecl", w.MagDecl},
                                                        {"Distance", w.Distance},
                                                        {"TrueCourse", w.TrueCourse},
                                                        {"MagCourse", w.MagCourse},
                                                        {"TrueBackCourse", w.TrueBackCourse},
                                                        {"MagBackCourse", w.MagBackCourse},
                                                        {"Fork", w.Fork},
                                                        {"SFork", w.SFork},
                                                        {"OrthCourseTakeOff", w.OrthCourseTakeOff}};
        for (const auto& [name, v] : reals) out << ", \"" << name << "\": " << JsonNumber(v);
        out << ", \"BeaconPos\": " << JsonPoint(w.BeaconPos);
        out << ", \"RSBNAzimuth\": " << JsonNumber(w.RSBNAzimuth);
        out << ", \"RSBNOrbit\": " << JsonNumber(w.RSBNOrbit);
        out << ", \"RSBNPlannedCourse\": " << JsonNumber(w.RSBNPlannedCourse);
        out << ", \"RSBNSupPoint\": " << JsonPoint(w.RSBNSupPoint);
        out << ", \"RSBNTargetAngle\": " << JsonNumber(w.RSBNTargetAngle);
        out << ", \"RSBNTargetDistance\": " << JsonNumber(w.RSBNTargetDistance);
        out << ", \"RSBNMode\": \"" << ModeName(w.RSBNMode) << "\"";
        out << ", \"BeaconIndex\": " << w.BeaconIndex;
        if (const TRSBNRec* b = plan.BeaconOf(w))
            out << ", \"Beacon\": {\"Number\": " << JsonString(b->Number)
                << ", \"Name\": " << JsonString(b->Name) << ", \"Ident\": " << JsonString(b->Ident)
                << "}";
        out << "}";
    }
    out << (plan.Count() ? "\n  ]\n" : "]\n") << "}\n";
}

// Where the beacon database comes from: the option, else the file RSBN.cfg names (it must be
// readable then), else the shipped one; nothing when there is none.
struct TBeaconSource {
    std::optional<std::filesystem::path> Path;
    const char* Why = "";
};

TBeaconSource FindBeacons(const TOptions& o, const TFileLocations& where) {
    if (o.Beacons) {
        std::string ext = UpperCase1251(Extension(*o.Beacons));
        if (ext != ".CSV" && ext != ".CFG" && ext != ".DAT")
            throw UsageError{"the beacon database must be a .csv, .cfg or .dat file: " +
                             *o.Beacons};
        return {std::filesystem::path(*o.Beacons), "given by --beacons"};
    }
    // RSBN.cfg names the database as the desktop program reads it (an empty name there means
    // the shipped one). A settings file that cannot be read is passed over, as at start-up.
    TConfig config(where);
    try {
        config.LoadFromFile(where.ConfigFile());
        if (!config.RSBNBeaconFile.empty() &&
            config.RSBNBeaconFile != config.DefaultBeaconFile().native())
            return {std::filesystem::path(config.RSBNBeaconFile), "named by RSBN.cfg"};
    } catch (const EKestrunError&) {
    }
    return {where.Find(TDataFile::DefaultBeacons), "the shipped database"};
}

void LoadBeacons(const TOptions& o, const TFileLocations& where, TRSBNList& beacons,
                 std::ostream& err) {
    TBeaconSource source = FindBeacons(o, where);
    if (!source.Path) {
        err << "kestrun-cli: warning: no beacon database found; legs get no beacons\n";
        return;
    }
    LoadBeaconFile(beacons, *source.Path);
}

void LoadGrid(const TOptions& o, const TFileLocations& where, TMagDecGrid& grid,
              std::ostream& err) {
    if (o.MagDec) {
        grid.LoadMagDecGrid(*o.MagDec);
        return;
    }
    // Found by looking, a file that is no grid is reported and the next place tried.
    std::vector<EKestrunError> failures;
    const auto loaded = LoadFirstMagDecGrid(grid, where.Candidates(TDataFile::MagDec), failures);
    for (const EKestrunError& e : failures)
        err << "kestrun-cli: warning: " << ErrorText(e) << "; looking further\n";
    if (!loaded)
        err << "kestrun-cli: warning: no magdec.bgl found; magnetic declination is taken as 0\n";
}

std::string JoinPaths(const std::vector<std::filesystem::path>& paths) {
    std::string s;
    for (const auto& p : paths) s += (s.empty() ? "" : ", ") + p.native();
    return s;
}

// One line per file: where it was found, or where it was looked for.
void PrintPaths(const TOptions& o, const TFileLocations& where, std::ostream& out) {
    auto line = [&](const char* what, const std::string& text) {
        std::string label = what;
        label.resize(std::max<std::size_t>(label.size() + 2, 18), ' ');
        out << label << text << "\n";
    };
    auto found = [&](TDataFile which) {
        if (auto p = where.Find(which)) return p->native();
        return "not found; looked in " + JoinPaths(where.Candidates(which));
    };
    const std::filesystem::path cfg = where.ConfigFile();
    line("RSBN.cfg", FileExists(cfg) ? cfg.native()
                                     : "not found; looked in " +
                                           JoinPaths(where.Candidates(TDataFile::Config)) +
                                           "; the settings are written to " + cfg.native());
    TBeaconSource beacons = FindBeacons(o, where);
    line("beacon database",
         beacons.Path
             ? beacons.Path->native() + " (" + beacons.Why + ")"
             : "not found; looked in " + JoinPaths(where.Candidates(TDataFile::DefaultBeacons)));
    line("magdec.bgl", o.MagDec ? *o.MagDec + " (given by --magdec)" : found(TDataFile::MagDec));
    line("RSBNHelp.txt", found(TDataFile::Help));
    line("Language/", found(TDataFile::Languages));
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TOptions o;
    const TFileLocations where = TFileLocations::FromProcess();
    try {
        if (!ParseArgs(args, o, where, out)) return 0;
        if (o.Paths) {
            PrintPaths(o, where, out);
            return 0;
        }
        TRSBNList BeaconList;
        TMagDecGrid MagDecGrid;
        TWayPointList WayPointList(BeaconList, MagDecGrid);
        LoadBeacons(o, where, BeaconList, err);
        LoadGrid(o, where, MagDecGrid, err);
        if (Extension(o.Plan) != ".rbf")
            ImportFlightPlan(WayPointList, o.Plan);
        else
            for (const TMissingBeacon& m : OpenPlanFile(WayPointList, o.Plan))
                err << "kestrun-cli: warning: waypoint " << m.WayPoint + 1 << " \"" << Out(m.Name)
                    << "\": beacon \"" << Out(m.BeaconName)
                    << "\" is not in the beacon database; the leg has no beacon\n";
        if (o.SupPoint) WayPointList.SupPoint = *o.SupPoint;
        if (o.AutoSelect) WayPointList.AutoSelectBeacons();
        WayPointList.CalcPlan();

        // The files asked for come first: whatever becomes of standard output (a closed
        // pipe, a full disk), they are written.
        if (o.Export) ExportNaviHelper(WayPointList, *o.Export);
        if (o.ExportGpx) ExportGpx(WayPointList, *o.ExportGpx);
        if (o.ExportKml) ExportKml(WayPointList, *o.ExportKml);
        if (o.ExportPln) ExportPln(WayPointList, *o.ExportPln);
        if (o.ExportFms) ExportFms(WayPointList, *o.ExportFms);
        if (o.ExportLnmPlan) ExportLnmPlan(WayPointList, *o.ExportLnmPlan);
        if (o.Save) SavePlanFile(WayPointList, *o.Save);

        TLanguageTexts texts;
        errno = 0; // a failed write to standard output leaves its reason here
        if (o.Format == "json")
            PrintJson(WayPointList, out);
        else if (o.Format == "csv")
            PrintCsv(WayPointList, o, texts, out);
        else
            PrintText(WayPointList, o, texts, out);
        out.flush();
        if (!out) {
            EKestrunError e(kMsgStreamWrite);
            e.File = "standard output";
            if (errno != 0) e.Reason = std::strerror(errno);
            throw e;
        }
        return 0;
    } catch (const UsageError& e) {
        err << "kestrun-cli: " << e.Message << "\n" << Usage(where);
        return 2;
    } catch (const EKestrunError& e) {
        // kestrun-cli: FILE:LINE: MESSAGE: REASON, each part only when known; the file is not
        // repeated in front of a message that names it already.
        const std::string text = ErrorText(e);
        err << "kestrun-cli: ";
        if (!e.File.empty() && (e.Line > 0 || text.find(e.File) == std::string::npos)) {
            err << e.File;
            if (e.Line > 0) err << ":" << e.Line;
            err << ": ";
        }
        err << text;
        if (!e.Reason.empty()) err << ": " << e.Reason;
        err << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "kestrun-cli: " << ErrorText(e) << "\n";
        return 1;
    }
}

} // namespace kestrun::cli
