// The XML flight plans, read with pugixml, and the escaping of the program's texts for the XML
// files it writes. Two kinds of plan, told apart by the document's first element:
//
//   FSX, Prepar3D, MSFS 2020/2024 (.pln):
//   <SimBase.Document>
//     <FlightPlan.FlightPlan>
//       <ATCWaypoint id="Hamburg">
//         <WorldPosition>N53° 38' 1.22",E9° 59' 6.80",+000040.75</WorldPosition>
//         <ICAO><ICAOIdent>EDDH</ICAOIdent></ICAO>
//       </ATCWaypoint>
//       ...
//
//   Little Navmap (.lnmpln):
//   <LittleNavmap>
//     <Flightplan>
//       <Waypoints>
//         <Waypoint>
//           <Ident>EDDF</Ident>
//           <Pos Lon="8.546506" Lat="50.024780" Alt="354.00"/>
//         </Waypoint>
//         ...
//
// The text comes in UTF-8, UTF-16 or UTF-32 (a byte-order mark, or the first character "<",
// tells which), or in the 8-bit encoding its declaration names: ISO-8859-1, or windows-1251,
// the program's own code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "math/geopoint.h"

namespace kestrun {

class TWayPointList;

/// Whether the bytes are an XML text: UTF-16 or UTF-32 (with a byte-order mark, or without one
/// where the first character is "<"), or a text whose first character after an optional UTF-8
/// byte-order mark and blanks is "<".
bool IsXmlText(std::string_view bytes);

/// Replaces the plan's waypoints by those of an XML flight plan held in memory, in order, with
/// Name (code page 1251, kept by SetName) and Pos (southern and western values 2*pi minus their
/// magnitude, as every import keeps them) set:
/// - Little Navmap, when the first element's name begins with "LittleNavmap": each Waypoint of
///   Flightplan/Waypoints, Name its Ident (empty when there is none), Pos the Lat and Lon of its
///   Pos in decimal degrees;
/// - else FSX, Prepar3D or MSFS: each ATCWaypoint of SimBase.Document/FlightPlan.FlightPlan,
///   Name its ICAO/ICAOIdent, else its id attribute, Pos its WorldPosition (ParseWorldPosition).
/// An element's text is all of its character data, also where comments or CDATA sections cut
/// it. `file` names the file in messages. Refused, at the file and line of the fault: a text
/// that is not valid in its encoding, malformed XML ("Malformed XML: DESCRIPTION"), a second
/// element on a plan's path ("A second Waypoints element makes the plan ambiguous"), a waypoint
/// without a readable position; and, without a line, a plan without waypoints and one whose
/// waypoints carry no position (MSFS 2024 may write only identifiers, which cannot be placed
/// without the simulator's navigation database). Beacons and leg values are not set: the caller
/// recomputes. If an exception is thrown, the plan is unchanged.
void ImportXmlPlan(TWayPointList& plan, std::string_view bytes, const std::filesystem::path& file);

/// A WorldPosition (UTF-8) in either form that simulators and planners write; the altitude
/// after the longitude is not used:
///   degrees, minutes, seconds   N53° 38' 1.22",E9° 59' 6.80",+000040.75  ("*" for "°" in older
///                               plans, "," for "." in some)
///   decimal degrees             54.285833 , -130.444678,+116.0
/// Nothing when the text is neither, minutes or seconds reach 60, or the latitude exceeds 90
/// degrees or the longitude 180.
std::optional<TGeoPoint> ParseWorldPosition(std::string_view text);

/// A text of the program (code page 1251) as XML character data or attribute value, UTF-8:
/// "&", "<", ">", '"' and "'" as entities, and control characters that XML 1.0 does not allow
/// (all below 32 except tab, line feed and carriage return) as "?".
std::string XmlEscape(std::string_view cp1251);

} // namespace kestrun
