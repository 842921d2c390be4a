#include "files/planfile.h"

#include <map>

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "files/coordtext.h"
#include "files/velparser.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

const TCharSet kPlanKeyChars = TCharSet::Of("PSainoptuwy");
// One coordinate in the asterisk form: N55*58.35’ (the letter is not used: the degrees are
// those of the stored angle, 0 to 359).
TCoordTexts ReadCoord(TVelParser& p) {
    return ReadCoordTexts(p, kClosingMark);
}

//   waypoint.1="UUEE", N55*58.35’, E037*24.68’, "Шереметьево"
//   |       | |      | |          | |           | |
//   key     N name     latitude     longitude     beacon name
// Beacon names that the list lacks, by waypoint index; a later line for the same index
// replaces the entry.
using TMissingByIndex = std::map<int, std::string>;

void ReadWaypointLine(TVelParser& p, TWayPointList& plan, TMissingByIndex& missing) {
    std::string text, name, beacon;
    p.ExpectSymbol('.');
    p.ReadRun(TVelParser::DigitChars, text);
    int n = StrToInt(text);
    p.ExpectSymbol('=');
    p.ReadQuoted(name);
    p.SkipPast(',');
    TCoordTexts lat = ReadCoord(p);
    p.SkipPast(',');
    TCoordTexts lon = ReadCoord(p);
    p.SkipPast(',');
    p.ReadQuoted(beacon);
    p.SkipLine();

    TGeoPoint pos;
    pos.Lat = CoordTextsAngle(lat);
    pos.Lon = CoordTextsAngle(lon);
    const bool existing = n >= 0 && n < plan.Count();
    TWayPoint& w = existing ? plan[n] : plan.AddWayPoint();
    const int index = existing ? n : plan.Count() - 1;
    w.Name = name;
    w.SetPos(pos);
    w.SetBeacon(-1);
    missing.erase(index);
    if (!beacon.empty()) {
        const TRSBNList& beacons = plan.Beacons();
        for (int i = 0; i < beacons.Count(); ++i)
            if (beacons[i].Name == beacon) {
                w.SetBeacon(i);
                break;
            }
        if (w.BeaconIndex < 0) missing[index] = beacon;
    }
}

} // namespace

std::string FormatPlanFile(const TWayPointList& plan) {
    std::string out =
        plan.SupPoint == spTraverse ? "SupPoint=Traverse\r\n" : "SupPoint=Endwaypoint\r\n";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        const TRSBNRec* beacon = plan.BeaconOf(w);
        std::string lat = WayPointLatStr(w.Pos), lon = WayPointLonStr(w.Pos);
        out += Format("waypoint.%d=\"%s\", %s, %s, \"%s\"",
                      {static_cast<long long>(i), std::string_view(w.Name), std::string_view(lat),
                       std::string_view(lon),
                       std::string_view(beacon ? beacon->Name : std::string())});
        out += "\r\n";
    }
    return out;
}

void SavePlanFile(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatPlanFile(plan));
}

std::vector<TMissingBeacon> OpenPlanFile(TWayPointList& plan, std::istream& in) {
    // Read into a plan of its own: a broken file leaves the user's plan and SupPoint as they were.
    TWayPointList read(plan.Beacons(), plan.Grid());
    bool haveSupPoint = false;
    TSupPointKind supPoint = plan.SupPoint;
    TMissingByIndex missing;
    TVelParser p(in);
    std::string key, value;
    do {
        p.ReadRun(kPlanKeyChars, key);
        if (key == "SupPoint") {
            p.ExpectSymbol('=');
            p.SkipBlanks();
            p.ReadValue(value);
            haveSupPoint = true;
            supPoint = value == "Traverse" ? spTraverse : spEndWaypoint;
        } else if (key == "waypoint") {
            ReadWaypointLine(p, read, missing);
        } else {
            p.SkipLine();
        }
    } while (!p.Eof());
    std::vector<TMissingBeacon> result;
    for (const auto& [index, beacon] : missing) result.push_back({index, read[index].Name, beacon});
    plan.TakeWayPointsFrom(read);
    if (haveSupPoint) plan.SupPoint = supPoint;
    return result;
}

std::vector<TMissingBeacon> OpenPlanFile(TWayPointList& plan, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    return OpenPlanFile(plan, *in);
}

} // namespace kestrun
