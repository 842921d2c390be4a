// The command-line calculator, run as a user runs it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/cp1251.h"
#include "settings/cfg.h"
#include "testutil.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

struct Result {
    int Status = -1;
    std::string Out, Err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs kestrun-cli in `cwd` with the arguments, with the user's configuration folder under
// configHome (by default one that does not exist), never the real user's.
Result RunCli(const std::vector<std::string>& args, const std::string& cwd,
              const std::string& configHome = "") {
    TempDir io;
    std::string cmd = "cd " + Quote(cwd) + " && XDG_CONFIG_HOME=" +
                      Quote(configHome.empty() ? io.File("config") : configHome) + " " +
                      Quote(KESTRUN_CLI);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(io.File("out")) + " 2>" + Quote(io.File("err")) + " </dev/null";
    Result r;
    int raw = std::system(cmd.c_str());
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.Out = ReadBytes(io.File("out"));
    r.Err = ReadBytes(io.File("err"));
    return r;
}

const std::string kBeacons = TestData("cli/beacons.csv");
const std::string kPlan = TestData("plans/fs2004.pln");

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// Splits one CSV line (quoted fields with doubled quotes).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> f(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                f.back() += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                f.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            f.emplace_back();
        } else {
            f.back() += c;
        }
    }
    return f;
}

} // namespace

TEST(Cli, TextTablesWithBeaconsChosen) {
    TempDir cwd;
    Result r = RunCli({"--beacons", kBeacons, "--auto-select", kPlan}, cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto lines = Lines(r.Out);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "RSBN");
    for (const char* caption :
         {"N", "Point", "Coords", "M.d.", "Course", "MCrs", "Dist", "RSBN Beacon", "Sup Point",
          "Mode", "Azimuth", "Orbit", "Pln.crs", "Trg.Angle", "Trg.Dist"})
        EXPECT_NE(lines[1].find(caption), std::string::npos) << caption;
    EXPECT_EQ(lines[2].substr(0, 8), "1.  UUEE");
    EXPECT_NE(lines[2].find("N55°58.35’ E037°24.68’"), std::string::npos);
    // No beacon stands within 3 km of the first leg's end, but Moscow stands at its start.
    EXPECT_NE(lines[2].find("Москва, [MSK],  [1]"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("А.ОТ"), std::string::npos) << lines[2];
    EXPECT_NE(r.Out.find("\nNVU\n"), std::string::npos);
    EXPECT_NE(r.Out.find("OCLand"), std::string::npos);
    EXPECT_NE(r.Out.find("Total distance: "), std::string::npos);
    EXPECT_NE(r.Out.find("(Summary fork+mag.dec.): "), std::string::npos);
}

TEST(Cli, CsvHasOneHeaderAndOneLinePerWaypoint) {
    TempDir cwd;
    Result r =
        RunCli({"--beacons", kBeacons, "--format", "csv", "--table", "rsbn", kPlan}, cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "N,Point,Coords,M.d.,Course,MCrs,Dist,RSBN Beacon,Sup Point,Mode,Azimuth,"
                        "Orbit,Pln.crs,Trg.Angle,Trg.Dist");
    for (const auto& l : lines) EXPECT_EQ(CsvFields(l).size(), 15u) << l;
    EXPECT_EQ(CsvFields(lines[3])[1], "URSS");
    EXPECT_EQ(CsvFields(lines[3])[4], ""); // the last row has no leg

    Result both = RunCli({"--format", "csv", "--beacons", kBeacons, kPlan}, cwd.Path);
    auto b = Lines(both.Out);
    ASSERT_EQ(b.size(), 9u); // two tables of 1 + 3 lines and the blank line between them
    EXPECT_EQ(CsvFields(b[5]).size(), 13u);
}

TEST(Cli, JsonCarriesEveryValueAsStored) {
    TempDir cwd;
    Result r = RunCli({"--beacons", kBeacons, "--auto-select", "--support-point", "traverse",
                       "--format", "json", kPlan},
                      cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto j = nlohmann::json::parse(r.Out);
    EXPECT_EQ(j["SupPoint"], "spTraverse");
    ASSERT_EQ(j["waypoints"].size(), 3u);
    double sum = 0;
    for (const auto& w : j["waypoints"]) {
        for (const char* key : {"Pos",
                                "Name",
                                "MagDecl",
                                "Distance",
                                "TrueCourse",
                                "MagCourse",
                                "TrueBackCourse",
                                "MagBackCourse",
                                "Fork",
                                "SFork",
                                "OrthCourseTakeOff",
                                "BeaconPos",
                                "RSBNAzimuth",
                                "RSBNOrbit",
                                "RSBNPlannedCourse",
                                "RSBNSupPoint",
                                "RSBNTargetAngle",
                                "RSBNTargetDistance",
                                "RSBNMode",
                                "BeaconIndex"})
            EXPECT_TRUE(w.contains(key)) << key;
        sum += w["Distance"].get<double>();
    }
    sum -= j["waypoints"][2]["Distance"].get<double>();
    EXPECT_NEAR(j["TotalDist"].get<double>(), sum, 1e-9);
    const auto& first = j["waypoints"][0];
    EXPECT_EQ(first["Name"], "UUEE");
    EXPECT_EQ(first["RSBNMode"], "rmAzimuthFrom");
    EXPECT_EQ(first["Beacon"]["Name"], "Москва");
    EXPECT_EQ(first["Beacon"]["Ident"], "MSK");
    EXPECT_EQ(first["Beacon"]["Number"], "1");
    EXPECT_NEAR(first["Pos"]["lat"].get<double>(), (55 + 58.35 / 60) * kDeg, 1e-15);
    EXPECT_FALSE(j["waypoints"][2].contains("Beacon")); // the end waypoint loses its beacon
}

TEST(Cli, ExportAndSaveWriteTheirFiles) {
    TempDir cwd;
    Result r = RunCli({"--beacons", kBeacons, "--auto-select", "--table", "none", "--export",
                       "navi_helper.txt", "--save", "route.RBF", kPlan},
                      cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.substr(0, 16), "Total distance: ");
    std::string nh = ReadBytes(cwd.File("navi_helper.txt"));
    EXPECT_EQ(nh.substr(0, 18), "  1. [UUEE-MR], t1");
    EXPECT_NE(nh.find("[MSK], F,"), std::string::npos) << nh;
    std::string rbf = ReadBytes(cwd.File("route.RBF"));
    EXPECT_EQ(rbf.substr(0, 22), "SupPoint=Endwaypoint\r\n");
    EXPECT_NE(rbf.find(Cp("\"Москва\"")), std::string::npos);

    // Opening the saved plan gives the same tables as the import with auto-selection.
    Result a = RunCli({"--beacons", kBeacons, "--auto-select", kPlan}, cwd.Path);
    Result b = RunCli({"--beacons", kBeacons, "route.RBF"}, cwd.Path);
    ASSERT_EQ(b.Status, 0) << b.Err;
    EXPECT_EQ(a.Out, b.Out);
}

TEST(Cli, FoldersNamedInAnyScript) {
    for (const char* name : {"Flugpläne", "Маршруты", "飞行计划"}) {
        SCOPED_TRACE(name);
        TempDir cwd;
        const std::string dir = cwd.File(name);
        std::filesystem::create_directory(dir);
        WriteBytes(dir + "/route.pln", ReadBytes(kPlan));
        WriteBytes(dir + "/beacons.csv", ReadBytes(kBeacons));
        // Settings that name the beacon file there, as the settings window writes them.
        TConfig config(std::filesystem::path("unused.csv"));
        config.RSBNBeaconFile = dir + "/beacons.csv";
        config.SaveToFile(cwd.File("RSBN.cfg"));

        Result a = RunCli({"--auto-select", "--save", dir + "/route.rbf", "--export",
                           dir + "/navi_helper.txt", dir + "/route.pln"},
                          cwd.Path);
        ASSERT_EQ(a.Status, 0) << a.Err;
        EXPECT_NE(ReadBytes(dir + "/navi_helper.txt").find("[MSK], F,"), std::string::npos);
        Result b = RunCli({dir + "/route.rbf"}, cwd.Path);
        ASSERT_EQ(b.Status, 0) << b.Err;
        EXPECT_EQ(a.Out, b.Out);
        Result missing = RunCli({dir + "/none.rbf"}, cwd.Path);
        EXPECT_EQ(missing.Err, "kestrun-cli: Cannot open file " + dir +
                                   "/none.rbf: No such file or directory\n");
    }
}

TEST(Cli, PlanFileBeaconsTheDatabaseLacksAreWarnedOf) {
    TempDir cwd;
    WriteBytes(cwd.File("p.rbf"), Cp("waypoint.0=\"UUEE\", N55*58.35’, E037*24.68’, \"Нигде\"\r\n"
                                     "waypoint.1=\"UUWW\", N55*35.55’, E037*16.07’, \"Москва\"\r\n"
                                     "waypoint.2=\"URSS\", N43*26.98’, E039*57.25’, \"\"\r\n"));
    Result r = RunCli({"--beacons", kBeacons, "--table", "none", "p.rbf"}, cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "kestrun-cli: warning: waypoint 1 \"UUEE\": beacon \"Нигде\" is not in the "
                     "beacon database; the leg has no beacon\n");
}

TEST(Cli, ReadingAndWritingFailuresExitWithOne) {
    TempDir cwd;
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"x.pln"}, "Cannot open file x.pln: No such file or directory\n"},
        {{"--beacons", "none.csv", kPlan},
         "Cannot open file none.csv: No such file or directory\n"},
        {{"--magdec", "/dev/zero", kPlan}, "Cannot open file /dev/zero: not a regular file\n"},
        {{TestData("plans/broken.pln")},
         TestData("plans/broken.pln") + ":4: Ожидается символ \"*\"\n"},
        {{"--save", "/nonexistent/dir/p.rbf", kPlan},
         "Cannot create file /nonexistent/dir/p.rbf: No such file or directory\n"},
        {{"--export", "/dev/full", kPlan},
         "/dev/full: Stream write error: No space left on device\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        Result r = RunCli(c.args, cwd.Path);
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, "kestrun-cli: " + c.err);
    }
}

// Standard output that fails (a reader gone, a full disk): the files asked for are written all
// the same, and the failure is reported with status 1.
TEST(Cli, FailedStandardOutputIsReportedAfterTheFilesAreWritten) {
    TempDir cwd;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]); // nobody will read
    const std::string save = cwd.File("saved.rbf");
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], 1);
        int err = ::open(cwd.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, 2);
        ::execl(KESTRUN_CLI, KESTRUN_CLI, "--beacons", kBeacons.c_str(), "--save", save.c_str(),
                kPlan.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = -1;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadBytes(cwd.File("err")), "kestrun-cli: standard output: Stream write error: " +
                                              std::string(std::strerror(EPIPE)) + "\n");
    EXPECT_NE(ReadBytes(save).find("waypoint.2="), std::string::npos);

    const std::string cmd = "cd " + Quote(cwd.Path) + " && " + Quote(KESTRUN_CLI) + " " +
                            Quote(kPlan) + " >/dev/full 2>/dev/null";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
}

TEST(Cli, UsageErrorsExitWithTwo) {
    TempDir cwd;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"plan.txt"},
                                               {"--table", "all", kPlan},
                                               {"--bogus", kPlan},
                                               {"a.pln", "b.pln"},
                                               {"--support-point", "middle", kPlan},
                                               {"--format", "xml", kPlan},
                                               {kPlan, "--export"},
                                               {"--beacons", "b.txt", kPlan}}) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        SCOPED_TRACE(joined);
        Result r = RunCli(args, cwd.Path);
        EXPECT_EQ(r.Status, 2);
        EXPECT_EQ(r.Err.substr(0, 13), "kestrun-cli: ");
        EXPECT_NE(r.Err.find("usage: kestrun-cli [OPTIONS] PLAN"), std::string::npos);
        EXPECT_EQ(r.Out, "");
    }
    Result help = RunCli({"--help"}, cwd.Path);
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.substr(0, 33), "usage: kestrun-cli [OPTIONS] PLAN");
    Result version = RunCli({"--version"}, cwd.Path);
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.substr(0, 12), "kestrun-cli ");
}

TEST(Cli, BeaconDatabaseNamedBySettingsInTheWorkingDirectory) {
    TempDir cwd;
    WriteBytes(cwd.File("RSBN.cfg"),
               "object TConfig\r\n  RSBNBeaconFile = '" + kBeacons + "'\r\nend\r\n");
    Result r = RunCli({"--auto-select", "--format", "csv", "--table", "rsbn", kPlan}, cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(CsvFields(Lines(r.Out)[1])[7], "Москва, [MSK],  [1]");

    WriteBytes(cwd.File("RSBN.cfg"), "object TConfig\r\n  RSBNBeaconFile = 'gone.csv'\r\nend\r\n");
    Result missing = RunCli({kPlan}, cwd.Path);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "kestrun-cli: Cannot open file gone.csv: No such file or directory\n");
}

TEST(Cli, PathsShowWhereEachFileIsFound) {
    TempDir cwd, home;
    const std::string run = std::filesystem::path(KESTRUN_CLI).parent_path().native();
    const std::string userCfg = home.File("kestrun/RSBN.cfg");
    auto line = [](const std::string& label, const std::string& text) {
        return label + std::string(18 - label.size(), ' ') + text + "\n";
    };
    // An empty working directory: the settings of the user, the data beside the program.
    std::filesystem::create_directory(home.File("kestrun"));
    WriteBytes(userCfg, "object TConfig\r\nend\r\n");
    Result r = RunCli({"--paths"}, cwd.Path, home.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out,
              line("RSBN.cfg", userCfg) +
                  line("beacon database", run + "/rsbn_cis_fs2004.csv (the shipped database)") +
                  line("magdec.bgl", run + "/magdec.bgl") +
                  line("RSBNHelp.txt", run + "/RSBNHelp.txt") +
                  line("Language/", run + "/Language"));
    // The working directory's own files come first; its settings name the beacons.
    WriteBytes(cwd.File("magdec.bgl"), "");
    WriteBytes(cwd.File("RSBN.cfg"),
               "object TConfig\r\n  RSBNBeaconFile = '" + kBeacons + "'\r\nend\r\n");
    Result own = RunCli({"--paths"}, cwd.Path, home.Path);
    auto lines = Lines(own.Out);
    ASSERT_EQ(lines.size(), 5u) << own.Out;
    EXPECT_EQ(lines[0] + "\n", line("RSBN.cfg", cwd.File("RSBN.cfg")));
    EXPECT_EQ(lines[1] + "\n", line("beacon database", kBeacons + " (named by RSBN.cfg)"));
    EXPECT_EQ(lines[2] + "\n", line("magdec.bgl", cwd.File("magdec.bgl")));
}

TEST(Cli, ExtensionInAnyLetterCase) {
    TempDir cwd;
    WriteBytes(cwd.File("ROUTE.PLN"), ReadBytes(kPlan));
    Result r = RunCli({"--beacons", kBeacons, "--table", "nvu", "ROUTE.PLN"}, cwd.Path);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Lines(r.Out)[0], "NVU");
    // "--" ends the options, as in other command-line tools.
    WriteBytes(cwd.File("-x.pln"), ReadBytes(kPlan));
    Result dash = RunCli({"--table", "nvu", "--", "-x.pln"}, cwd.Path);
    EXPECT_EQ(dash.Status, 0) << dash.Err;
}

// A broken magdec.bgl in the working directory is reported and does not hide the good one
// beside the executable.
TEST(Cli, BrokenDeclinationGridFoundByLookingIsReportedAndPassedOver) {
    TempDir cwd;
    WriteBytes(cwd.File("magdec.bgl"), "");
    Result r = RunCli({"--table", "nvu", "--format", "csv", kPlan}, cwd.Path);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "kestrun-cli: warning: Bad format! " + cwd.File("magdec.bgl") +
                         "; looking further\n");
    EXPECT_EQ(CsvFields(Lines(r.Out)[1])[3], "12.2"); // the declination at UUEE, not 0.0
    Result given = RunCli({"--magdec", cwd.File("magdec.bgl"), kPlan}, cwd.Path);
    EXPECT_EQ(given.Status, 1);
    EXPECT_EQ(given.Err, "kestrun-cli: Bad format! " + cwd.File("magdec.bgl") + "\n");
}

TEST(Cli, PlansOfTodaysSimulatorsAndTheirExports) {
    TempDir cwd;
    WriteBytes(cwd.File("ROUTE.FMS"), "I\r\n1100 Version\r\nADEP UUEE\r\nNUMENR 2\r\n"
                                      "1 UUEE ADEP 630 55.972500 37.411333\r\n"
                                      "1 URSS ADES 89 43.449667 39.954167\r\n");
    WriteBytes(cwd.File("route.lnmpln"),
               "<LittleNavmap><Flightplan><Waypoints>"
               "<Waypoint><Ident>UUEE</Ident><Pos Lon=\"37.411333\" Lat=\"55.9725\"/></Waypoint>"
               "<Waypoint><Ident>URSS</Ident><Pos Lon=\"39.954167\" Lat=\"43.449667\"/></Waypoint>"
               "</Waypoints></Flightplan></LittleNavmap>");
    for (const char* plan : {"ROUTE.FMS", "route.lnmpln"}) {
        SCOPED_TRACE(plan);
        Result r = RunCli(
            {"--format", "json", "--export-gpx", "r.gpx", "--export-kml", "r.kml", plan}, cwd.Path);
        ASSERT_EQ(r.Status, 0) << r.Err;
        auto j = nlohmann::json::parse(r.Out);
        ASSERT_EQ(j["waypoints"].size(), 2u);
        EXPECT_EQ(j["waypoints"][1]["Name"], "URSS");
        EXPECT_NEAR(j["waypoints"][1]["Pos"]["lat"].get<double>(), 43.449667 * kDeg, 1e-15);
        EXPECT_NE(ReadBytes(cwd.File("r.gpx")).find("<rtept lat=\"43.449667\" lon=\"39.954167\">"),
                  std::string::npos);
        EXPECT_NE(ReadBytes(cwd.File("r.kml")).find("<name>UUEE - URSS</name>"), std::string::npos);
    }
}

TEST(Cli, APlanWithoutWaypointsIsAFailure) {
    TempDir cwd;
    WriteBytes(cwd.File("other.pln"), "[FSCFP]\r\nWP=1,Fix,80VOR,TNT347008,46.15109,11.10340\r\n");
    Result r = RunCli({"--export-gpx", "r.gpx", "other.pln"}, cwd.Path);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "kestrun-cli: No waypoint found in file other.pln\n");
    EXPECT_FALSE(std::ifstream(cwd.File("r.gpx")));
}

TEST(Cli, SimulatorPlansWrittenAndBeaconsChosenFromAnAddOnsList) {
    TempDir cwd;
    Result r =
        RunCli({"--beacons", TestData("cli/rsbn.dat"), "--auto-select", "--format", "json",
                "--export-pln", "r.pln", "--export-fms", "r.fms", "--export-lnmpln", "r.lnmpln",
                std::string(KESTRUN_SHIPPED_DATA) + "/examples/moscow-irkutsk.pln"},
               cwd.Path);
    ASSERT_EQ(r.Status, 0) << r.Err;
    // Every leg but KURGN - ISHIM (out of reach) gets a station, the last one from the last line.
    std::string idents;
    const auto j = nlohmann::json::parse(r.Out);
    for (const auto& w : j["waypoints"])
        idents += w.contains("Beacon") ? w["Beacon"]["Ident"].get<std::string>() + " " : "- ";
    EXPECT_EQ(idents, "SH NZ NZ KZ KZ UF AL0 AL0 - OM OM 00 00 KR KR KR IR - ");
    for (const char* plan : {"r.pln", "r.fms", "r.lnmpln"})
        EXPECT_EQ(RunCli({"--table", "none", plan}, cwd.Path).Out.substr(0, 20),
                  "Total distance: 4509")
            << plan;
}
