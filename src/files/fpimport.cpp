#include "files/fpimport.h"

#include <string>

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "files/coordtext.h"
#include "files/velparser.h"
#include "math/mathem.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

const TCharSet kAppVersionChars = TCharSet::Of("AVeinoprs");
const TCharSet kWaypointKeyChars = TCharSet::Of("ainoptwy");
const TCharSet kIdentChars = TCharSet::Of("", "09AZaz");
// One coordinate as the simulator writes it: N55* 58.35'
TCoordTexts ReadCoord(TVelParser& p) {
    return ReadCoordTexts(p, '\'');
}

// Southern and western values are kept as 2*pi minus their magnitude, as typed ones are.
long double CoordAngle(const TCoordTexts& c, char negativeLetter) {
    long double angle = CoordTextsAngle(c);
    if (c.Hemisphere == negativeLetter) angle = Normalize2Pi(static_cast<double>(-angle));
    return angle;
}

// A waypoint line after its key; `fs2004` is the layout flag.
//
//   waypoint.0=UUEE, A, N55* 58.35', E37* 24.68', +000000.00,
//   |       | |    | |  |         | |
//   key     N ident  skipped  latitude  longitude   (rest ignored)
//
// The FS2004 layout puts three fields before the identifier:
//   waypoint.0=, UUEE, , UUEE, A, N55* 58.35', E37* 24.68', +000000.00,
void ReadWaypointLine(TVelParser& p, bool fs2004, TWayPointList& plan) {
    std::string text;
    p.ExpectSymbol('.');
    p.ReadRun(TVelParser::DigitChars, text);
    int n = StrToInt(text);
    p.ExpectSymbol('=');
    if (fs2004)
        for (int i = 0; i < 3; ++i) p.SkipPast(',');
    std::string ident;
    p.ReadRun(kIdentChars, ident);
    p.SkipPast(',');
    p.SkipPast(',');
    TCoordTexts lat = ReadCoord(p);
    p.SkipPast(',');
    TCoordTexts lon = ReadCoord(p);
    p.SkipLine();

    TGeoPoint pos;
    pos.Lat = CoordAngle(lat, 'S');
    pos.Lon = CoordAngle(lon, 'W');
    TWayPoint& w = n >= 0 && n < plan.Count() ? plan[n] : plan.AddWayPoint();
    w.Name = ident;
    w.SetPos(pos);
}

} // namespace

void ImportFlightPlan(TWayPointList& plan, std::istream& in) {
    // The file is read into a plan of its own, so that a broken file leaves the user's plan as
    // it was; the caller recomputes once at the end.
    TWayPointList read(plan.Beacons(), plan.Grid());
    TVelParser p(in);
    bool fs2004 = false;
    std::string run, value;
    do {
        p.ReadRun(kAppVersionChars, run);
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
            ReadWaypointLine(p, fs2004, read);
        // Any other run: the next pass goes on along the same line.
    } while (!p.Eof());
    plan.TakeWayPointsFrom(read);
}

void ImportFlightPlan(TWayPointList& plan, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    ImportFlightPlan(plan, *in);
}

} // namespace kestrun
