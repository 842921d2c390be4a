// The plan written back as the flight plans of the simulators and planners, each the inverse of
// the program's reader of that kind: every waypoint as a user waypoint with its name and
// position, in plan order.
//
//   FSX, Prepar3D, MSFS 2020/2024 (.pln)     X-Plane 11/12 (.fms)       Little Navmap (.lnmpln)
//   <SimBase.Document Type="AceXML" ...>     I                          <LittleNavmap ...>
//     <Descr>AceXML Document</Descr>         1100 Version                 <Flightplan>
//     <FlightPlan.FlightPlan>                CYCLE 2511                     <Header>...</Header>
//       <Title>UUEE to UWKD</Title>          DEP UUEE                       <Waypoints>
//       ... (header elements)                DES UWKD                         <Waypoint>
//       <ATCWaypoint id="UUEE">              NUMENR 2                           <Name>UUEE</Name>
//         <ATCWaypointType>User</...>        28 UUEE DRCT 0.000000 ...          <Ident>UUEE</Ident>
//         <WorldPosition>N55° 58' ...</...>  28 UWKD DRCT 0.000000 ...          <Type>USER</Type>
//         <ICAO><ICAOIdent>UUEE</...></ICAO>                                    <Pos .../>
//       </ATCWaypoint>
//
// Texts go out in UTF-8 (the program's code page 1251 converted), every line ends with CR LF.
// Each Export function writes as every file of the program is written (WriteFileAtomic):
// completely or not at all, an earlier file of that name intact after a failure, which raises
// "Cannot create file %s" or "Stream write error".
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace kestrun {

class TWayPointList;

/// The cruising altitude the exports give the simulator, in feet: the program plans no
/// altitude, and this is a usual cruising level of the jets it plans for; the pilot sets the
/// real one in the simulator's planner.
inline constexpr int kExportCruisingAltFt = 33000;

/// The XML flight plan of FSX, Prepar3D and MSFS: the header elements in the order the
/// simulators write them (Title "FIRST to LAST", FPType IFR, RouteType HighAlt, CruisingAlt,
/// DepartureID and DepartureLLA, DestinationID and DestinationLLA, Descr "FIRST, LAST",
/// DepartureName, DestinationName, AppVersion), then one ATCWaypoint of type User per
/// waypoint: the name as its id, WorldPosition in degrees, minutes and seconds to the
/// hundredth (N55° 58' 21.51",E37° 24' 52.52",+000000.00) and, when the name is an identifier
/// the simulator takes (1 to 10 Latin letters and digits), ICAO/ICAOIdent with it.
std::string FormatPln(const TWayPointList& plan);
void ExportPln(const TWayPointList& plan, const std::filesystem::path& path);

/// X-Plane's "1100 Version" flight plan for the AIRAC cycle `cycle` (YYNN): DEP and DES name the
/// first and last waypoint (the program knows no airports), then one line per waypoint
/// "28 IDENT DRCT 0.000000 LAT LON", latitude and longitude in signed degrees with six
/// decimals. X-Plane takes no blank in an ident: blanks become "_", and a waypoint without a
/// name gets X-Plane's own name of a latitude/longitude point ("+55.800_+046.000").
std::string FormatFms(const TWayPointList& plan, int cycle);
/// Writes FormatFms for the cycle in force today.
void ExportFms(const TWayPointList& plan, const std::filesystem::path& path);

/// The AIRAC cycle (YYNN, e.g. 2511) in force on a day: cycles run 28 days from 2 January 2020,
/// the first of 2001, and are counted from 01 in the year in which they begin.
int AiracCycle(std::chrono::sys_days day);

/// Little Navmap's own flight plan: a header (IFR, the cruising altitude), then per waypoint
/// its Name and Ident (left out when empty), Type USER and Pos in signed degrees with six
/// decimals.
std::string FormatLnmPlan(const TWayPointList& plan);
void ExportLnmPlan(const TWayPointList& plan, const std::filesystem::path& path);

} // namespace kestrun
