#include "files/planexport.h"

#include <cmath>
#include <vector>

#include "base/cp1251.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/xmlplan.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

// The first and the last waypoint, which name the route and its ends; an empty plan has
// nameless ends at 0/0.
struct TRouteEnds {
    std::string FirstName, LastName;
    TGeoPoint FirstPos, LastPos;
};

TRouteEnds RouteEnds(const TWayPointList& plan) {
    TRouteEnds ends;
    if (plan.Count() == 0) return ends;
    const TWayPoint& first = plan[0];
    const TWayPoint& last = plan[plan.Count() - 1];
    return {first.Name, last.Name, first.Pos, last.Pos};
}

// One coordinate as the simulators write it: 55° 58' 21.51" (UTF-8 degree sign), after its
// hemisphere letter. Rounded once, in hundredths of a second, so that 59.999" carries into
// the minutes rather than being written 60.00".
std::string Dms(double degrees) {
    const long long hundredths = std::llround(std::fabs(degrees) * 360000.0);
    const long long centis = hundredths % 6000;
    return Format("%d\xC2\xB0 %d' %d.%2.2d\"",
                  {hundredths / 360000, hundredths / 6000 % 60, centis / 100, centis % 100});
}

//   N55° 58' 21.51",E37° 24' 52.52",+000000.00
//   latitude         longitude       altitude in feet (none planned)
std::string WorldPosition(const TGeoPoint& pos) {
    const TLatLonDeg p = GeoPointToDegrees(pos);
    return (p.LatDeg < 0 ? "S" : "N") + Dms(p.LatDeg) + (p.LonDeg < 0 ? ",W" : ",E") +
           Dms(p.LonDeg) + ",+000000.00";
}

// A name the simulators take as an identifier (FSX and Prepar3D take user waypoint names of at
// most 10 letters and digits); any other is written only as the waypoint's id.
bool IsSimIdent(std::string_view name) {
    if (name.empty() || name.size() > 10) return false;
    for (char c : name)
        if (!IsDigit(c) && !IsAsciiLetter(c)) return false;
    return true;
}

// "  <Tag>text</Tag>" and a line end; `text` is code page 1251.
std::string Element(int indent, std::string_view tag, std::string_view text) {
    const std::string t(tag);
    return std::string(static_cast<std::size_t>(indent), ' ') + "<" + t + ">" + XmlEscape(text) +
           "</" + t + ">\r\n";
}

// Signed degrees with six decimals, as X-Plane and Little Navmap write positions.
std::string Decimal6(double degrees) {
    return FloatToFixed(degrees, 6);
}

// "+55.800" / "+046.000": a coordinate in X-Plane's names of latitude/longitude points.
std::string SignedPadded(double degrees, std::size_t width) {
    std::string digits = FloatToFixed(std::fabs(degrees), 3);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return (degrees < 0 ? "-" : "+") + digits;
}

// The ident X-Plane reads back as the waypoint's name: no blank (nor control character) in
// it, and a name made of the position when there is none.
std::string FmsIdent(const TWayPoint& w) {
    if (w.Name.empty()) {
        const TLatLonDeg p = GeoPointToDegrees(w.Pos);
        return SignedPadded(p.LatDeg, 6) + "_" + SignedPadded(p.LonDeg, 7);
    }
    std::string ident = Cp1251ToUtf8(w.Name);
    for (char& c : ident)
        if (static_cast<unsigned char>(c) <= ' ') c = '_';
    return ident;
}

} // namespace

std::string FormatPln(const TWayPointList& plan) {
    const TRouteEnds ends = RouteEnds(plan);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<SimBase.Document Type=\"AceXML\" version=\"1,0\">\r\n"
                      "    <Descr>AceXML Document</Descr>\r\n"
                      "    <FlightPlan.FlightPlan>\r\n";
    out += Element(8, "Title", ends.FirstName + " to " + ends.LastName);
    out += Element(8, "FPType", "IFR");
    out += Element(8, "RouteType", "HighAlt");
    out += Element(8, "CruisingAlt", std::to_string(kExportCruisingAltFt));
    out += Element(8, "DepartureID", ends.FirstName);
    // Positions hold nothing that element text must escape (quotes need none there).
    out += "        <DepartureLLA>" + WorldPosition(ends.FirstPos) + "</DepartureLLA>\r\n";
    out += Element(8, "DestinationID", ends.LastName);
    out += "        <DestinationLLA>" + WorldPosition(ends.LastPos) + "</DestinationLLA>\r\n";
    out += Element(8, "Descr", ends.FirstName + ", " + ends.LastName);
    out += Element(8, "DepartureName", ends.FirstName);
    out += Element(8, "DestinationName", ends.LastName);
    // FSX's own version, which Prepar3D and MSFS read as well.
    out += "        <AppVersion>\r\n"
           "            <AppVersionMajor>10</AppVersionMajor>\r\n"
           "            <AppVersionBuild>61472</AppVersionBuild>\r\n"
           "        </AppVersion>\r\n";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        out += "        <ATCWaypoint id=\"" + XmlEscape(w.Name) + "\">\r\n";
        out += Element(12, "ATCWaypointType", "User");
        out += "            <WorldPosition>" + WorldPosition(w.Pos) + "</WorldPosition>\r\n";
        if (IsSimIdent(w.Name))
            out += "            <ICAO>\r\n" + Element(16, "ICAOIdent", w.Name) +
                   "            </ICAO>\r\n";
        out += "        </ATCWaypoint>\r\n";
    }
    out += "    </FlightPlan.FlightPlan>\r\n"
           "</SimBase.Document>\r\n";
    return out;
}

void ExportPln(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatPln(plan));
}

std::string FormatFms(const TWayPointList& plan, int cycle) {
    std::vector<std::string> idents;
    for (int i = 0; i < plan.Count(); ++i) idents.push_back(FmsIdent(plan[i]));
    std::string out =
        "I\r\n1100 Version\r\n" + Format("CYCLE %4.4d\r\n", {static_cast<long long>(cycle)});
    if (!idents.empty()) out += "DEP " + idents.front() + "\r\nDES " + idents.back() + "\r\n";
    out += Format("NUMENR %d\r\n", {static_cast<long long>(idents.size())});
    for (int i = 0; i < plan.Count(); ++i) {
        //   28 UUEE DRCT 0.000000 55.972642 37.414589
        //   type ident via altitude latitude longitude
        const TLatLonDeg p = GeoPointToDegrees(plan[i].Pos);
        out += "28 " + idents[static_cast<std::size_t>(i)] + " DRCT 0.000000 " +
               Decimal6(p.LatDeg) + " " + Decimal6(p.LonDeg) + "\r\n";
    }
    return out;
}

void ExportFms(const TWayPointList& plan, const std::filesystem::path& path) {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    WriteFileAtomic(path, FormatFms(plan, AiracCycle(today)));
}

int AiracCycle(std::chrono::sys_days day) {
    using namespace std::chrono;
    constexpr sys_days kCycle2001 = 2020y / January / 2;
    // Whole cycles since the reference, rounded down for days before it too.
    const long long days = (day - kCycle2001).count();
    const long long cycles = days >= 0 ? days / 28 : -((27 - days) / 28);
    const sys_days start = kCycle2001 + std::chrono::days(28 * cycles);
    const year_month_day ymd(start);
    const int dayOfYear = (start - sys_days(ymd.year() / January / 1)).count();
    return static_cast<int>(ymd.year()) % 100 * 100 + dayOfYear / 28 + 1;
}

std::string FormatLnmPlan(const TWayPointList& plan) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<LittleNavmap xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:noNamespaceSchemaLocation=\"https://www.littlenavmap.org/schema/lnmpln.xsd\">\r\n"
        "  <Flightplan>\r\n"
        "    <Header>\r\n"
        "      <FlightplanType>IFR</FlightplanType>\r\n" +
        Element(6, "CruisingAlt", std::to_string(kExportCruisingAltFt)) +
        "      <FileVersion>1.0</FileVersion>\r\n"
        "      <ProgramName>Kestrun</ProgramName>\r\n"
        "    </Header>\r\n"
        "    <Waypoints>\r\n";
    for (int i = 0; i < plan.Count(); ++i) {
        const TWayPoint& w = plan[i];
        const TLatLonDeg p = GeoPointToDegrees(w.Pos);
        out += "      <Waypoint>\r\n";
        if (!w.Name.empty()) out += Element(8, "Name", w.Name) + Element(8, "Ident", w.Name);
        out += "        <Type>USER</Type>\r\n"
               "        <Pos Lon=\"" +
               Decimal6(p.LonDeg) + "\" Lat=\"" + Decimal6(p.LatDeg) +
               "\" Alt=\"0.00\"/>\r\n"
               "      </Waypoint>\r\n";
    }
    out += "    </Waypoints>\r\n"
           "  </Flightplan>\r\n"
           "</LittleNavmap>\r\n";
    return out;
}

void ExportLnmPlan(const TWayPointList& plan, const std::filesystem::path& path) {
    WriteFileAtomic(path, FormatLnmPlan(plan));
}

} // namespace kestrun
