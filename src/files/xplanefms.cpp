#include "files/xplanefms.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/planimport.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

bool IsWayPointType(std::string_view t) {
    return t == "1" || t == "2" || t == "3" || t == "11" || t == "28";
}

} // namespace

void ImportXPlaneFms(TWayPointList& plan, std::string_view bytes,
                     const std::filesystem::path& file) {
    std::string_view text = SkipByteOrderMark(bytes);
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    bool v1100 = false;
    int lineNo = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        std::vector<std::string_view> t = SplitBlanks(NextLine(text, from));
        ++lineNo;
        if (lineNo == 1) {
            if (t.size() != 1 || (t[0] != "I" && t[0] != "A"))
                RaiseOnLine(file, 1,
                            "Not an X-Plane flight plan: the first line must be \"I\" or \"A\"");
            continue;
        }
        if (lineNo == 2) {
            std::optional<long double> version;
            if (t.size() == 2 && SameText(t[1], "version")) version = TryStrToFloat(t[0]);
            if (!version || (*version != 3 && *version < 1100))
                RaiseOnLine(file, 2,
                            "Not an X-Plane flight plan: the second line must be \"3 version\" "
                            "or \"1100 Version\"");
            v1100 = *version >= 1100;
            continue;
        }
        // The two numbers after the "3 version" header, the keyword lines of the 1100 header
        // (CYCLE, ADEP, NUMENR, ...) and blank lines carry no waypoint.
        if (t.empty() || (!v1100 && t.size() == 1 && read.Count() == 0) ||
            (v1100 && IsAsciiLetter(t[0][0])))
            continue;
        //   11 MODAU 0 49.815000 8.811944                    (3 version)
        //   3 KLN DRCT 25000.000000 55.333333 38.950000      (1100 Version)
        //   |  |   |    |            |         |
        //   type ident via altitude  latitude  longitude
        // Older "3 version" files carry a sixth field, which is not used; their altitude is a
        // number, so that a line of the other layout is never read with shifted fields.
        const std::size_t fields = v1100 ? 6 : 5;
        const bool extra = !v1100 && t.size() == 6 && TryStrToFloat(t[2]);
        if (t.size() != fields && !extra)
            RaiseOnLine(file, lineNo,
                        Format(v1100 ? "A waypoint line has 6 fields (type ident via altitude "
                                       "latitude longitude), this one %d"
                                     : "A waypoint line has 5 fields (type ident altitude "
                                       "latitude longitude), this one %d",
                               {static_cast<long long>(t.size())}));
        std::optional<long double> lat = TryStrToFloat(t[fields - 2]);
        std::optional<long double> lon = TryStrToFloat(t[fields - 1]);
        // Exporters of several planners pad the list with empty entries after the waypoints.
        if (t[0] == "0" && t[1] == "----" && lat == 0 && lon == 0) continue;
        if (!IsWayPointType(t[0]))
            RaiseOnLine(file, lineNo,
                        Format("Unknown waypoint type '%s' (known: 1, 2, 3, 11, 28)",
                               {std::string_view(Utf8ToCp1251(t[0]))}));
        if (!lat || !(std::fabs(*lat) <= 90))
            RaiseOnLine(file, lineNo, MsgBadLatitude(Utf8ToCp1251(t[fields - 2])));
        if (!lon || !(std::fabs(*lon) <= 180))
            RaiseOnLine(file, lineNo, MsgBadLongitude(Utf8ToCp1251(t[fields - 1])));
        TWayPoint& w = read.AddWayPoint();
        w.SetName(Utf8ToCp1251(t[1]));
        w.SetPos(DegreesToGeoPoint(*lat, *lon));
    }
    if (lineNo < 2)
        RaiseOnLine(file, lineNo + 1, "Not an X-Plane flight plan: the header is missing");
    TakeImportedWayPoints(plan, read, file);
}

} // namespace kestrun
