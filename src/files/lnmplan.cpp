#include "files/lnmplan.h"

#include <cmath>
#include <optional>

#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/planimport.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

void ImportLnmPlan(TWayPointList& plan, const TXmlPlanBytes& bytes,
                   const std::filesystem::path& file) {
    pugi::xml_document doc;
    LoadXmlPlan(doc, bytes, file);
    // Read into a plan of its own: a refused file leaves the user's plan as it was.
    TWayPointList read(plan.Beacons(), plan.Grid());
    std::string name;
    for (const pugi::xml_node& wp :
         doc.child("LittleNavmap").child("Flightplan").child("Waypoints").children("Waypoint")) {
        //   <Pos Lon="8.546506" Lat="50.024780" Alt="354.00"/>
        const pugi::xml_node pos = wp.child("Pos");
        // Counted only for a refusal: the count runs from the start of the text.
        auto line = [&] { return LineOfNode(pos ? pos : wp, bytes.Text); };
        const char* latText = pos.attribute("Lat").value();
        const char* lonText = pos.attribute("Lon").value();
        std::optional<long double> lat = ParseDecimal(latText);
        std::optional<long double> lon = ParseDecimal(lonText);
        if (!lat || !(std::fabs(*lat) <= 90))
            RaiseOnLine(file, line(), MsgBadLatitude(XmlText1251(latText)));
        if (!lon || !(std::fabs(*lon) <= 180))
            RaiseOnLine(file, line(), MsgBadLongitude(XmlText1251(lonText)));
        TWayPoint& w = read.AddWayPoint();
        w.SetName(TrimBlanks(XmlText1251(wp.child_value("Ident"), name)));
        w.SetPos(DegreesToGeoPoint(*lat, *lon));
    }
    TakeImportedWayPoints(plan, read, file);
}

} // namespace kestrun
