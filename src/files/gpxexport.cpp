#include "files/gpxexport.h"

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
        out += "    <rtept lat=\"" + FloatToFixed(p.LatDeg, 6) + "\" lon=\"" +
               FloatToFixed(p.LonDeg, 6) + "\">";
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
