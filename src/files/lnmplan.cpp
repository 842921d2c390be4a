#include "files/lnmplan.h"

#include <cmath>
#include <optional>

#include "base/error.h"
#include "base/numconv.h"
#include "files/planimport.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

void ImportLnmPlan(TWayPointList& plan, std::string_view bytes, const std::filesystem::path& file) {
    pugi::xml_document doc;
    LoadXmlPlan(doc, bytes, file);
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    int number = 0;
    for (const pugi::xml_node& wp :
         doc.child("LittleNavmap").child("Flightplan").child("Waypoints").children("Waypoint")) {
        ++number;
        //   <Pos Lon="8.546506" Lat="50.024780" Alt="354.00"/>
        const pugi::xml_node pos = wp.child("Pos");
        std::optional<long double> lat = ParseDecimal(pos.attribute("Lat").value());
        std::optional<long double> lon = ParseDecimal(pos.attribute("Lon").value());
        if (!lat || !lon || !(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180))
            RaiseOnLine(file, LineOfNode(pos ? pos : wp, bytes),
                        Format("Waypoint %d has no valid position (Pos Lat, Lon)",
                               {static_cast<long long>(number)}));
        TWayPoint& w = read.AddWayPoint();
        w.Name = XmlText1251(wp.child_value("Ident"));
        w.SetPos(DegreesToGeoPoint(*lat, *lon));
    }
    TakeImportedWayPoints(plan, read, file);
}

} // namespace kestrun
