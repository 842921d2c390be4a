#include "files/planfile.h"

#include <functional>
#include <vector>

#include "base/cp1251.h"

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/velparser.h"
#include "files/waypointline.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

const TCharSet kPlanKeyChars = TCharSet::Of("PSainoptuwy");

// One coordinate in the asterisk form, N55*58.35’, as the stored angle (0 to 360 degrees) in
// radians: the letter is not used. Raises for an angle that no position has in this form.
long double ReadStoredAngle(TVelParser& p, bool latitude) {
    const TCoordTexts c = ReadCoordTexts(p, kClosingMark);
    const long double angle = CoordTextsAngle(c);
    if (!IsStoredAngle(latitude, angle))
        RaiseBadAngle(latitude, c.Hemisphere + c.Degrees + "*" + c.Minutes + kClosingMark);
    return angle;
}

// The rest of a waypoint line after "waypoint.N=":
//   waypoint.1="UUEE", N55*58.35’, E037*24.68’, "Шереметьево"
//   |       | |      | |          | |           | |
//   key     N name     latitude     longitude     beacon name (or identifier)
// The whole waypoint stands on its line: nothing is read from the next one.
void ReadWaypointLine(TVelParser& p, TWaypointLine& w) {
    p.ReadQuotedField(w.Name);
    p.SkipPastOnLine(',');
    const long double lat = ReadStoredAngle(p, true);
    p.SkipPastOnLine(',');
    long double lon = ReadStoredAngle(p, false);
    p.SkipPastOnLine(',');
    p.ReadQuotedField(w.Beacon);
    p.SkipLine();
    // A longitude a hair below 360 degrees is written E360*00.00’; it is the meridian 0.
    if (lon == DegMinToRad(360, 0)) lon = 0;
    w.Pos.Lat = lat;
    w.Pos.Lon = lon;
}

// The beacons that plan files name: by name, else by identifier (the beacons of a .cfg
// database have no name, and are written by their identifier); of several beacons of that
// name, the one nearest the waypoint. Indexed once per open, on first use: a plan of
// thousands of waypoints against a database of a million beacons must not scan the list for
// every waypoint.
class TBeaconFinder {
public:
    explicit TBeaconFinder(const TRSBNList& beacons) : Beacons_(beacons) {}

    /// The beacon's index, or -1 when no beacon of the list has that name or identifier.
    int Find(const std::string& name, const TGeoPoint& at) {
        if (name.empty()) return -1;
        if (ByName_.Buckets.empty()) ByName_ = Index(&TRSBNRec::Name);
        int best = Nearest(ByName_, &TRSBNRec::Name, name, at);
        if (best >= 0) return best;
        if (ByIdent_.Buckets.empty()) ByIdent_ = Index(&TRSBNRec::Ident);
        return Nearest(ByIdent_, &TRSBNRec::Ident, name, at);
    }

private:
    // A hash table of record indices without a node per record: each bucket holds the first
    // record whose text hashes there, and each record the next one of its bucket (-1: none),
    // in list order.
    struct TIndex {
        std::vector<int> Buckets, Next;
        std::size_t Mask = 0;
    };

    TIndex Index(std::string TRSBNRec::*field) const {
        TIndex index;
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(Beacons_.Count())) size *= 2;
        index.Buckets.assign(size, -1);
        index.Mask = size - 1;
        index.Next.assign(static_cast<std::size_t>(Beacons_.Count()), -1);
        for (int i = Beacons_.Count() - 1; i >= 0; --i) {
            const std::string& text = Beacons_[i].*field;
            if (text.empty()) continue;
            int& head = index.Buckets[std::hash<std::string>{}(text)&index.Mask];
            index.Next[static_cast<std::size_t>(i)] = head;
            head = i;
        }
        return index;
    }

    // Of the records whose text is `name`, the nearest to `at`; of equally near ones the
    // first in the list. -1 when there is none.
    int Nearest(const TIndex& index, std::string TRSBNRec::*field, const std::string& name,
                const TGeoPoint& at) const {
        int best = -1;
        double bestKm = 0;
        for (int i = index.Buckets[std::hash<std::string>{}(name)&index.Mask]; i >= 0;
             i = index.Next[static_cast<std::size_t>(i)]) {
            if (Beacons_[i].*field != name) continue;
            const double km = DistanceKm(at, Beacons_[i].Position);
            if (best < 0 || km < bestKm) {
                best = i;
                bestKm = km;
            }
        }
        return best;
    }

    const TRSBNList& Beacons_;
    TIndex ByName_, ByIdent_;
};

} // namespace

std::string FormatPlanFile(const TWayPointList& plan) {
    std::string out =
        plan.SupPoint == spTraverse ? "SupPoint=Traverse\r\n" : "SupPoint=Endwaypoint\r\n";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        const TRSBNRec* beacon = plan.BeaconOf(w);
        std::string_view beaconName;
        if (beacon) beaconName = beacon->NameOrIdent();
        std::string lat = WayPointLatStr(w.Pos), lon = WayPointLonStr(w.Pos);
        out += Format("waypoint.%d=\"%s\", %s, %s, \"%s\"",
                      {static_cast<long long>(i), std::string_view(w.Name), std::string_view(lat),
                       std::string_view(lon), beaconName});
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
    TWaypointLines lines;
    TVelParser p(in);
    std::string key, value;
    ReadToEnd(p, [&] {
        p.ReadRun(kPlanKeyChars, key);
        p.KeepToLine(true);
        if (key == "SupPoint") {
            p.ExpectSymbol('=');
            p.SkipBlanks();
            p.ReadValue(value);
            haveSupPoint = true;
            supPoint = UpperCase1251(value) == "TRAVERSE" ? spTraverse : spEndWaypoint;
            p.SkipLine();
        } else if (key == "waypoint") {
            lines.ReadLine(p, [&](TWaypointLine& w) { ReadWaypointLine(p, w); });
        } else {
            p.SkipLine();
        }
    });
    TBeaconFinder beacons(plan.Beacons());
    std::vector<TMissingBeacon> missing;
    lines.AddTo(read, [&](TWayPoint& w, const TWaypointLine& line) {
        w.SetName(line.Name);
        w.SetPos(line.Pos);
        w.SetBeacon(beacons.Find(line.Beacon, line.Pos));
        if (!line.Beacon.empty() && w.BeaconIndex < 0)
            missing.push_back({read.Count() - 1, line.Name, line.Beacon});
    });
    plan.TakeWayPointsFrom(read);
    if (haveSupPoint) plan.SupPoint = supPoint;
    return missing;
}

std::vector<TMissingBeacon> OpenPlanFile(TWayPointList& plan, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    try {
        return OpenPlanFile(plan, *in);
    } catch (EKestrunError& e) {
        SetPlace(e, path.native());
        throw;
    }
}

} // namespace kestrun
