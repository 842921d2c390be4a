#include "files/gpxexport.h"

#include <cmath>

#include "base/fileio.h"
#include "base/numconv.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

std::string FormatGpx(const TWayPointList& plan) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<gpx version=\"1.1\" creator=\"Kestrun\" "
                      "xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
                      "  <rte>\r\n";
    if (plan.Count() > 0)
        out += "    <name>" + XmlEscape(plan[0].Name + " - " + plan[plan.Count() - 1].Name) +
               "</name>\r\n";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        const TLatLonDeg p = GeoPointToDegrees(w.Pos);
        // Rounded to the six decimals written first: a longitude a hair below 180 would
        // otherwise be written 180, which GPX does not allow.
        double lon = std::round(p.LonDeg * 1e6) / 1e6;
        if (lon >= 180) lon -= 360;
        out += "    <rtept lat=\"" + FloatToFixed(p.LatDeg, 6) + "\" lon=\"" +
               FloatToFixed(lon, 6) + "\">";
        if (!w.Name.empty()) out += "<name>" + XmlEscape(w.Name) + "</name>";
        out += "</rtept>\r\n";
    }
    out += "  </rte>\r\n"
           "</gpx>\r\n";
    return out;
}

void ExportGpx(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatGpx(plan));
}

} // namespace kestrun
