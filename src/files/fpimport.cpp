#include "files/fpimport.h"

#include <string>

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/velparser.h"
#include "files/planimport.h"
#include "files/waypointline.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

const TCharSet kAppVersionChars = TCharSet::Of("AVeinoprs");
const TCharSet kWaypointKeyChars = TCharSet::Of("ainoptwy");
const TCharSet kIdentChars = TCharSet::Of("", "09AZaz");
// One coordinate as the simulator writes it, N55* 58.35', as an angle in radians kept the way
// typed ones are: southern and western values as 2*pi minus their magnitude. Raises for a
// letter other than N/S (E/W) in either case or an angle beyond the pole (beyond 180 degrees).
long double ReadCoord(TVelParser& p, bool latitude) {
    const TCoordTexts c = ReadCoordTexts(p, '\'');
    long double angle = CoordTextsAngle(c);
    if (!IsHemisphereAngle(latitude, c.Hemisphere, angle))
        RaiseBadAngle(latitude, c.Hemisphere + c.Degrees + "* " + c.Minutes + "'");
    const bool negative =
        c.Hemisphere == (latitude ? 'S' : 'W') || c.Hemisphere == (latitude ? 's' : 'w');
    if (negative) angle = Normalize2Pi(static_cast<double>(-angle));
    return angle;
}

// The rest of a waypoint line after "waypoint.N="; `fs2004` is the layout flag.
//
//   waypoint.0=UUEE, A, N55* 58.35', E37* 24.68', +000000.00,
//   |       | |    | |  |         | |
//   key     N ident  skipped  latitude  longitude   (rest ignored)
//
// The FS2004 layout puts three fields before the identifier:
//   waypoint.0=, UUEE, , UUEE, A, N55* 58.35', E37* 24.68', +000000.00,
// The whole waypoint stands on its line: nothing is read from the next one.
void ReadWaypointLine(TVelParser& p, bool fs2004, TWaypointLine& w) {
    if (fs2004)
        for (int i = 0; i < 3; ++i) p.SkipPastOnLine(',');
    p.ReadRun(kIdentChars, w.Name);
    p.SkipPastOnLine(',');
    p.SkipPastOnLine(',');
    w.Pos.Lat = ReadCoord(p, true);
    p.SkipPastOnLine(',');
    w.Pos.Lon = ReadCoord(p, false);
    p.SkipLine();
}

} // namespace

void ImportFlightPlan(TWayPointList& plan, std::istream& in) {
    // The file is read into a plan of its own, so that a broken file leaves the user's plan as
    // it was; the caller recomputes once at the end.
    TWayPointList read(plan.Beacons(), plan.Grid());
    TWaypointLines lines;
    TVelParser p(in);
    bool fs2004 = false;
    std::string run, value;
    ReadToEnd(p, [&] {
        p.ReadRun(kAppVersionChars, run);
        // The rest of the pass stays on the line the run began on.
        p.KeepToLine(true);
        if (run == "AppVersion") {
            p.ExpectSymbol('=');
            p.SkipBlanks();
            p.ReadValue(value);
            if (value.empty()) RaiseRangeCheck();
            if (value[0] == '9') fs2004 = true;
        }
        p.ReadRun(kWaypointKeyChars, run);
        if (run.empty())
            p.SkipLine();
        else if (run == "waypoint")
            lines.ReadLine(p, [&](TWaypointLine& w) { ReadWaypointLine(p, fs2004, w); });
        // Any other run: the next pass goes on along the same line.
    });
    lines.AddTo(read, [](TWayPoint& w, const TWaypointLine& line) {
        w.SetName(line.Name);
        w.SetPos(line.Pos);
    });
    plan.TakeWayPointsFrom(read);
}

void ImportFlightPlan(TWayPointList& plan, const std::filesystem::path& path) {
    const std::string bytes = ReadFileBytes(path);
    try {
        ImportFlightPlanBytes(plan, bytes, path);
    } catch (EKestrunError& e) {
        SetPlace(e, path.native());
        throw;
    }
}

} // namespace kestrun
