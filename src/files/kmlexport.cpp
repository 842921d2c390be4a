#include "files/kmlexport.h"

#include <set>
#include <vector>

#include "base/cp1251.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/gridcells.h"
#include "plan/rsbnlist.h"

namespace kestrun {

namespace {

// "lon,lat,0" as KML writes a position.
std::string Coordinates(const TGeoPoint& pos) {
    const TLatLonDeg p = GeoPointToDegrees(pos);
    return FloatToFixed(p.LonDeg, 6) + "," + FloatToFixed(p.LatDeg, 6) + ",0";
}

// The leg's values as the two grids show them, as an HTML table (code page 1251 text): every
// column of both grids once, after the number, name and position that the placemark shows.
std::string LegTable(const TWayPointList& plan, int row) {
    std::vector<TColDescript> columns = RSBNColumns();
    for (TColDescript& c : NVUColumns()) columns.push_back(std::move(c));
    std::set<int> seen = {0, 1, 2, 3};
    std::string html = "<table>";
    for (const TColDescript& c : columns) {
        if (!seen.insert(c.Content).second) continue;
        // Numbers are right-aligned with blanks in the grid's cells; not here.
        std::string text = CellText(plan, row, c.Content);
        text.erase(0, text.find_first_not_of(' '));
        if (text.empty()) continue;
        html += "<tr><td>" + c.DesignCaption + "</td><td>" + text + "</td></tr>";
    }
    return html + "</table>";
}

void Placemark(std::string& out, std::string_view name, std::string_view description,
               std::string_view style, std::string_view geometry) {
    out += "      <Placemark>\r\n        <name>" + XmlEscape(name) + "</name>\r\n";
    if (!description.empty())
        out += "        <description>" + XmlEscape(description) + "</description>\r\n";
    out += "        <styleUrl>#" + std::string(style) + "</styleUrl>\r\n        ";
    out += geometry;
    out += "\r\n      </Placemark>\r\n";
}

std::string Point(const TGeoPoint& pos) {
    return "<Point><coordinates>" + Coordinates(pos) + "</coordinates></Point>";
}

std::string Line(const std::vector<TGeoPoint>& points) {
    std::string s = "<LineString><tessellate>1</tessellate><coordinates>";
    for (std::size_t i = 0; i < points.size(); ++i) s += (i ? " " : "") + Coordinates(points[i]);
    return s + "</coordinates></LineString>";
}

// An HTML text inside the description: the names may hold "<" or "&".
std::string Html(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c == '&')
            s += "&amp;";
        else if (c == '<')
            s += "&lt;";
        else if (c == '>')
            s += "&gt;";
        else
            s += c;
    }
    return s;
}

} // namespace

std::string FormatKml(const TWayPointList& plan) {
    const int n = plan.Count();
    std::string title = n > 0 ? plan[0].Name + " - " + plan[n - 1].Name : std::string();
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n"
                      "  <Document>\r\n"
                      "    <name>" +
                      XmlEscape(title) +
                      "</name>\r\n"
                      "    <Style id=\"route\"><LineStyle><color>ff0000ff</color><width>3</width>"
                      "</LineStyle></Style>\r\n"
                      "    <Style id=\"waypoint\"><IconStyle><color>ff0000ff</color></IconStyle>"
                      "</Style>\r\n"
                      "    <Style id=\"beacon\"><IconStyle><color>ff00ffff</color></IconStyle>"
                      "</Style>\r\n"
                      "    <Style id=\"beaconLine\"><LineStyle><color>ff00ffff</color>"
                      "<width>1.5</width></LineStyle></Style>\r\n";

    if (n >= 2) {
        std::vector<TGeoPoint> route;
        for (int i = 0; i < n; ++i) route.push_back(plan[i].Pos);
        out += "    <Folder>\r\n      <name>Route</name>\r\n";
        Placemark(out, title, "", "route", Line(route));
        out += "    </Folder>\r\n";
    }

    out += "    <Folder>\r\n      <name>Waypoints</name>\r\n";
    for (int i = 0; i < n; ++i) {
        const TWayPoint& w = plan[i];
        // The last waypoint has no leg of its own.
        std::string description = Html(GeoPointToStr(w.Pos));
        if (i + 1 < n)
            description +=
                "<br/>" + Html(w.Name + " - " + plan[i + 1].Name) + LegTable(plan, i + 1);
        Placemark(out, w.Name, description, "waypoint", Point(w.Pos));
    }
    out += "    </Folder>\r\n";

    out += "    <Folder>\r\n      <name>Beacons</name>\r\n";
    std::set<int> placed;
    for (int i = 0; i < n; ++i) {
        const TRSBNRec* b = plan.BeaconOf(plan[i]);
        if (!b || !placed.insert(plan[i].BeaconIndex).second) continue;
        Placemark(out, b->NameOrIdent(), Html(BeaconText(plan, plan[i])), "beacon",
                  Point(b->Position));
    }
    out += "    </Folder>\r\n";

    out += "    <Folder>\r\n      <name>Beacon lines</name>\r\n";
    for (int i = 0; i + 1 < n; ++i) {
        const TWayPoint& w = plan[i];
        // Flying to or from a beacon, the beacon stands at a waypoint of the leg and the leg
        // has no support point of its own (RSBNSupPoint stays 0, 0).
        if (!HasRSBN(plan, w) || w.RSBNMode != rmSRP) continue;
        Placemark(out, w.Name + " - " + plan[i + 1].Name + ": " + plan.BeaconOf(w)->NameOrIdent(),
                  Html(ModeText(w.RSBNMode)), "beaconLine", Line({w.BeaconPos, w.RSBNSupPoint}));
    }
    out += "    </Folder>\r\n";

    out += "  </Document>\r\n"
           "</kml>\r\n";
    return out;
}

void ExportKml(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatKml(plan));
}

} // namespace kestrun
